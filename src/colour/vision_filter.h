#pragma once

#include "colour/colour_vision.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tintor {

// A colour-vision simulation as steps a browser's SVG filter can take, each
// on linear light clipped to 0..1 after it (an SVG filter with
// color-interpolation-filters="linearRGB"): a 3 × 3 matrix (feColorMatrix)
// or the same power on every channel (feComponentTransfer's gamma).
struct FilterStep {
    enum class Kind { Matrix, Power };
    Kind kind = Kind::Matrix;
    Matrix3 matrix{};
    double exponent = 1;
};

// The dichromacies are their one matrix. Greyscale is OKLab lightness made
// exactly: to the cone responses, their cube roots, the L row of OKLab in
// every channel, and the cube of that, which is the linear light of the
// grey whose lightness is L. No single colour matrix could do it, as L is
// not linear in light. Normal vision is no step at all.
std::vector<FilterStep> VisionFilterSteps(VisionSimulation vision);

// A colour (red in the low byte) through the steps as the browser takes
// them, in double precision.
std::uint32_t ApplyFilterSteps(const std::vector<FilterStep>& steps, std::uint32_t rgb);

// The SVG <filter> element with the steps and the id given; empty for
// normal vision.
std::string VisionFilterMarkup(VisionSimulation vision, const std::string& id);

} // namespace tintor
