#include "fixeddialog.h"

#include "ui/look.h"

void setUpFixedDialog(QDialog &dialog, const QString &name, QSize size)
{
    dialog.setObjectName(name);
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog.setAttribute(Qt::WA_DeleteOnClose);
    dialog.setFixedSize(size);
}

void paintSilver(QWidget &window)
{
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(Look::Silver));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}
