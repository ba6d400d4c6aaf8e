#include "csv.h"

namespace Files {

void CsvWriter::addField(QByteArrayView field, bool first)
{
    if (!first)
        m_bytes += ',';
    const bool quoted = field.contains(',') || field.contains('"') || field.contains('\n') || field.contains('\r');
    if (!quoted) {
        m_bytes += field;
        return;
    }
    m_bytes += '"';
    for (const char c : field) {
        if (c == '"')
            m_bytes += '"';
        m_bytes += c;
    }
    m_bytes += '"';
}

void CsvWriter::addRow(std::initializer_list<QByteArrayView> fields)
{
    bool first = true;
    for (const QByteArrayView field : fields) {
        addField(field, first);
        first = false;
    }
    m_bytes += "\r\n";
}

void CsvWriter::addRow(const QStringList &fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i)
        addField(fields[i].toUtf8(), i == 0);
    m_bytes += "\r\n";
}

} // namespace Files
