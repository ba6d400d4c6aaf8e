#include "textfile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Files {

namespace {

// Far beyond any value file the program or a person writes; a larger file
// (or an endless device) is refused before it fills the memory.
constexpr qint64 ReadLimit = qint64(1024) * 1024;

// The name of a file may take this many bytes; QSaveFile's temporary twin
// adds a dot and six characters to it.
constexpr qsizetype NameLimit = 255;
constexpr qsizetype TemporarySuffix = 7;

bool isControl(QChar c)
{
    return (c < u' ' && c != u'\t' && c != u'\r' && c != u'\n') || c == u'\x7f';
}

Lines refused(const QString &path, const QString &why)
{
    return {false, QString(),
            why.arg(QDir::toNativeSeparators(path))};
}

FileVersion version(const struct stat &file)
{
    constexpr qint64 Billion = 1000000000;
    return {true,
            quint64(file.st_dev),
            quint64(file.st_ino),
            qint64(file.st_size),
            qint64(file.st_mtim.tv_sec) * Billion + file.st_mtim.tv_nsec,
            qint64(file.st_ctim.tv_sec) * Billion + file.st_ctim.tv_nsec};
}

// QSaveFile gives the new file the old one's read, write and execute bits
// alone, and the owner that runs the program.
bool keepModeAndOwner(const QSaveFile &file, const QString &path)
{
    struct stat old;
    if (::stat(QFile::encodeName(path).constData(), &old) != 0)
        return errno == ENOENT;
    // Owner first: a change of owner clears the set-id bits.
    if (::geteuid() == 0 && ::fchown(file.handle(), old.st_uid, old.st_gid) != 0)
        return false;
    return ::fchmod(file.handle(), old.st_mode & 07777) == 0;
}

Replacement replace(const QString &path, const QList<QByteArray> &pieces, const FileVersion *read)
{
    const QFileInfo target(path);
    if (path.isEmpty() || (target.exists() && !target.isFile())
        || QFile::encodeName(target.fileName()).size() > NameLimit - TemporarySuffix)
        return Replacement::Failed;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Replacement::Failed;
    // The buffer is emptied here and checked: commit() ignores a write that
    // fails while it flushes, and would put a cut-off file in place of the old.
    bool written = true;
    for (const QByteArray &bytes : pieces)
        written = written && file.write(bytes) == bytes.size();
    if (!written || !file.flush() || !keepModeAndOwner(file, path)) {
        file.cancelWriting();
        return Replacement::Failed;
    }
    // Checked as late as can be: the new file is all written by now.
    if (read && !(versionOf(path) == *read)) {
        file.cancelWriting();
        return Replacement::Changed;
    }
    // On failure the temporary file is removed, the old one kept.
    return file.commit() ? Replacement::Done : Replacement::Failed;
}

} // namespace

std::optional<QString> decode(const QByteArray &bytes)
{
    const auto marked = QStringConverter::encodingForData(bytes);
    if (marked && *marked != QStringConverter::Utf8) {
        // The decoder takes a character cut off at the end for no error.
        const bool utf16 = *marked == QStringConverter::Utf16LE || *marked == QStringConverter::Utf16BE;
        QStringDecoder decoder(*marked, QStringDecoder::Flag::Stateless);
        const QString text = decoder(bytes);
        if (decoder.hasError() || bytes.size() % (utf16 ? 2 : 4) != 0)
            return std::nullopt;
        return text;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

bool FileVersion::operator==(const FileVersion &other) const
{
    return exists == other.exists && device == other.device && inode == other.inode
        && size == other.size && modified == other.modified && changed == other.changed;
}

FileVersion versionOf(const QString &path)
{
    struct stat now;
    if (::stat(QFile::encodeName(path).constData(), &now) != 0)
        return {};
    return version(now);
}

FileVersion versionOf(const QFile &file)
{
    struct stat now;
    if (::fstat(file.handle(), &now) != 0)
        return {};
    return version(now);
}

Replacement replaceFile(const QString &path, const QList<QByteArray> &pieces, const FileVersion &read)
{
    return replace(path, pieces, &read);
}

bool replaceFile(const QString &path, const QList<QByteArray> &pieces)
{
    return replace(path, pieces, nullptr) == Replacement::Done;
}

FileLock::FileLock(const QString &path, int waitMs)
    : m_name(QFile::encodeName(path) + ".lock")
{
    QDeadlineTimer deadline(waitMs);
    // Read-only: the lock needs no more, and another user's lock file opens so too.
    for (;;) {
        const int fd = ::open(m_name.constData(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        struct stat opened, named;
        if (fd < 0 || ::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            if (fd >= 0)
                ::close(fd);
            return;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before may have removed the file this one opened:
            // the lock counts only on the file the name still gives.
            if (::stat(m_name.constData(), &named) == 0 && named.st_dev == opened.st_dev
                && named.st_ino == opened.st_ino) {
                m_fd = fd;
                m_state = Locked;
                return;
            }
        } else if (errno != EWOULDBLOCK) {
            ::close(fd);
            return;
        } else if (deadline.hasExpired()) {
            ::close(fd);
            m_state = Busy;
            return;
        } else {
            ::usleep(5000);
        }
        ::close(fd);
    }
}

FileLock::~FileLock()
{
    if (m_fd < 0)
        return;
    ::unlink(m_name.constData()); // before the lock goes, so that no one takes a removed file
    ::close(m_fd);
}

bool writeLine(const QString &path, const QString &text)
{
    return replaceFile(path, {text.toUtf8() + "\r\n"});
}

Lines readLines(const QString &path)
{
    static const QString refusals[] = {
        QString(),
        QStringLiteral("Il file \"%1\" non esiste."),
        QStringLiteral("\"%1\" è una cartella, non un file."),
        QStringLiteral("\"%1\" non è un file regolare."),
        QStringLiteral("Il file \"%1\" non può essere letto."),
        QStringLiteral("Il file \"%1\" è troppo grande."),
    };
    QByteArray bytes;
    if (const ReadRefusal refusal = readWhole(path, ReadLimit, bytes); refusal != ReadRefusal::None)
        return refused(path, refusals[int(refusal)]);

    const std::optional<QString> decoded = decode(bytes);
    if (!decoded || std::any_of(decoded->cbegin(), decoded->cend(), isControl))
        return refused(path, QStringLiteral("Il file \"%1\" non è un file di testo."));
    QString text = *decoded;
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    if (text.size() > MaxFieldLength)
        return refused(path, QStringLiteral("Il file \"%1\" contiene più testo di quanto "
                                            "una casella possa contenere."));
    return {true, text, QString()};
}

bool openRegularFile(QFile &file, const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened;
    file.setFileName(path); // readers that go by the name's suffix still see it
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

ReadRefusal openForReading(QFile &file, const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return ReadRefusal::Missing;
    if (info.isDir())
        return ReadRefusal::Folder;
    if (!info.isFile())
        return ReadRefusal::NotRegular;
    return openRegularFile(file, path) ? ReadRefusal::None : ReadRefusal::Unreadable;
}

ReadRefusal readWhole(const QString &path, qint64 limit, QByteArray &bytes)
{
    QFile file;
    if (const ReadRefusal refusal = openForReading(file, path); refusal != ReadRefusal::None)
        return refusal;
    bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        return ReadRefusal::Unreadable;
    return bytes.size() > limit ? ReadRefusal::TooLarge : ReadRefusal::None;
}

} // namespace Files
