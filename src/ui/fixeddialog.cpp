#include "ui/fixeddialog.h"

#include "ui/appsetup.h"
#include "ui/look.h"
#include "core/numberrules.h"

#include <QLineEdit>

#include <cmath>
#include <memory>

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
    window.setFont(Look::face("Tahoma", 8.25)); // the sheet's face
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

void keepToNumbers(QLineEdit &field, const QString &caption, bool emptyAllowed,
                   const std::function<void(const QString &)> &refused)
{
    field.setAccessibleName(caption);
    const auto good = [&field, emptyAllowed] {
        return NumberRules::readTyped(field.text()) || (emptyAllowed && field.text().trimmed().isEmpty());
    };
    const auto kept = std::make_shared<QString>(good() ? field.text() : QString());
    // What the window writes is good; what the user types only once finished.
    QObject::connect(&field, &QLineEdit::textChanged, &field, [&field, good, kept] {
        if (!field.isModified() && good())
            *kept = field.text();
    });
    const auto check = [&field, caption, good, kept, refused] {
        if (good()) {
            *kept = field.text();
            return;
        }
        field.setText(*kept);
        field.setCursorPosition(0);
        refused(kept->isEmpty() ? RefusedNumberEmpty.arg(caption) : RefusedNumber.arg(caption, *kept));
    };
    // Return ends typing twice: the box's own handler of Return must read a good text too.
    QObject::connect(&field, &QLineEdit::returnPressed, &field, check);
    QObject::connect(&field, &QLineEdit::editingFinished, &field, check);
}
