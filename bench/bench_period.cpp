// The period search: the periodogram of 10 000 and 100 000 observations at
// 100 000 frequencies, exact and fast; the whole search (periodogram and its
// ten peaks, exact) at that size, the default search over 14 000 visual
// observations spanning 95 years, and 100 000 observations at ten million
// frequencies with the resident memory it takes at the highest. The series
// are the ones bench/period_astropy.py builds, so its figures for astropy's
// LombScargle stand beside these; bench/peers.py runs both and prints the
// ratios.

#include "period/periodogram.h"

#include "memory.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

constexpr double Days = 365.25;

// `count` observations over `years`, in seasons of eight months, of a sine
// of 7.1767 days and some scatter; the fractional parts of multiples of
// irrational numbers stand for random draws, as in period_astropy.py.
Period::Series generated(int count, double years)
{
    Period::Points points;
    for (int i = 0; i < count; ++i) {
        const double a = std::fmod(i * 0.6180339887498949, 1.0), b = std::fmod(i * 0.7548776662466927, 1.0);
        const double jd = 2440000 + std::floor(a * years) * Days + std::fmod(a * years, 1.0) * 240;
        points.jd.push_back(jd);
        points.magnitude.push_back(10 + 0.5 * std::sin(6.283185307179586 * jd / 7.1767) + 0.3 * (b - 0.5));
        points.error.push_back(0.1);
    }
    return Period::seriesOf(points, false);
}

// 100 000 steps of 1/(5 span) from two cycles per span.
Period::Grid hundredThousand(const Period::Series &series)
{
    return {2 / series.span, 1 / (5 * series.span), 100000};
}

void BM_Periodogram(benchmark::State &state)
{
    const Period::Series series = generated(int(state.range(0)), 20);
    const Period::Grid grid = hundredThousand(series);
    const auto method = Period::Method(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(Period::periodogram(series, grid, {}, method));
    state.counters["frequencies"] = double(grid.count);
}
BENCHMARK(BM_Periodogram)
    ->ArgNames({"points", "method"})
    ->Args({10000, int(Period::Method::Exact)})
    ->Args({10000, int(Period::Method::Fast)})
    ->Args({100000, int(Period::Method::Exact)})
    ->Args({100000, int(Period::Method::Fast)})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Search(benchmark::State &state)
{
    const Period::Series series = generated(int(state.range(0)), 20);
    const Period::Grid grid = hundredThousand(series);
    for (auto _ : state)
        benchmark::DoNotOptimize(Period::search(series, grid));
}
BENCHMARK(BM_Search)->ArgName("points")->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Ten million frequencies from two cycles per span.
void BM_LongSearch(benchmark::State &state)
{
    const Period::Series series = generated(100000, 20);
    const Period::Grid grid{2 / series.span, 1 / (5 * series.span), 10000000};
    double peakBytes = 0;
    for (auto _ : state) {
        const double before = resident("VmRSS:");
        resetPeakResident();
        benchmark::DoNotOptimize(Period::search(series, grid));
        peakBytes = resident("VmHWM:") - before;
    }
    state.counters["peak MB"] = peakBytes / 1e6;
}
BENCHMARK(BM_LongSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// "Annulla" on that search: the time from the answer "stop" being ready to
// the search's return, a second into the periodogram, or 50 ms into the
// peaks once the grid is done.
void BM_LongSearchStopped(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
    const Period::Series series = generated(100000, 20);
    const Period::Grid grid{2 / series.span, 1 / (5 * series.span), 10000000};
    const bool inPeaks = state.range(0) != 0;
    for (auto _ : state) {
        std::atomic<bool> cancelled{false}, gridDone{false};
        Clock::time_point asked;
        std::thread user([&] {
            const Clock::time_point start = Clock::now();
            while (inPeaks ? !gridDone : Clock::now() - start < std::chrono::seconds(1))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (inPeaks)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            asked = Clock::now();
            cancelled = true;
        });
        const Period::Search found = Period::search(series, grid, [&](double done) {
            gridDone = gridDone || done >= 1;
            return !cancelled;
        });
        const Clock::time_point returned = Clock::now();
        user.join();
        if (found.outcome != Period::Search::Outcome::Stopped)
            state.SkipWithError("the search was not stopped");
        state.SetIterationTime(std::chrono::duration<double>(returned - asked).count());
    }
}
BENCHMARK(BM_LongSearchStopped)->ArgName("inPeaks")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_DefaultSearch(benchmark::State &state)
{
    const Period::Series series = generated(14000, 95);
    const Period::Grid grid = Period::gridOf(Period::defaultRange(series.span), series.span);
    for (auto _ : state)
        benchmark::DoNotOptimize(Period::peaks(series, grid, Period::periodogram(series, grid)));
    state.counters["frequencies"] = double(grid.count);
}
BENCHMARK(BM_DefaultSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
