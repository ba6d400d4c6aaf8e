// Every computing command of the sheet, photometry and calibration tables,
// run on a map-backed sheet holding a typical measurement. Each iteration also
// puts the fields the command wrote back to their typed texts.

#include "mapsheet.h"

#include "calibration/commands.h"
#include "photometry/commands.h"
#include "core/filters.h"
#include "sheet/form1layout.h"

#include <benchmark/benchmark.h>

namespace {

QString caption(const QString &control)
{
    for (const Form1Layout::Control &c : Form1Layout::controls()) {
        if (control == QLatin1String(c.name)) {
            const QString text = QString::fromUtf8(c.caption).simplified();
            return text.size() > 30 ? text.left(27) + QStringLiteral("...") : text;
        }
    }
    return QString();
}

void runCommand(benchmark::State &state, const Binding &binding)
{
    MapSheet sheet;
    SilentMessages messages;
    for (auto _ : state) {
        binding.run({sheet, messages, QString()});
        sheet.restore();
    }
}

} // namespace

void registerCommandBenchmarks()
{
    const CommandTable commands =
        Filters::commands() + Photometry::commands() + Calibration::commands();
    for (const Binding &binding : commands) {
        const QString name = QStringLiteral("Command/%1 \"%2\"").arg(binding.control, caption(binding.control));
        benchmark::RegisterBenchmark(name.toUtf8().constData(), runCommand, binding);
    }
}
