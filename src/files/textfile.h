#pragma once
// The files of this subsystem hold text in the system's 8-bit encoding,
// which is UTF-8 here, one line per value, each ending CR LF.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class QFile;

namespace Files {

// The most text a field of the sheet holds (a line box's longest text).
constexpr qsizetype MaxFieldLength = 32767;

// What tells one state of a file from the next: a file written to, or put in
// another's place, differs.
struct FileVersion
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    qint64 changed = 0;  // of the inode, which no program can set back
    bool operator==(const FileVersion &other) const;
};

// The file at `path` (links followed) now; not existing when there is none.
FileVersion versionOf(const QString &path);
// The file `file` holds open.
FileVersion versionOf(const QFile &file);

enum class Replacement { Done, Changed, Failed };

// Replaces the file at `path` with the pieces, one after the other. The old
// file is replaced only when the whole new one was written, so a failure at
// any step leaves it as it was; the new one keeps the old one's permissions,
// and its owner where the program runs as root. Failed when anything failed,
// when `path` names something other than a regular file, or when its name
// leaves no room for the temporary file beside it. Changed, and nothing
// replaced, when the file is no longer at `read`, the version the pieces
// were made from.
Replacement replaceFile(const QString &path, const QList<QByteArray> &pieces, const FileVersion &read);
// The same, whatever the file holds meanwhile.
bool replaceFile(const QString &path, const QList<QByteArray> &pieces);

// Holds the lock on "<path>.lock" while it lives, so that two programs that
// take it never replace the file at `path` at the same time; the lock file
// is removed with the lock. Another holder is waited for up to `waitMs`
// milliseconds.
class FileLock
{
public:
    enum State { Locked, Busy, Failed }; // Failed: the lock file cannot be made
    FileLock(const QString &path, int waitMs);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    State state() const { return m_state; }

private:
    QByteArray m_name;
    int m_fd = -1;
    State m_state = Failed;
};

// Replaces the file at `path` with `text` and CR LF, as replaceFile does.
bool writeLine(const QString &path, const QString &text);

struct Lines
{
    bool ok = false;
    QString text;    // every line run together, without its terminator
    QString problem; // when not ok: why, in words for the user
};

// The text of a file's bytes: UTF-16 or UTF-32 where a byte-order mark says
// so, else UTF-8, else Latin-1 (bytes that are not UTF-8 come from another
// system). Empty when the bytes are not text in the encoding their mark names.
std::optional<QString> decode(const QByteArray &bytes);

// Reads every line of the file at `path`. CR LF, LF and a lone CR all end a
// line; a last line without terminator counts too. A file that starts with a
// UTF-16 byte-order mark is UTF-16; otherwise bytes that are not valid UTF-8
// come from another system and are read as Latin-1. Control characters other
// than tab, CR and LF mean the file holds no text, and it is refused.
Lines readLines(const QString &path);

// Opens `path` (links followed) for reading into `file` when it is a regular
// file, without ever waiting: a pipe put in its place meanwhile is refused too.
bool openRegularFile(QFile &file, const QString &path);

// Why a file the user names cannot be read; each reader words it its own way,
// indexing its texts by this order.
enum class ReadRefusal { None, Missing, Folder, NotRegular, Unreadable, TooLarge };

// openRegularFile, saying why not; never TooLarge.
ReadRefusal openForReading(QFile &file, const QString &path);

// The whole file at `path` into `bytes`; one of more than `limit` bytes is refused.
ReadRefusal readWhole(const QString &path, qint64 limit, QByteArray &bytes);

} // namespace Files
