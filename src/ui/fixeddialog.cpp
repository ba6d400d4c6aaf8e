#include "ui/fixeddialog.h"

#include "ui/appsetup.h"
#include "ui/look.h"
#include "core/numberrules.h"

#include <QLineEdit>

#include <cmath>

void setUpFixedDialog(QDialog &dialog, const QString &name, QSize size)
{
    dialog.setObjectName(name);
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog.setAttribute(Qt::WA_DeleteOnClose);
    dialog.setFixedSize(size);
}

void setUpToolWindow(QWidget &window, const QString &name, const QString &title)
{
    window.setObjectName(name);
    window.setWindowTitle(title);
    window.setWindowIcon(appIcon());
    window.setAttribute(Qt::WA_DeleteOnClose);
    window.setFont(Look::face(QStringLiteral("Tahoma"), 8.25)); // the sheet's face
    paintSilver(window);
}

void paintSilver(QWidget &window)
{
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(Look::Silver));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}

double typedNumber(const QLineEdit &field)
{
    return NumberRules::readTyped(field.text()).value_or(std::nan(""));
}
