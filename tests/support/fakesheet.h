#pragma once

#include "core/fields.h"
#include "core/sheet.h"

#include <QHash>
#include <QTest>

// The sheet as a map of field texts, starting from the design texts.
class FakeSheet : public Sheet
{
public:
    FakeSheet()
    {
        for (const QString &field : Fields::all())
            fields.insert(field, Fields::initialText(field));
    }

    QString text(const QString &field) const override
    {
        if (!fields.contains(field))
            QTest::qFail(qPrintable(QStringLiteral("no field ") + field), __FILE__, __LINE__);
        return fields.value(field);
    }
    void setText(const QString &field, const QString &text) override
    {
        if (!fields.contains(field))
            QTest::qFail(qPrintable(QStringLiteral("no field ") + field), __FILE__, __LINE__);
        fields[field] = text;
        writes << field;
    }
    QString caption(const QString &label) const override { return captions.value(label); }

    // Puts texts[i] into fields[i], without counting it as a write.
    void fill(const QStringList &names, const QStringList &texts)
    {
        for (qsizetype i = 0; i < names.size(); ++i)
            fields[names[i]] = texts[i];
    }
    QStringList texts(const QStringList &names) const
    {
        QStringList t;
        for (const QString &name : names)
            t << text(name);
        return t;
    }

    QHash<QString, QString> fields;
    QHash<QString, QString> captions;
    QStringList writes; // every field set, in order
};
