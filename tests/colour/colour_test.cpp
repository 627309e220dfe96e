#include "colour/colour.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | g << 8 | b << 16; }

constexpr std::uint32_t kRed = Rgb(255, 0, 0);
constexpr std::uint32_t kGreen = Rgb(0, 255, 0);
constexpr std::uint32_t kBlue = Rgb(0, 0, 255);
constexpr std::uint32_t kWhite = Rgb(255, 255, 255);
constexpr std::uint32_t kGrey = Rgb(128, 128, 128);
constexpr double kDefaultArg = 127.5; // half a step below the neutral 128

TEST(ColorDistanceTest, SquaredChannelDifferencesIgnoringTheTopByte)
{
    EXPECT_EQ(CColor(0x123456).Distance(0x123456), 0);
    EXPECT_EQ(CColor(0).Distance(kWhite), 195075);
    EXPECT_EQ(CColor(0x81123456).Distance(0x10123456), 0);
    EXPECT_EQ(CColor(Rgb(10, 20, 30)).Distance(Rgb(13, 16, 30)), 9 + 16);
}

TEST(ColorHlsTest, PacksHueSaturationLightness)
{
    EXPECT_EQ(CColor(0).ToHls(), 0u);
    EXPECT_EQ(CColor(kWhite).ToHls(), 0xFF0000u);
    EXPECT_EQ(CColor(kGrey).ToHls(), 0x800000u);
    EXPECT_EQ(CColor(kRed).ToHls(), 0x7FFFFFu);
    EXPECT_EQ(CColor(kGreen).ToHls(), 0x7FFF55u);
    EXPECT_EQ(CColor(kBlue).ToHls(), 0x7FFFAAu);
    EXPECT_EQ(CColor(Rgb(255, 255, 0)).ToHls(), 0x7FFF2Au);
    // The top byte plays no part.
    EXPECT_EQ(CColor(0xF1000000 | kRed).ToHls(), 0x7FFFFFu);
}

TEST(ColorHlsTest, RedWithATraceOfGreenSitsAtTheStartOfTheCircle)
{
    // Not the same branch as pure red, whose hue is a full turn.
    EXPECT_EQ(CColor(Rgb(255, 1, 0)).ToHls() & 0xFF, 0u);
}

TEST(ColorHlsTest, RoundTripIsLossyOnlyWhereHueScalesDisagree)
{
    EXPECT_EQ(CColor(CColor(kRed).ToHls()).ToRgb(), Rgb(254, 0, 5));
    EXPECT_EQ(CColor(CColor(kWhite).ToHls()).ToRgb(), kWhite);
    EXPECT_EQ(CColor(CColor(0).ToHls()).ToRgb(), 0u);
    EXPECT_EQ(CColor(CColor(kGrey).ToHls()).ToRgb(), kGrey);
    EXPECT_EQ(CColor(0x80FF00).ToRgb(), kRed);
}

TEST(ColorEffectTest, HalfAStepBelowTheCentreIsNotNeutral)
{
    EXPECT_EQ(CColor(kRed).ApplyEffect(kDefaultArg, kDefaultArg, kDefaultArg, 0), Rgb(251, 0, 12));
    EXPECT_EQ(CColor(kWhite).ApplyEffect(kDefaultArg, kDefaultArg, kDefaultArg, 0), Rgb(254, 254, 254));
    EXPECT_EQ(CColor(kGrey).ApplyEffect(kDefaultArg, kDefaultArg, kDefaultArg, 0), Rgb(127, 127, 127));
    EXPECT_EQ(CColor(0).ApplyEffect(kDefaultArg, kDefaultArg, kDefaultArg, 0), 0u);
}

TEST(ColorEffectTest, ValueZeroBlackensAndSaturationZeroGreys)
{
    for (std::uint32_t c : {kRed, kGreen, kBlue, kWhite, kGrey, Rgb(12, 200, 99)})
        EXPECT_EQ(CColor(c).ApplyEffect(kDefaultArg, kDefaultArg, 0, 0), 0u) << std::hex << c;
    EXPECT_EQ(CColor(kRed).ApplyEffect(kDefaultArg, 0, kDefaultArg, 0), Rgb(126, 126, 126));
}

TEST(ColorEffectTest, UnifyGivesEqualLightnessesTheSameColour)
{
    for (std::uint32_t c : {kRed, kGreen, kBlue})
        EXPECT_EQ(CColor(c).ApplyEffect(kDefaultArg, kDefaultArg, kDefaultArg, 1), Rgb(188, 63, 66)) << std::hex << c;
    // Any nonzero flag unifies.
    EXPECT_EQ(CColor(kGreen).ApplyEffect(kDefaultArg, kDefaultArg, kDefaultArg, -7), Rgb(188, 63, 66));
}

TEST(ColorEffectTest, ValueTowardWhiteAndHueShift)
{
    EXPECT_EQ(CColor(0).ApplyEffect(kDefaultArg, kDefaultArg, 255, 0), Rgb(254, 254, 254));
    EXPECT_EQ(CColor(kWhite).ApplyEffect(kDefaultArg, kDefaultArg, 255, 0), kWhite);
    EXPECT_EQ(CColor(kRed).ApplyEffect(0, kDefaultArg, kDefaultArg, 0), Rgb(0, 251, 245));
}

TEST(ColorEffectTest, ArgumentsFarOutOfRangeStillGiveAColour)
{
    // The table passes slider parameters on unchecked; nothing may trap.
    const double huge = 2147483647.0 * 255.0 * 0.005;
    for (double a : {huge, -huge, 1e300, -1e300})
        EXPECT_EQ(CColor(kRed).ApplyEffect(a, a, a, 0) & 0xFF000000u, 0u);
}

TEST(ColorEffectTest, AnEffectWorkedOutOnceGivesWhatEachColourWouldGetAlone)
{
    // Hue, saturation and lightness tables in their places, for effects in
    // and far out of range, unified or not, over colours from all the cube.
    const double huge = 2147483647.0 * 255.0 * 0.005;
    const double effects[][3] = {{kDefaultArg, kDefaultArg, kDefaultArg}, {200, 60, 150}, {0, 255, 255}, {255, 0, 0},
        {huge, -huge, 300}, {-40, 1e300, -1e300}};
    for (const auto& [hue, saturation, value] : effects) {
        for (int unify : {0, 1}) {
            const CColorEffect effect(hue, saturation, value, unify);
            for (std::uint32_t c = 0; c < 0x1000000; c += 0x1003) {
                ASSERT_EQ(effect.Apply(c), CColor(c).ApplyEffect(hue, saturation, value, unify))
                    << std::hex << c << " " << hue << " " << saturation << " " << value << " " << unify;
            }
        }
    }
}

} // namespace
} // namespace tintor
