#include "combine.h"

#include "imaging/fitsimage.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>

namespace Calibration {

namespace {

constexpr double NotANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double ClipSigmas = 3;
// Pixels gathered at a time from every frame, so that a pixel's stack is read
// from memory in one place.
constexpr std::size_t TilePixels = 256;

template<typename Value>
double middle(Value *values, std::size_t count)
{
    Value *half = values + count / 2;
    std::nth_element(values, half, values + count);
    if (count % 2 == 1)
        return double(*half);
    return (double(*std::max_element(values, half)) + double(*half)) / 2;
}

// Runs work(begin, end) over [0, count) split across the machine's cores.
template<typename Work>
void acrossCores(std::size_t count, const Work &work)
{
    const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 16);
    const std::size_t share = (count + cores - 1) / cores;
    std::vector<std::thread> others;
    for (std::size_t begin = share; begin < count; begin += share)
        others.emplace_back([&work, begin, share, count] { work(begin, std::min(count, begin + share)); });
    work(0, std::min(count, share));
    for (std::thread &other : others)
        other.join();
}

} // namespace

double combinePixel(double *values, int count, Combine method)
{
    if (count <= 0 || std::any_of(values, values + count, [](double v) { return std::isnan(v); }))
        return NotANumber;
    const double median = middle(values, std::size_t(count));
    if (method == Combine::Median)
        return median;
    double sum = 0;
    for (int k = 0; k < count; ++k)
        sum += values[k];
    const double mean = sum / count;
    double squares = 0;
    for (int k = 0; k < count; ++k)
        squares += (values[k] - mean) * (values[k] - mean);
    const double limit = ClipSigmas * std::sqrt(squares / count);
    double kept = 0;
    int keptCount = 0;
    for (int k = 0; k < count; ++k) {
        if (std::fabs(values[k] - median) <= limit) {
            kept += values[k];
            ++keptCount;
        }
    }
    return keptCount > 0 ? kept / keptCount : median;
}

double medianOfValid(std::vector<float> &values)
{
    const auto end = std::partition(values.begin(), values.end(), [](float v) { return !std::isnan(v); });
    const std::size_t count = std::size_t(end - values.begin());
    return count > 0 ? middle(values.data(), count) : NotANumber;
}

Stacked combineStack(const std::vector<Layer> &layers, const FrameFormat &format, Combine method,
                     const std::function<bool(double)> &goOn, std::size_t bandBytes)
{
    const std::size_t count = layers.size();
    const std::size_t width = std::size_t(format.width);
    std::vector<std::unique_ptr<Imaging::FitsRows>> files;
    for (const Layer &layer : layers) {
        files.push_back(std::make_unique<Imaging::FitsRows>(layer.path));
        const Imaging::FitsRows &file = *files.back();
        if (!file.problem().isEmpty())
            return {{}, file.problem()};
        if (const QString odd = formatProblem(layer.path, formatOf(file.described()), format, false); !odd.isEmpty())
            return {{}, odd};
    }
    if (count == 0)
        return {};
    const int bandRows = int(std::clamp<std::size_t>(bandBytes / (count * width * sizeof(double)), 1,
                                                     std::size_t(format.height)));
    std::vector<double> stack(count * std::size_t(bandRows) * width);
    std::vector<QString> problems(count);
    Stacked stacked;
    stacked.pixels.resize(width * std::size_t(format.height));
    for (int row = 0; row < format.height; row += bandRows) {
        const int rows = std::min(bandRows, format.height - row);
        const std::size_t bandPixels = std::size_t(rows) * width;
        const std::size_t first = std::size_t(row) * width;
        acrossCores(count, [&](std::size_t begin, std::size_t end) {
            std::vector<float> read(bandPixels);
            for (std::size_t k = begin; k < end; ++k) {
                if (!files[k]->read(row, rows, read.data())) {
                    problems[k] = files[k]->problem();
                    continue;
                }
                const Layer &layer = layers[k];
                double *into = stack.data() + k * bandPixels;
                for (std::size_t i = 0; i < bandPixels; ++i)
                    into[i] = layer.subtraction.apply(first + i, double(read[i])) / layer.divisor;
            }
        });
        for (const QString &problem : problems) {
            if (!problem.isEmpty())
                return {{}, problem};
        }
        acrossCores(bandPixels, [&](std::size_t begin, std::size_t end) {
            std::vector<double> tile(TilePixels * count);
            for (std::size_t start = begin; start < end; start += TilePixels) {
                const std::size_t n = std::min(TilePixels, end - start);
                for (std::size_t k = 0; k < count; ++k) {
                    const double *from = stack.data() + k * bandPixels + start;
                    for (std::size_t i = 0; i < n; ++i)
                        tile[i * count + k] = from[i];
                }
                for (std::size_t i = 0; i < n; ++i)
                    stacked.pixels[first + start + i] = float(combinePixel(tile.data() + i * count, int(count), method));
            }
        });
        if (!goOn(double(row + rows) / format.height))
            return {};
    }
    return stacked;
}

} // namespace Calibration
