#pragma once
// Tables written for spreadsheets as CSV (RFC 4180): fields separated by
// commas, a field quoted where it holds a comma, a quote or a line end,
// each line ended by CR LF, text in UTF-8.

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <initializer_list>

namespace Files {

class CsvWriter
{
public:
    void addRow(std::initializer_list<QByteArrayView> fields);
    void addRow(const QStringList &fields);

    const QByteArray &bytes() const { return m_bytes; }

private:
    void addField(QByteArrayView field, bool first);

    QByteArray m_bytes;
};

} // namespace Files
