#include "colour/colour.h"

#include <algorithm>
#include <cmath>

namespace tintor {
namespace {

// Every constant is the double nearest to the fraction and is only ever
// multiplied by: dividing instead would round differently and move bytes.
constexpr double kOver255 = 1.0 / 255.0;
constexpr double kOver256 = 1.0 / 256.0;
constexpr double kOver128 = 1.0 / 128.0;
constexpr double kOver6 = 1.0 / 6.0;

double Channel(std::uint32_t value, int shift) { return static_cast<double>((value >> shift) & 0xFF); }

// Truncates toward zero and keeps the low 8 bits of the integer. fmod is
// exact, so this equals the plain truncation for every value and stays
// defined for the wild values that unchecked slider parameters can produce;
// within the range of int the plain truncation is taken, as it is cheaper.
std::uint32_t TruncByte(double x)
{
    if (x > -2147483648.0 && x < 2147483648.0)
        return static_cast<std::uint32_t>(static_cast<int>(x)) & 0xFF;
    const double wrapped = std::fmod(x, 256.0);
    if (std::isnan(wrapped))
        return 0;
    return static_cast<std::uint32_t>(static_cast<int>(wrapped)) & 0xFF;
}

// The effect moves hue, saturation and lightness each on its own: each new
// byte depends on the old one and the parameters alone.
std::uint32_t EffectHue(std::uint32_t h, double hue, int unify)
{
    double hn = hue - 128.0;
    if (unify == 0)
        hn = hn + static_cast<double>(h);
    if (hn >= 256.0)
        hn -= 256.0;
    if (hn < 0.0)
        hn += 256.0;
    return TruncByte(hn);
}

std::uint32_t EffectSaturation(std::uint32_t s, double saturation, int unify)
{
    double sn
        = unify != 0 ? (saturation - 128.0) + 128.0 : ((saturation - 128.0) * kOver128 + 1.0) * static_cast<double>(s);
    if (sn >= 256.0)
        sn = 255.0;
    else if (sn < 0.0)
        sn = 0.0;
    return TruncByte(sn);
}

std::uint32_t EffectLightness(std::uint32_t l, double value)
{
    const double d = value - 128.0;
    const double lf = static_cast<double>(l);
    double ln = d > 0.0 ? (256.0 - lf) * (d * kOver128) + lf : (d * kOver128) * lf + lf;
    if (ln >= 256.0)
        ln = 255.0;
    else if (ln < 0.0)
        ln = 0.0;
    return TruncByte(ln);
}

// Whether the effect leaves a colour where it was: no byte of its HLS value
// moved, or, for a colour without saturation, neither saturation nor
// lightness (its hue is never read). The way to HLS and back loses bits
// (grey 33 comes back as 32, pure red as 254,0,5), so such a colour is kept
// exactly as it was rather than sent that way.
bool Unmoved(std::uint32_t hls, std::uint32_t shifted)
{
    const std::uint32_t read = (hls & 0x00FF00) == 0 ? 0xFFFF00 : 0xFFFFFF;
    return ((hls ^ shifted) & read) == 0;
}

} // namespace

std::int32_t CColor::Distance(std::uint32_t other) const
{
    std::int32_t sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::int32_t d
            = static_cast<std::int32_t>((m_value >> shift) & 0xFF) - static_cast<std::int32_t>((other >> shift) & 0xFF);
        sum += d * d;
    }
    return sum;
}

std::uint32_t CColor::ToHls() const
{
    const double r = Channel(m_value, 0) * kOver255;
    const double g = Channel(m_value, 8) * kOver255;
    const double b = Channel(m_value, 16) * kOver255;
    const double mx = std::max(r, std::max(g, b));
    const double mn = std::min(r, std::min(g, b));

    const double l = (mx + mn) * 0.5;
    if (!(l > 0.0))
        return 0;
    const double delta = mx - mn;
    if (!(delta > 0.0))
        return TruncByte(l * 255.0) << 16;

    const double s = l <= 0.5 ? delta / (mx + mn) : delta / ((2.0 - mx) - mn);
    // Of (mx - r) / delta, (mx - g) / delta and (mx - b) / delta each test
    // below takes one; only that one is divided out, the same single
    // operation as when all three are.
    const auto ratio = [&](double channel) { return (mx - channel) / delta; };

    // The order of the tests decides the hue of pure red: 6, not 0.
    double h;
    if (r == mx)
        h = g == mn ? 5.0 + ratio(b) : 1.0 - ratio(g);
    else if (g == mx)
        h = b == mn ? 1.0 + ratio(r) : 3.0 - ratio(b);
    else
        h = r == mn ? 3.0 + ratio(g) : 5.0 - ratio(r);

    const std::uint32_t hue = TruncByte(h * kOver6 * 255.0);
    const std::uint32_t saturation = TruncByte(s * 255.0);
    const std::uint32_t lightness = TruncByte(l * 255.0);
    return hue | saturation << 8 | lightness << 16;
}

std::uint32_t CColor::ToRgb() const
{
    // The hue byte is read on a scale of 256 per turn although ToHls writes
    // 255 per turn; stored colours depend on this asymmetry.
    const double h = Channel(m_value, 0) * kOver256;
    const double s = Channel(m_value, 8) * kOver255;
    const double l = Channel(m_value, 16) * kOver255;

    const double v = l <= 0.5 ? (s + 1.0) * l : (l + s) - l * s;
    if (!(v > 0.0))
        return 0;

    const double m = (l + l) - v;
    const double hh = h * 6.0;
    const int sextant = static_cast<int>(hh);
    const double sv = (v - m) / v;
    const double fract = hh - sextant;
    const double vsf = (sv * fract) * v;
    const double mid1 = vsf + m;
    const double mid2 = v - vsf;

    // Which of v, m, mid1 and mid2 each channel takes in each sextant of the
    // hue circle, picked from a table: the sextants of colours one after
    // another follow no pattern a branch could learn.
    static constexpr std::uint8_t kPick[6][3] = {{0, 2, 1}, {3, 0, 1}, {1, 0, 2}, {1, 3, 0}, {2, 1, 0}, {0, 1, 3}};
    const double candidates[4] = {v, m, mid1, mid2};
    const std::uint8_t* pick = kPick[std::min(static_cast<unsigned>(sextant), 5u)];
    const double red = candidates[pick[0]];
    const double green = candidates[pick[1]];
    const double blue = candidates[pick[2]];
    return TruncByte(red * 255.0) | TruncByte(green * 255.0) << 8 | TruncByte(blue * 255.0) << 16;
}

std::uint32_t CColor::ApplyEffect(double hue, double saturation, double value, int unify) const
{
    const std::uint32_t hls = ToHls();
    const std::uint32_t shifted = EffectHue(hls & 0xFF, hue, unify)
        | EffectSaturation((hls >> 8) & 0xFF, saturation, unify) << 8
        | EffectLightness((hls >> 16) & 0xFF, value) << 16;
    return Unmoved(hls, shifted) ? m_value & 0xFFFFFF : CColor(shifted).ToRgb();
}

CColorEffect::CColorEffect(double hue, double saturation, double value, int unify)
{
    for (std::uint32_t i = 0; i < 256; ++i) {
        m_hue[i] = static_cast<std::uint8_t>(EffectHue(i, hue, unify));
        m_saturation[i] = static_cast<std::uint8_t>(EffectSaturation(i, saturation, unify));
        m_lightness[i] = static_cast<std::uint8_t>(EffectLightness(i, value));
    }
}

std::uint32_t CColorEffect::Apply(std::uint32_t colour) const
{
    const std::uint32_t hls = CColor(colour).ToHls();
    const std::uint32_t shifted = std::uint32_t{m_hue[hls & 0xFF]} | std::uint32_t{m_saturation[(hls >> 8) & 0xFF]} << 8
        | std::uint32_t{m_lightness[(hls >> 16) & 0xFF]} << 16;
    return Unmoved(hls, shifted) ? colour & 0xFFFFFF : CColor(shifted).ToRgb();
}

} // namespace tintor
