// Start-up of the measurement sheet, offscreen, against an empty main window
// with a menu bar: the floor any Qt Widgets program pays. Warm runs build the
// window again in this process; cold runs start this program anew, so that
// they include QApplication, fonts and style, and give the peak memory.

#include "startup.h"

#include "app/program.h"
#include "sheet/sheetlayout.h"
#include "sheet/sheetwindow.h"
#include "ui/appsetup.h"
#include "ui/messageboxes.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

namespace {

// Sees the window's first paint event; its children are painted in the same
// pass, before the event loop gets control back.
class FirstPaint : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void showAndPaint(QWidget &window)
{
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    while (!watcher.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.removeEventFilter(&watcher);
}

// The floor: the same size as the sheet, a menu bar with the sheet's menus.
void showFloor()
{
    QMainWindow window;
    for (const char *menu : {"&File", "&Cerca", "&Aiuto"})
        window.menuBar()->addMenu(QString::fromLatin1(menu));
    window.resize(SheetLayout::ClientWidth,
                  SheetLayout::ClientHeight + window.menuBar()->sizeHint().height());
    showAndPaint(window);
}

void showSheet()
{
    MessageBoxes messages;
    QtFileDialogs dialogs;
    UserSettings settings;
    SheetWindow sheet({messages, dialogs, settings,
                       QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)});
    Program::Modules modules = Program::modulesIn(Module::installedFolders());
    Program::bindCommands(sheet, modules);
    showAndPaint(sheet);
}

// This process's high-water mark of resident memory. (getrusage's maxrss
// would also count the parent's memory from before the exec.)
long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

void BM_WarmStart(benchmark::State &state, void (*show)())
{
    for (auto _ : state)
        show();
}

// One cold start per iteration: the child's time from main() to the first
// paint is the iteration's time; its peak resident memory is a counter.
void BM_ColdStart(benchmark::State &state, const char *kind)
{
    long peakKiB = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--cold"), QLatin1String(kind)});
        if (!child.waitForFinished(30000) || child.exitCode() != 0) {
            state.SkipWithError("the cold start failed");
            return;
        }
        const QList<QByteArray> figures = child.readAllStandardOutput().simplified().split(' ');
        state.SetIterationTime(figures.value(0).toDouble() / 1e3);
        peakKiB = std::max(peakKiB, figures.value(1).toLong());
    }
    state.counters["peak_MiB"] = double(peakKiB) / 1024;
}

} // namespace

int coldStart(int argc, char *argv[], const char *kind, const QElapsedTimer &clock)
{
    QApplication app(argc, argv);
    if (qstrcmp(kind, "sheet") == 0) {
        setupApplication(app); // as main() does
        showSheet();
    } else {
        showFloor();
    }
    const double milliseconds = double(clock.nsecsElapsed()) / 1e6;
    std::printf("%.3f %ld\n", milliseconds, peakResidentKiB());
    return 0;
}

void registerStartupBenchmarks()
{
    benchmark::RegisterBenchmark("Startup/warm/floor: QMainWindow + menu bar", BM_WarmStart, showFloor)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Startup/warm/SheetWindow", BM_WarmStart, showSheet)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Startup/cold/floor: QMainWindow + menu bar", BM_ColdStart, "floor")
        ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
    benchmark::RegisterBenchmark("Startup/cold/SheetWindow", BM_ColdStart, "sheet")
        ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
}
