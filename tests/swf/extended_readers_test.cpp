// The records that only the extended rule reads, as bytes worked out by
// hand with the offsets of their colours, and what the classic rule makes
// of the same bytes. RECTs and MATRIXes are the one-byte empty ones; every
// colour is RGBA with green 0x0A, blue 0x0B and alpha 0x80.
#include "reader_fixture.h"

#include <map>

namespace tintor {
namespace {

using Registry = std::map<ColorKey, PositionList>;

struct Found {
    ColorKey key;
    std::uint32_t at; // offset in the tag body
};

struct Case {
    const char* name;
    std::uint16_t code;
    std::vector<std::uint8_t> body;
    std::vector<Found> extended;
    std::vector<Found> classic;
};

#define RGBA(red) red, 0x0A, 0x0B, 0x80
constexpr ColorKey F(std::uint8_t red) { return KIND_FILL | 0x0B0A00u | red; }
constexpr ColorKey L(std::uint8_t red) { return KIND_LINE | 0x0B0A00u | red; }
constexpr ColorKey T(std::uint8_t red) { return KIND_TEXT | 0x0B0A00u | red; }
// LINESTYLE2 flag words, with start cap, no-v-scale, pixel hinting, no-close
// and end cap set: miter join; round join with a fill; bevel join with a fill.
#define MITER 0x63, 0x06
#define ROUND_FILL 0x4B, 0x06
#define BEVEL_FILL 0x5B, 0x06

const Case kCases[] = {
    {"DefineShape4: focal gradient, LINESTYLE2s mitered and filled, new styles", 83,
        {1, 0, 0x00, 0x00, 0x05,                     // id, bounds, edge bounds, flags
            1, 0x13, 0x00, 0x52,                     // focal gradient: reflect, linear RGB, 2 records
            0x00, RGBA(0x01), 0xFF, RGBA(0x02),      // @10, @15
            0x80, 0xFF,                              // focal point
            3, 20, 0, MITER, 0xEE, 0xEE, RGBA(0x11), // miter limit, colour @28
            40, 0, ROUND_FILL, 0x10, 0x00, 2, 0x00, RGBA(0x12), 0xFF, RGBA(0x13), // @40, @45
            60, 0, BEVEL_FILL, 0x00, RGBA(0x14),                                  // @54
            0x12, 0x40,                                 // index widths 1/2; a new-styles record
            0, 1, 10, 0, MITER, 0x34, 0x12, RGBA(0x15), // @68
            0x01, 0x00},                                // widths, end record
        {{F(0x01), 10}, {F(0x02), 15}, {L(0x11), 28}, {L(0x12), 40}, {L(0x13), 45}, {L(0x14), 54}, {L(0x15), 68}}, {}},
    {"DefineMorphShape2: focal gradient, MORPHLINESTYLE2 of both forms", 84,
        {2, 0, 0x00, 0x00, 0x00, 0x00, 0x01, 53, 0, 0, 0,               // id, four bounds, flags, offset
            1, 0x13, 0x00, 0x00, 0x81,                                  // focal gradient: repeat, 1 record
            0x00, RGBA(0x21), 0xFF, RGBA(0x22),                         // @17, @22
            0x40, 0x00, 0xC0, 0xFF,                                     // start and end focal points
            2, 20, 0, 40, 0, MITER, 0xEE, 0xEE, RGBA(0x23), RGBA(0x24), // @39, @43
            10, 0, 10, 0, ROUND_FILL, 0x00, RGBA(0x25), RGBA(0x26),     // @54, @58
            0x00, 0x00, 0x00, 0x00},                                    // start and end edges
        {{F(0x21), 17}, {F(0x22), 22}, {L(0x23), 39}, {L(0x24), 43}, {L(0x25), 54}, {L(0x26), 58}}, {}},
    {"DefineText2: style records with RGBA colours", 33,
        {3, 0, 0x00, 0x00, 8, 8,                                   // id, bounds, matrix, glyph and advance widths
            0x8D, 7, 0, RGBA(0x31), 100, 0, 240, 0, 1, 0x84, 0x84, // font, colour @9, x, height, a glyph
            0x84, RGBA(0x32), 1, 0x84, 0x84, 0},                   // colour @21, a glyph, end
        {{T(0x31), 9}, {T(0x32), 21}}, {}},
    // The classic rule reads the focal point's first byte as the line style
    // count and its second as the index widths, as it always has.
    {"DefineShape3: focal gradient", 32,
        {4, 0, 0x00, 1, 0x13, 0x00, 1, 0x00, RGBA(0x51), 0x00, 0x01, // @8, focal point 1.0
            1, 20, 0, RGBA(0x52), 0x00, 0x00},                       // @17, widths, end
        {{F(0x51), 8}, {L(0x52), 17}}, {{F(0x51), 8}}},
    // Linear-RGB interpolation (0x10) above a count of one. The classic rule
    // takes the whole byte for 17 records, as it always has, and reads the
    // line style and the edges as gradient records.
    {"DefineMorphShape: gradient modes above the count", 46,
        {5, 0, 0x00, 0x00, 30, 0, 0, 0,                                       // id, bounds, offset
            1, 0x10, 0x00, 0x00, 0x11, 0x00, RGBA(0x41), 0xFF, RGBA(0x42),    // @14, @19
            1, 20, 0, 40, 0, RGBA(0x43), RGBA(0x44), 0x00, 0x00, 0x00, 0x00}, // @28, @32; edges
        {{F(0x41), 14}, {F(0x42), 19}, {L(0x43), 28}, {L(0x44), 32}},
        {{F(0x41), 14}, {F(0x42), 19}, {KIND_FILL | 0x280014, 24}, {KIND_FILL | 0x800B0A, 29},
            {KIND_FILL | 0x00800B, 34}}},
};

#undef RGBA
#undef MITER
#undef ROUND_FILL
#undef BEVEL_FILL

class ExtendedReaderTest : public test::ReaderTest {
protected:
    Registry Walked() const
    {
        Registry registry;
        m_movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) { registry[key] = positions; });
        return registry;
    }
};

TEST_F(ExtendedReaderTest, NewRecordsRegisterTheirColoursUnderTheExtendedRuleOnly)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        // The tag on the main timeline, then inside a sprite that bounds it too.
        CMovieBuilder b;
        const std::uint32_t at = b.AddTag(c.code, c.body);
        auto sprite = test::Concat({std::vector<std::uint8_t>{9, 0, 1, 0}, TagBytes(c.code, c.body, true)});
        sprite.insert(sprite.end(), {0, 0});
        const std::uint32_t inSprite = b.AddTag(39, sprite) + 10;
        const auto movie = b.Build();
        for (const CollectionRule rule : {CollectionRule::Extended, CollectionRule::Classic}) {
            const bool extended = rule == CollectionRule::Extended;
            Registry expected;
            for (const std::uint32_t base : {at, inSprite})
                for (const Found& f : extended ? c.extended : c.classic)
                    expected[f.key].push_back(base + f.at);
            ASSERT_TRUE(Load(movie, rule));
            EXPECT_EQ(Walked(), expected) << (extended ? "extended" : "classic");
        }
    }
}

TEST_F(ExtendedReaderTest, MalformedNewRecordsStayInsideTheirTag)
{
    // Bodies of all ones, and each case cut in half.
    CMovieBuilder b;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> bodies;
    for (const std::uint16_t code : {83, 84, 33, 75}) {
        for (const Case& c : kCases) {
            const std::vector<std::uint8_t> half(c.body.begin(), c.body.begin() + c.body.size() / 2);
            for (const auto& body : {half, std::vector<std::uint8_t>(60, 0xFF)}) {
                const auto at = b.AddTag(code, body);
                bodies.emplace_back(at, at + static_cast<std::uint32_t>(body.size()));
            }
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
