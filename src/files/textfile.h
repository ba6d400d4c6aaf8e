#pragma once
// The files of this subsystem hold text in the system's 8-bit encoding,
// which is UTF-8 here, one line per value, each ending CR LF.

#include <QByteArray>
#include <QList>
#include <QString>

class QFile;

namespace Files {

// The most text a field of the sheet holds (a line box's longest text).
constexpr qsizetype MaxFieldLength = 32767;

// Replaces the file at `path` with the pieces, one after the other. The old
// file is replaced only when the whole new one was written, so a failure at
// any step leaves it as it was. False when anything failed, when `path` names
// something other than a regular file, or when its name leaves no room for
// the temporary file beside it.
bool replaceFile(const QString &path, const QList<QByteArray> &pieces);

// Replaces the file at `path` with `text` and CR LF, as replaceFile does.
bool writeLine(const QString &path, const QString &text);

struct Lines
{
    bool ok = false;
    QString text;    // every line run together, without its terminator
    QString problem; // when not ok: why, in words for the user
};

// Reads every line of the file at `path`. CR LF, LF and a lone CR all end a
// line; a last line without terminator counts too. A file that starts with a
// UTF-16 byte-order mark is UTF-16; otherwise bytes that are not valid UTF-8
// come from another system and are read as Latin-1. Control characters other
// than tab, CR and LF mean the file holds no text, and it is refused.
Lines readLines(const QString &path);

// Opens `path` (links followed) for reading into `file` when it is a regular
// file, without ever waiting: a pipe put in its place meanwhile is refused too.
bool openRegularFile(QFile &file, const QString &path);

} // namespace Files
