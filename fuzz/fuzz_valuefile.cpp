// The value-file load on a file of any bytes: no crash, and the field never
// ends with more text than a field can hold. A refused file changes nothing.

#include "files/textfile.h"
#include "files/valuefile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The one field the load works on.
class OneField : public Sheet
{
public:
    QString text(const QString &) const override { return value; }
    void setText(const QString &, const QString &text) override { value = text; }
    QString caption(const QString &) const override { return QString(); }
    QString value;
};

class CountingMessages : public Messages
{
public:
    void show(const QString &, MessageIcon, const QString &) override { ++count; }
    bool ask(const QString &, const QString &) override
    {
        ++count;
        return false;
    }
    int count = 0;
};

[[noreturn]] void fail(const char *what, qsizetype length)
{
    std::fprintf(stderr, "%s (field length %lld)\n", what, static_cast<long long>(length));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("C1.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
    }

    const QString before = QStringLiteral("12.3");
    OneField sheet;
    sheet.value = before;
    CountingMessages messages;
    Files::loadValue(sheet, messages, QStringLiteral("Text5"), path);

    if (sheet.value.size() > Files::MaxFieldLength)
        fail("more text than the field holds", sheet.value.size());
    if (messages.count > 0 && sheet.value != before)
        fail("a refused file changed the field", sheet.value.size());
    return 0;
}
