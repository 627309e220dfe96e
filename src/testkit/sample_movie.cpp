// The program's own demonstration movie, made with the movie builder.
#include "testkit/movie_builder.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace tintor {

namespace {

struct Rgba {
    std::uint8_t r, g, b, a = 0xFF;
};

struct Rgb {
    std::uint8_t r, g, b;
};

enum : std::uint16_t {
    kShowFrame = 1,
    kDefineShape = 2,
    kSetBackgroundColor = 9,
    kDefineFont = 10,
    kDefineText = 11,
    kDefineShape2 = 22,
    kPlaceObject2 = 26,
    kDefineShape3 = 32,
    kDefineEditText = 37,
    kDefineFont2 = 48,
    kPlaceObject3 = 70,
};

void WriteColour(CBitWriter& w, const Rgba& c, bool withAlpha)
{
    if (withAlpha)
        w.WriteRgba(c.r, c.g, c.b, c.a);
    else
        w.WriteRgb(c.r, c.g, c.b);
}

// One straight edge record: horizontal and vertical edges in their short form.
void WriteStraightEdge(CBitWriter& w, std::int32_t dx, std::int32_t dy)
{
    const int bits = std::max(2, SignedBitsFor({dx, dy}));
    w.WriteBits(1, 1); // edge
    w.WriteBits(1, 1); // straight
    w.WriteBits(static_cast<std::uint32_t>(bits - 2), 4);
    if (dx != 0 && dy != 0) {
        w.WriteBits(1, 1); // general
        w.WriteSBits(dx, bits);
        w.WriteSBits(dy, bits);
        return;
    }
    w.WriteBits(0, 1);
    w.WriteBits(dx == 0 ? 1 : 0, 1); // vertical
    w.WriteSBits(dx == 0 ? dy : dx, bits);
}

// The outline of a w x h rectangle at (x, y), filled with fill style 1 and
// drawn with line style 1 (or none when lineBits is 0).
void WriteRectangleEdges(
    CBitWriter& w, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, bool withLine)
{
    const int lineBits = withLine ? 1 : 0;
    w.WriteBits(1, 4); // fill index bits
    w.WriteBits(static_cast<std::uint32_t>(lineBits), 4);
    // Style change: move to, fill style 1 (and line style).
    w.WriteBits(0, 1);
    w.WriteBits(withLine ? 0x0D : 0x05, 5); // [line] fill1 moveTo
    const int moveBits = SignedBitsFor({x, y});
    w.WriteBits(static_cast<std::uint32_t>(moveBits), 5);
    w.WriteSBits(x, moveBits);
    w.WriteSBits(y, moveBits);
    w.WriteBits(1, 1); // fill style 1
    if (withLine)
        w.WriteBits(1, 1);
    WriteStraightEdge(w, width, 0);
    WriteStraightEdge(w, 0, height);
    WriteStraightEdge(w, -width, 0);
    WriteStraightEdge(w, 0, -height);
    w.WriteBits(0, 6); // end record
}

// A rectangle shape with one solid fill, or a linear gradient when the
// second colour is given, and an optional outline.
std::vector<std::uint8_t> RectangleShape(std::uint16_t id, bool withAlpha, std::int32_t x, std::int32_t y,
    std::int32_t width, std::int32_t height, Rgba fill, const Rgba* gradientEnd, const Rgba* line)
{
    CBitWriter w;
    w.WriteWord(id);
    w.WriteRect({x - 20, x + width + 20, y - 20, y + height + 20});
    w.WriteByte(1); // fill styles
    if (gradientEnd) {
        w.WriteByte(0x10);
        // Map the gradient square (-16384..16384) onto the rectangle.
        SwfMatrix m;
        m.scaleX = static_cast<std::int32_t>(static_cast<std::int64_t>(width) * 65536 / 32768);
        m.scaleY = static_cast<std::int32_t>(static_cast<std::int64_t>(height) * 65536 / 32768);
        m.translateX = x + width / 2;
        m.translateY = y + height / 2;
        w.WriteMatrix(m);
        w.WriteByte(2);
        w.WriteByte(0);
        WriteColour(w, fill, withAlpha);
        w.WriteByte(255);
        WriteColour(w, *gradientEnd, withAlpha);
    } else {
        w.WriteByte(0x00);
        WriteColour(w, fill, withAlpha);
    }
    w.WriteByte(line ? 1 : 0); // line styles
    if (line) {
        w.WriteWord(100);
        WriteColour(w, *line, withAlpha);
    }
    w.Align();
    WriteRectangleEdges(w, x, y, width, height, line != nullptr);
    return w.Take();
}

std::vector<std::uint8_t> PlaceAt(std::uint16_t id, std::uint16_t depth, std::int32_t x = 0, std::int32_t y = 0)
{
    CBitWriter w;
    w.WriteByte(0x06); // has matrix, has character
    w.WriteWord(depth);
    w.WriteWord(id);
    SwfMatrix m;
    m.translateX = x;
    m.translateY = y;
    w.WriteMatrix(m);
    return w.Take();
}

// Block letters on the font's 1024-unit em square, baseline at y = 0. Each
// glyph is a few closed polygons that only meet along their edges, all
// wound clockwise with the glyph's fill on the right of every edge, so no
// piece cancels another.
struct Point {
    std::int32_t x, y;
};
using Polygon = std::vector<Point>;

constexpr std::int32_t kCapHeight = 720;
constexpr std::int32_t kStroke = 140;
constexpr std::int32_t kLetterWidth = 560;
constexpr std::int32_t kLetterGap = 140;

Polygon Box(std::int32_t x, std::int32_t top, std::int32_t width, std::int32_t height)
{
    return {{x, top}, {x + width, top}, {x + width, top + height}, {x, top + height}};
}

enum Glyph : std::uint8_t { kGlyphT, kGlyphI, kGlyphN, kGlyphO, kGlyphR, kGlyphCount };

std::vector<Polygon> GlyphOutline(Glyph glyph)
{
    constexpr std::int32_t top = -kCapHeight, s = kStroke, w = kLetterWidth;
    switch (glyph) {
    case kGlyphT:
        return {Box(0, top, w, s), Box((w - s) / 2, top + s, s, kCapHeight - s)};
    case kGlyphI:
        return {Box(0, top, s, kCapHeight)};
    case kGlyphN:
        return {Box(0, top, s, kCapHeight), Box(w - s, top, s, kCapHeight),
            {{s, top}, {s + 120, top}, {w - s, 0}, {w - s - 120, 0}}};
    case kGlyphO:
        return {Box(0, top, w, s), Box(w - s, top + s, s, kCapHeight - 2 * s), Box(0, -s, w, s),
            Box(0, top + s, s, kCapHeight - 2 * s)};
    case kGlyphR:
        return {Box(0, top, s, kCapHeight), Box(s, top, w - 2 * s, s), Box(w - s, top, s, 410),
            Box(s, top + 290, w - 2 * s, 120), {{260, top + 410}, {400, top + 410}, {w, 0}, {w - s, 0}}};
    case kGlyphCount:
        break;
    }
    return {};
}

// A glyph shape: one fill style bit, no line styles, each polygon started by
// a move and closed by its last edge.
std::vector<std::uint8_t> GlyphShape(const std::vector<Polygon>& polygons)
{
    CBitWriter w;
    w.WriteBits(1, 4); // fill index bits
    w.WriteBits(0, 4); // line index bits
    bool first = true;
    for (const Polygon& polygon : polygons) {
        w.WriteBits(0, 1);
        w.WriteBits(first ? 0x05 : 0x01, 5); // [fill1] moveTo
        const Point start = polygon.front();
        const int moveBits = SignedBitsFor({start.x, start.y});
        w.WriteBits(static_cast<std::uint32_t>(moveBits), 5);
        w.WriteSBits(start.x, moveBits);
        w.WriteSBits(start.y, moveBits);
        if (first)
            w.WriteBits(1, 1); // fill style 1
        first = false;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const Point from = polygon[i], to = polygon[(i + 1) % polygon.size()];
            WriteStraightEdge(w, to.x - from.x, to.y - from.y);
        }
    }
    w.WriteBits(0, 6); // end record
    return w.Take();
}

std::vector<std::uint8_t> DefineFont(std::uint16_t id)
{
    std::vector<std::vector<std::uint8_t>> shapes;
    for (int g = 0; g < kGlyphCount; ++g)
        shapes.push_back(GlyphShape(GlyphOutline(static_cast<Glyph>(g))));
    CBitWriter w;
    w.WriteWord(id);
    // Offsets count from the start of the offset table.
    std::size_t offset = shapes.size() * 2;
    for (const auto& shape : shapes) {
        w.WriteWord(static_cast<std::uint16_t>(offset));
        offset += shape.size();
    }
    for (const auto& shape : shapes)
        w.WriteBytes(shape);
    return w.Take();
}

// A font with no glyphs, named after the player's sans-serif device font.
std::vector<std::uint8_t> DeviceFont(std::uint16_t id)
{
    constexpr std::string_view name = "_sans";
    CBitWriter w;
    w.WriteWord(id);
    w.WriteByte(0x04); // wide codes
    w.WriteByte(1);    // language: Latin
    w.WriteByte(static_cast<std::uint8_t>(name.size()));
    w.WriteBytes({reinterpret_cast<const std::uint8_t*>(name.data()), name.size()});
    w.WriteWord(0); // glyphs
    w.WriteWord(2); // code table offset, kept for readers that always expect it
    return w.Take();
}

struct TextRun {
    Rgb colour;
    std::vector<Glyph> glyphs;
};

std::int32_t Advance(Glyph glyph, std::int32_t height)
{
    const std::int32_t units = (glyph == kGlyphI ? kStroke : kLetterWidth) + kLetterGap;
    return units * height / 1024;
}

// Static text in the block-letter font: the first run names the font, its
// height and the start; the later runs change only the colour.
std::vector<std::uint8_t> DefineText(
    std::uint16_t id, std::uint16_t fontId, std::int32_t height, const std::vector<TextRun>& runs)
{
    std::int32_t width = 0;
    for (const TextRun& run : runs)
        for (const Glyph g : run.glyphs)
            width += Advance(g, height);
    const std::int32_t ascent = kCapHeight * height / 1024;
    const int glyphBits = 3;
    const int advanceBits = SignedBitsFor({Advance(kGlyphT, height), Advance(kGlyphI, height)});

    CBitWriter w;
    w.WriteWord(id);
    w.WriteRect({0, width, -ascent, 0});
    w.WriteMatrix(SwfMatrix{});
    w.WriteByte(static_cast<std::uint8_t>(glyphBits));
    w.WriteByte(static_cast<std::uint8_t>(advanceBits));
    bool first = true;
    for (const TextRun& run : runs) {
        if (first) {
            w.WriteByte(0x8F); // font, colour, y and x offsets
            w.WriteWord(fontId);
            w.WriteRgb(run.colour.r, run.colour.g, run.colour.b);
            w.WriteWord(0);
            w.WriteWord(0);
            w.WriteWord(static_cast<std::uint16_t>(height));
        } else {
            w.WriteByte(0x84); // colour only
            w.WriteRgb(run.colour.r, run.colour.g, run.colour.b);
        }
        first = false;
        w.WriteByte(static_cast<std::uint8_t>(run.glyphs.size()));
        for (const Glyph g : run.glyphs) {
            w.WriteBits(g, glyphBits);
            w.WriteSBits(Advance(g, height), advanceBits);
        }
        w.Align();
    }
    w.WriteByte(0); // end of the text records
    return w.Take();
}

// A read-only, unselectable text field in a device font.
std::vector<std::uint8_t> DefineEditText(std::uint16_t id, std::uint16_t fontId, std::uint16_t height,
    const Rgba& colour, std::int32_t width, std::int32_t boxHeight, std::string_view text)
{
    CBitWriter w;
    w.WriteWord(id);
    w.WriteRect({0, width, 0, boxHeight});
    w.WriteByte(0x8D); // has text, read-only, has text colour, has font
    w.WriteByte(0x10); // no select
    w.WriteWord(fontId);
    w.WriteWord(height);
    w.WriteRgba(colour.r, colour.g, colour.b, colour.a);
    w.WriteString("");
    w.WriteString(text);
    return w.Take();
}

} // namespace

std::vector<std::uint8_t> BuildSampleMovie(bool compressed)
{
    CMovieBuilder movie(8, {0, 8000, 0, 6000}, 0x0C00, 1);
    const std::uint8_t background[] = {0xF4, 0xEE, 0xDC};
    movie.AddTag(kSetBackgroundColor, background);

    const Rgba navy{0x1F, 0x3A, 0x93};
    const Rgba black{0x10, 0x10, 0x10};
    movie.AddTag(kDefineShape, RectangleShape(1, false, 400, 400, 3400, 2400, {0xE6, 0x39, 0x46}, nullptr, &black));
    const Rgba sky{0x45, 0x7B, 0x9D};
    movie.AddTag(kDefineShape2, RectangleShape(2, false, 4200, 400, 3400, 2400, {0xF1, 0xFA, 0xEE}, &sky, &navy));
    movie.AddTag(
        kDefineShape3, RectangleShape(3, true, 400, 3200, 3400, 2400, {0x2A, 0x9D, 0x8F, 0xC0}, nullptr, nullptr));
    const Rgba amber{0xF4, 0xA2, 0x61};
    movie.AddTag(kDefineShape3, RectangleShape(4, true, 4200, 3200, 3400, 2400, {0xE9, 0xC4, 0x6A}, &amber, &navy));

    // Text lies in the margins that no shape covers: the block-letter title
    // in the top one, the text field in the bottom one, left of the middle.
    movie.AddTag(kDefineFont, DefineFont(5));
    movie.AddTag(kDefineText,
        DefineText(6, 5, 360,
            {{{0x26, 0x46, 0x53}, {kGlyphT, kGlyphI, kGlyphN}}, {{0xE7, 0x6F, 0x51}, {kGlyphT, kGlyphO, kGlyphR}}}));
    movie.AddTag(kDefineFont2, DeviceFont(7));
    movie.AddTag(
        kDefineEditText, DefineEditText(8, 7, 240, {0x6D, 0x28, 0x8C, 0xFF}, 3400, 380, "Tintor sample movie"));

    for (std::uint16_t id = 1; id <= 4; ++id)
        movie.AddTag(kPlaceObject2, PlaceAt(id, id));
    movie.AddTag(kPlaceObject2, PlaceAt(6, 5, 400, 320));
    movie.AddTag(kPlaceObject2, PlaceAt(8, 6, 400, 5610));
    movie.AddTag(kShowFrame, {});
    return movie.Build(compressed);
}

std::vector<std::uint8_t> BuildGlowMovie()
{
    CMovieBuilder movie(10, {0, 8000, 0, 6000}, 0x0C00, 1);
    const std::uint8_t white[] = {0xFF, 0xFF, 0xFF};
    movie.AddTag(kSetBackgroundColor, white);
    movie.AddTag(kDefineShape, RectangleShape(1, false, 3000, 2000, 2000, 2000, {0xFF, 0x00, 0x00}, nullptr, nullptr));
    // Defined, never placed: a colour of the movie that no frame shows.
    movie.AddTag(kDefineShape, RectangleShape(2, false, 0, 0, 2000, 2000, {0x00, 0x00, 0xFF}, nullptr, nullptr));
    CBitWriter w;
    w.WriteByte(0x06); // has matrix, has character
    w.WriteByte(0x01); // has filter list
    w.WriteWord(1);    // depth
    w.WriteWord(1);    // character
    w.WriteMatrix(SwfMatrix{});
    w.WriteByte(1); // filters
    w.WriteByte(2); // glow
    w.WriteRgba(0x00, 0xC0, 0x00, 0xFF);
    w.WriteDWord(16 << 16); // blur x and y, 16.16
    w.WriteDWord(16 << 16);
    w.WriteWord(2 << 8); // strength, 8.8
    w.WriteByte(0x21);   // outer, not knocked out, over the source, one pass
    movie.AddTag(kPlaceObject3, w.Take());
    movie.AddTag(kShowFrame, {});
    return movie.Build();
}

} // namespace tintor
