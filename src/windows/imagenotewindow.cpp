#include "imagenotewindow.h"

#include "ui/fixeddialog.h"
#include "helplabel.h"
#include "helptexts.h"

#include "ui/look.h"

#include <QPixmap>

ImageNoteWindow::ImageNoteWindow(QWidget *parent) : QDialog(parent)
{
    setUpFixedDialog(*this, QStringLiteral("Dialog1"), {930, 160}); // 13950 x 2400 twips
    setWindowTitle(QStringLiteral("Nome della finestra di dialogo"));
    // A blank icon, so the window manager does not fall back to the program's.
    QPixmap blank(32, 32);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));
    paintSilver(*this);

    new HelpLabel(QStringLiteral("Label1"), {120, 120, 13695, 2175}, HelpTexts::Note,
                  Look::msSansSerif(12), 0, this);
}
