#pragma once
// A sheet without widgets for the benchmarks: field texts in a map, a
// realistic measurement in it, and messages that go nowhere.

#include "core/fields.h"
#include "core/sheet.h"

#include <QHash>
#include <QStringList>

class MapSheet : public Sheet
{
public:
    // Counts, catalogue magnitudes, particulars, B-V indices, slope and the
    // temperature of the variable as an observer would type them.
    MapSheet()
    {
        for (const QString &field : Fields::all())
            m_fields.insert(field, QString());
        const char *const typed[][2] = {
            {"Text1", "15230"},       {"Text2", "12870"},   {"Text3", "9450"},
            {"Text4", "11020"},       {"Text5", "11.25"},   {"Text6", "11.62"},
            {"Text7", "12.03"},       {"Text17", "12/03/2024"}, {"Text18", "2460382.4213"},
            {"Text19", "M. Rossi"},   {"Text20", "RZ Cas"}, {"Text21", "seeing 3"},
            {"Text22", "V"},          {"Text23", "0.65"},   {"Text24", "0.72"},
            {"Text25", "0.58"},       {"Text26", "0.81"},   {"Text27", "0.05"},
            {"Text37", "5500"},       {"NomeFile", "C:\\fotometria.txt"},
        };
        for (const auto &field : typed)
            m_fields[QLatin1String(field[0])] = QString::fromUtf8(field[1]);
        m_typed = m_fields;
    }

    QString text(const QString &field) const override { return m_fields.value(field); }
    void setText(const QString &field, const QString &text) override
    {
        m_fields[field] = text;
        m_written.append(field);
    }
    QString caption(const QString &) const override { return QString(); }

    // Back to the typed measurement, so every run of a command sees the same input.
    void restore()
    {
        for (const QString &field : std::as_const(m_written))
            m_fields[field] = m_typed.value(field);
        m_written.clear();
    }

private:
    QHash<QString, QString> m_fields;
    QHash<QString, QString> m_typed;
    QStringList m_written;
};

class SilentMessages : public Messages
{
public:
    void show(const QString &, MessageIcon, const QString &) override {}
};
