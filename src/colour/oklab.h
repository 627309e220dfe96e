#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tintor {

// Björn Ottosson's OKLab (2020): a colour space in which equal distances look
// about equally different, and lightness is lightness as people see it.
// Colours here are 8-bit sRGB with red in the low byte, as keys hold them;
// bits 24-31 are ignored.

// Lightness L (0 black, 1 white) and the opponent axes a (green to red) and
// b (blue to yellow).
struct OkLab {
    double L = 0;
    double a = 0;
    double b = 0;
};

// The same colour in polar form: chroma C (distance from the grey axis) and
// hue h in degrees, 0 <= h < 360.
struct OkLch {
    double L = 0;
    double C = 0;
    double h = 0;
};

// Light as the screen emits it, each channel 0..1.
struct LinearRgb {
    double r = 0;
    double g = 0;
    double b = 0;
};

using Matrix3 = std::array<double, 9>; // row by row

// Linear sRGB to the cone-like l, m, s; their cube roots to L, a, b.
inline constexpr Matrix3 kLinearToLms = {0.4122214708, 0.5363325363, 0.0514459929, 0.2119034982, 0.6806995451,
    0.1073969566, 0.0883024619, 0.2817188376, 0.6299787005};
inline constexpr Matrix3 kLmsRootToOkLab = {0.2104542553, 0.7936177850, -0.0040720468, 1.9779984951, -2.4285922050,
    0.4505937099, 0.0259040371, 0.7827717662, -0.8086757660};
inline constexpr Matrix3 kOkLabToLmsRoot
    = {1.0, 0.3963377774, 0.2158037573, 1.0, -0.1055613458, -0.0638541728, 1.0, -0.0894841775, -1.2914855480};
inline constexpr Matrix3 kLmsToLinear = {4.0767416621, -3.3077115913, 0.2309699292, -1.2684380046, 2.6097574011,
    -0.3413193965, -0.0041960863, -0.7034186147, 1.7076147010};

// Below this chroma a colour counts as grey: it has no hue worth the name.
inline constexpr double kGreyChroma = 0.02;

inline LinearRgb Multiply(const Matrix3& m, const LinearRgb& v)
{
    return {m[0] * v.r + m[1] * v.g + m[2] * v.b, m[3] * v.r + m[4] * v.g + m[5] * v.b,
        m[6] * v.r + m[7] * v.g + m[8] * v.b};
}

// The sRGB transfer function, by a table of the 256 channel values.
double LinearOfByte(std::uint32_t byte);
// The channel byte whose sRGB value lies nearest to linear light v; 0 below
// 0 (and for NaN), 255 above 1.
std::uint32_t ByteOfLinear(double v);
LinearRgb LinearOf(std::uint32_t rgb);

OkLab OkLabFromLinear(const LinearRgb& c);
LinearRgb LinearFromOkLab(const OkLab& lab);
OkLab OkLabOf(std::uint32_t rgb);
// OkLabOf of each colour, the same to the last bit, for millions at a time
// (on every core).
void OkLabsOf(std::span<const std::uint32_t> rgbs, std::span<OkLab> labs);

OkLch ToOkLch(const OkLab& lab);
OkLab FromOkLch(const OkLch& lch);
inline OkLch OkLchOf(std::uint32_t rgb) { return ToOkLch(OkLabOf(rgb)); }

inline bool IsGrey(const OkLab& lab) { return lab.a * lab.a + lab.b * lab.b < kGreyChroma * kGreyChroma; }

// 100 times the Euclidean distance: about 2 is the smallest difference people notice.
double DeltaE(const OkLab& x, const OkLab& y);
// The square of (DeltaE / 100), for comparisons without a square root.
inline double SquaredDistance(const OkLab& x, const OkLab& y)
{
    const double dL = x.L - y.L, da = x.a - y.a, db = x.b - y.b;
    return dL * dL + da * da + db * db;
}

// Back to an 8-bit colour. A colour outside sRGB keeps its lightness and hue
// and loses chroma until it fits (found by bisection to within 1e-5), then
// each channel rounds to the nearest byte.
std::uint32_t RgbOfOkLab(const OkLab& lab);

} // namespace tintor
