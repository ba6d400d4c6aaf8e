#pragma once
// Named pipes for the tests of files a user names, and a watchdog that frees
// a reader blocked on one, so such a fault fails its test instead of hanging.

#include <QFile>
#include <QTest>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
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

// From `patience` on, until it is destroyed, keeps opening the pipe for
// writing and closing it again: every open for reading that waits returns,
// and the reader sees an empty pipe.
class FifoWatchdog
{
public:
    explicit FifoWatchdog(const QString &fifo, std::chrono::milliseconds patience = std::chrono::seconds(3))
        : m_path(QFile::encodeName(fifo)), m_thread([this, patience] { watch(patience); })
    {
    }
    ~FifoWatchdog()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    FifoWatchdog(const FifoWatchdog &) = delete;
    FifoWatchdog &operator=(const FifoWatchdog &) = delete;

private:
    void watch(std::chrono::milliseconds wait)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_wake.wait_for(lock, wait, [this] { return m_done; })) {
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            wait = std::chrono::milliseconds(50);
        }
    }

    const QByteArray m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread; // last: it starts once everything above is ready
};
