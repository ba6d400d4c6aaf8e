#include "commands.h"

#include "drivepath.h"
#include "report.h"
#include "valuefile.h"
#include "core/names.h"

namespace Files {

const std::vector<ValueFile> &valueFiles()
{
    using namespace Button;
    static const std::vector<ValueFile> table = {
        {Field::MagnitudeC1, "C:\\C1.txt", SaveMagnitudeC1, "Salvataggio effettuato C1!",
         LoadMagnitudeC1},
        {Field::MagnitudeC2, "C:\\C2.txt", SaveMagnitudeC2, "Salvataggio effettuato C2!",
         LoadMagnitudeC2},
        {Field::MagnitudeC3, "C:\\C3.txt", SaveMagnitudeC3, "Salvataggio effettuato C3!",
         LoadMagnitudeC3},
        {Field::ColourVariable, "C:\\indice di colore stella variabile.txt", SaveColourVariable,
         "Salvataggio effettuato indice di colore stella variabile!", LoadColourVariable},
        {Field::ColourC1, "C:\\indice di colore C1.txt", SaveColourC1,
         "Salvataggio effettuato indice di colore C1!", LoadColourC1},
        {Field::ColourC2, "C:\\indice di colore C2.txt", SaveColourC2,
         "Salvataggio effettuato indice di colore C2!", LoadColourC2},
        {Field::ColourC3, "C:\\indice di colore C3.txt", SaveColourC3,
         "Salvataggio effettuato indice di colore C3!", LoadColourC3},
        {Field::Slope, "C:\\pendenza equazione.txt", SaveSlope,
         "Salvataggio effettuato pendenza equazione!", LoadSlope},
    };
    return table;
}

CommandTable commands()
{
    CommandTable table = {
        {Button::SaveReport,
         [](const Context &c) { saveReport(c.sheet, c.messages, c.dataFolder); }},
    };
    for (const ValueFile &v : valueFiles()) {
        const QString field = QLatin1String(v.field);
        const QString file = QString::fromUtf8(v.file);
        const QString success = QString::fromUtf8(v.success);
        // The path is worked out at each click: drive C's folder appears only
        // when a command first needs it.
        table.append({QLatin1String(v.saveButton),
                      [=](const Context &c) {
                          saveValue(c.sheet, c.messages, field, localPath(c.dataFolder, file),
                                    success);
                      }});
        table.append({QLatin1String(v.loadButton),
                      [=](const Context &c) {
                          loadValue(c.sheet, c.messages, field, localPath(c.dataFolder, file));
                      }});
    }
    return table;
}

} // namespace Files
