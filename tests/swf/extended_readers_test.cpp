// The records that only the extended rule reads, with the positions of
// their colours, and what the classic rule makes of the same bytes.
#include "reader_fixture.h"

#include <map>

namespace tintor {
namespace {

using test::Here;

enum : std::uint16_t { kShape3 = 32, kText2 = 33, kMorph = 46, kFont3 = 75, kShape4 = 83, kMorph2 = 84 };
enum Join : unsigned { kRound = 0, kBevel = 1, kMiter = 2 };

// One colour the registry must hold: its key and its offset in the tag body.
struct Expected {
    ColorKey key;
    std::uint32_t at;
};

struct Case {
    const char* name;
    std::uint16_t code;
    std::vector<std::uint8_t> body;
    std::vector<Expected> extended;
    std::vector<Expected> classic;
};

// Writes an RGBA colour whose alpha differs from its key, and returns the
// offset of its red byte.
std::uint32_t Rgba(CBitWriter& w, std::uint8_t red)
{
    const std::uint32_t at = Here(w);
    w.WriteRgba(red, 0x0A, 0x0B, 0x80);
    return at;
}

// The flag word of LINESTYLE2 with caps, scaling and no-close set, so that
// only join and has-fill can matter; a miter join's limit reads as a
// colour if it is missed.
void LineStyle2Flags(CBitWriter& w, Join join, bool hasFill)
{
    w.WriteBits(1, 2); // start cap
    w.WriteBits(join, 2);
    w.WriteBits(hasFill, 1);
    w.WriteBits(0b011, 3); // no v-scale, pixel hinting
    w.WriteBits(0, 5);
    w.WriteBits(1, 1); // no close
    w.WriteBits(2, 2); // end cap
    if (join == kMiter)
        w.WriteWord(0xEEEE);
}

constexpr ColorKey Fill(std::uint8_t red) { return KIND_FILL | 0x0B0A00u | red; }
constexpr ColorKey Line(std::uint8_t red) { return KIND_LINE | 0x0B0A00u | red; }
constexpr ColorKey Text(std::uint8_t red) { return KIND_TEXT | 0x0B0A00u | red; }

Case Shape4()
{
    Case c{"DefineShape4 with LINESTYLE2s and a focal gradient", kShape4, {}, {}, {}};
    CBitWriter w;
    w.WriteWord(1);
    w.WriteRect({0, 2000, 0, 2000});
    w.WriteRect({20, 1980, 20, 1980}); // edge bounds
    w.WriteByte(0x05);                 // winding rule, scaling strokes
    // A focal gradient whose spread and interpolation modes stand above its
    // count of two records.
    w.WriteByte(1);
    w.WriteByte(0x13);
    w.WriteMatrix(SwfMatrix{});
    w.WriteByte(0x40 | 0x10 | 2);
    w.WriteByte(0);
    c.extended.push_back({Fill(0x01), Rgba(w, 0x01)});
    w.WriteByte(255);
    c.extended.push_back({Fill(0x02), Rgba(w, 0x02)});
    w.WriteWord(0xFF80); // focal point -0.5
    // A miter join with its limit, a gradient fill and a solid fill.
    w.WriteByte(3);
    w.WriteWord(20);
    LineStyle2Flags(w, kMiter, false);
    c.extended.push_back({Line(0x11), Rgba(w, 0x11)});
    w.WriteWord(40);
    LineStyle2Flags(w, kRound, true);
    w.WriteByte(0x10);
    w.WriteMatrix(SwfMatrix{});
    w.WriteByte(2);
    w.WriteByte(0);
    c.extended.push_back({Line(0x12), Rgba(w, 0x12)});
    w.WriteByte(255);
    c.extended.push_back({Line(0x13), Rgba(w, 0x13)});
    w.WriteWord(60);
    LineStyle2Flags(w, kBevel, true);
    w.WriteByte(0x00);
    c.extended.push_back({Line(0x14), Rgba(w, 0x14)});
    // Index widths 1 and 2, a new-styles record with one mitered LINESTYLE2,
    // then the end record.
    w.WriteBits(1, 4);
    w.WriteBits(2, 4);
    w.WriteBits(0, 1);
    w.WriteBits(0x10, 5);
    w.WriteByte(0);
    w.WriteByte(1);
    w.WriteWord(10);
    LineStyle2Flags(w, kMiter, false);
    c.extended.push_back({Line(0x15), Rgba(w, 0x15)});
    w.WriteBits(0, 4);
    w.WriteBits(1, 4);
    w.WriteBits(0, 6);
    c.body = w.Take();
    return c;
}

// A morph shape's id and bounds, the offset to its end edges, its styles
// as the writer gives them, and empty start and end edges.
template <typename Styles> std::vector<std::uint8_t> MorphBody(bool version2, Styles styles, std::uint32_t& stylesAt)
{
    CBitWriter head;
    head.WriteWord(2);
    for (int i = 0; i < (version2 ? 4 : 2); ++i)
        head.WriteRect({0, 100 * (i + 1), 0, 100});
    if (version2)
        head.WriteByte(0x01); // scaling strokes
    head.Align();
    stylesAt = Here(head) + 4;
    CBitWriter rest;
    styles(rest);
    rest.WriteByte(0x00);
    rest.WriteBits(0, 6);
    head.WriteDWord(static_cast<std::uint32_t>(Here(rest) + 1));
    rest.WriteByte(0x00);
    rest.WriteBits(0, 6);
    head.WriteBytes(rest.Take());
    return head.Take();
}

Case MorphShape2()
{
    Case c{"DefineMorphShape2 with MORPHLINESTYLE2s of both forms and a focal gradient", kMorph2, {}, {}, {}};
    std::vector<Expected> found;
    std::uint32_t at = 0;
    c.body = MorphBody(
        true,
        [&](CBitWriter& w) {
            w.WriteByte(1);
            w.WriteByte(0x13);
            w.WriteMatrix(SwfMatrix{});
            w.WriteMatrix(SwfMatrix{});
            w.WriteByte(0x80 | 1); // repeat, one record
            w.WriteByte(0);
            found.push_back({Fill(0x21), Rgba(w, 0x21)});
            w.WriteByte(255);
            found.push_back({Fill(0x22), Rgba(w, 0x22)});
            w.WriteWord(0x0040); // start focal point
            w.WriteWord(0xFFC0); // end focal point
            w.WriteByte(2);
            w.WriteWord(20);
            w.WriteWord(40);
            LineStyle2Flags(w, kMiter, false);
            found.push_back({Line(0x23), Rgba(w, 0x23)});
            found.push_back({Line(0x24), Rgba(w, 0x24)});
            w.WriteWord(10);
            w.WriteWord(10);
            LineStyle2Flags(w, kRound, true);
            w.WriteByte(0x00);
            found.push_back({Line(0x25), Rgba(w, 0x25)});
            found.push_back({Line(0x26), Rgba(w, 0x26)});
        },
        at);
    for (const Expected& e : found)
        c.extended.push_back({e.key, at + e.at});
    return c;
}

Case Text2()
{
    Case c{"DefineText2 style records with RGBA colours", kText2, {}, {}, {}};
    CBitWriter w;
    w.WriteWord(3);
    w.WriteRect({0, 1000, 0, 400});
    w.WriteMatrix(SwfMatrix{});
    w.WriteByte(8);
    w.WriteByte(8);
    w.WriteByte(0x8D); // font, colour, x offset
    w.WriteWord(7);
    c.extended.push_back({Text(0x31), Rgba(w, 0x31)});
    w.WriteWord(100);
    w.WriteWord(240);
    w.WriteByte(1);
    w.WriteWord(0x8484);
    w.WriteByte(0x84); // colour only
    c.extended.push_back({Text(0x32), Rgba(w, 0x32)});
    w.WriteByte(1);
    w.WriteWord(0x8484);
    w.WriteByte(0);
    c.body = w.Take();
    return c;
}

Case FocalInShape3()
{
    // The classic rule reads the focal point's first byte (0) as the line
    // style count and its second as the index widths, as it always has.
    Case c{"a focal gradient in a DefineShape3", kShape3, {}, {}, {}};
    CBitWriter w;
    w.WriteWord(4);
    w.WriteRect({0, 2000, 0, 2000});
    w.WriteByte(1);
    w.WriteByte(0x13);
    w.WriteMatrix(SwfMatrix{});
    w.WriteByte(1);
    w.WriteByte(0);
    const std::uint32_t fill = Rgba(w, 0x51);
    w.WriteByte(0x00);
    w.WriteByte(0x01); // focal point 1.0
    w.WriteByte(1);
    w.WriteWord(20);
    const std::uint32_t line = Rgba(w, 0x52);
    w.WriteByte(0x00);
    w.WriteBits(0, 6);
    c.body = w.Take();
    c.extended = {{Fill(0x51), fill}, {Line(0x52), line}};
    c.classic = {{Fill(0x51), fill}};
    return c;
}

class ExtendedReaderTest : public test::ReaderTest {
protected:
    std::map<ColorKey, PositionList> Registry() const
    {
        std::map<ColorKey, PositionList> registry;
        m_movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) { registry[key] = positions; });
        return registry;
    }
};

TEST_F(ExtendedReaderTest, NewRecordsRegisterTheirColoursUnderTheExtendedRuleOnly)
{
    for (const Case& c : {Shape4(), MorphShape2(), Text2(), FocalInShape3()}) {
        SCOPED_TRACE(c.name);
        CMovieBuilder b;
        const std::uint32_t at = b.AddTag(c.code, c.body);
        // The same tag inside a sprite is bounded by the sprite as well.
        CBitWriter sprite;
        sprite.WriteWord(9);
        sprite.WriteWord(1);
        const std::uint32_t inner = Here(sprite) + 6;
        sprite.WriteBytes(TagBytes(c.code, c.body, true));
        sprite.WriteWord(0);
        const std::uint32_t spriteAt = b.AddTag(39, sprite.Take()) + inner;
        const auto movie = b.Build();
        for (const CollectionRule rule : {CollectionRule::Extended, CollectionRule::Classic}) {
            const bool extended = rule == CollectionRule::Extended;
            std::map<ColorKey, PositionList> expected;
            for (const Expected& e : extended ? c.extended : c.classic)
                expected[e.key].push_back(at + e.at);
            for (const Expected& e : extended ? c.extended : c.classic)
                expected[e.key].push_back(spriteAt + e.at);
            ASSERT_TRUE(Load(movie, rule));
            EXPECT_EQ(Registry(), expected) << (extended ? "extended" : "classic");
        }
    }
}

TEST_F(ExtendedReaderTest, MorphGradientModesAreNoCountUnderTheExtendedRule)
{
    // Linear-RGB interpolation (0x10) above a count of one. The classic
    // rule takes the whole byte as the count, as it always has, and reads
    // the line style as gradient records.
    std::vector<Expected> found;
    std::uint32_t at = 0;
    const auto body = MorphBody(
        false,
        [&](CBitWriter& w) {
            w.WriteByte(1);
            w.WriteByte(0x10);
            w.WriteMatrix(SwfMatrix{});
            w.WriteMatrix(SwfMatrix{});
            w.WriteByte(0x10 | 1);
            w.WriteByte(0);
            found.push_back({Fill(0x41), Rgba(w, 0x41)});
            w.WriteByte(255);
            found.push_back({Fill(0x42), Rgba(w, 0x42)});
            w.WriteByte(1);
            w.WriteWord(20);
            w.WriteWord(40);
            found.push_back({Line(0x43), Rgba(w, 0x43)});
            found.push_back({Line(0x44), Rgba(w, 0x44)});
        },
        at);
    CMovieBuilder b;
    const std::uint32_t tag = b.AddTag(kMorph, body);
    const auto movie = b.Build();
    ASSERT_TRUE(Load(movie, CollectionRule::Extended));
    for (const Expected& e : found)
        EXPECT_EQ(PositionsOf(e.key), PositionList{tag + at + e.at}) << std::hex << e.key;
    EXPECT_EQ(PositionCount(), found.size());
    ASSERT_TRUE(Load(movie, CollectionRule::Classic));
    EXPECT_EQ(PositionsOf(Fill(0x41)), PositionList{tag + at + found[0].at});
    EXPECT_TRUE(PositionsOf(Line(0x43)).empty());
    EXPECT_TRUE(PositionsOf(Line(0x44)).empty());
}

TEST_F(ExtendedReaderTest, MalformedNewRecordsStayInsideTheirTag)
{
    // Counts of 65535 and bodies of all ones, each tag cut short by the next.
    CMovieBuilder b;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> bodies;
    for (const std::uint16_t code : {kShape4, kMorph2, kText2, kFont3}) {
        for (const auto& body : {std::vector<std::uint8_t>(60, 0xFF), Shape4().body, MorphShape2().body}) {
            const std::vector<std::uint8_t> cut(
                body.begin(), body.begin() + static_cast<std::ptrdiff_t>(body.size() / 2));
            const auto at = b.AddTag(code, cut);
            bodies.emplace_back(at, at + static_cast<std::uint32_t>(cut.size()));
        }
    }
    ASSERT_TRUE(Load(b.Build()));
    m_movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        for (std::uint32_t p : positions) {
            const bool inside
                = std::any_of(bodies.begin(), bodies.end(), [p](auto r) { return p >= r.first && p + 3 <= r.second; });
            EXPECT_TRUE(inside) << std::hex << key << " at " << p;
        }
    });
}

} // namespace
} // namespace tintor
