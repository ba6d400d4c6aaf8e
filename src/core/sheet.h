#pragma once
// Vevurid works in one direction only:
//   field texts -> reading rule -> command -> writing rule -> field texts.
// The texts of the sheet's fields are the program's only state; commands reach
// them through Sheet and talk to the user through Messages and FileDialogs,
// so every command runs the same on the real window and on a plain map in the
// tests.

#include <QString>
#include <QStringList>

class Sheet
{
public:
    virtual ~Sheet() = default;
    virtual QString text(const QString &field) const = 0;
    virtual void setText(const QString &field, const QString &text) = 0;
    virtual QString caption(const QString &label) const = 0;
};

enum class MessageIcon { None, Information, Warning, Critical };

class Messages
{
public:
    virtual ~Messages() = default;
    // A modal box with a single OK button; returns when the user closed it.
    virtual void show(const QString &title, MessageIcon icon, const QString &text) = 0;
    // A modal question with "Sì" and "No"; true for "Sì".
    virtual bool ask(const QString &title, const QString &text) = 0;
};

// The file dialogs, asked by the commands and the windows; a test answers
// in their place. Each returns what the user chose, empty on Cancel.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // `filters` as QFileDialog takes them: "Immagini (*.png);;Tutti i file (*)".
    virtual QString openFile(const QString &title, const QString &start, const QString &filters) = 0;
    // Several files at once; none when cancelled.
    virtual QStringList openFiles(const QString &title, const QString &start, const QString &filters) = 0;
    // `appending`: the file is added to, so there is no question about
    // replacing it.
    virtual QString saveFile(const QString &title, const QString &start, const QString &filters,
                             bool appending) = 0;
    virtual QString chooseFolder(const QString &title, const QString &start) = 0;
};

// What the program remembers between runs, by key.
class Settings
{
public:
    virtual ~Settings() = default;
    virtual QString value(const QString &key) const = 0;
    virtual void setValue(const QString &key, const QString &value) = 0;
};

inline const QString AppTitle = QStringLiteral("VEVURID");
