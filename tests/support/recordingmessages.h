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
    // True when exactly this one message was shown.
    bool onlyOne(const QString &title, MessageIcon icon, const QString &text) const
    {
        return shown.size() == 1 && shown[0].title == title && shown[0].icon == icon
            && shown[0].text == text;
    }
    QList<Message> shown;
};
