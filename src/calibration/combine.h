#pragma once
// Stacks of frames combined pixel by pixel, read a band of rows at a time
// so that memory stays bounded whatever the number of frames.

#include "calibration/frames.h"

#include <QString>

#include <functional>
#include <vector>

namespace Calibration {

enum class Combine { Median, ClippedMean };

// One pixel's stack (reordered): the median, the mean of the two middle
// values for an even count; or the mean of the values within 3 σ of the
// median, σ the population standard deviation of all of them. NaN when
// any value is.
double combinePixel(double *values, int count, Combine method);

// The median of the valid values (reordered), the mean of the two middle
// ones for an even count; NaN when there is none.
double medianOfValid(std::vector<float> &values);

// What is taken from a frame's pixels before it enters a stack, each part
// only where given: value - bias - dark × darkScale, the dark holding the
// bias itself when `darkHoldsBias` (then bias + (dark - bias) × scale, or
// the dark alone with no bias).
struct Subtraction
{
    const std::vector<float> *bias = nullptr;
    const std::vector<float> *dark = nullptr;
    double darkScale = 1;
    bool darkHoldsBias = false;

    double apply(std::size_t pixel, double value) const
    {
        if (dark && darkHoldsBias && !bias)
            return value - double((*dark)[pixel]);
        if (bias)
            value -= double((*bias)[pixel]);
        if (dark)
            value -= (double((*dark)[pixel]) - (darkHoldsBias ? double((*bias)[pixel]) : 0.0)) * darkScale;
        return value;
    }
};

// One frame of a stack: (pixel - subtraction) / divisor.
struct Layer
{
    QString path;
    Subtraction subtraction;
    double divisor = 1;
};

struct Stacked
{
    std::vector<float> pixels; // width × height, row by row; empty on a problem or when cancelled
    QString problem;           // why a frame could not be read, with its name
};

inline constexpr std::size_t DefaultBandBytes = std::size_t(64) << 20;

// Every frame must be `format`. `goOn` hears the share done (0 to 1) after
// each band and stops the work by answering false. `bandBytes` bounds the
// stack held at once.
Stacked combineStack(const std::vector<Layer> &layers, const FrameFormat &format, Combine method,
                     const std::function<bool(double)> &goOn, std::size_t bandBytes = DefaultBandBytes);

} // namespace Calibration
