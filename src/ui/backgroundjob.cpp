#include "ui/backgroundjob.h"

#include <QThread>

BackgroundJob::BackgroundJob() = default;

BackgroundJob::~BackgroundJob()
{
    stop();
}

void BackgroundJob::start(const std::function<void()> &work)
{
    m_cancelled = false;
    m_told = -1;
    m_thread.reset(QThread::create(work));
    connect(m_thread.get(), &QThread::finished, this, &BackgroundJob::ended);
    m_thread->start();
}

void BackgroundJob::stop()
{
    if (!m_thread)
        return;
    m_cancelled = true;
    disconnect(m_thread.get(), nullptr, this, nullptr);
    m_thread->wait();
    m_thread.reset();
}

void BackgroundJob::tell(int value)
{
    if (value == m_told)
        return;
    m_told = value;
    emit progressed(value); // queued to the window's thread
}

void BackgroundJob::ended()
{
    m_thread->wait(); // ends at once: it has finished
    m_thread.reset();
    emit finished();
}
