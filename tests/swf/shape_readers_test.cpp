// Fill and line colours of shapes and morph shapes, with their positions.
#include "reader_fixture.h"

#include <algorithm>

namespace tintor {
namespace {

using test::Here;

enum : std::uint16_t {
    kShape = 2,
    kBackground = 9,
    kShape2 = 22,
    kShape3 = 32,
    kMorph = 46,
    kShape4 = 83,
    kMorph2 = 84
};

class ShapeReaderTest : public test::ReaderTest {};

void ShapeHeader(CBitWriter& w)
{
    w.WriteWord(1);
    w.WriteRect({0, 2000, 0, 2000});
}

// Writes a colour and returns the offset of its red byte.
std::uint32_t Colour(
    CBitWriter& w, std::uint8_t r, std::uint8_t g, std::uint8_t b, bool withAlpha, std::uint8_t a = 0xFF)
{
    const std::uint32_t at = Here(w);
    withAlpha ? w.WriteRgba(r, g, b, a) : w.WriteRgb(r, g, b);
    return at;
}

// Index widths 0/0 and the end record.
void EmptyRecords(CBitWriter& w)
{
    w.WriteByte(0x00);
    w.WriteBits(0, 6);
}

TEST_F(ShapeReaderTest, AlphaIsNotPartOfTheKeyAndFillAndLineAreTwoKeys)
{
    CMovieBuilder b;
    CBitWriter first;
    ShapeHeader(first);
    first.WriteByte(1);
    first.WriteByte(0x00);
    const auto fill1 = Colour(first, 0x11, 0x22, 0x33, true, 0x80);
    first.WriteByte(1);
    first.WriteWord(20);
    const auto line = Colour(first, 0x11, 0x22, 0x33, true);
    EmptyRecords(first);
    const auto at1 = b.AddTag(kShape3, first.Take());

    CBitWriter second;
    ShapeHeader(second);
    second.WriteByte(1);
    second.WriteByte(0x00);
    const auto fill2 = Colour(second, 0x11, 0x22, 0x33, true, 0xFF);
    second.WriteByte(0);
    EmptyRecords(second);
    const auto at2 = b.AddTag(kShape3, second.Take());

    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(m_movie.Colors().Size(), 2u);
    EXPECT_EQ(PositionsOf(0x10332211), (PositionList{at1 + fill1, at2 + fill2}));
    EXPECT_EQ(PositionsOf(0x40332211), PositionList{at1 + line});
}

TEST_F(ShapeReaderTest, GradientRecordsAreFillsAfterTheirRatios)
{
    // A linear gradient of three records and a solid fill (RGB), then a
    // radial RGBA gradient whose count byte also carries an interpolation
    // mode (0x10): two records, and the line style after them is intact.
    CMovieBuilder b;
    CBitWriter w;
    ShapeHeader(w);
    w.WriteByte(2);
    w.WriteByte(0x10);
    SwfMatrix m;
    m.scaleX = 0x28000;
    m.translateX = 500;
    w.WriteMatrix(m);
    w.WriteByte(3);
    std::vector<std::uint32_t> fills;
    for (std::uint8_t i = 0; i < 3; ++i) {
        w.WriteByte(static_cast<std::uint8_t>(i * 127));
        fills.push_back(Colour(w, 0x10, 0x20, i, false));
    }
    w.WriteByte(0x00);
    fills.push_back(Colour(w, 0x10, 0x20, 0x99, false));
    w.WriteByte(0);
    EmptyRecords(w);
    const auto at = b.AddTag(kShape, w.Take());

    CBitWriter r;
    ShapeHeader(r);
    r.WriteByte(1);
    r.WriteByte(0x12);
    r.WriteMatrix(SwfMatrix{});
    r.WriteByte(0x12);
    r.WriteByte(0);
    const auto radial1 = Colour(r, 0xAA, 0, 0, true, 0x40);
    r.WriteByte(255);
    const auto radial2 = Colour(r, 0xBB, 0, 0, true);
    r.WriteByte(1);
    r.WriteWord(40);
    const auto line = Colour(r, 0xCC, 0, 0, true);
    EmptyRecords(r);
    const auto atRadial = b.AddTag(kShape3, r.Take());

    ASSERT_TRUE(Load(b.Build()));
    for (std::uint8_t i = 0; i < 3; ++i)
        EXPECT_EQ(PositionsOf(0x10002010 | std::uint32_t{i} << 16), PositionList{at + fills[i]});
    EXPECT_EQ(PositionsOf(0x10992010), PositionList{at + fills[3]});
    EXPECT_EQ(PositionsOf(0x100000AA), PositionList{atRadial + radial1});
    EXPECT_EQ(PositionsOf(0x100000BB), PositionList{atRadial + radial2});
    EXPECT_EQ(PositionsOf(0x400000CC), PositionList{atRadial + line});
    EXPECT_EQ(PositionCount(), 7u);
}

TEST_F(ShapeReaderTest, BitmapFillsRegisterNothingAndKeepTheFollowingStylesInStep)
{
    for (std::uint8_t type = 0x40; type <= 0x43; ++type) {
        CMovieBuilder b;
        CBitWriter w;
        ShapeHeader(w);
        w.WriteByte(3);
        w.WriteByte(0x00);
        const auto before = Colour(w, 1, 2, 3, false);
        w.WriteByte(type);
        w.WriteWord(7);
        SwfMatrix m;
        m.rotateSkew0 = 1234;
        m.translateY = -77;
        w.WriteMatrix(m);
        w.WriteByte(0x00);
        const auto after = Colour(w, 4, 5, 6, false);
        w.WriteByte(0);
        EmptyRecords(w);
        const auto at = b.AddTag(kShape2, w.Take());
        ASSERT_TRUE(Load(b.Build()));
        EXPECT_EQ(PositionsOf(0x10030201), PositionList{at + before}) << int{type};
        EXPECT_EQ(PositionsOf(0x10060504), PositionList{at + after}) << int{type};
        EXPECT_EQ(PositionCount(), 2u);
    }
}

TEST_F(ShapeReaderTest, ExtendedStyleCountsAreReadInEveryShapeVersion)
{
    for (std::uint16_t code : {kShape, kShape2, kShape3}) {
        const bool alpha = code == kShape3;
        CMovieBuilder b;
        CBitWriter w;
        ShapeHeader(w);
        w.WriteByte(0xFF);
        w.WriteWord(3);
        std::vector<std::uint32_t> fills;
        for (std::uint8_t i = 0; i < 3; ++i) {
            w.WriteByte(0x00);
            fills.push_back(Colour(w, i, 0, 0, alpha));
        }
        w.WriteByte(0xFF);
        w.WriteWord(2);
        std::vector<std::uint32_t> lines;
        for (std::uint8_t i = 0; i < 2; ++i) {
            w.WriteWord(20);
            lines.push_back(Colour(w, i, 0, 0, alpha));
        }
        EmptyRecords(w);
        const auto at = b.AddTag(code, w.Take());
        ASSERT_TRUE(Load(b.Build()));
        for (std::uint8_t i = 0; i < 3; ++i)
            EXPECT_EQ(PositionsOf(KIND_FILL | i), PositionList{at + fills[i]}) << code;
        for (std::uint8_t i = 0; i < 2; ++i)
            EXPECT_EQ(PositionsOf(KIND_LINE | i), PositionList{at + lines[i]}) << code;
        EXPECT_EQ(PositionCount(), 5u);
    }

    CMovieBuilder empty;
    CBitWriter w;
    ShapeHeader(w);
    w.WriteByte(0);
    w.WriteByte(0);
    EmptyRecords(w);
    empty.AddTag(kShape, w.Take());
    ASSERT_TRUE(Load(empty.Build()));
    EXPECT_TRUE(m_movie.Colors().Empty());
}

TEST_F(ShapeReaderTest, NewStylesRecordsRegisterTheirColoursAndSetTheIndexWidths)
{
    CMovieBuilder b;
    CBitWriter w;
    ShapeHeader(w);
    w.WriteByte(1);
    w.WriteByte(0x00);
    const auto a = Colour(w, 0xA0, 0, 0, false);
    w.WriteByte(0);
    w.WriteBits(1, 4); // fill index width
    w.WriteBits(0, 4); // line index width
    // Move-to, fill style 0 (1 bit) and new styles.
    w.WriteBits(0, 1);
    w.WriteBits(0x13, 5);
    w.WriteBits(4, 5);
    w.WriteSBits(-3, 4);
    w.WriteSBits(5, 4);
    w.WriteBits(1, 1);
    w.WriteByte(1);
    w.WriteByte(0x00);
    const auto bFill = Colour(w, 0xB0, 0, 0, false);
    w.WriteByte(1);
    w.WriteWord(20);
    const auto cLine = Colour(w, 0xC0, 0, 0, false);
    w.WriteBits(5, 4); // new fill index width
    w.WriteBits(3, 4); // new line index width
    // Fill style 1, line style with the new widths, then an edge, then
    // another new-styles record; it is found only if 5 + 3 bits were read.
    w.WriteBits(0, 1);
    w.WriteBits(0x0C, 5);
    w.WriteBits(17, 5);
    w.WriteBits(5, 3);
    w.WriteBits(1, 1); // edge
    w.WriteBits(1, 1); // straight
    w.WriteBits(3, 4); // 5-bit values
    w.WriteBits(1, 1); // general
    w.WriteSBits(-9, 5);
    w.WriteSBits(11, 5);
    w.WriteBits(0, 1);
    w.WriteBits(0x10, 5);
    w.WriteByte(1);
    w.WriteByte(0x00);
    const auto dFill = Colour(w, 0xD0, 0, 0, false);
    w.WriteByte(0);
    w.WriteByte(0x00);
    w.WriteBits(0, 6);
    const auto at = b.AddTag(kShape2, w.Take());

    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(PositionsOf(0x100000A0), PositionList{at + a});
    EXPECT_EQ(PositionsOf(0x100000B0), PositionList{at + bFill});
    EXPECT_EQ(PositionsOf(0x400000C0), PositionList{at + cLine});
    EXPECT_EQ(PositionsOf(0x100000D0), PositionList{at + dFill});
    EXPECT_EQ(PositionCount(), 4u);
}

TEST_F(ShapeReaderTest, LongRecordRunsAreReadTheSameWhereverTheTagEnds)
{
    // Random edge and style-change records of every width, then a new-styles
    // record whose fill is found only if every bit before it was read right.
    // Far from the tag's end records are decoded in bulk, near it bit by bit;
    // padding after the end record moves that boundary.
    std::uint32_t state = 77;
    auto random = [&](std::uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    };
    auto value = [&](int bits) {
        return static_cast<std::int32_t>(random(1u << (bits - 1))) - (random(2) ? (1 << (bits - 2)) : 0);
    };
    for (std::size_t padding : {0u, 3u, 23u, 24u, 100u}) {
        CBitWriter w;
        ShapeHeader(w);
        w.WriteByte(0);
        w.WriteByte(0);
        w.WriteBits(15, 4);
        w.WriteBits(9, 4);
        for (int i = 0; i < 400; ++i) {
            if (random(4) == 0) {
                const std::uint32_t flags = 1 + random(15);
                w.WriteBits(0, 1);
                w.WriteBits(flags, 5);
                if (flags & 1) {
                    const int n = 2 + static_cast<int>(random(30));
                    w.WriteBits(static_cast<std::uint32_t>(n), 5);
                    w.WriteSBits(value(n), n);
                    w.WriteSBits(value(n), n);
                }
                if (flags & 2)
                    w.WriteBits(random(1u << 15), 15);
                if (flags & 4)
                    w.WriteBits(random(1u << 15), 15);
                if (flags & 8)
                    w.WriteBits(random(1u << 9), 9);
                continue;
            }
            const int n = 2 + static_cast<int>(random(16));
            const std::uint32_t shape = random(3);
            w.WriteBits(1, 1);
            w.WriteBits(shape != 0, 1);
            w.WriteBits(static_cast<std::uint32_t>(n - 2), 4);
            if (shape == 0) {
                for (int k = 0; k < 4; ++k)
                    w.WriteSBits(value(n), n);
            } else if (shape == 1) {
                w.WriteBits(1, 1);
                w.WriteSBits(value(n), n);
                w.WriteSBits(value(n), n);
            } else {
                w.WriteBits(0, 1);
                w.WriteBits(random(2), 1);
                w.WriteSBits(value(n), n);
            }
        }
        w.WriteBits(0, 1);
        w.WriteBits(0x10, 5);
        w.WriteByte(1);
        w.WriteByte(0x00);
        const auto fill = Here(w);
        w.WriteRgb(0x5A, 0x5B, 0x5C);
        w.WriteByte(0);
        w.WriteByte(0);
        w.WriteBits(0, 6);
        w.Align();
        w.WriteBytes(std::vector<std::uint8_t>(padding, 0xFF));
        CMovieBuilder b;
        const auto at = b.AddTag(kShape2, w.Take());
        ASSERT_TRUE(Load(b.Build()));
        EXPECT_EQ(PositionsOf(0x105C5B5A), PositionList{at + fill}) << padding;
        EXPECT_EQ(PositionCount(), 1u) << padding;
    }
}

// 300 random shape records of every kind and width: edges, style changes up
// to their longest (a 31-bit move-to and 15-bit indices, 118 bits) and
// new-styles records of solid fills of colours of their own, one of them
// near the end.
void RandomRecords(CBitWriter& w, std::uint32_t seed)
{
    const auto random = [&](std::uint32_t bound) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % bound;
    };
    // Field values play no part; only their widths, up to 62 bits.
    const auto bits = [&](unsigned n) {
        for (; n > 16; n -= 16)
            w.WriteBits(random(1u << 16), 16);
        w.WriteBits(random(1u << 16), static_cast<int>(n));
    };
    unsigned fillBits = 15, lineBits = 15;
    w.WriteBits(fillBits << 4 | lineBits, 8);
    for (int i = 0; i < 300; ++i) {
        const bool styles = i == 290 || random(30) == 0;
        if (!styles && random(3) != 0) {
            const unsigned n = 2 + random(16), form = random(3); // curved, general, vertical or horizontal
            w.WriteBits(1, 1);
            w.WriteBits(form != 0, 1);
            w.WriteBits(n - 2, 4);
            if (form != 0)
                w.WriteBits(form == 1, 1);
            bits(form == 0 ? 4 * n : form == 1 ? 2 * n : 1 + n);
            continue;
        }
        const std::uint32_t flags = (styles ? 0x10 : 0) | (1 + random(15));
        w.WriteBits(flags, 6);
        if (flags & 1) {
            const unsigned n = random(2) ? 31 : random(32);
            w.WriteBits(n, 5);
            bits(2 * n);
        }
        bits(((flags >> 1) & 1) * fillBits + ((flags >> 2) & 1) * fillBits + ((flags >> 3) & 1) * lineBits);
        if (!styles)
            continue;
        w.Align();
        const std::uint32_t fills = 1 + random(3);
        w.WriteByte(static_cast<std::uint8_t>(fills));
        for (std::uint32_t f = 0; f < fills; ++f) {
            w.WriteByte(0x00);
            w.WriteRgb(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(f), 0x77);
        }
        w.WriteByte(0);
        fillBits = random(16);
        lineBits = random(16);
        w.WriteBits(fillBits << 4 | lineBits, 8);
    }
    w.WriteBits(0, 6);
}

// What RandomRecords wrote, read plainly bit by bit with zeros past the end
// of the bytes: where the fills stand whose colours lie wholly inside, and
// the bit after the end record.
struct PlainReading {
    std::vector<std::uint32_t> fills;
    std::size_t endBit = 0;
};

PlainReading ReadPlainly(std::span<const std::uint8_t> bytes, std::size_t at)
{
    std::size_t bit = at * 8;
    const auto read = [&](unsigned n) {
        std::uint32_t v = 0;
        for (; n > 0; --n, ++bit)
            v = v << 1 | (bit / 8 < bytes.size() ? (bytes[bit / 8] >> (7 - bit % 8)) & 1u : 0u);
        return v;
    };
    const auto byte = [&] {
        bit = (bit + 7) / 8 * 8;
        return read(8);
    };
    PlainReading plain;
    unsigned fillBits = read(4), lineBits = read(4);
    for (;;) {
        if (read(1)) {
            const bool straight = read(1) != 0;
            const unsigned n = read(4) + 2;
            bit += straight ? (read(1) ? 2 * n : 1 + n) : 4 * n;
            continue;
        }
        const std::uint32_t flags = read(5);
        if (flags == 0) {
            plain.endBit = bit;
            return plain;
        }
        if (flags & 1)
            bit += 2 * read(5);
        bit += ((flags >> 1) & 1) * fillBits + ((flags >> 2) & 1) * fillBits + ((flags >> 3) & 1) * lineBits;
        if ((flags & 0x10) == 0)
            continue;
        for (std::uint32_t count = byte(); count > 0 && bit / 8 < bytes.size(); --count) {
            byte(); // solid
            if (bit / 8 + 3 <= bytes.size())
                plain.fills.push_back(static_cast<std::uint32_t>(bit / 8));
            bit += 24;
        }
        byte(); // no line styles
        fillBits = read(4);
        lineBits = read(4);
    }
}

TEST_F(ShapeReaderTest, RecordsCutAtEveryOffsetNearTheTagEndReadAsABitReaderReadsThem)
{
    // Far from the tag's end records are stepped over by their lengths, near
    // it read bit by bit with zeros past the end. A tag cut anywhere in its
    // last 64 bytes, or padded by up to 32, moves that boundary over records
    // of every kind and over the end record. The bytes of the next tag must
    // not stand in for the zeros, and at the very end of the buffer the
    // cursor must end where a bit reader ends.
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        CBitWriter w;
        ShapeHeader(w);
        w.WriteByte(0);
        w.WriteByte(0);
        const std::size_t recordsAt = w.Size();
        RandomRecords(w, seed);
        w.Align();
        const std::size_t size = w.Size();
        w.WriteBytes(std::vector<std::uint8_t>(32, 0xFF));
        const auto body = w.Take();
        for (std::size_t cut = size - 64; cut <= body.size(); ++cut) {
            SCOPED_TRACE(
                "seed " + std::to_string(seed) + ", cut at " + std::to_string(cut) + " of " + std::to_string(size));
            const auto shape = std::span(body).first(cut);
            const PlainReading plain = ReadPlainly(shape, recordsAt);
            CMovieBuilder b;
            const auto at = b.AddTag(kShape2, shape);
            b.AddTag(1000, std::vector<std::uint8_t>(64, 0xFF)); // no reader
            ASSERT_TRUE(Load(b.Build()));
            std::vector<std::uint32_t> found;
            m_movie.Colors().ForEach([&](ColorKey, Positions positions) {
                for (std::uint32_t p : positions)
                    found.push_back(p - at);
            });
            std::sort(found.begin(), found.end());
            EXPECT_EQ(found, plain.fills);

            m_movie.AttachForReading({shape.begin(), shape.end()});
            m_movie.ReadDefineShape(ShapeVersion::Shape2);
            const std::size_t endByte = (plain.endBit + 7) / 8;
            EXPECT_EQ(m_movie.Pos(), std::min(endByte, cut));
            EXPECT_EQ(m_movie.PendingBits(), static_cast<int>(endByte * 8 - plain.endBit));
        }
    }
}

TEST_F(ShapeReaderTest, TheEndRecordEndsTheShape)
{
    CMovieBuilder b;
    CBitWriter w;
    ShapeHeader(w);
    w.WriteByte(0);
    w.WriteByte(0);
    EmptyRecords(w);
    // What follows looks like a new-styles record with a fill, but lies
    // after the end record.
    w.WriteBits(0, 1);
    w.WriteBits(0x10, 5);
    w.WriteByte(1);
    w.WriteByte(0x00);
    w.WriteRgb(0xEE, 0, 0);
    w.WriteByte(0);
    w.WriteByte(0);
    w.WriteBits(0, 6);
    b.AddTag(kShape2, w.Take());
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_TRUE(m_movie.Colors().Empty());
}

// A morph shape with a solid fill, a one-record gradient and one line style,
// empty start edges and end edges that hold a new-styles record.
struct MorphBody {
    std::vector<std::uint8_t> bytes;
    std::uint32_t solidStart, solidEnd, gradStart, gradEnd, lineStart, lineEnd, endEdgesFill;
};

MorphBody Morph(std::int32_t offsetError)
{
    CBitWriter head;
    head.WriteWord(3);
    head.WriteRect({0, 100, 0, 100});
    head.WriteRect({0, 200, 0, 200});
    head.Align();
    const std::uint32_t restAt = Here(head) + 4;

    CBitWriter rest;
    MorphBody m;
    rest.WriteByte(2);
    rest.WriteByte(0x00);
    m.solidStart = restAt + Colour(rest, 0x01, 0, 0, true, 0x10);
    m.solidEnd = restAt + Colour(rest, 0x02, 0, 0, true, 0x20);
    rest.WriteByte(0x10);
    rest.WriteMatrix(SwfMatrix{});
    SwfMatrix end;
    end.translateX = 100;
    rest.WriteMatrix(end);
    rest.WriteByte(1);
    rest.WriteByte(0);
    m.gradStart = restAt + Colour(rest, 0x03, 0, 0, true);
    rest.WriteByte(255);
    m.gradEnd = restAt + Colour(rest, 0x04, 0, 0, true);
    rest.WriteByte(1);
    rest.WriteWord(20);
    rest.WriteWord(40);
    m.lineStart = restAt + Colour(rest, 0x05, 0, 0, true);
    m.lineEnd = restAt + Colour(rest, 0x06, 0, 0, true);
    EmptyRecords(rest);
    rest.Align();
    const std::uint32_t offset = static_cast<std::uint32_t>(static_cast<std::int32_t>(Here(rest)) + offsetError);
    // End edges: widths 0/0, a new-styles record with one RGBA fill.
    rest.WriteByte(0x00);
    rest.WriteBits(0, 1);
    rest.WriteBits(0x10, 5);
    rest.WriteByte(1);
    rest.WriteByte(0x00);
    m.endEdgesFill = restAt + Colour(rest, 0x07, 0, 0, true);
    rest.WriteByte(0);
    rest.WriteByte(0x00);
    rest.WriteBits(0, 6);

    head.WriteDWord(offset);
    head.WriteBytes(rest.Take());
    m.bytes = head.Take();
    return m;
}

TEST_F(ShapeReaderTest, MorphColoursComeInStartEndPairs)
{
    const MorphBody m = Morph(0);
    CMovieBuilder b;
    const auto at = b.AddTag(kMorph, m.bytes);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(m.solidEnd, m.solidStart + 4);
    EXPECT_EQ(m.lineEnd, m.lineStart + 4);
    EXPECT_EQ(PositionsOf(0x10000001), PositionList{at + m.solidStart});
    EXPECT_EQ(PositionsOf(0x10000002), PositionList{at + m.solidEnd});
    EXPECT_EQ(PositionsOf(0x10000003), PositionList{at + m.gradStart});
    EXPECT_EQ(PositionsOf(0x10000004), PositionList{at + m.gradEnd});
    EXPECT_EQ(PositionsOf(0x40000005), PositionList{at + m.lineStart});
    EXPECT_EQ(PositionsOf(0x40000006), PositionList{at + m.lineEnd});
    EXPECT_EQ(PositionsOf(0x10000007), PositionList{at + m.endEdgesFill});
    EXPECT_EQ(PositionCount(), 7u);
}

TEST_F(ShapeReaderTest, MorphEndEdgesAreReadOnlyWhereTheOffsetSaysTheyBegin)
{
    for (std::int32_t error : {-1, 1, 1000}) {
        const MorphBody m = Morph(error);
        CMovieBuilder b;
        b.AddTag(kMorph, m.bytes);
        ASSERT_TRUE(Load(b.Build()));
        EXPECT_EQ(PositionCount(), 6u) << error;
        EXPECT_TRUE(PositionsOf(0x10000007).empty()) << error;
    }
}

TEST_F(ShapeReaderTest, ClassicRuleRegistersNothingFromShapeCodesAbove48)
{
    CBitWriter w;
    ShapeHeader(w);
    w.WriteByte(1);
    w.WriteByte(0x00);
    w.WriteRgba(1, 2, 3, 4);
    w.WriteByte(0);
    EmptyRecords(w);
    const auto body = w.Take();
    CMovieBuilder b;
    b.AddTag(kShape4, body);
    b.AddTag(kMorph2, Morph(0).bytes);
    ASSERT_TRUE(Load(b.Build(), CollectionRule::Classic));
    EXPECT_TRUE(m_movie.Colors().Empty());
}

TEST_F(ShapeReaderTest, MalformedShapesStayInsideTheirTag)
{
    const std::uint8_t red[] = {0xFF, 0, 0};
    // A fill count of 65535 in a 10-byte tag, whose one whole colour is
    // registered; a colour cut by the tag's end; shape records without an
    // end record; bodies of all ones.
    const std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> tags = {
        {kShape, {1, 0, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}},
        {kShape3, {1, 0, 0x00, 0x01, 0x00, 0x11, 0x22}},
        {kShape2, {1, 0, 0x00, 0x00, 0x00, 0x11, 0xFF, 0xFF, 0xFF}},
        {kMorph, std::vector<std::uint8_t>(50, 0xFF)},
        {kShape3, std::vector<std::uint8_t>(50, 0xFF)},
    };
    CMovieBuilder b;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> bodies;
    for (const auto& [code, body] : tags) {
        const auto at = b.AddTag(code, body);
        bodies.emplace_back(at, at + static_cast<std::uint32_t>(body.size()));
    }
    const auto bg = b.AddTag(kBackground, red);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(PositionsOf(0x800000FF), PositionList{bg});
    EXPECT_EQ(PositionsOf(KIND_FILL), PositionList{bodies[0].first + 7});
    EXPECT_TRUE(PositionsOf(0x10002211).empty());
    m_movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        for (std::uint32_t p : positions) {
            if (key == 0x800000FF)
                continue;
            const bool inside
                = std::any_of(bodies.begin(), bodies.end(), [p](auto r) { return p >= r.first && p + 3 <= r.second; });
            EXPECT_TRUE(inside) << std::hex << key << " at " << p;
        }
    });
}

} // namespace
} // namespace tintor
