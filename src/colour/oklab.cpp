#include "colour/oklab.h"

#include "core/parallel.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace tintor {
namespace {

// How far outside 0..1 a channel may stray and still count as inside: the
// published matrices are inverses of each other to about ten digits only,
// so a colour of the gamut's surface comes back a hair outside it.
constexpr double kGamutSlack = 1e-7;
// The bisection stops when the chroma is known to within this.
constexpr double kClipPrecision = 1e-5;

// Linear light is cut into this many equal steps to find its byte quickly.
constexpr int kLinearSteps = 1 << 14;

double Decode(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }

struct TransferTables {
    std::array<double, 256> linear;
    // The linear light halfway (in sRGB terms) between byte i and byte i + 1:
    // a value at or above threshold[i] rounds to a byte above i.
    std::array<double, 255> threshold;
    // The byte of the linear light at the start of each step; no step is
    // wider than the gap between two thresholds, so the byte of any value
    // in the step is this one or the next.
    std::array<std::uint8_t, kLinearSteps + 1> byteAtStep;

    TransferTables()
    {
        for (std::size_t i = 0; i < linear.size(); ++i)
            linear[i] = Decode(static_cast<double>(i) / 255.0);
        for (std::size_t i = 0; i < threshold.size(); ++i)
            threshold[i] = Decode((static_cast<double>(i) + 0.5) / 255.0);
        std::size_t byte = 0;
        for (std::size_t step = 0; step < byteAtStep.size(); ++step) {
            const double v = static_cast<double>(step) / kLinearSteps;
            while (byte < threshold.size() && v >= threshold[byte])
                ++byte;
            byteAtStep[step] = static_cast<std::uint8_t>(byte);
        }
    }
};

// Built once, never changed.
const TransferTables& Tables()
{
    static const TransferTables tables;
    return tables;
}

bool InGamut(const LinearRgb& c)
{
    return std::min({c.r, c.g, c.b}) >= -kGamutSlack && std::max({c.r, c.g, c.b}) <= 1.0 + kGamutSlack;
}

// The cube root by Halley's iteration from a guess made of the exponent's
// bits: three steps reach full precision in half the time of std::cbrt,
// which the conversion of millions of colours notices. Inlined, the three
// roots of a colour are worked out side by side.
[[gnu::always_inline]] inline double CubeRoot(double x)
{
    if (!(x > 1e-300))
        return std::cbrt(x);
    double y = std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) / 3 + 0x2A9F7893782DA1CEull);
    for (int i = 0; i < 3; ++i) {
        const double y3 = y * y * y;
        y = y * (y3 + 2.0 * x) / (2.0 * y3 + x);
    }
    return y;
}

// Linear light of the colour of lightness L whose cube roots of l, m and s
// are root + share * step: along a line of constant lightness and hue, the
// roots move linearly with the chroma.
LinearRgb LinearAlong(const LinearRgb& root, const LinearRgb& step, double share)
{
    const double l = root.r + share * step.r, m = root.g + share * step.g, s = root.b + share * step.b;
    return Multiply(kLmsToLinear, {l * l * l, m * m * m, s * s * s});
}

} // namespace

double LinearOfByte(std::uint32_t byte) { return Tables().linear[byte & 0xFF]; }

std::uint32_t ByteOfLinear(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 1.0)
        return 255;
    const TransferTables& tables = Tables();
    std::uint32_t byte = tables.byteAtStep[static_cast<std::size_t>(v * kLinearSteps)];
    if (byte < tables.threshold.size() && v >= tables.threshold[byte])
        ++byte;
    return byte;
}

LinearRgb LinearOf(std::uint32_t rgb)
{
    return {LinearOfByte(rgb & 0xFF), LinearOfByte((rgb >> 8) & 0xFF), LinearOfByte((rgb >> 16) & 0xFF)};
}

OkLab OkLabFromLinear(const LinearRgb& c)
{
    const LinearRgb lms = Multiply(kLinearToLms, c);
    const LinearRgb root = Multiply(kLmsRootToOkLab, {CubeRoot(lms.r), CubeRoot(lms.g), CubeRoot(lms.b)});
    return {root.r, root.g, root.b};
}

void OkLabsOf(std::span<const std::uint32_t> rgbs, std::span<OkLab> labs)
{
    // The same arithmetic as OkLabOf, inlined into one loop, on every core.
    const auto& linear = Tables().linear;
    constexpr std::size_t kColoursPerThread = std::size_t{1} << 15;
    ForEachShare(std::min(rgbs.size(), labs.size()), kColoursPerThread, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const std::uint32_t rgb = rgbs[i];
            const LinearRgb lms
                = Multiply(kLinearToLms, {linear[rgb & 0xFF], linear[(rgb >> 8) & 0xFF], linear[(rgb >> 16) & 0xFF]});
            const LinearRgb root = Multiply(kLmsRootToOkLab, {CubeRoot(lms.r), CubeRoot(lms.g), CubeRoot(lms.b)});
            labs[i] = {root.r, root.g, root.b};
        }
    });
}

LinearRgb LinearFromOkLab(const OkLab& lab)
{
    const LinearRgb root = Multiply(kOkLabToLmsRoot, {lab.L, lab.a, lab.b});
    return Multiply(kLmsToLinear, {root.r * root.r * root.r, root.g * root.g * root.g, root.b * root.b * root.b});
}

OkLab OkLabOf(std::uint32_t rgb) { return OkLabFromLinear(LinearOf(rgb)); }

OkLch ToOkLch(const OkLab& lab)
{
    double h = std::atan2(lab.b, lab.a) * (180.0 / std::numbers::pi);
    if (h < 0.0)
        h += 360.0;
    // A hue a hair below 0 comes out as 360 after the addition.
    if (h >= 360.0)
        h = 0.0;
    return {lab.L, std::sqrt(lab.a * lab.a + lab.b * lab.b), h};
}

OkLab FromOkLch(const OkLch& lch)
{
    const double radians = lch.h * (std::numbers::pi / 180.0);
    return {lch.L, lch.C * std::cos(radians), lch.C * std::sin(radians)};
}

double DeltaE(const OkLab& x, const OkLab& y) { return 100.0 * std::sqrt(SquaredDistance(x, y)); }

std::uint32_t RgbOfOkLab(const OkLab& lab)
{
    const LinearRgb root = Multiply(kOkLabToLmsRoot, {lab.L, 0.0, 0.0});
    const LinearRgb step = Multiply(kOkLabToLmsRoot, {0.0, lab.a, lab.b});
    LinearRgb c = LinearAlong(root, step, 1.0);
    if (!InGamut(c)) {
        // The grey of the same lightness is inside whenever the lightness is;
        // keep the largest share of the chroma that still fits.
        const double chroma = std::sqrt(lab.a * lab.a + lab.b * lab.b);
        double inside = 0.0, outside = 1.0;
        while ((outside - inside) * chroma > kClipPrecision) {
            const double share = (inside + outside) * 0.5;
            const bool fits = InGamut(LinearAlong(root, step, share));
            inside = fits ? share : inside;
            outside = fits ? outside : share;
        }
        c = LinearAlong(root, step, inside);
    }
    return ByteOfLinear(c.r) | ByteOfLinear(c.g) << 8 | ByteOfLinear(c.b) << 16;
}

} // namespace tintor
