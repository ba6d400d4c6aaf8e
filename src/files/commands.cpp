#include "commands.h"

#include "drivepath.h"
#include "report.h"
#include "valuefile.h"

namespace Files {

const std::vector<ValueFile> &valueFiles()
{
    static const std::vector<ValueFile> table = {
        {"Text5", "C:\\C1.txt", "btnSalva", "Salvataggio effettuato C1!", "Command57"},
        {"Text6", "C:\\C2.txt", "btnSalva2", "Salvataggio effettuato C2!", "Command58"},
        {"Text7", "C:\\C3.txt", "btnSalva3", "Salvataggio effettuato C3!", "Command59"},
        {"Text26", "C:\\indice di colore stella variabile.txt", "Command64",
         "Salvataggio effettuato indice di colore stella variabile!", "Command53"},
        {"Text23", "C:\\indice di colore C1.txt", "Command65",
         "Salvataggio effettuato indice di colore C1!", "Command54"},
        {"Text24", "C:\\indice di colore C2.txt", "Command66",
         "Salvataggio effettuato indice di colore C2!", "Command61"},
        {"Text25", "C:\\indice di colore C3.txt", "Command67",
         "Salvataggio effettuato indice di colore C3!", "Command62"},
        {"Text27", "C:\\pendenza equazione.txt", "Command68",
         "Salvataggio effettuato pendenza equazione!", "Command63"},
    };
    return table;
}

CommandTable commands()
{
    CommandTable table = {
        {QStringLiteral("Command60"),
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
                          saveValue(c.sheet, c.messages, field, localPath(c.dataFolder, file), success);
                      }});
        table.append({QLatin1String(v.loadButton),
                      [=](const Context &c) {
                          loadValue(c.sheet, c.messages, field, localPath(c.dataFolder, file));
                      }});
    }
    return table;
}

} // namespace Files
