#include "aavsomenu.h"

#include "files/aavsoexport.h"
#include "files/drivepath.h"

#include <QFileDialog>

namespace AavsoMenu {

AskPath askPath = [](QWidget *parent, const QString &start) {
    // The log is added to, never replaced: no question about overwriting.
    return QFileDialog::getSaveFileName(parent, Aavso::Title, start,
                                        QStringLiteral("File AAVSO (*.txt *.csv)"), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
};

void exportMeasurement(QWidget *parent, const Context &c)
{
    QString start = Aavso::lastLog();
    if (start.isEmpty())
        start = Files::localPath(c.dataFolder, QStringLiteral("C:\\aavso.txt"));
    const QString path = askPath(parent, start);
    if (path.isEmpty())
        return;
    if (Aavso::exportToLog(c.sheet, c.messages, path))
        Aavso::rememberLog(path);
}

} // namespace AavsoMenu
