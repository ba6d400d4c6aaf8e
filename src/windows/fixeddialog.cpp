#include "fixeddialog.h"

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
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}
