#pragma once

#include "core/sheet.h"

#include <QHash>
#include <QStringList>

// Answers the file dialogs from a script, in order, and keeps what each
// question was; an unscripted question is answered as Cancel.
class ScriptedDialogs : public FileDialogs
{
public:
    struct Question
    {
        QString title;
        QString start;
        bool appending = false;
        bool operator==(const Question &other) const
        {
            return title == other.title && start == other.start && appending == other.appending;
        }
    };

    QString openFile(const QString &title, const QString &start, const QString &) override
    {
        return answer({title, start, false});
    }
    // The answer holds the names one a line.
    QStringList openFiles(const QString &title, const QString &start, const QString &) override
    {
        return answer({title, start, false}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QString saveFile(const QString &title, const QString &start, const QString &, bool appending) override
    {
        return answer({title, start, appending});
    }
    QString chooseFolder(const QString &title, const QString &start) override { return answer({title, start, false}); }

    QStringList answers;
    QList<Question> asked;

private:
    QString answer(const Question &question)
    {
        asked << question;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// Settings kept in memory for one test.
class MapSettings : public Settings
{
public:
    QString value(const QString &key) const override { return values.value(key); }
    void setValue(const QString &key, const QString &value) override { values.insert(key, value); }

    QHash<QString, QString> values;
};
