// The ABC readers: variable-length numbers as both players read them, the
// places a colour is written into, records read back from built files, and
// blocks cut short or lying about their counts.
#include "support/corpus.h"
#include "support/tag_headers.h"

#include "swf/abc_colours.h"
#include "swf/abc_instructions.h"
#include "swf/abc_readers.h"
#include "swf/swf_file.h"
#include "testkit/abc_builder.h"
#include "testkit/memory_files.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

#include <optional>

namespace tintor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct ColourRow {
    const char* name;
    AbcSource source;
    Bytes bytes;
    std::optional<std::uint32_t> colour;
};

TEST(AbcPlaces, ReadsAColourAsThePlayersReadTheBytes)
{
    const ColourRow rows[] = {
        // Compilers write 0x40 to 0x7f in one byte, which the players read
        // as it stands, not sign-extended.
        {"int in one byte", AbcSource::Int, {0x64}, 0x64},
        {"int padded to two bytes", AbcSource::Int, {0x85, 0x00}, 5},
        {"int of three bytes, bit 20 set", AbcSource::Int, {0xFF, 0xFF, 0x7F}, 0x1FFFFF},
        {"int 0xff0000 in four bytes", AbcSource::Int, {0x80, 0x80, 0xFC, 0x07}, 0xFF0000},
        {"int 0xff0000 in five bytes", AbcSource::Int, {0x80, 0x80, 0xFC, 0x87, 0x00}, 0xFF0000},
        {"int -1", AbcSource::Int, {0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, std::nullopt},
        {"fifth byte with bits no player reads", AbcSource::Int, {0x81, 0x80, 0x80, 0x80, 0x70}, 1},
        {"more than five bytes", AbcSource::Uint, {0x81, 0x80, 0x80, 0x80, 0x80, 0x00}, std::nullopt},
        {"uint of three bytes, bit 20 set", AbcSource::Uint, {0xFF, 0xFF, 0x7F}, 0x1FFFFF},
        {"uint above 0xffffff", AbcSource::Uint, {0x80, 0x80, 0x80, 0x08}, std::nullopt},
        {"pushbyte 0x7f", AbcSource::Byte, {0x7F}, 0x7F},
        // pushbyte sign-extends: 0xff pushes -1.
        {"pushbyte 0xff", AbcSource::Byte, {0xFF}, std::nullopt},
        {"pushshort 0x7fff", AbcSource::Short, {0xFF, 0xFF, 0x01}, 0x7FFF},
        // Only the low 16 bits count, sign-extended: -32768.
        {"pushshort 0x8000", AbcSource::Short, {0x80, 0x80, 0x02}, std::nullopt},
        {"pushshort with bits above 16", AbcSource::Short, {0x81, 0x80, 0x04}, 1},
        {"double 16711680", AbcSource::Double, {0, 0, 0, 0, 0, 0xE0, 0x6F, 0x41}, 0xFF0000},
        {"double 1.5", AbcSource::Double, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}, std::nullopt},
        {"double -0", AbcSource::Double, {0, 0, 0, 0, 0, 0, 0, 0x80}, 0},
    };
    for (const ColourRow& row : rows)
        EXPECT_EQ(AbcColourOf(row.source, row.bytes), row.colour) << row.name;
}

struct WriteRow {
    AbcSource source;
    std::size_t length;
    std::uint32_t colour;
    bool fits;
};

TEST(AbcPlaces, WritesInTheirOwnLengthOrNotAtAll)
{
    const WriteRow rows[] = {
        {AbcSource::Int, 1, 0x7F, true},
        {AbcSource::Int, 1, 0x80, false},
        {AbcSource::Int, 3, 0x1FFFFF, true},
        {AbcSource::Int, 3, 0x200000, false},
        {AbcSource::Int, 4, 0xFFFFFF, true},
        {AbcSource::Int, 5, 0x000001, true},
        {AbcSource::Uint, 3, 0x1FFFFF, true},
        {AbcSource::Uint, 3, 0x200000, false},
        {AbcSource::Byte, 1, 0x80, false},
        {AbcSource::Short, 2, 0x3FFF, true},
        {AbcSource::Short, 2, 0x4000, false},
        {AbcSource::Short, 3, 0x8000, false},
        {AbcSource::Double, 8, 0xFFFFFF, true},
    };
    for (const WriteRow& row : rows) {
        Bytes bytes(row.length, 0xAA);
        const Bytes before = bytes;
        EXPECT_EQ(WriteAbcColour(row.source, bytes, row.colour), row.fits)
            << static_cast<int>(row.source) << " " << row.length << " " << std::hex << row.colour;
        if (row.fits)
            EXPECT_EQ(AbcColourOf(row.source, bytes), row.colour);
        else
            EXPECT_EQ(bytes, before);
    }
}

TEST(AbcReaders, ReadsABuiltFileWithEveryEntryWhereItStands)
{
    CAbcBuilder abc;
    abc.Int(-1);
    abc.Int(0x336699, 5);
    abc.Uint(0xFFFFFFFF);
    abc.Double(0.5);
    const std::uint32_t name = abc.QName("flash.display", "Sprite");
    const std::uint32_t init = abc.Method(1, {{1, kAbcInt}});
    CAbcCode code;
    code.Op(kOpPushInt, 2).Op(kOpPop).Op(kOpReturnVoid);
    abc.Body(init, code, 1, 2, {{0, 2, 2, 0, 0}});
    abc.Script(init, {AbcTrait{name, kAbcTraitSlot, 1, 0, {2, kAbcInt}, {}}});
    const AbcLayout layout = abc.Build();
    constexpr std::uint32_t kAt = 1000;

    const AbcFile file = ReadAbcFile(layout.bytes, kAt);
    EXPECT_EQ(file.fault, AbcFault::None);
    EXPECT_EQ(file.majorVersion, kAbcMajorVersion);
    EXPECT_EQ(file.pool.ints,
        (std::vector<AbcVarint>{{kAt + layout.ints[0], 5, 0xFFFFFFFF}, {kAt + layout.ints[1], 5, 0x336699}}));
    EXPECT_EQ(file.pool.uints, (std::vector<AbcVarint>{{kAt + layout.uints[0], 5, 0xFFFFFFFF}}));
    EXPECT_EQ(file.pool.doubles, (std::vector<AbcDouble>{{kAt + layout.doubles[0], 0.5}}));
    EXPECT_EQ(file.pool.strings, (std::vector<std::string_view>{"Sprite", "flash.display"}));
    ASSERT_EQ(file.pool.multinames.size(), 1u);
    EXPECT_EQ(file.pool.strings[file.pool.multinames[0].name - 1], "Sprite");
    ASSERT_EQ(file.methods.size(), 1u);
    EXPECT_EQ(file.methods[0].options, (std::vector<AbcValueRef>{{1, kAbcInt}}));
    ASSERT_EQ(file.scripts.size(), 1u);
    EXPECT_EQ(file.scripts[0].traits[0].value, (AbcValueRef{2, kAbcInt}));
    ASSERT_EQ(file.bodies.size(), 1u);
    EXPECT_EQ(file.bodies[0].codePos, kAt + layout.codes[0]);
    EXPECT_EQ(file.bodies[0].code.size(), code.Size());
    EXPECT_EQ(file.bodies[0].exceptions, (std::vector<AbcException>{{0, 2, 2, 0, 0}}));
}

TEST(AbcReaders, EveryCutOfAFileFaultsInsideIt)
{
    std::uint32_t entry = 0;
    const Bytes movie = BuildAbcDrawingMovie(0xFF0000, false, 0, &entry);
    const auto tags = MainTags(movie);
    const auto doAbc = std::find_if(tags.begin(), tags.end(), [](const TagSpan& t) { return t.code == 82; });
    ASSERT_NE(doAbc, tags.end());
    const auto abc = std::span(movie).subspan(doAbc->begin + 5, doAbc->end - doAbc->begin - 5);
    ASSERT_EQ(ReadAbcFile(abc, 0).fault, AbcFault::None);
    // Whatever the cut, the reader stops at the cut and finds no colour in
    // a block the player would refuse.
    for (std::size_t n = 0; n < abc.size(); ++n) {
        const AbcFile file = ReadAbcFile(abc.first(n), 0);
        EXPECT_NE(file.fault, AbcFault::None) << n;
        EXPECT_LE(file.faultPos, n) << n;
        EXPECT_TRUE(FindAbcColours(abc.first(n), 0).places.empty()) << n;
    }
}

struct FaultRow {
    const char* name;
    Bytes abc;
    AbcFault fault;
    std::uint32_t faultPos;
};

TEST(AbcReaders, BlocksThatLieEndAtTheirFault)
{
    const FaultRow rows[] = {
        {"a later major version", {16, 0, 47, 0, 0, 0, 0}, AbcFault::Version, 2},
        {"an int pool of 2^30 - 1 entries in two bytes", {16, 0, 46, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x03, 0x05, 0x06},
            AbcFault::Truncated, 11},
        {"a count of 2^30", {16, 0, 46, 0, 0x80, 0x80, 0x80, 0x80, 0x04}, AbcFault::Malformed, 4},
        {"a six-byte number", {16, 0, 46, 0, 2, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00}, AbcFault::Malformed, 9},
        {"an unknown multiname kind", {16, 0, 46, 0, 0, 0, 0, 0, 0, 0, 2, 0x42}, AbcFault::Malformed, 11},
        {"a string past the end", {16, 0, 46, 0, 0, 0, 0, 2, 0x7F, 'a'}, AbcFault::Truncated, 9},
    };
    for (const FaultRow& row : rows) {
        const AbcFile file = ReadAbcFile(row.abc, 0);
        EXPECT_EQ(file.fault, row.fault) << row.name;
        EXPECT_EQ(file.faultPos, row.faultPos) << row.name;
    }
}

TEST(AbcInstructions, StepsOverEveryOperandLayout)
{
    CAbcCode code;
    code.Op(kOpLookupSwitch).S24(-1).U30(2).S24(0).S24(4).S24(8); // 1 + 3 + 1 + 9
    code.Op(kOpDebug).U8(1).U30(300).U8(2).U30(0);                // 1 + 1 + 2 + 1 + 1
    code.PushShort(5, 3);                                         // 1 + 3
    code.Op(kOpCallPropVoid, 1, 128);                             // 1 + 1 + 2
    code.Op(0xFF);
    CAbcCursor cursor(code.Bytes(), 50);
    std::vector<std::uint32_t> lengths;
    AbcInstruction ins;
    while (ReadInstruction(cursor, 50, ins))
        lengths.push_back(ins.length);
    EXPECT_EQ(lengths, (std::vector<std::uint32_t>{14, 6, 4, 4}));
    EXPECT_EQ(cursor.Fault(), AbcFault::Malformed);
    EXPECT_EQ(cursor.FaultPos(), 50u + 28u);
}

TEST(AbcReaders, EveryBlockOfTheCorpusIsReadToItsEnd)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    int blocks = 0;
    for (const std::string& path : CorpusMovies()) {
        CRecordingSink messages;
        CSwfFile movie(messages);
        CMemoryInputFile file(ReadBytes(CorpusDir() / path), path);
        if (!movie.Load(file))
            continue;
        const auto bytes = movie.Buffer();
        for (const TagSpan& tag : MainTags(bytes)) {
            if ((tag.code != 82 && tag.code != 72) || tag.end > bytes.size())
                continue;
            std::size_t start = tag.begin;
            if (tag.code == 82) {
                start += 4;
                while (start < tag.end && bytes[start] != 0)
                    ++start;
                ++start;
            }
            ++blocks;
            const auto abc = bytes.subspan(start, tag.end - start);
            const AbcColours colours = FindAbcColours(abc, static_cast<std::uint32_t>(start));
            EXPECT_EQ(colours.fault, AbcFault::None) << path << " at " << colours.faultPos;
            EXPECT_EQ(colours.unreadBodies, 0u) << path;
            for (const AbcColourPlace& place : colours.places)
                EXPECT_EQ(AbcColourOf(place.source, bytes.subspan(place.pos, place.length)), place.colour) << path;
        }
    }
    EXPECT_GT(blocks, 30);
}

} // namespace
} // namespace tintor::test
