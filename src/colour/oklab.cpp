#include "colour/oklab.h"

#include <algorithm>
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

double Decode(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }

struct TransferTables {
    std::array<double, 256> linear;
    // The linear light halfway (in sRGB terms) between byte i and byte i + 1:
    // a value at or above threshold[i] rounds to a byte above i.
    std::array<double, 255> threshold;

    TransferTables()
    {
        for (std::size_t i = 0; i < linear.size(); ++i)
            linear[i] = Decode(static_cast<double>(i) / 255.0);
        for (std::size_t i = 0; i < threshold.size(); ++i)
            threshold[i] = Decode((static_cast<double>(i) + 0.5) / 255.0);
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
    const auto inside = [](double v) { return v >= -kGamutSlack && v <= 1.0 + kGamutSlack; };
    return inside(c.r) && inside(c.g) && inside(c.b);
}

} // namespace

LinearRgb Multiply(const Matrix3& m, const LinearRgb& v)
{
    return {m[0] * v.r + m[1] * v.g + m[2] * v.b, m[3] * v.r + m[4] * v.g + m[5] * v.b,
        m[6] * v.r + m[7] * v.g + m[8] * v.b};
}

double LinearOfByte(std::uint32_t byte) { return Tables().linear[byte & 0xFF]; }

std::uint32_t ByteOfLinear(double v)
{
    if (!(v > 0.0))
        return 0;
    const auto& threshold = Tables().threshold;
    return static_cast<std::uint32_t>(std::upper_bound(threshold.begin(), threshold.end(), v) - threshold.begin());
}

LinearRgb LinearOf(std::uint32_t rgb)
{
    return {LinearOfByte(rgb & 0xFF), LinearOfByte((rgb >> 8) & 0xFF), LinearOfByte((rgb >> 16) & 0xFF)};
}

OkLab OkLabFromLinear(const LinearRgb& c)
{
    const LinearRgb lms = Multiply(kLinearToLms, c);
    const LinearRgb root = Multiply(kLmsRootToOkLab, {std::cbrt(lms.r), std::cbrt(lms.g), std::cbrt(lms.b)});
    return {root.r, root.g, root.b};
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
    return {lab.L, std::hypot(lab.a, lab.b), h};
}

OkLab FromOkLch(const OkLch& lch)
{
    const double radians = lch.h * (std::numbers::pi / 180.0);
    return {lch.L, lch.C * std::cos(radians), lch.C * std::sin(radians)};
}

double DeltaE(const OkLab& x, const OkLab& y) { return 100.0 * std::sqrt(SquaredDistance(x, y)); }

std::uint32_t RgbOfOkLab(const OkLab& lab)
{
    LinearRgb c = LinearFromOkLab(lab);
    if (!InGamut(c)) {
        // The grey of the same lightness is inside whenever the lightness is;
        // keep the largest share of the chroma that still fits.
        const double chroma = std::hypot(lab.a, lab.b);
        double inside = 0.0, outside = 1.0;
        while ((outside - inside) * chroma > kClipPrecision) {
            const double share = (inside + outside) * 0.5;
            if (InGamut(LinearFromOkLab({lab.L, lab.a * share, lab.b * share})))
                inside = share;
            else
                outside = share;
        }
        c = LinearFromOkLab({lab.L, lab.a * inside, lab.b * inside});
    }
    return ByteOfLinear(c.r) | ByteOfLinear(c.g) << 8 | ByteOfLinear(c.b) << 16;
}

} // namespace tintor
