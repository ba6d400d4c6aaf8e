#include "dialog1.h"

#include "helplabel.h"
#include "helptexts.h"

#include <QPixmap>

Dialog1::Dialog1(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dialog1"));
    setWindowTitle(QStringLiteral("Nome della finestra di dialogo"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                   | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // A blank icon, so the window manager does not fall back to the program's.
    QPixmap blank(32, 32);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(930, 160); // 13950 x 2400 twips
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(palette);
    setAutoFillBackground(true);

    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(12);
    new HelpLabel(QStringLiteral("Label1"), {120, 120, 13695, 2175}, HelpTexts::Note, font, 0,
                  this);
}
