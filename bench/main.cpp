// Vevurid's benchmarks: `cmake --build <dir> --target bench` with
// -DVEVURID_BENCH=ON. Everything runs offscreen but the start-up of the
// program itself, which needs an X server (Xvfb).

#include "startup.h"

#include "ui/appsetup.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <cstring>

namespace {

QtMessageHandler qtHandler = nullptr;

// The offscreen platform says, at every window shown, that it cannot
// propagate size hints; a benchmark shows hundreds of windows.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("propagateSizeHints")))
        qtHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qtHandler = qInstallMessageHandler(quietOffscreen);
    if (argc == 3 && std::strcmp(argv[1], "--cold") == 0)
        return coldStart(argc, argv, argv[2], clock);

    QApplication app(argc, argv);
    setupApplication(app);
    registerCommandBenchmarks();
    registerStartupBenchmarks();
    registerProcessBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
