#pragma once
// What the two AAVSO readers share: lines and fields as views into the file's
// bytes (nothing is decoded until a text is new), numbers always with ".",
// and the table that keeps each text once.

#include "observations.h"

#include <QHash>

#include <string_view>

namespace LightCurve::Reading {

// Physical lines of a file's bytes, without their LF or CR LF, counted from
// 1. A UTF-8 byte-order mark before the first line is dropped.
class Lines
{
public:
    explicit Lines(const QByteArray &bytes);
    bool next(std::string_view &line);
    qint64 number() const { return m_number; }

private:
    const char *m_at;
    const char *m_end;
    qint64 m_number = 0;
};

std::string_view trimmed(std::string_view text);
bool isBlank(std::string_view line);
bool equalsIgnoringCase(std::string_view text, std::string_view word);
// "na" in any letter case, or nothing at all: the file gives no value.
bool notAvailable(std::string_view field);

// The whole field as a finite number written with ".", whatever the locale.
bool readNumber(std::string_view field, double &value);

// Each distinct text once in `texts`; an index names it.
class TextTable
{
public:
    explicit TextTable(QStringList &texts);
    quint32 index(std::string_view bytes);

private:
    QStringList &m_texts;
    QHash<QByteArray, quint32> m_byBytes;
    QHash<QString, quint32> m_byText; // bytes in another encoding may give a known text
};

// Fills the numbers of `observation` from a record's fields, or says in a
// few Italian words why the line cannot be read.
QString readValues(Observation &observation, std::string_view date,
                   std::string_view magnitude, std::string_view error);

// The lines of one file that cannot be read, each with its reason.
class SkippedLines
{
public:
    SkippedLines(Observations &into, quint16 file);
    // False once the file has more than the most a file may skip: it is then
    // not of the format it seemed to be.
    bool add(qint64 line, const QString &reason);

private:
    Observations &m_into;
    quint16 m_file;
    size_t m_first;
};

QString notAavso();
QString tooManySkipped();

} // namespace LightCurve::Reading
