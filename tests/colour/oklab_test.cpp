// OKLab against Björn Ottosson's published values, the perceptual effect
// against results worked out by hand from its definition, and the
// colour-vision matrices against the matrices applied by the test itself.
#include "colour/colour_table.h"
#include "colour/colour_vision.h"
#include "colour/oklab.h"
#include "colour/perceptual_effect.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tintor {
namespace {

// The sRGB transfer function, written out here.
std::uint32_t EncodeByte(double linear)
{
    const double v = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}
std::uint32_t Grey(double linear) { return EncodeByte(linear) * 0x010101; }

TEST(OkLabTest, PublishedValues)
{
    // Ottosson's table is given from CIE XYZ (D65); the standard matrix
    // takes it to linear sRGB first. Three decimals published.
    const struct {
        double x, y, z, L, a, b;
    } fromXyz[] = {
        {0.950, 1.000, 1.089, 1.000, 0.000, 0.000},
        {1.000, 0.000, 0.000, 0.450, 1.236, -0.019},
        {0.000, 1.000, 0.000, 0.922, -0.671, 0.263},
        {0.000, 0.000, 1.000, 0.153, -1.415, -0.449},
    };
    for (const auto& row : fromXyz) {
        const LinearRgb linear{3.2404542 * row.x - 1.5371385 * row.y - 0.4985314 * row.z,
            -0.9692660 * row.x + 1.8760108 * row.y + 0.0415560 * row.z,
            0.0556434 * row.x - 0.2040259 * row.y + 1.0572252 * row.z};
        const OkLab lab = OkLabFromLinear(linear);
        EXPECT_NEAR(lab.L, row.L, 2e-3) << row.x << row.y << row.z;
        EXPECT_NEAR(lab.a, row.a, 2e-3) << row.x << row.y << row.z;
        EXPECT_NEAR(lab.b, row.b, 2e-3) << row.x << row.y << row.z;
    }
    // sRGB colours as OKLCh, as CSS Color 4 lists them.
    const struct {
        std::uint32_t rgb;
        double L, C, h;
    } fromRgb[] = {
        {0x0000FF, 0.62796, 0.25768, 29.234},  // red
        {0x00FF00, 0.86644, 0.29483, 142.495}, // lime
        {0xFF0000, 0.45201, 0.31321, 264.052}, // blue
        {0xFFFFFF, 1.00000, 0.00000, -1},      // white: no hue
        {0x000000, 0.00000, 0.00000, -1},
    };
    for (const auto& row : fromRgb) {
        const OkLch lch = OkLchOf(row.rgb);
        EXPECT_NEAR(lch.L, row.L, 1e-5) << std::hex << row.rgb;
        EXPECT_NEAR(lch.C, row.C, 1e-5) << std::hex << row.rgb;
        if (row.h >= 0) {
            EXPECT_NEAR(lch.h, row.h, 1e-3) << std::hex << row.rgb;
        }
        EXPECT_EQ(IsGrey(OkLabOf(row.rgb)), row.C < kGreyChroma);
    }
    EXPECT_NEAR(DeltaE(OkLabOf(0), OkLabOf(0xFFFFFF)), 100.0, 1e-6);
}

TEST(OkLabTest, EveryColourComesBackAndOutsideColoursKeepLightnessAndHue)
{
    for (std::uint32_t rgb = 0; rgb < 0x1000000; rgb += 4093)
        ASSERT_EQ(RgbOfOkLab(OkLabOf(rgb)), rgb) << std::hex << rgb;
    // Far outside sRGB: the result lies on the gamut's surface (a channel at
    // 0 or 255) with about the lightness and hue asked for.
    for (const OkLch wanted : {OkLch{0.7, 0.4, 150}, OkLch{0.3, 0.5, 20}, OkLch{0.9, 0.3, 300}}) {
        const std::uint32_t rgb = RgbOfOkLab(FromOkLch(wanted));
        const OkLch got = OkLchOf(rgb);
        EXPECT_NEAR(got.L, wanted.L, 0.01) << wanted.h;
        EXPECT_NEAR(got.h, wanted.h, 2.0) << wanted.h;
        bool onSurface = false;
        for (int shift : {0, 8, 16})
            onSurface = onSurface || ((rgb >> shift) & 0xFF) == 0 || ((rgb >> shift) & 0xFF) == 255;
        EXPECT_TRUE(onSurface) << std::hex << rgb;
    }
}

TEST(OkLabTest, ManyAtOnceAreEachToTheLastBit)
{
    // Enough colours for every core to take a share.
    std::vector<std::uint32_t> rgbs(1 << 17);
    for (std::uint32_t i = 0; i < rgbs.size(); ++i)
        rgbs[i] = i * 0x9E3779B1u >> 8;
    rgbs[0] = 0x000000;
    rgbs[1] = 0xFFFFFF;
    std::vector<OkLab> labs(rgbs.size());
    OkLabsOf(rgbs, labs);
    for (std::size_t i = 0; i < rgbs.size(); ++i) {
        const OkLab one = OkLabOf(rgbs[i]);
        ASSERT_TRUE(one.L == labs[i].L && one.a == labs[i].a && one.b == labs[i].b) << std::hex << rgbs[i];
    }
}

TEST(PerceptualEffectTest, ResultsWorkedOutFromTheDefinition)
{
    const double redL = 0.6279553606; // OKLab L of #ff0000
    const std::uint32_t nearGrey = 0x7A7C80;
    ASSERT_TRUE(IsGrey(OkLabOf(nearGrey)));
    const struct {
        const char* name;
        double hue, saturation, value;
        bool unify;
        std::uint32_t in, out;
    } rows[] = {
        {"saturation -100: the grey of the same lightness", 0, -100, 0, false, 0x0000FF, Grey(std::pow(redL, 3))},
        {"value +50: half way to white", 0, 0, 50, false, 0x000000, Grey(0.125)},
        {"value -100: black", 0, 0, -100, false, 0x0000FF, 0x000000},
        {"value +100: white", 40, 20, 100, false, 0x123456, 0xFFFFFF},
        // Each of these lies on the gamut's surface already: twice the
        // chroma at the same lightness and hue clips back to itself.
        {"gamut clip of red", 0, 100, 0, false, 0x0000FF, 0x0000FF},
        {"gamut clip of blue", 0, 100, 0, false, 0xFF0000, 0xFF0000},
        {"gamut clip of pink", 0, 100, 0, false, 0x8080FF, 0x8080FF},
        {"a grey keeps its hue", 60, 0, 0, false, nearGrey, nearGrey},
        {"a grey is not unified", 60, 0, 0, true, nearGrey, nearGrey},
        {"pure grey", -35, 0, 0, false, 0x808080, 0x808080},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CPerceptualEffect(row.hue, row.saturation, row.value, row.unify).Apply(row.in), row.out) << row.name;
}

TEST(PerceptualEffectTest, HueTurnsAndUnifiesKeepingLightness)
{
    // Colours of low chroma, so that the turned ones stay inside sRGB.
    for (const std::uint32_t rgb : {0x6080A0u, 0x70907Au, 0x8A7A9Au}) {
        const OkLch before = OkLchOf(rgb);
        for (const int n : {-100, -30, 25, 100}) {
            const OkLch turned = OkLchOf(CPerceptualEffect(n, 0, 0, false).Apply(rgb));
            EXPECT_NEAR(turned.L, before.L, 0.005) << std::hex << rgb << std::dec << " " << n;
            EXPECT_NEAR(turned.C, before.C, 0.005) << std::hex << rgb << std::dec << " " << n;
            EXPECT_NEAR(std::remainder(turned.h - before.h - 1.8 * n, 360.0), 0.0, 1.5) << std::hex << rgb;
            const OkLch unified = OkLchOf(CPerceptualEffect(n, 0, 0, true).Apply(rgb));
            EXPECT_NEAR(unified.L, before.L, 0.005) << std::hex << rgb << std::dec << " " << n;
            EXPECT_NEAR(std::remainder(unified.h - (n + 100) * 1.8, 360.0), 0.0, 1.5) << std::hex << rgb;
        }
    }
}

TEST(PerceptualEffectTest, TableWorksInTheChosenSpaceWhichOutlivesApplying)
{
    CRecordingSink sink;
    CColorTable table;
    table.ResetColorTable();
    table.Map().Set(KIND_FILL | 0x0000FF, KIND_FILL | kSelectedBit | 0x0000FF);
    table.Effect("S", 0, sink);
    EXPECT_EQ(table.GetColor(KIND_FILL | 0x0000FF, 1, sink), KIND_FILL | 0x7F7F7F); // HSV's grey
    table.Effect("Perceptual", 1, sink);
    EXPECT_EQ(table.Space(), EffectSpace::OkLch);
    EXPECT_EQ(table.GetColor(KIND_FILL | 0x0000FF, 1, sink), KIND_FILL | Grey(std::pow(0.6279553606, 3)));
    const CColorTable copy = table;
    EXPECT_EQ(copy.GetColor(KIND_FILL | 0x0000FF, 1, sink), table.GetColor(KIND_FILL | 0x0000FF, 1, sink));
    table.ApplyEffects(sink);
    EXPECT_EQ(table.Space(), EffectSpace::OkLch);
    EXPECT_TRUE(table.ParametersAreDefault());
    table.ResetColorTable();
    EXPECT_EQ(table.Space(), EffectSpace::Hsv);
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(ColourVisionTest, MatricesApplyInLinearLight)
{
    // Pure blue is (0, 0, 1) in linear light: each simulation gives the
    // matrix's third column, clipped to 0..1.
    const struct {
        VisionSimulation vision;
        double r, g, b;
    } rows[] = {
        {VisionSimulation::Protanopia, -0.204868, 0.099216, 1.051998},
        {VisionSimulation::Deuteranopia, -0.227968, 0.047413, 0.968881},
        {VisionSimulation::Tritanopia, -0.178779, 0.147602, 0.303900},
        {VisionSimulation::Normal, 0, 0, 1},
    };
    for (const auto& row : rows) {
        const std::uint32_t expected = EncodeByte(row.r) | EncodeByte(row.g) << 8 | EncodeByte(row.b) << 16;
        EXPECT_EQ(SimulateVision(row.vision, 0xFF0000), expected) << static_cast<int>(row.vision);
        // A grey stays grey: every row adds up to one.
        EXPECT_EQ(SimulateVision(row.vision, 0x777777), 0x777777u) << static_cast<int>(row.vision);
    }
    EXPECT_EQ(SimulateVision(VisionSimulation::Greyscale, 0x0000FF), Grey(std::pow(0.6279553606, 3)));
    EXPECT_FALSE(VisionMatrix(VisionSimulation::Greyscale));
}

} // namespace
} // namespace tintor
