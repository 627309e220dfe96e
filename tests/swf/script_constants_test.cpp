// Script constants in each form they are stored in: read as colours and
// written back in the place's own form and length.
#include "swf/script_constants.h"

#include <gtest/gtest.h>

#include <vector>

namespace tintor {
namespace {

EncodedPlace Place(PlaceForm form, std::uint8_t length = 0)
{
    EncodedPlace place;
    place.form = form;
    place.length = length;
    return place;
}

TEST(ScriptConstantTest, ColoursAreWrittenInTheirFormOrRefused)
{
    // Values are 0xRRGGBB, as scripts write them; bytes worked out by hand
    // (16711680.0 is 0x416FE00000000000).
    const struct {
        const char* name;
        EncodedPlace place;
        std::uint32_t value;
        std::vector<std::uint8_t> bytes; // empty: does not fit
    } cases[] = {
        {"push integer", Place(PlaceForm::ActionInteger), 0xFF0000, {0x00, 0x00, 0xFF, 0x00}},
        {"push double, high half first", Place(PlaceForm::ActionDouble), 0xFF0000,
            {0x00, 0xE0, 0x6F, 0x41, 0x00, 0x00, 0x00, 0x00}},
        {"pool double", Place(PlaceForm::AbcDouble), 0xFF0000, {0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x6F, 0x41}},
        {"var int of 4", Place(PlaceForm::AbcVarInt, 4), 0xFF0000, {0x80, 0x80, 0xFC, 0x07}},
        {"var int of 3, too short", Place(PlaceForm::AbcVarInt, 3), 0xFF0000, {}},
        {"var int of 3, longer than needed", Place(PlaceForm::AbcVarInt, 3), 0x000005, {0x85, 0x80, 0x00}},
        {"var int of 5", Place(PlaceForm::AbcVarInt, 5), 0xFFFFFF, {0xFF, 0xFF, 0xFF, 0x87, 0x00}},
        {"pushshort", Place(PlaceForm::AbcShort, 3), 0x0000FF, {0xFF, 0x81, 0x00}},
        {"pushshort, past 16 signed bits", Place(PlaceForm::AbcShort, 3), 0x008000, {}},
        {"pushbyte", Place(PlaceForm::AbcByte), 0x00007F, {0x7F}},
        {"pushbyte, past 7 bits", Place(PlaceForm::AbcByte), 0x000080, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t size = ScriptPlaceSize(c.place);
        std::vector<std::uint8_t> bytes(size, 0xAA);
        const bool fits = !c.bytes.empty();
        ASSERT_EQ(WriteScriptConstant(bytes, c.place, c.value), fits);
        if (!fits) {
            EXPECT_EQ(bytes, std::vector<std::uint8_t>(size, 0xAA)) << "untouched";
            continue;
        }
        EXPECT_EQ(bytes, std::vector<std::uint8_t>(c.bytes.begin(), c.bytes.begin() + size));
        EXPECT_EQ(ReadScriptConstant(bytes, c.place), c.value);
    }
}

TEST(ScriptConstantTest, OnlyWholeNumbersUpToWhiteAreColours)
{
    const struct {
        const char* name;
        EncodedPlace place;
        std::vector<std::uint8_t> bytes;
        std::optional<std::uint32_t> colour;
    } cases[] = {
        {"integer -1", Place(PlaceForm::ActionInteger), {0xFF, 0xFF, 0xFF, 0xFF}, std::nullopt},
        {"integer past white", Place(PlaceForm::ActionInteger), {0x00, 0x00, 0x00, 0x01}, std::nullopt},
        {"double 1.5", Place(PlaceForm::ActionDouble), {0x00, 0x00, 0xF8, 0x3F, 0, 0, 0, 0}, std::nullopt},
        {"double -0", Place(PlaceForm::ActionDouble), {0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0}, 0u},
        {"double 255", Place(PlaceForm::AbcDouble), {0, 0, 0, 0, 0x00, 0xE0, 0x6F, 0x40}, 0xFFu},
        {"var int whose last byte goes on", Place(PlaceForm::AbcVarInt, 2), {0x85, 0x80}, std::nullopt},
        {"var int that ends early", Place(PlaceForm::AbcVarInt, 2), {0x05, 0x00}, std::nullopt},
        {"pushbyte -1", Place(PlaceForm::AbcByte), {0xFF}, std::nullopt},
        {"pushshort of 0x18000 reads its low 16 bits, -32768", Place(PlaceForm::AbcShort, 3), {0x80, 0x80, 0x06},
            std::nullopt},
        {"too few bytes", Place(PlaceForm::ActionDouble), {0x00, 0x00, 0x00}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadScriptConstant(c.bytes, c.place), c.colour) << c.name;
}

TEST(ScriptConstantTest, ColoursAndScriptValuesAreByteReversed)
{
    EXPECT_EQ(ScriptValueOf(0x0000FF), 0xFF0000u); // red
    EXPECT_EQ(RgbOfScriptValue(0x123456), 0x563412u);
    EXPECT_EQ(ScriptUseList(UseBit(ScriptUse::BeginFill) | UseBit(ScriptUse::Rgb)), "beginFill, rgb");
}

} // namespace
} // namespace tintor
