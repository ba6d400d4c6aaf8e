#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace Files {

namespace {

// Far beyond any value file the program or a person writes; a larger file
// (or an endless device) is refused before it fills the memory.
constexpr qint64 ReadLimit = qint64(1024) * 1024;

QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

Lines refused(const QString &path, const QString &why)
{
    return {false, QString(),
            why.arg(QDir::toNativeSeparators(path))};
}

} // namespace

bool replaceFile(const QString &path, const QList<QByteArray> &pieces)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The buffer is emptied here and checked: commit() ignores a write that
    // fails while it flushes, and would put a cut-off file in place of the old.
    bool written = true;
    for (const QByteArray &bytes : pieces)
        written = written && file.write(bytes) == bytes.size();
    if (!written || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit(); // on failure the temporary file is removed, the old one kept
}

bool writeLine(const QString &path, const QString &text)
{
    return replaceFile(path, {text.toUtf8() + "\r\n"});
}

Lines readLines(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return refused(path, QStringLiteral("Il file \"%1\" non esiste."));
    if (info.isDir())
        return refused(path, QStringLiteral("\"%1\" è una cartella, non un file."));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(path, QStringLiteral("Il file \"%1\" non può essere letto."));
    const QByteArray bytes = file.read(ReadLimit + 1);
    if (file.error() != QFileDevice::NoError)
        return refused(path, QStringLiteral("Il file \"%1\" non può essere letto."));
    if (bytes.size() > ReadLimit)
        return refused(path, QStringLiteral("Il file \"%1\" è troppo grande."));

    QString text = decode(bytes);
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    if (text.size() > MaxFieldLength)
        return refused(path, QStringLiteral("Il file \"%1\" contiene più testo di quanto "
                                            "una casella possa contenere."));
    return {true, text, QString()};
}

} // namespace Files
