#pragma once
// A sheet that lives only in memory, for running a command on texts that are
// not on the window (the check star's magnitude, measured like the variable's).

#include "sheet.h"

#include <QHash>

class MapSheet : public Sheet
{
public:
    MapSheet() = default;
    explicit MapSheet(QHash<QString, QString> texts) : m_texts(std::move(texts)) {}

    // An unknown field reads as empty, as a cleared box does.
    QString text(const QString &field) const override { return m_texts.value(field); }
    void setText(const QString &field, const QString &text) override { m_texts.insert(field, text); }
    QString caption(const QString &) const override { return QString(); }

private:
    QHash<QString, QString> m_texts;
};

// Keeps what a command run on a MapSheet first tells the user, instead of
// showing it.
class FirstMessage : public Messages
{
public:
    void show(const QString &, MessageIcon, const QString &text) override
    {
        if (first.isEmpty())
            first = text;
    }
    // Nothing is done that the user was not asked about.
    bool ask(const QString &, const QString &) override { return false; }
    QString first;
};
