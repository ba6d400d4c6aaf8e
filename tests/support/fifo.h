#pragma once
// Named pipes for the tests of files a user names, and a watchdog that frees
// a reader blocked on one, so such a fault fails its test instead of hanging.

#include <QFile>
#include <QTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

inline void makeFifo(const QString &path)
{
    if (mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        QTest::qFail(qPrintable(QStringLiteral("cannot make the pipe ") + path), __FILE__, __LINE__);
}

inline bool isFifo(const QString &path)
{
    struct stat info;
    return lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
}

// After three seconds, until it is destroyed, keeps opening the pipe for
// writing and closing it again: a reader that waits on it wakes to an empty pipe.
class FifoWatchdog
{
public:
    explicit FifoWatchdog(const QString &fifo)
        : m_path(QFile::encodeName(fifo)), m_thread([this] {
              for (int waited = 0; !m_done; waited += 50) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
                  const int fd = waited >= 3000 ? ::open(m_path.constData(), O_WRONLY | O_NONBLOCK) : -1;
                  if (fd >= 0)
                      ::close(fd);
              }
          })
    {
    }
    ~FifoWatchdog()
    {
        m_done = true;
        m_thread.join();
    }
    FifoWatchdog(const FifoWatchdog &) = delete;
    FifoWatchdog &operator=(const FifoWatchdog &) = delete;

private:
    const QByteArray m_path;
    std::atomic<bool> m_done{false};
    std::thread m_thread; // last: it starts once everything above is ready
};
