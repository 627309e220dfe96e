// Movies for benchmarks: many distinct colours, or mostly edges.
#include "testkit/bench_movies.h"

#include "swf/abc_instructions.h"
#include "testkit/abc_builder.h"
#include "testkit/action_writer.h"
#include "testkit/movie_builder.h"

namespace tintor {

namespace {

constexpr std::uint32_t kFillsPerShape = 100;

// A fixed-seed generator, so every run builds the same movie.
class CRandom {
public:
    std::uint32_t Below(std::uint32_t bound)
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(m_state >> 33) % bound;
    }

private:
    std::uint64_t m_state = 7;
};

} // namespace

// A bijection of the 24-bit colours: distinct indices give distinct colours,
// and neighbouring indices land far apart.
std::uint32_t ScatteredColour(std::uint32_t i)
{
    std::uint32_t x = (i * 0x9E3779u + 0x5BD1E9u) & 0xFFFFFF;
    x ^= x >> 11;
    x = (x * 0x2C1B3Du) & 0xFFFFFF;
    x ^= x >> 13;
    return x;
}

std::vector<std::uint8_t> BuildManyColoursMovie(std::uint32_t shapes)
{
    CMovieBuilder builder;
    std::uint32_t colour = 0;
    for (std::uint32_t shape = 0; shape < shapes; ++shape) {
        CBitWriter w;
        w.WriteWord(static_cast<std::uint16_t>(shape + 1));
        w.WriteRect({0, 100, 0, 100});
        w.WriteByte(kFillsPerShape);
        for (std::uint32_t i = 0; i < kFillsPerShape; ++i) {
            const std::uint32_t c = ScatteredColour(colour++);
            w.WriteByte(0x00);
            w.WriteRgb(
                static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16));
        }
        w.WriteByte(0); // no line styles
        w.WriteBits(7, 4);
        w.WriteBits(0, 4);
        w.WriteBits(0, 6); // end record
        builder.AddTag(2, w.Take());
    }
    return builder.Build(true);
}

// Shapes of 4 fills and 2 lines followed by 2,000 edges each (a third curved,
// the rest straight, a style change every 100), as outlines traced from
// artwork are.
std::vector<std::uint8_t> BuildEdgeHeavyMovie(std::uint32_t shapes)
{
    CRandom random;
    CMovieBuilder builder;
    for (std::uint32_t shape = 0; shape < shapes; ++shape) {
        CBitWriter w;
        w.WriteWord(static_cast<std::uint16_t>(shape + 1));
        w.WriteRect({0, 20000, 0, 20000});
        w.WriteByte(4);
        for (int i = 0; i < 4; ++i) {
            w.WriteByte(0x00);
            w.WriteRgb(static_cast<std::uint8_t>(random.Below(256)), static_cast<std::uint8_t>(random.Below(256)),
                static_cast<std::uint8_t>(random.Below(256)));
        }
        w.WriteByte(2);
        for (int i = 0; i < 2; ++i) {
            w.WriteWord(20);
            w.WriteRgb(static_cast<std::uint8_t>(random.Below(256)), 0, 0);
        }
        w.WriteBits(3, 4);
        w.WriteBits(2, 4);
        for (int edge = 0; edge < 2000; ++edge) {
            if (edge % 100 == 0) {
                w.WriteBits(0, 1);
                w.WriteBits(0x0F, 5);
                w.WriteBits(15, 5);
                w.WriteSBits(static_cast<std::int32_t>(random.Below(16000)), 15);
                w.WriteSBits(static_cast<std::int32_t>(random.Below(16000)), 15);
                w.WriteBits(1 + random.Below(4), 3);
                w.WriteBits(1 + random.Below(4), 3);
                w.WriteBits(1 + random.Below(2), 2);
                continue;
            }
            const int bits = 6 + static_cast<int>(random.Below(8));
            const auto delta
                = [&] { return static_cast<std::int32_t>(random.Below(1u << (bits - 1))) - (1 << (bits - 2)); };
            w.WriteBits(1, 1);
            const bool straight = random.Below(3) != 0;
            w.WriteBits(straight, 1);
            w.WriteBits(static_cast<std::uint32_t>(bits - 2), 4);
            if (straight) {
                const std::uint32_t form = random.Below(3); // general, vertical, horizontal
                w.WriteBits(form == 0, 1);
                if (form != 0)
                    w.WriteBits(form == 1, 1);
                w.WriteSBits(delta(), bits);
                if (form == 0)
                    w.WriteSBits(delta(), bits);
            } else {
                for (int k = 0; k < 4; ++k)
                    w.WriteSBits(delta(), bits);
            }
        }
        w.WriteBits(0, 6);
        builder.AddTag(2, w.Take(), true);
    }
    return builder.Build(true);
}

std::vector<std::uint8_t> BuildEffectsMovie(std::uint32_t places)
{
    CRandom random;
    const auto rgba = [&](CBitWriter& w) {
        const std::uint32_t c = ScatteredColour(random.Below(1u << 24));
        w.WriteRgba(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16),
            static_cast<std::uint8_t>(random.Below(256)));
    };
    const std::vector<std::uint8_t> fixed(19, 0x40); // blur, angle, distance, strength, flags
    CMovieBuilder builder(10);
    for (std::uint32_t i = 0; i < places; ++i) {
        const SwfMatrix matrix{0x10000, 0, 0, 0x10000, static_cast<std::int32_t>(random.Below(8000)),
            static_cast<std::int32_t>(random.Below(8000))};
        CBitWriter w;
        w.WriteByte(0x04);                                     // matrix
        w.WriteByte(0x41);                                     // filter list, opaque background
        w.WriteWord(static_cast<std::uint16_t>(1 + i % 1000)); // depth
        w.WriteMatrix(matrix);
        w.WriteByte(3);
        w.WriteByte(0); // drop shadow
        rgba(w);
        w.WriteBytes(fixed);
        w.WriteByte(2); // glow
        rgba(w);
        w.WriteBytes(std::span(fixed).first(11));
        w.WriteByte(3); // bevel
        rgba(w);
        rgba(w);
        w.WriteBytes(fixed);
        rgba(w);
        builder.AddTag(70, w.Take());

        // A tint as the authoring tool writes it, at a strength of its own.
        SwfCxform tint;
        tint.redMult = tint.greenMult = tint.blueMult = static_cast<std::int16_t>(random.Below(256));
        const std::uint32_t c = ScatteredColour(random.Below(1u << 24));
        const std::int32_t weight = 256 - tint.redMult;
        tint.redAdd = static_cast<std::int16_t>((c & 0xFF) * static_cast<std::uint32_t>(weight) / 256);
        tint.greenAdd = static_cast<std::int16_t>(((c >> 8) & 0xFF) * static_cast<std::uint32_t>(weight) / 256);
        tint.blueAdd = static_cast<std::int16_t>(((c >> 16) & 0xFF) * static_cast<std::uint32_t>(weight) / 256);
        CBitWriter p;
        p.WriteByte(0x0C); // matrix, colour transform
        p.WriteWord(static_cast<std::uint16_t>(1 + i % 1000));
        p.WriteMatrix(matrix);
        p.WriteCxform(tint, true, true, true, 10);
        builder.AddTag(26, p.Take());
    }
    return builder.Build(true);
}

std::vector<std::uint8_t> BuildActionMovie(std::uint32_t pushes)
{
    // Five push values a call: colour, a second argument, the count and the
    // object's name, then the method's name.
    constexpr std::uint32_t kPushesPerCall = 5;
    constexpr std::uint32_t kCallsPerBlock = 1000;
    constexpr std::string_view kMethods[] = {"beginFill", "lineStyle", "setRGB"};
    CRandom random;
    CMovieBuilder builder(8);
    std::uint32_t calls = pushes / kPushesPerCall;
    while (calls > 0) {
        CActionWriter w;
        w.ConstantPool({"mc", kMethods[0], kMethods[1], kMethods[2]});
        for (std::uint32_t i = 0; i < kCallsPerBlock && calls > 0; ++i, --calls) {
            const auto colour = static_cast<std::int32_t>(ScatteredColour(random.Below(1u << 24)));
            w.Push({ActionValue::Int(100), ActionValue::Int(colour), ActionValue::Int(2), ActionValue::Pool(0)});
            w.Action(kActionGetVariable);
            w.Push({ActionValue::Pool(static_cast<std::uint16_t>(1 + i % 3))});
            w.Action(kActionCallMethod);
            w.Action(kActionPop);
        }
        builder.AddTag(12, w.Take());
    }
    return builder.Build(true);
}

std::vector<std::uint8_t> BuildAbcMovie(std::uint32_t instructions)
{
    constexpr std::uint32_t kPerLine = 17;
    constexpr std::uint32_t kLinesPerBody = 60;
    constexpr std::uint32_t kColours = 1000;
    CAbcBuilder abc;
    std::vector<std::uint32_t> ints, uints;
    for (std::uint32_t i = 0; i < kColours; ++i) {
        ints.push_back(abc.Int(static_cast<std::int32_t>(ScatteredColour(i))));
        uints.push_back(abc.Uint(ScatteredColour(kColours + i)));
    }
    const std::uint32_t graphics = abc.QName("", "graphics");
    const std::uint32_t beginFill = abc.QName("", "beginFill");
    const std::uint32_t lineStyle = abc.QName("", "lineStyle");
    const std::uint32_t script = abc.Method();
    std::uint32_t line = 0;
    for (std::uint32_t written = 0; written < instructions;) {
        CAbcCode code;
        for (std::uint32_t i = 0; i < kLinesPerBody && written < instructions; ++i, ++line, written += kPerLine) {
            // graphics.beginFill(c, 1); graphics.lineStyle(2, u); n += 100;
            // if (flag) ...
            code.Op(kOpDebugLine, line);
            code.Op(kOpGetLocal0).Op(kOpGetProperty, graphics).Op(kOpPushInt, ints[line % kColours]).PushByte(1);
            code.Op(kOpCallPropVoid, beginFill, 2);
            code.Op(kOpGetLocal0).Op(kOpGetProperty, graphics).PushByte(2).Op(kOpPushUint, uints[line % kColours]);
            code.Op(kOpCallPropVoid, lineStyle, 2);
            code.Op(kOpGetLocal1).PushShort(100).Op(kOpAdd).Op(kOpSetLocal1);
            code.Op(kOpGetLocal2).Branch(kOpIfFalse, 0);
        }
        code.Op(kOpReturnVoid);
        abc.Body(abc.Method(), code, 4, 3);
    }
    abc.Script(script);
    CAbcCode init;
    init.Op(kOpReturnVoid);
    abc.Body(script, init, 0, 1);
    CMovieBuilder builder(10);
    const std::uint8_t attributes[] = {0x08, 0, 0, 0};
    builder.AddTag(69, attributes);
    builder.AddTag(82, DoAbcBody(abc.Build().bytes), true);
    return builder.Build(true);
}

} // namespace tintor
