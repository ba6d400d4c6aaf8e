#include "messageboxes.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>

void MessageBoxes::show(const QString &title, MessageIcon icon, const QString &text)
{
    static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                              QMessageBox::Warning, QMessageBox::Critical};
    QMessageBox box(icons[int(icon)], title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool MessageBoxes::ask(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtFileDialogs::openFile(const QString &title, const QString &start, const QString &filters)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, start, filters);
}

QStringList QtFileDialogs::openFiles(const QString &title, const QString &start, const QString &filters)
{
    return QFileDialog::getOpenFileNames(QApplication::activeWindow(), title, start, filters);
}

QString QtFileDialogs::saveFile(const QString &title, const QString &start, const QString &filters,
                                bool appending)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, start, filters, nullptr,
                                        appending ? QFileDialog::DontConfirmOverwrite
                                                  : QFileDialog::Options());
}

QString QtFileDialogs::chooseFolder(const QString &title, const QString &start)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start);
}

namespace {

QSettings userSettings()
{
    return QSettings(QStringLiteral("Vevurid"), QStringLiteral("vevurid"));
}

} // namespace

QString UserSettings::value(const QString &key) const
{
    return userSettings().value(key).toString();
}

void UserSettings::setValue(const QString &key, const QString &value)
{
    userSettings().setValue(key, value);
}
