// The demonstration movie's colours: which kinds it shows, and that its text
// colours are filed at the colour bytes of its two text tags.
#include "support/tag_headers.h"
#include "swf/reader_fixture.h"

#include <map>
#include <optional>

namespace tintor {
namespace {

enum : std::uint16_t { kText = 11, kEditText = 37 };

struct TagBody {
    std::uint32_t begin, end;
};

// The first body of a main-timeline tag with the given code.
std::optional<TagBody> FindTag(std::span<const std::uint8_t> bytes, std::uint16_t code)
{
    for (const test::TagSpan& tag : test::MainTags(bytes))
        if (tag.code == code)
            return TagBody{static_cast<std::uint32_t>(tag.begin), static_cast<std::uint32_t>(tag.end)};
    return std::nullopt;
}

// Bytes of a RECT that starts at pos.
std::uint32_t RectSize(std::span<const std::uint8_t> bytes, std::uint32_t pos)
{
    return (5 + 4 * (bytes[pos] >> 3) + 7) / 8;
}

class SampleMovieTest : public test::ReaderTest {};

TEST_F(SampleMovieTest, ShowsEveryKindOfColour)
{
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        ASSERT_TRUE(Load(BuildSampleMovie(compressed)));
        std::map<std::uint32_t, int> kinds;
        for (const auto key : m_movie.Colors().Keys())
            ++kinds[key & kKindMask];
        // The glyph shapes of the block-letter font add no colour of their own.
        EXPECT_EQ(kinds, (std::map<std::uint32_t, int>{{KIND_BG, 1}, {KIND_FILL, 6}, {KIND_LINE, 2}, {KIND_TEXT, 3}}));
        EXPECT_EQ(PositionCount(), 13u); // the navy outline is used twice
        EXPECT_TRUE(m_messages.Messages().empty());
    }
}

TEST_F(SampleMovieTest, TextColoursLieInTheirTextTags)
{
    const auto bytes = BuildSampleMovie();
    ASSERT_TRUE(Load(bytes));
    const auto text = FindTag(bytes, kText);
    const auto edit = FindTag(bytes, kEditText);
    ASSERT_TRUE(text && edit);

    // The title: its first style record names the font, so its colour comes
    // after the font id; the second record carries a colour only.
    const std::uint32_t matrix = 1, widths = 2, styleByte = 1, fontId = 2;
    const std::uint32_t firstColour
        = text->begin + 2 + RectSize(bytes, text->begin + 2) + matrix + widths + styleByte + fontId;
    EXPECT_EQ(bytes[firstColour - 3], 0x8F);
    EXPECT_EQ(PositionsOf(0x20534626), PositionList{firstColour});
    const PositionList second = PositionsOf(0x20516FE7);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_GT(second[0], firstColour);
    EXPECT_LT(second[0] + 3, text->end);
    EXPECT_EQ(bytes[second[0] - 1], 0x84);

    // The text field: the colour follows the two flag bytes, the font id and
    // the font height; its alpha byte is no part of the key.
    const std::uint32_t flagsAt = edit->begin + 2 + RectSize(bytes, edit->begin + 2);
    EXPECT_EQ(bytes[flagsAt] & 0x05, 0x05); // has font, has text colour
    EXPECT_EQ(PositionsOf(0x208C286D), PositionList{flagsAt + 2 + 4});
    EXPECT_EQ(bytes[flagsAt + 2 + 4 + 3], 0xFF);

    m_movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        if ((key & kKindMask) != KIND_TEXT)
            return;
        for (const auto p : positions) {
            SCOPED_TRACE(p);
            EXPECT_EQ(bytes[p] | bytes[p + 1] << 8 | bytes[p + 2] << 16, static_cast<int>(key & 0xFFFFFF));
        }
    });
}

} // namespace
} // namespace tintor
