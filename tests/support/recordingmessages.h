#pragma once

#include "core/sheet.h"

#include <QList>
#include <QTest>

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
    // Kept like a message, with no icon; answered from `answers` in order, "No" when none is left.
    bool ask(const QString &title, const QString &text) override
    {
        shown.append({title, MessageIcon::None, text});
        return !answers.isEmpty() && answers.takeFirst();
    }
    QList<bool> answers;
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

// Like onlyOne, but a failure names the part that differs.
inline void compareOnlyOne(const RecordingMessages &messages, const QString &title,
                           MessageIcon icon, const QString &text)
{
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].title, title);
    QCOMPARE(messages.shown[0].icon, icon);
    QCOMPARE(messages.shown[0].text, text);
}

// Exactly one message: the critical report of a command that stopped, holding
// both `headline` and `reason`.
inline void compareStop(const RecordingMessages &messages, const QString &headline,
                        const QString &reason)
{
    QCOMPARE(messages.shown.size(), 1);
    const Message &m = messages.shown.first();
    QCOMPARE(m.title, QStringLiteral("VEVURID"));
    QCOMPARE(m.icon, MessageIcon::Critical);
    QVERIFY2(m.text.contains(headline), qPrintable(m.text));
    QVERIFY2(m.text.contains(reason), qPrintable(m.text));
}
