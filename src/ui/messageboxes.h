#pragma once
// The program's own answers to the seams the commands and windows talk
// through: message boxes and file dialogs over the active window, and the
// user's settings file.

#include "core/sheet.h"

class MessageBoxes : public Messages
{
public:
    void show(const QString &title, MessageIcon icon, const QString &text) override;
    bool ask(const QString &title, const QString &text) override;
};

class QtFileDialogs : public FileDialogs
{
public:
    QString openFile(const QString &title, const QString &start, const QString &filters) override;
    QStringList openFiles(const QString &title, const QString &start, const QString &filters) override;
    QString saveFile(const QString &title, const QString &start, const QString &filters,
                     bool appending) override;
    QString chooseFolder(const QString &title, const QString &start) override;
};

// ~/.config/Vevurid/vevurid.conf
class UserSettings : public Settings
{
public:
    QString value(const QString &key) const override;
    void setValue(const QString &key, const QString &value) override;
};
