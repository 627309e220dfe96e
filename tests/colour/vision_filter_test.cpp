// The preview's colour-vision filter against the simulation of single
// colours: the steps a browser takes give the colours SimulateVision gives.
#include "colour/vision_filter.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tintor {
namespace {

int LargestChannelDifference(std::uint32_t x, std::uint32_t y)
{
    int largest = 0;
    for (int shift = 0; shift < 24; shift += 8)
        largest = std::max(
            largest, std::abs(static_cast<int>((x >> shift) & 0xFF) - static_cast<int>((y >> shift) & 0xFF)));
    return largest;
}

TEST(VisionFilterTest, StepsSeeAsTheSimulationDoes)
{
    const VisionSimulation visions[] = {VisionSimulation::Normal, VisionSimulation::Protanopia,
        VisionSimulation::Deuteranopia, VisionSimulation::Tritanopia, VisionSimulation::Greyscale};
    for (const VisionSimulation vision : visions) {
        const auto steps = VisionFilterSteps(vision);
        int largest = 0;
        // Every 7th level of each channel, the corners and the greys among them.
        for (std::uint32_t r = 0; r < 256; r += 17)
            for (std::uint32_t g = 0; g < 256; g += 17)
                for (std::uint32_t b = 0; b < 256; b += 17) {
                    const std::uint32_t rgb = r | g << 8 | b << 16;
                    largest = std::max(
                        largest, LargestChannelDifference(ApplyFilterSteps(steps, rgb), SimulateVision(vision, rgb)));
                }
        // Greyscale goes through the gamut clip of RgbOfOkLab in the
        // simulation, a rounding apart at most.
        EXPECT_LE(largest, vision == VisionSimulation::Greyscale ? 1 : 0) << static_cast<int>(vision);
    }
}

TEST(VisionFilterTest, MarkupHoldsEveryStepAndNormalVisionNone)
{
    EXPECT_EQ(VisionFilterMarkup(VisionSimulation::Normal, "v"), "");
    const std::string grey = VisionFilterMarkup(VisionSimulation::Greyscale, "v");
    EXPECT_EQ(grey.rfind("<filter id=\"v\" color-interpolation-filters=\"linearRGB\">", 0), 0u);
    const std::string steps[] = {"<feColorMatrix type=\"matrix\" values=\"0.4122214708 0.5363325363 0.0514459929 0 0 ",
        "exponent=\"0.3333333333\"",
        "values=\"0.2104542553 0.793617785 -0.0040720468 0 0 0.2104542553 0.793617785 -0.0040720468 0 0 ",
        "exponent=\"3\""};
    std::size_t at = 0;
    for (const std::string& step : steps) {
        at = grey.find(step, at);
        ASSERT_NE(at, std::string::npos) << step;
    }
    EXPECT_NE(VisionFilterMarkup(VisionSimulation::Tritanopia, "v").find("0 0 0 1 0\"/></filter>"), std::string::npos);
}

} // namespace
} // namespace tintor
