#include "colour/perceptual_effect.h"

#include "colour/oklab.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tintor {
namespace {

constexpr int kMemoryBits = 12;

} // namespace

CPerceptualEffect::CPerceptualEffect(double hue, double saturation, double value, bool unify)
    : m_unify(unify),
      m_chromaScale(std::max(0.0, 1.0 + saturation / 100.0)),
      m_lighten(std::clamp(value / 100.0, -1.0, 1.0)),
      m_memory(std::size_t{1} << kMemoryBits)
{
    const double degrees = unify ? (hue + 100.0) * 1.8 : hue * 1.8;
    const double radians = std::fmod(degrees, 360.0) * (std::numbers::pi / 180.0);
    m_cos = std::cos(radians);
    m_sin = std::sin(radians);
}

std::uint32_t CPerceptualEffect::Apply(std::uint32_t rgb) const
{
    rgb &= 0xFFFFFF;
    // Fibonacci hashing spreads neighbouring colours over the slots.
    std::uint64_t& slot = m_memory[(rgb * 2654435761u) >> (32 - kMemoryBits)];
    if ((slot >> 32) == std::uint64_t{rgb} + 1)
        return static_cast<std::uint32_t>(slot);
    const std::uint32_t result = Compute(rgb);
    slot = (std::uint64_t{rgb} + 1) << 32 | result;
    return result;
}

std::uint32_t CPerceptualEffect::Compute(std::uint32_t rgb) const
{
    const OkLab lab = OkLabOf(rgb);
    double a = lab.a * m_chromaScale;
    double b = lab.b * m_chromaScale;
    if (!IsGrey(lab)) {
        if (m_unify) {
            const double chroma = std::sqrt(a * a + b * b);
            a = chroma * m_cos;
            b = chroma * m_sin;
        } else {
            const double turnedA = a * m_cos - b * m_sin;
            b = a * m_sin + b * m_cos;
            a = turnedA;
        }
    }
    const double L = m_lighten > 0.0 ? lab.L + (1.0 - lab.L) * m_lighten : lab.L + lab.L * m_lighten;
    return RgbOfOkLab({L, a, b});
}

} // namespace tintor
