#include "colour/vision_filter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tintor {

namespace {

Matrix3 EveryChannel(double r, double g, double b) { return {r, g, b, r, g, b, r, g, b}; }

double Clip(double v) { return std::clamp(v, 0.0, 1.0); }

std::string Number(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

} // namespace

std::vector<FilterStep> VisionFilterSteps(VisionSimulation vision)
{
    if (vision == VisionSimulation::Normal)
        return {};
    if (const auto matrix = VisionMatrix(vision))
        return {{FilterStep::Kind::Matrix, *matrix, 1}};
    return {
        {FilterStep::Kind::Matrix, kLinearToLms, 1},
        {FilterStep::Kind::Power, {}, 1.0 / 3.0},
        {FilterStep::Kind::Matrix, EveryChannel(kLmsRootToOkLab[0], kLmsRootToOkLab[1], kLmsRootToOkLab[2]), 1},
        {FilterStep::Kind::Power, {}, 3},
    };
}

std::uint32_t ApplyFilterSteps(const std::vector<FilterStep>& steps, std::uint32_t rgb)
{
    LinearRgb c = LinearOf(rgb);
    for (const FilterStep& step : steps) {
        if (step.kind == FilterStep::Kind::Matrix)
            c = Multiply(step.matrix, c);
        else
            c = {std::pow(Clip(c.r), step.exponent), std::pow(Clip(c.g), step.exponent),
                std::pow(Clip(c.b), step.exponent)};
        c = {Clip(c.r), Clip(c.g), Clip(c.b)};
    }
    return ByteOfLinear(c.r) | ByteOfLinear(c.g) << 8 | ByteOfLinear(c.b) << 16;
}

std::string VisionFilterMarkup(VisionSimulation vision, const std::string& id)
{
    const std::vector<FilterStep> steps = VisionFilterSteps(vision);
    if (steps.empty())
        return {};
    std::string markup = "<filter id=\"" + id + "\" color-interpolation-filters=\"linearRGB\">";
    for (const FilterStep& step : steps) {
        if (step.kind == FilterStep::Kind::Matrix) {
            // Four rows of five: the colour rows with no alpha or offset
            // term, and alpha as it was.
            markup += "<feColorMatrix type=\"matrix\" values=\"";
            for (int row = 0; row < 3; ++row) {
                for (int column = 0; column < 3; ++column)
                    markup += Number(step.matrix[static_cast<std::size_t>(row * 3 + column)]) + ' ';
                markup += "0 0 ";
            }
            markup += "0 0 0 1 0\"/>";
        } else {
            const std::string gamma
                = "type=\"gamma\" amplitude=\"1\" exponent=\"" + Number(step.exponent) + "\" offset=\"0\"/>";
            markup += "<feComponentTransfer><feFuncR " + gamma + "<feFuncG " + gamma + "<feFuncB " + gamma
                + "</feComponentTransfer>";
        }
    }
    return markup + "</filter>";
}

} // namespace tintor
