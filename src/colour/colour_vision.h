#pragma once

#include "colour/oklab.h"

#include <cstdint>
#include <optional>

namespace tintor {

// How a movie looks to people who see colour differently.
enum class VisionSimulation { Normal, Protanopia, Deuteranopia, Tritanopia, Greyscale };

// The dichromacies as Machado, Oliveira and Fernandes (2009) model them at
// full severity: a matrix applied to linear light. Normal vision is the
// identity; greyscale is no matrix (nullopt), as OKLab lightness is not
// linear in light. A preview can apply greyscale as kLinearToLms, a cube
// root per channel, the L row of kLmsRootToOkLab in every channel, and a
// cube per channel.
std::optional<Matrix3> VisionMatrix(VisionSimulation vision);

// One colour (red in the low byte) as it is seen: the matrix applied in
// linear light, clipped to 0..1; greyscale is the grey of the same OKLab
// lightness.
std::uint32_t SimulateVision(VisionSimulation vision, std::uint32_t rgb);

} // namespace tintor
