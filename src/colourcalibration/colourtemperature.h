#pragma once

namespace ColourCalibration {

// The colour-temperature relation of the calibration, T = 10 ^ ((14.551 − B-V) / 3.684)
// in kelvin; infinite when the power overflows.
double temperature(double colourIndex);

// Its inverse, B-V = 14.551 − (ln T ÷ ln 10) × 3.684, for T > 0.
double colourIndex(double temperature);

} // namespace ColourCalibration
