#include "messageboxes.h"

#include <QApplication>
#include <QMessageBox>

void MessageBoxes::show(const QString &title, MessageIcon icon, const QString &text)
{
    static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                              QMessageBox::Warning, QMessageBox::Critical};
    QMessageBox box(icons[int(icon)], title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}
