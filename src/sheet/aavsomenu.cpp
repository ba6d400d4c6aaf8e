#include "aavsomenu.h"

#include "files/aavsoexport.h"
#include "files/drivepath.h"

#include <QFileDialog>
#include <QSettings>

namespace AavsoMenu {

namespace {

// Shared with the light-curve window, which opens the log written last.
const QString LastFileKey = QStringLiteral("aavso/lastFile");

QSettings settings()
{
    return QSettings(QStringLiteral("Vevurid"), QStringLiteral("vevurid"));
}

} // namespace

AskPath askPath = [](QWidget *parent, const QString &start) {
    // The log is added to, never replaced: no question about overwriting.
    return QFileDialog::getSaveFileName(parent, Aavso::Title, start,
                                        QStringLiteral("File AAVSO (*.txt *.csv)"), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
};

void exportMeasurement(QWidget *parent, const Context &c)
{
    QString start = settings().value(LastFileKey).toString();
    if (start.isEmpty())
        start = Files::localPath(c.dataFolder, QStringLiteral("C:\\aavso.txt"));
    const QString path = askPath(parent, start);
    if (path.isEmpty())
        return;
    if (Aavso::exportToLog(c.sheet, c.messages, path))
        settings().setValue(LastFileKey, path);
}

} // namespace AavsoMenu
