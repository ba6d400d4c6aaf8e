#pragma once
// Small helpers for the file tests: bytes in and out, folder listings, and a
// child process in which writing beyond a size fails for real.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

inline void putBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        QTest::qFail(qPrintable(QStringLiteral("cannot prepare ") + path), __FILE__, __LINE__);
}

// Every entry of the folder, hidden ones included, sorted.
inline QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

inline const QString SaveFailed = QStringLiteral("Si è verificato un errore nel salvataggio.");

// A new empty folder for each test.
class FolderFixture
{
protected:
    void newFolder()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void dropFolder() { m_dir.reset(); }
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString folder() const { return m_dir->path(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

inline bool runningAsRoot()
{
    return geteuid() == 0;
}

// Runs `body` in a forked child whose files cannot grow beyond `limit` bytes
// (SIGXFSZ ignored, so a write past the limit fails instead of killing it).
// True when the child ran to the end and `body` returned true.
inline bool passesUnderFileSizeLimit(rlim_t limit, const std::function<bool()> &body)
{
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit cap = {limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &cap) != 0)
            _exit(2);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
