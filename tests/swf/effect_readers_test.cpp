// Filter colours, opaque backgrounds, tints and HTML text colours: where the
// walk finds them, what it counts instead, and the bytes written back.
#include "reader_fixture.h"
#include "swf/cxform_record.h"
#include "swf/html_colours.h"

#include <algorithm>
#include <map>

namespace tintor {
namespace {

using test::Here;

constexpr std::uint16_t kSetBackgroundColor = 9;
constexpr std::uint16_t kPlaceObject2 = 26;
constexpr std::uint16_t kDefineButton2 = 34;
constexpr std::uint16_t kDefineEditText = 37;
constexpr std::uint16_t kPlaceObject3 = 70;

// Expected filter colours of a body: key to offsets in the body.
using Expected = std::map<ColorKey, std::vector<std::uint32_t>>;

void Rgba(CBitWriter& w, std::uint8_t red, Expected& expected)
{
    expected[KIND_FILTER | red | 0x22u << 8 | 0x33u << 16].push_back(Here(w));
    w.WriteRgba(red, 0x22, 0x33, 0x80);
}

void Zeros(CBitWriter& w, std::size_t n) { w.WriteBytes(std::vector<std::uint8_t>(n, 0x5A)); }

// One filter of every id: drop shadow, blur, glow, bevel, gradient glow,
// convolution, colour matrix, gradient bevel.
void EveryFilter(CBitWriter& w, Expected& expected)
{
    w.WriteByte(8);
    w.WriteByte(0);
    Rgba(w, 0x10, expected);
    Zeros(w, 19);
    w.WriteByte(1);
    Zeros(w, 9);
    w.WriteByte(2);
    Rgba(w, 0x20, expected);
    Zeros(w, 11);
    w.WriteByte(3);
    Rgba(w, 0x30, expected);
    Rgba(w, 0x31, expected);
    Zeros(w, 19);
    w.WriteByte(4);
    w.WriteByte(2);
    Rgba(w, 0x40, expected);
    Rgba(w, 0x41, expected);
    Zeros(w, 2 + 19);
    w.WriteByte(5);
    w.WriteByte(2);
    w.WriteByte(3);
    Zeros(w, 8 + 2 * 3 * 4);
    Rgba(w, 0x50, expected);
    w.WriteByte(0);
    w.WriteByte(6);
    Zeros(w, 80);
    w.WriteByte(7);
    w.WriteByte(1);
    Rgba(w, 0x70, expected);
    Zeros(w, 1 + 19);
}

Expected Shifted(const Expected& expected, std::uint32_t by)
{
    Expected shifted;
    for (const auto& [key, offsets] : expected)
        for (const std::uint32_t o : offsets)
            shifted[key].push_back(o + by);
    return shifted;
}

class EffectReaderTest : public test::ReaderTest {
protected:
    Expected FilterColours() const
    {
        Expected found;
        m_movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
            if (KindOf(key) == KIND_FILTER)
                found[key] = positions;
        });
        return found;
    }
};

TEST_F(EffectReaderTest, EveryFilterAndTheOpaqueBackgroundOfPlaceObject3)
{
    for (const bool visible : {true, false}) {
        SCOPED_TRACE(visible);
        Expected expected;
        CBitWriter w;
        w.WriteByte(0x06);                  // character, matrix
        w.WriteByte(visible ? 0x67 : 0x47); // filters, blend, cache, (visible,) background
        w.WriteWord(1);
        w.WriteWord(2);
        w.WriteMatrix({});
        EveryFilter(w, expected);
        w.WriteByte(3); // blend mode
        w.WriteByte(1); // cache as bitmap
        if (visible)
            w.WriteByte(1);
        Rgba(w, 0x60, expected);
        CMovieBuilder b(10);
        const auto at = b.AddTag(kPlaceObject3, w.Take());
        ASSERT_TRUE(Load(b.Build()));
        EXPECT_EQ(FilterColours(), Shifted(expected, at));
        EXPECT_EQ(m_movie.Account().colourMatrixFilters, 1u);

        ASSERT_TRUE(Load(b.Build(), CollectionRule::Classic));
        EXPECT_TRUE(m_movie.Colors().Empty());
        EXPECT_EQ(m_movie.Account().uncollectedFilterColours, 9u);
    }
}

TEST_F(EffectReaderTest, FilterListsOfButtonRecordsFromVersion8)
{
    for (const std::uint8_t version : {8, 7}) {
        Expected expected;
        CBitWriter w;
        w.WriteWord(5);
        w.WriteByte(0);
        w.WriteWord(0); // no actions
        for (const std::uint8_t red : {0x90, 0xA0}) {
            w.WriteByte(0x31); // blend mode, filter list, up state
            w.WriteWord(1);
            w.WriteWord(1);
            w.WriteMatrix({});
            w.WriteCxform({}, true);
            w.WriteByte(1);
            w.WriteByte(2); // glow
            Rgba(w, red, expected);
            Zeros(w, 11);
            w.WriteByte(1); // blend mode
        }
        w.WriteByte(0);
        CMovieBuilder b(version);
        const auto at = b.AddTag(kDefineButton2, w.Take());
        ASSERT_TRUE(Load(b.Build()));
        // Before version 8 the flags are reserved and nothing follows the transform.
        EXPECT_EQ(FilterColours(), version == 8 ? Shifted(expected, at) : Expected{}) << int{version};
    }
}

struct TintCase {
    const char* name;
    SwfCxform cx;
    bool hasAdd;
    int bits;
    std::uint32_t key; // 0: no tint
    bool room;
};

SwfCxform Cx(std::int16_t mr, std::int16_t mg, std::int16_t mb, std::int16_t ar, std::int16_t ag, std::int16_t ab)
{
    SwfCxform c;
    c.redMult = mr;
    c.greenMult = mg;
    c.blueMult = mb;
    c.redAdd = ar;
    c.greenAdd = ag;
    c.blueAdd = ab;
    return c;
}

TEST_F(EffectReaderTest, TintsAndTheTransformsThatAreNone)
{
    // Colours worked out by hand: c = (add * 256 + (256 - m) / 2) / (256 - m), at most 255.
    const TintCase cases[] = {
        {"10 bits", Cx(128, 128, 128, 100, 50, 0), true, 10, KIND_TINT | 0x0064C8, true},
        {"9 bits", Cx(200, 200, 200, 10, 20, 30), true, 9, KIND_TINT | 0x895B2E, true},
        {"8 bits", Cx(100, 100, 100, 39, 0, 78), true, 8, KIND_TINT | 0x800040, false},
        {"15 bits, clamped", Cx(128, 128, 128, 16383, 0, 0), true, 15, KIND_TINT | 0x0000FF, true},
        {"full tint", Cx(0, 0, 0, 255, 255, 0), true, 10, KIND_TINT | 0x00FFFF, true},
        {"multipliers differ", Cx(128, 128, 100, 10, 10, 10), true, 10, 0, false},
        {"an add term below 0", Cx(128, 128, 128, 10, -1, 10), true, 10, 0, false},
        {"no add terms", Cx(128, 128, 128, 0, 0, 0), false, 10, 0, false},
        {"multiplier 256", Cx(256, 256, 256, 10, 10, 10), true, 10, 0, false},
        {"negative multiplier", Cx(-256, -256, -256, 255, 255, 255), true, 10, 0, false},
    };
    for (const TintCase& c : cases) {
        SCOPED_TRACE(c.name);
        CBitWriter w;
        w.WriteByte(0x0C); // matrix, colour transform
        w.WriteWord(1);
        w.WriteMatrix({});
        w.Align();
        const std::uint32_t record = Here(w);
        w.WriteCxform(c.cx, true, c.hasAdd, true, c.bits);
        CMovieBuilder b;
        const auto at = b.AddTag(kPlaceObject2, w.Take());
        const std::uint8_t marker[] = {1, 2, 3};
        const auto bg = b.AddTag(kSetBackgroundColor, marker);
        ASSERT_TRUE(Load(b.Build()));
        EXPECT_EQ(PositionsOf(KIND_BG | 0x030201), PositionList{bg});
        const ColourAccount& account = m_movie.Account();
        if (c.key == 0) {
            EXPECT_EQ(m_movie.Colors().Size(), 1u);
            EXPECT_EQ(account.colourTransforms, 1u);
            continue;
        }
        EXPECT_EQ(PositionsOf(c.key), PositionList{at + record});
        EXPECT_EQ(m_movie.ColourAt(at + record), RgbOf(c.key));
        EXPECT_EQ(account.tintsWithoutRoom, c.room ? 0u : 1u);
        ASSERT_TRUE(Load(b.Build(), CollectionRule::Classic));
        EXPECT_EQ(m_movie.Colors().Size(), 1u);
        EXPECT_EQ(m_movie.Account().uncollectedTints, 1u);
    }
}

TEST(TintArithmetic, AddTermsGiveBackTheColourTheyCameFrom)
{
    // Every add term whose colour is below the clamp comes back from it, so
    // writing a tint's own colour changes nothing.
    for (std::int32_t m = 0; m < 256; ++m)
        for (std::int32_t add = 0; add < 256; ++add) {
            const std::uint32_t c = TintChannel(add, m);
            if (c < 255) {
                ASSERT_EQ(TintAddTerm(c, m), add) << m << " " << add;
            }
        }
    EXPECT_EQ(TintAddTerms(0xFF8000, 128), (std::array<std::int32_t, 3>{0, 64, 128}));
    EXPECT_EQ(TintAddTerms(0xFFFFFF, 0), (std::array<std::int32_t, 3>{255, 255, 255}));
}

// The add terms of the tint record at a movie position.
std::array<std::int32_t, 4> AddTerms(const CSwfFile& movie, std::uint32_t pos)
{
    return ParseCxformRecord(movie.Buffer().subspan(pos), true)->add;
}

TEST_F(EffectReaderTest, ATweenOfOneTintIsOneColourWrittenInEachRecordsOwnWidth)
{
    // Red at three strengths: each frame's own multiplier, one colour (the
    // second one's clamped from 400).
    const struct {
        std::int16_t mult, add;
        int bits;
        std::array<std::int32_t, 4> green; // the add terms for pure green
    } frames[] = {{0, 255, 10, {0, 255, 0, 0}}, {128, 200, 9, {0, 128, 0, 0}}, {192, 64, 9, {0, 64, 0, 0}}};
    CMovieBuilder b;
    PositionList places;
    for (const auto& f : frames) {
        CBitWriter w;
        w.WriteByte(0x08);
        w.WriteWord(1);
        const std::uint32_t record = Here(w);
        SwfCxform cx = Cx(f.mult, f.mult, f.mult, f.add, 0, 0);
        cx.alphaMult = 200; // kept as it is
        w.WriteCxform(cx, true, true, true, f.bits);
        places.push_back(b.AddTag(kPlaceObject2, w.Take()) + record);
    }
    const auto bytes = b.Build();
    ASSERT_TRUE(Load(bytes));
    ASSERT_EQ(PositionsOf(KIND_TINT | 0x0000FF), places);

    for (std::size_t i = 0; i < places.size(); ++i)
        ASSERT_TRUE(m_movie.WriteColour(places[i], 0x00FF00));
    const auto after = m_movie.Buffer();
    ASSERT_EQ(after.size(), bytes.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        EXPECT_EQ(AddTerms(m_movie, places[i]), frames[i].green) << i;
        EXPECT_EQ(ParseCxformRecord(after.subspan(places[i]), true)->mult[3], 200);
    }
    // Outside the records nothing moved; writing red back restores them.
    for (std::size_t p = 0; p < bytes.size(); ++p) {
        const bool inRecord = std::any_of(
            places.begin(), places.end(), [&](std::uint32_t at) { return p >= at && p < at + m_movie.PlaceSize(at); });
        if (!inRecord) {
            ASSERT_EQ(after[p], bytes[p]) << p;
        }
    }
    for (const std::uint32_t p : places)
        ASSERT_TRUE(m_movie.WriteColour(p, 0x0000FF));
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), m_movie.Buffer().begin(), m_movie.Buffer().end()));
}

TEST_F(EffectReaderTest, ATintWithoutRoomKeepsItsTermsForColoursThatDoNotFit)
{
    CBitWriter w;
    w.WriteByte(0x08);
    w.WriteWord(1);
    const std::uint32_t record = Here(w);
    w.WriteCxform(Cx(100, 100, 100, 39, 0, 78), true, true, true, 8);
    CMovieBuilder b;
    const std::uint32_t at = b.AddTag(kPlaceObject2, w.Take()) + record;
    const auto bytes = b.Build();
    ASSERT_TRUE(Load(bytes));
    // White needs add terms of 155, past the 127 of 8 bits.
    EXPECT_FALSE(m_movie.WriteColour(at, 0xFFFFFF));
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), m_movie.Buffer().begin(), m_movie.Buffer().end()));
    // Grey 100 needs (100 * 156 + 128) / 256 = 61 each.
    EXPECT_TRUE(m_movie.WriteColour(at, 0x646464));
    EXPECT_EQ(AddTerms(m_movie, at), (std::array<std::int32_t, 4>{61, 61, 61, 0}));
}

TEST_F(EffectReaderTest, MalformedFilterListsAndTransformsEndTheirTagOnly)
{
    const auto placeWithFilters = [](std::initializer_list<std::uint8_t> list) {
        CBitWriter w;
        w.WriteByte(0x00);
        w.WriteByte(0x41); // filter list, opaque background
        w.WriteWord(1);
        w.WriteBytes(std::vector<std::uint8_t>(list));
        return w.Take();
    };
    const struct {
        const char* name;
        std::uint16_t code;
        std::vector<std::uint8_t> body;
        std::size_t colours; // filter colours wholly inside the tag
    } cases[] = {
        // The background after an unknown filter is not read.
        {"filter id 8", kPlaceObject3, placeWithFilters({1, 8, 0xAA, 0xBB, 0xCC, 0xFF}), 0},
        {"gradient count past the end", kPlaceObject3, placeWithFilters({1, 4, 255, 1, 2, 3, 4, 5, 6}), 1},
        {"filter count past the end", kPlaceObject3, placeWithFilters({200, 2, 9, 9, 9}), 1},
        // Nbits 15 announces 120 bits of terms; the tag ends after 8.
        {"transform cut short", kPlaceObject2, {0x08, 1, 0, 0xFF, 0xFF}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CMovieBuilder b(10);
        b.AddTag(c.code, c.body);
        const std::uint8_t marker[] = {1, 2, 3};
        const auto bg = b.AddTag(kSetBackgroundColor, marker);
        ASSERT_TRUE(Load(b.Build()));
        EXPECT_EQ(PositionsOf(KIND_BG | 0x030201), PositionList{bg});
        std::size_t colours = 0;
        for (const auto& [key, positions] : FilterColours()) {
            colours += positions.size();
            for (const std::uint32_t p : positions)
                EXPECT_LE(p + 3, bg - 2);
        }
        EXPECT_EQ(colours, c.colours);
        EXPECT_TRUE(m_movie.EncodedPlaces().empty());
    }
}

TEST(HtmlColours, ColorAttributesInsideTagsOnly)
{
    const struct {
        const char* html;
        std::vector<HtmlColour> hex;
        std::uint32_t others;
    } cases[] = {
        {R"(<font color="#ff0000">a</font>)", {{14, 0x0000FF, 0}}, 0},
        {R"(<P><FONT COLOR='#00FF00'>b</FONT></P>)", {{17, 0x00FF00, 0x0C}}, 0},
        {R"(<font size="9"  color = "#0000Ff">)", {{26, 0xFF0000, 0x10}}, 0},
        {R"(<font color="red"><font color="#f00"><font color=#ff0000>)", {}, 3},
        {R"(<font bgcolor="#ff0000"> color="#ff0000" )", {}, 0},
        {R"(<font color="#123456" face="x" color='#abcdef'>)", {{14, 0x563412, 0}, {39, 0xEFCDAB, 0}}, 0},
        {R"(<font color="#12345)", {}, 1},
    };
    for (const auto& c : cases) {
        const HtmlColours found = FindHtmlColours(c.html);
        EXPECT_EQ(found.hex, c.hex) << c.html;
        EXPECT_EQ(found.otherForms, c.others) << c.html;
    }
}

TEST_F(EffectReaderTest, HtmlTextColoursAreWrittenInTheirOwnLetterCase)
{
    const std::string text = R"(<p><font color="#FF0000">A</font><font color='#00ff00'>B</font></p>)";
    CBitWriter w;
    w.WriteWord(1);
    w.WriteRect({0, 100, 0, 100});
    w.WriteByte(0x84); // has text, has text colour
    w.WriteByte(0x02); // HTML
    w.WriteRgba(0xFF, 0, 0, 0xFF);
    w.WriteString("v");
    const std::uint32_t textAt = Here(w);
    w.WriteString(text);
    CMovieBuilder b;
    const auto at = b.AddTag(kDefineEditText, w.Take()) + textAt;
    ASSERT_TRUE(Load(b.Build()));
    const std::uint32_t upper = at + 17, lower = at + 47;
    EXPECT_EQ(PositionsOf(KIND_TEXT | 0x0000FF), (PositionList{at - 6, upper}));
    EXPECT_EQ(PositionsOf(KIND_TEXT | 0x00FF00), PositionList{lower});

    ASSERT_TRUE(m_movie.WriteColour(upper, 0xEFCDAB));
    ASSERT_TRUE(m_movie.WriteColour(lower, 0xEFCDAB));
    const auto buffer = m_movie.Buffer();
    EXPECT_EQ(std::string(buffer.begin() + upper, buffer.begin() + upper + 6), "ABCDEF");
    EXPECT_EQ(std::string(buffer.begin() + lower, buffer.begin() + lower + 6), "abcdef");
    EXPECT_EQ(std::string(buffer.begin() + upper + 6, buffer.begin() + lower), R"(">A</font><font color='#)");

    ASSERT_TRUE(Load(b.Build(), CollectionRule::Classic));
    EXPECT_EQ(m_movie.Colors().Keys(), std::vector<ColorKey>{KIND_TEXT | 0x0000FF});
    EXPECT_EQ(m_movie.Account().uncollectedHtmlColours, 2u);
}

} // namespace
} // namespace tintor
