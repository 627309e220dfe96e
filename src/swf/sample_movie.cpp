// The program's own demonstration movie, made with the movie builder.
#include "swf/movie_builder.h"

namespace tintor {

namespace {

struct Rgba {
    std::uint8_t r, g, b, a = 0xFF;
};

enum : std::uint16_t {
    kShowFrame = 1,
    kDefineShape = 2,
    kSetBackgroundColor = 9,
    kDefineShape2 = 22,
    kPlaceObject2 = 26,
    kDefineShape3 = 32,
};

void WriteColour(CBitWriter& w, const Rgba& c, bool withAlpha)
{
    if (withAlpha)
        w.WriteRgba(c.r, c.g, c.b, c.a);
    else
        w.WriteRgb(c.r, c.g, c.b);
}

// The outline of a w x h rectangle at (x, y), filled with fill style 1 and
// drawn with line style 1 (or none when lineBits is 0).
void WriteRectangleEdges(CBitWriter& w, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, bool withLine)
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
    const auto straight = [&](std::int32_t dx, std::int32_t dy) {
        const int bits = std::max(2, SignedBitsFor({dx, dy}));
        w.WriteBits(1, 1); // edge
        w.WriteBits(1, 1); // straight
        w.WriteBits(static_cast<std::uint32_t>(bits - 2), 4);
        w.WriteBits(0, 1); // not general
        w.WriteBits(dx == 0 ? 1 : 0, 1); // vertical
        w.WriteSBits(dx == 0 ? dy : dx, bits);
    };
    straight(width, 0);
    straight(0, height);
    straight(-width, 0);
    straight(0, -height);
    w.WriteBits(0, 6); // end record
}

// A rectangle shape with one solid fill, or a linear gradient when the
// second colour is given, and an optional outline.
std::vector<std::uint8_t> RectangleShape(std::uint16_t id, bool withAlpha, std::int32_t x, std::int32_t y, std::int32_t width,
    std::int32_t height, Rgba fill, const Rgba* gradientEnd, const Rgba* line)
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

std::vector<std::uint8_t> PlaceAt(std::uint16_t id, std::uint16_t depth)
{
    CBitWriter w;
    w.WriteByte(0x06); // has matrix, has character
    w.WriteWord(depth);
    w.WriteWord(id);
    w.WriteMatrix(SwfMatrix{});
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
    movie.AddTag(kDefineShape3, RectangleShape(3, true, 400, 3200, 3400, 2400, {0x2A, 0x9D, 0x8F, 0xC0}, nullptr, nullptr));
    const Rgba amber{0xF4, 0xA2, 0x61};
    movie.AddTag(kDefineShape3, RectangleShape(4, true, 4200, 3200, 3400, 2400, {0xE9, 0xC4, 0x6A}, &amber, &navy));
    for (std::uint16_t id = 1; id <= 4; ++id)
        movie.AddTag(kPlaceObject2, PlaceAt(id, id));
    movie.AddTag(kShowFrame, {});
    return movie.Build(compressed);
}

} // namespace tintor
