// Start-up of the program itself against the floor program, each a new
// process, alternately, under an X server (Xvfb): the time from starting the
// process to its first window mapped, and its peak resident memory then.
// What linking costs shows here and nowhere in this process.

#include "startup.h"

#include <benchmark/benchmark.h>

#include <xcb/xcb.h>

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

struct Start
{
    double milliseconds = 0;
    double peakMiB = 0;
};

// The high-water mark of the process's resident memory; 0 when unknown.
double peakResidentMiB(pid_t process)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

// The environment with the X platform in place of this process's offscreen one.
std::vector<char *> childEnvironment(QList<QByteArray> &kept)
{
    std::vector<char *> environment;
    kept << QByteArray("QT_QPA_PLATFORM=xcb");
    environment.push_back(kept.last().data());
    for (char **entry = environ; *entry; ++entry)
        if (!QByteArray(*entry).startsWith("QT_QPA_PLATFORM="))
            environment.push_back(*entry);
    environment.push_back(nullptr);
    return environment;
}

// Starts `program` and waits until a window of the screen is mapped; the
// process is then ended and its peak memory read.
std::optional<Start> startUntilMapped(xcb_connection_t *x, const char *program)
{
    while (xcb_generic_event_t *old = xcb_poll_for_event(x))
        free(old);
    QList<QByteArray> kept;
    std::vector<char *> environment = childEnvironment(kept);
    char *arguments[] = {const_cast<char *>(program), nullptr};
    const auto started = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, program, nullptr, nullptr, arguments, environment.data()) != 0)
        return std::nullopt;
    std::optional<Start> start;
    pollfd connection{xcb_get_file_descriptor(x), POLLIN, 0};
    while (!start && poll(&connection, 1, 30000) > 0) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(x)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && !start)
                start = Start{std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                                  .count(),
                              0};
            free(event);
        }
    }
    // Read before the end: the kernel's own count for the child keeps the
    // memory this process had when it started it.
    if (start)
        start->peakMiB = peakResidentMiB(child);
    kill(child, SIGKILL);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !start || start->peakMiB <= 0)
        return std::nullopt;
    return start;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void BM_ProgramAgainstFloor(benchmark::State &state)
{
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        xcb_disconnect(x);
        state.SkipWithError("no X server: run the benchmarks under Xvfb");
        return;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    std::vector<double> floorTime, programTime, floorMemory, programMemory, timeRatio;
    for (auto _ : state) {
        const std::optional<Start> floor = startUntilMapped(x, VEVURID_FLOOR);
        const std::optional<Start> program = startUntilMapped(x, VEVURID_PROGRAM);
        if (!floor || !program) {
            state.SkipWithError("a start failed or mapped no window");
            break;
        }
        state.SetIterationTime(program->milliseconds / 1e3);
        floorTime.push_back(floor->milliseconds);
        programTime.push_back(program->milliseconds);
        floorMemory.push_back(floor->peakMiB);
        programMemory.push_back(program->peakMiB);
        timeRatio.push_back(program->milliseconds / floor->milliseconds);
    }
    xcb_disconnect(x);
    if (timeRatio.empty())
        return;
    std::sort(timeRatio.begin(), timeRatio.end());
    state.counters["floor_ms"] = median(floorTime);
    state.counters["program_ms"] = median(programTime);
    state.counters["time_ratio"] = median(programTime) / median(floorTime);
    state.counters["ratio_q1"] = timeRatio[timeRatio.size() / 4];
    state.counters["ratio_q3"] = timeRatio[timeRatio.size() * 3 / 4];
    state.counters["floor_MiB"] = median(floorMemory);
    state.counters["program_MiB"] = median(programMemory);
    state.counters["memory_ratio"] = median(programMemory) / median(floorMemory);
}

} // namespace

void registerProcessBenchmarks()
{
    benchmark::RegisterBenchmark("Startup/process/program against floor (Xvfb)", BM_ProgramAgainstFloor)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(40);
}
