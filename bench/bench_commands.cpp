// Every computing command of the sheet, photometry and calibration tables,
// run on the tests' map-backed sheet holding a typical measurement. Each
// iteration also puts the fields the command wrote back to their typed texts.

#include "colourcalibration/commands.h"
#include "aavso/filterbuttons.h"
#include "photometry/commands.h"
#include "sheet/sheetlayout.h"
#include "support/fakesheet.h"
#include "support/scripteddialogs.h"

#include <benchmark/benchmark.h>

namespace {

// Counts, catalogue magnitudes, particulars, B-V indices, slope and the
// temperature of the variable as an observer would type them.
FakeSheet typedMeasurement()
{
    FakeSheet sheet;
    sheet.fill({"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text17", "Text18",
                "Text19", "Text20", "Text21", "Text22", "Text23", "Text24", "Text25", "Text26",
                "Text27", "Text37"},
               {"15230", "12870", "9450", "11020", "11.25", "11.62", "12.03", "12/03/2024",
                "2460382.4213", "M. Rossi", "RZ Cas", "seeing 3", "V", "0.65", "0.72", "0.58",
                "0.81", "0.05", "5500"});
    return sheet;
}

class SilentMessages : public Messages
{
public:
    void show(const QString &, MessageIcon, const QString &) override {}
    bool ask(const QString &, const QString &) override { return false; }
};

QString caption(const QString &control)
{
    for (const SheetLayout::Control &c : SheetLayout::controls()) {
        if (control == QLatin1String(c.name)) {
            const QString text = QString::fromUtf8(c.caption).simplified();
            return text.size() > 30 ? text.left(27) + QStringLiteral("...") : text;
        }
    }
    return QString();
}

void runCommand(benchmark::State &state, const Binding &binding)
{
    FakeSheet sheet = typedMeasurement();
    const QHash<QString, QString> typed = sheet.fields;
    SilentMessages messages;
    ScriptedDialogs dialogs;
    MapSettings settings;
    const Context context{{messages, dialogs, settings, QString()}, sheet};
    for (auto _ : state) {
        binding.run(context);
        for (const QString &field : std::as_const(sheet.writes))
            sheet.fields[field] = typed.value(field);
        sheet.writes.clear();
    }
}

} // namespace

void registerCommandBenchmarks()
{
    const CommandTable commands =
        Aavso::Filters::commands() + Photometry::commands() + ColourCalibration::commands();
    for (const Binding &binding : commands) {
        const QString name = QStringLiteral("Command/%1 \"%2\"").arg(binding.control, caption(binding.control));
        benchmark::RegisterBenchmark(name.toUtf8().constData(), runCommand, binding);
    }
}
