#include "colour/colour_vision.h"

namespace tintor {

std::optional<Matrix3> VisionMatrix(VisionSimulation vision)
{
    switch (vision) {
    case VisionSimulation::Normal:
        return Matrix3{1, 0, 0, 0, 1, 0, 0, 0, 1};
    case VisionSimulation::Protanopia:
        return Matrix3{0.152286, 1.052583, -0.204868, 0.114503, 0.786281, 0.099216, -0.003882, -0.048116, 1.051998};
    case VisionSimulation::Deuteranopia:
        return Matrix3{0.367322, 0.860646, -0.227968, 0.280085, 0.672501, 0.047413, -0.011820, 0.042940, 0.968881};
    case VisionSimulation::Tritanopia:
        return Matrix3{1.255528, -0.076749, -0.178779, -0.078411, 0.930809, 0.147602, 0.004733, 0.691367, 0.303900};
    case VisionSimulation::Greyscale:
        break;
    }
    return std::nullopt;
}

std::uint32_t SimulateVision(VisionSimulation vision, std::uint32_t rgb)
{
    const auto matrix = VisionMatrix(vision);
    if (!matrix)
        return RgbOfOkLab({OkLabOf(rgb).L, 0.0, 0.0});
    // ByteOfLinear clips to 0..1.
    const LinearRgb seen = Multiply(*matrix, LinearOf(rgb));
    return ByteOfLinear(seen.r) | ByteOfLinear(seen.g) << 8 | ByteOfLinear(seen.b) << 16;
}

} // namespace tintor
