#pragma once

#include "sheet/sheet.h"

#include <QList>

struct Message
{
    QString title;
    MessageIcon icon;
    QString text;
};

// Keeps every message in order instead of showing it.
class RecordingMessages : public Messages
{
public:
    void show(const QString &title, MessageIcon icon, const QString &text) override
    {
        shown.append({title, icon, text});
    }
    QStringList texts() const
    {
        QStringList t;
        for (const Message &m : shown)
            t << m.text;
        return t;
    }
    QList<Message> shown;
};
