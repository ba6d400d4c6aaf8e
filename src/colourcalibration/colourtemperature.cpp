#include "colourtemperature.h"

#include <cmath>

namespace ColourCalibration {

namespace {
constexpr double Zero = 14.551;  // B-V at 1 K
constexpr double Slope = 3.684;  // magnitudes of B-V per factor 10 of temperature
} // namespace

double temperature(double colourIndex)
{
    return std::pow(10.0, (Zero - colourIndex) / Slope);
}

double colourIndex(double temperature)
{
    return Zero - std::log(temperature) / std::log(10.0) * Slope;
}

} // namespace ColourCalibration
