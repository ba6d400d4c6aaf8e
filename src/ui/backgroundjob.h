#pragma once
// Work a window runs on a thread of its own, so that it stays responsive:
// the window starts it, may cancel it, hears its progress and its end on
// its own thread. A window keeps its job as its last member, so that the
// job, destroyed first, cancels the work and waits for it while what the
// work uses is still there.

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

class BackgroundJob : public QObject
{
    Q_OBJECT
public:
    BackgroundJob();
    ~BackgroundJob() override;

    // Runs `work` on a new thread; `finished` follows its end. One at a time.
    void start(const std::function<void()> &work);
    bool running() const { return m_thread != nullptr; }

    // The work reads it and stops; `finished` still follows.
    void cancel() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }

    // Cancels, waits for the work and drops its `finished`.
    void stop();

    // From the work: `progressed` is sent when `value` differs from the last one told.
    void tell(int value);

signals:
    void progressed(int value);
    void finished();

private:
    void ended();

    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancelled{false};
    int m_told = -1; // the work's alone
};
