// Text colours of DefineText and DefineEditText, and the glyph shapes of fonts.
#include "reader_fixture.h"

namespace tintor {
namespace {

using test::Here;

enum : std::uint16_t { kFont = 10, kText = 11, kEditText = 37, kFont2 = 48, kFont3 = 75 };

class TextReaderTest : public test::ReaderTest {};

// DefineText up to its glyph widths.
void TextHeader(CBitWriter& w, std::uint8_t glyphBits, std::uint8_t advanceBits)
{
    w.WriteWord(4);
    w.WriteRect({0, 1000, 0, 400});
    w.WriteMatrix(SwfMatrix{});
    w.WriteByte(glyphBits);
    w.WriteByte(advanceBits);
}

void GlyphEntries(CBitWriter& w, int count, int glyphBits, int advanceBits, std::uint32_t pattern)
{
    for (int i = 0; i < count; ++i) {
        w.WriteBits(pattern, glyphBits);
        w.WriteBits(pattern, advanceBits);
    }
    w.Align();
}

TEST_F(TextReaderTest, StyleRecordColoursAreTextColoursInRecordOrder)
{
    CMovieBuilder b;
    CBitWriter w;
    TextHeader(w, 8, 8);
    w.WriteByte(0x84); // has colour
    const auto first = Here(w);
    w.WriteRgb(0x11, 0x22, 0x33);
    w.WriteByte(3);
    // Glyph data made of bytes that would read as a coloured style record.
    GlyphEntries(w, 3, 8, 8, 0x84);
    w.WriteByte(0x8F); // font, colour, x and y offsets
    w.WriteWord(1);
    const auto second = Here(w);
    w.WriteRgb(0x44, 0x55, 0x66);
    w.WriteWord(100);
    w.WriteWord(200);
    w.WriteWord(240);
    w.WriteByte(1);
    GlyphEntries(w, 1, 8, 8, 0x84);
    w.WriteByte(0);
    const auto at = b.AddTag(kText, w.Take());
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(PositionsOf(0x20332211), PositionList{at + first});
    EXPECT_EQ(PositionsOf(0x20665544), PositionList{at + second});
    EXPECT_EQ(PositionCount(), 2u);
}

TEST_F(TextReaderTest, GlyphCountsOf128AndMoreAreGlyphCounts)
{
    // 200 glyphs after a style record, each entry the bytes 0x84 0x84; read
    // as a style record, the count would register glyph data as colours.
    CMovieBuilder b;
    CBitWriter w;
    TextHeader(w, 8, 8);
    w.WriteByte(0x84);
    const auto first = Here(w);
    w.WriteRgb(1, 2, 3);
    w.WriteByte(200);
    GlyphEntries(w, 200, 8, 8, 0x84);
    w.WriteByte(0x84);
    const auto second = Here(w);
    w.WriteRgb(4, 5, 6);
    w.WriteByte(0); // a style record without glyphs
    w.WriteByte(0x84);
    const auto third = Here(w);
    w.WriteRgb(7, 8, 9);
    w.WriteByte(255);
    GlyphEntries(w, 255, 8, 8, 0x84);
    w.WriteByte(0);
    const auto at = b.AddTag(kText, w.Take());
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(PositionsOf(0x20030201), PositionList{at + first});
    EXPECT_EQ(PositionsOf(0x20060504), PositionList{at + second});
    EXPECT_EQ(PositionsOf(0x20090807), PositionList{at + third});
    EXPECT_EQ(PositionCount(), 3u);
}

TEST_F(TextReaderTest, GlyphAndAdvanceWidthsOfAnyByteValueAreSteppedOver)
{
    CMovieBuilder b;
    for (std::uint8_t bits : {0, 1, 31, 32, 40, 255}) {
        CBitWriter w;
        TextHeader(w, bits, bits);
        w.WriteByte(0x84);
        w.WriteRgb(bits, 0, 0);
        w.WriteByte(2);
        GlyphEntries(w, 2, 0, 0, 0);
        w.WriteBytes(std::vector<std::uint8_t>((2u * bits * 2 + 7) / 8, 0x55));
        w.WriteByte(0x84);
        w.WriteRgb(bits, 1, 0);
        w.WriteByte(0);
        w.WriteByte(0);
        b.AddTag(kText, w.Take());
    }
    ASSERT_TRUE(Load(b.Build()));
    for (std::uint32_t bits : {0, 1, 31, 32, 40, 255}) {
        EXPECT_EQ(PositionsOf(KIND_TEXT | bits).size(), 1u) << bits;
        EXPECT_EQ(PositionsOf(KIND_TEXT | 0x100 | bits).size(), 1u) << bits;
    }
}

struct EditText {
    std::uint8_t f1 = 0, f2 = 0;
    const char* fontClass = nullptr;
};

// A DefineEditText with the fields its flags announce; returns the body and
// the offset of the text colour's red byte (0 without one).
std::pair<std::vector<std::uint8_t>, std::uint32_t> EditTextBody(const EditText& e, bool classFieldPresent)
{
    CBitWriter w;
    w.WriteWord(9);
    w.WriteRect({-40, 2000, -40, 500});
    w.WriteByte(e.f1);
    w.WriteByte(e.f2);
    if (e.f1 & 0x01)
        w.WriteWord(2);
    if (classFieldPresent)
        w.WriteString(e.fontClass);
    if ((e.f1 & 0x01) || classFieldPresent)
        w.WriteWord(240);
    std::uint32_t colour = 0;
    if (e.f1 & 0x04) {
        colour = Here(w);
        w.WriteRgba(0xAB, 0xCD, 0xEF, 0x12);
    }
    if (e.f1 & 0x02)
        w.WriteWord(50);
    if (e.f2 & 0x20)
        w.WriteBytes(std::vector<std::uint8_t>{0x01, 0x84, 0x84, 0x84, 0x84, 0x84, 0x84, 0x84, 0x84});
    w.WriteString("var");
    if (e.f1 & 0x80)
        w.WriteString("hello");
    return {w.Take(), colour};
}

TEST_F(TextReaderTest, EditTextColourFollowsTheFieldsItsFlagsAnnounce)
{
    for (int f1 = 0; f1 < 256; ++f1) {
        for (std::uint8_t f2 : {0x00, 0x20, 0x7F}) {
            CMovieBuilder b;
            const auto [body, colour] = EditTextBody({static_cast<std::uint8_t>(f1), f2}, false);
            const auto at = b.AddTag(kEditText, body);
            ASSERT_TRUE(Load(b.Build()));
            if (f1 & 0x04) {
                EXPECT_EQ(m_movie.Colors().Keys(), std::vector<ColorKey>{0x20EFCDAB}) << f1 << " " << int{f2};
                EXPECT_EQ(PositionsOf(0x20EFCDAB), PositionList{at + colour});
            } else {
                EXPECT_TRUE(m_movie.Colors().Empty()) << f1;
            }
            // The border flag (0x08 of the second byte): a box the player draws.
            EXPECT_EQ(m_movie.Account().textBoxes, (f2 & 0x08) ? 1u : 0u) << f1 << " " << int{f2};
        }
    }
    // Has font and has text colour: the red byte four bytes after the flags.
    const auto [body, colour] = EditTextBody({0x05, 0}, false);
    EXPECT_EQ(body[colour - 6], 0x05);
    EXPECT_EQ(body[colour - 5], 0x00);
}

TEST_F(TextReaderTest, EditTextFontClassStandsWhereTheFontIdWouldFromVersion9)
{
    for (std::uint8_t f1 : {0x04, 0x05, 0x87}) {
        for (std::uint8_t version : {9, 10, 32}) {
            CMovieBuilder b(version);
            const auto [body, colour] = EditTextBody({f1, 0x80, "fonts.Sans"}, true);
            const auto at = b.AddTag(kEditText, body);
            ASSERT_TRUE(Load(b.Build()));
            EXPECT_EQ(m_movie.Colors().Keys(), std::vector<ColorKey>{0x20EFCDAB}) << int{f1} << " v" << int{version};
            EXPECT_EQ(PositionsOf(0x20EFCDAB), PositionList{at + colour});
        }
        // Before version 9 the bit is reserved: no class name is read.
        CMovieBuilder old(8);
        const auto [body, colour] = EditTextBody({f1, 0x80, nullptr}, false);
        const auto at = old.AddTag(kEditText, body);
        ASSERT_TRUE(Load(old.Build()));
        EXPECT_EQ(PositionsOf(0x20EFCDAB), PositionList{at + colour}) << int{f1};
    }
}

// One glyph shape: index widths, a new-styles record with one fill and one
// line colour (RGB) when asked, and the end record. Returns the colours'
// offsets within the glyph.
std::vector<std::uint8_t> Glyph(std::uint8_t colour, std::uint32_t* fill = nullptr, std::uint32_t* line = nullptr)
{
    CBitWriter w;
    w.WriteBits(1, 4);
    w.WriteBits(1, 4);
    if (colour) {
        w.WriteBits(0, 1);
        w.WriteBits(0x10, 5);
        w.WriteByte(1);
        w.WriteByte(0x00);
        if (fill)
            *fill = Here(w);
        w.WriteRgb(colour, 0, 0);
        w.WriteByte(1);
        w.WriteWord(20);
        if (line)
            *line = Here(w);
        w.WriteRgb(colour, 0, 0);
        w.WriteByte(0x11);
    }
    // A straight edge and the end record.
    w.WriteBits(0x3, 2);
    w.WriteBits(0, 4);
    w.WriteBits(1, 1);
    w.WriteSBits(1, 2);
    w.WriteSBits(-1, 2);
    w.WriteBits(0, 6);
    return w.Take();
}

TEST_F(TextReaderTest, FontGlyphsRegisterOnlyTheirNewStylesColours)
{
    std::uint32_t fill = 0, line = 0;
    const auto plain = Glyph(0);
    const auto coloured = Glyph(0x77, &fill, &line);

    // DefineFont: the first offset gives the glyph count.
    CBitWriter font;
    font.WriteWord(1);
    const std::uint32_t table = Here(font);
    font.WriteWord(4);
    font.WriteWord(static_cast<std::uint16_t>(4 + plain.size()));
    font.WriteBytes(plain);
    const std::uint32_t second = Here(font);
    font.WriteBytes(coloured);

    // DefineFont2 with wide offsets and a code table after the glyphs.
    CBitWriter font2;
    font2.WriteWord(2);
    font2.WriteByte(0x08 | 0x04);
    font2.WriteByte(1);
    font2.WriteByte(4);
    font2.WriteBytes(std::vector<std::uint8_t>{'S', 'a', 'n', 's'});
    font2.WriteWord(2);
    const std::uint32_t table2 = Here(font2);
    font2.WriteDWord(12);
    font2.WriteDWord(static_cast<std::uint32_t>(12 + coloured.size()));
    font2.WriteDWord(static_cast<std::uint32_t>(12 + coloured.size() + plain.size()));
    const std::uint32_t first2 = Here(font2);
    font2.WriteBytes(coloured);
    font2.WriteBytes(plain);
    font2.WriteWord('A');
    font2.WriteWord('B');

    // DefineFont3 is laid out as DefineFont2; the classic rule skips it.
    CMovieBuilder b;
    const auto at = b.AddTag(kFont, font.Take());
    const auto font2Body = font2.Take();
    const auto at2 = b.AddTag(kFont2, font2Body);
    const auto at3 = b.AddTag(kFont3, font2Body);
    ASSERT_TRUE(Load(b.Build(), CollectionRule::Classic));
    EXPECT_EQ(second, table + 4 + plain.size());
    EXPECT_EQ(first2, table2 + 12);
    EXPECT_EQ(PositionsOf(0x10000077), (PositionList{at + second + fill, at2 + first2 + fill}));
    EXPECT_EQ(PositionsOf(0x40000077), (PositionList{at + second + line, at2 + first2 + line}));
    EXPECT_EQ(PositionCount(), 4u);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(PositionsOf(0x10000077), (PositionList{at + second + fill, at2 + first2 + fill, at3 + first2 + fill}));
    EXPECT_EQ(PositionsOf(0x40000077), (PositionList{at + second + line, at2 + first2 + line, at3 + first2 + line}));
}

TEST_F(TextReaderTest, Font2WithoutGlyphsAndWithNarrowOffsets)
{
    std::uint32_t fill = 0;
    const auto coloured = Glyph(0x42, &fill);
    CBitWriter none;
    none.WriteWord(1);
    none.WriteByte(0);
    none.WriteByte(1);
    none.WriteByte(0);
    none.WriteWord(0);
    // A zero count reads no offsets, even where glyph-like bytes follow.
    none.WriteWord(2);
    none.WriteBytes(coloured);

    CBitWriter narrow;
    narrow.WriteWord(2);
    narrow.WriteByte(0);
    narrow.WriteByte(1);
    narrow.WriteByte(0);
    narrow.WriteWord(1);
    const std::uint32_t table = Here(narrow);
    narrow.WriteWord(4);
    narrow.WriteWord(static_cast<std::uint16_t>(4 + coloured.size()));
    narrow.WriteBytes(coloured);

    CMovieBuilder b;
    b.AddTag(kFont2, none.Take());
    const auto at = b.AddTag(kFont2, narrow.Take());
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(PositionsOf(0x10000042), PositionList{at + table + 4 + fill});
    EXPECT_EQ(PositionCount(), 2u);
}

TEST_F(TextReaderTest, FontOffsetsPointingAnywhereStayInTheTagAndEnd)
{
    std::uint32_t fill = 0;
    const auto coloured = Glyph(0x42, &fill);
    const std::uint8_t red[] = {0xFF, 0, 0};

    // Offsets backwards into the table, past the tag's end, and twice at the
    // same glyph; then a glyph that never meets its end record.
    CBitWriter font;
    font.WriteWord(1);
    const std::uint32_t table = Here(font);
    font.WriteWord(10);
    font.WriteWord(0);
    font.WriteWord(0xFFFF);
    font.WriteWord(10);
    font.WriteWord(10 + static_cast<std::uint16_t>(coloured.size()));
    font.WriteBytes(coloured);
    font.WriteBytes(std::vector<std::uint8_t>{0x11, 0xFF, 0xFF});

    // DefineFont2 claiming 65535 wide offsets, all pointing at one glyph.
    CBitWriter hostile;
    hostile.WriteWord(2);
    hostile.WriteByte(0x08);
    hostile.WriteByte(1);
    hostile.WriteByte(0);
    hostile.WriteWord(0xFFFF);
    const std::uint32_t hostileTable = Here(hostile);
    for (int i = 0; i < 0xFFFF; ++i)
        hostile.WriteDWord(4 * 0xFFFF);
    hostile.WriteBytes(coloured);

    CMovieBuilder b;
    const auto at = b.AddTag(kFont, font.Take());
    const auto atHostile = b.AddTag(kFont2, hostile.Take());
    const auto bg = b.AddTag(9, red);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(PositionsOf(0x800000FF), PositionList{bg});
    const PositionList positions = PositionsOf(0x10000042);
    // The DefineFont glyph is read twice, as its offset table says.
    ASSERT_GE(positions.size(), 3u);
    EXPECT_EQ(positions[0], at + table + 10 + fill);
    EXPECT_EQ(positions[1], at + table + 10 + fill);
    for (std::size_t i = 2; i < positions.size(); ++i)
        EXPECT_EQ(positions[i], atHostile + hostileTable + 4 * 0xFFFF + fill);
}

TEST_F(TextReaderTest, GlyphsSharingOneLongShapeAreNotWalkedWithoutEnd)
{
    // 1000 glyphs all point at one shape of 100,000 edge bytes: read glyph by
    // glyph that is 100 MB of records for a 102 KB tag. The glyphs stop once
    // they have walked the tag's bytes a few times over.
    std::uint32_t fill = 0;
    CBitWriter glyph;
    glyph.WriteBits(1, 4);
    glyph.WriteBits(1, 4);
    glyph.WriteBits(0, 1);
    glyph.WriteBits(0x10, 5);
    glyph.WriteByte(1);
    glyph.WriteByte(0x00);
    fill = Here(glyph);
    glyph.WriteRgb(0x42, 0, 0);
    glyph.WriteByte(0);
    glyph.WriteByte(0x11);
    for (int i = 0; i < 100000; ++i) {
        glyph.WriteBits(0x3, 2); // straight edge, 2-bit values, general
        glyph.WriteBits(0, 4);
        glyph.WriteBits(1, 1);
        glyph.WriteSBits(1, 2);
        glyph.WriteSBits(-1, 2);
    }
    glyph.WriteBits(0, 6);
    const auto shape = glyph.Take();

    CBitWriter font;
    font.WriteWord(2);
    font.WriteByte(0);
    font.WriteByte(1);
    font.WriteByte(0);
    font.WriteWord(1000);
    const std::uint32_t table = Here(font);
    for (int i = 0; i < 1001; ++i)
        font.WriteWord(2002);
    font.WriteBytes(shape);
    CMovieBuilder b;
    const auto at = b.AddTag(kFont2, font.Take());
    ASSERT_TRUE(Load(b.Build()));
    const PositionList positions = PositionsOf(0x10000042);
    ASSERT_FALSE(positions.empty());
    EXPECT_LE(positions.size(), 10u);
    EXPECT_EQ(positions.front(), at + table + 2002 + fill);
}

} // namespace
} // namespace tintor
