#pragma once
// Vevurid works in one direction only:
//   field texts -> reading rule -> command -> writing rule -> field texts.
// The texts of the sheet's fields are the program's only state; commands reach
// them through Sheet and talk to the user through Messages, so every command
// runs the same on the real window and on a plain map in the tests.

#include <QString>

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
};

inline const QString AppTitle = QStringLiteral("VEVURID");
