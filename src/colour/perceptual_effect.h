#pragma once

#include <cstdint>
#include <vector>

namespace tintor {

// The sliders' effect worked out in OKLCh rather than in HSV, so that a hue
// turned keeps the lightness people see. Each argument is the number the
// window shows beside its slider, -100..100 with 0 changing nothing:
// - hue N turns h by 1.8 N degrees (with unify, h becomes (N + 100) 1.8
//   degrees for every colour);
// - saturation N scales C by 1 + N/100 (-100 gives the grey of the same
//   lightness);
// - value N moves L toward white by N/100 of the way, or toward black by
//   -N/100 of it.
// Greys (C below kGreyChroma) have no hue to turn or unify; they keep their
// own. A result outside sRGB keeps L and h and loses chroma until it fits.
class CPerceptualEffect {
public:
    CPerceptualEffect(double hue, double saturation, double value, bool unify);
    // The colour (red in the low byte; bits 24-31 ignored) with the effect.
    std::uint32_t Apply(std::uint32_t rgb) const;

private:
    std::uint32_t Compute(std::uint32_t rgb) const;

    // Hue turned by the angle whose cosine and sine these are, or (unify)
    // set to it.
    double m_cos;
    double m_sin;
    bool m_unify;
    double m_chromaScale;
    // Share of the way toward white (> 0) or black (< 0).
    double m_lighten;
    // Each distinct colour is worked out once: a slider step repaints the
    // same swatches over and over, and a colour often stands under several
    // kinds. A small direct-mapped memory keeps that cheap for any number
    // of colours; an entry holds the colour plus one in its high half.
    mutable std::vector<std::uint64_t> m_memory;
};

} // namespace tintor
