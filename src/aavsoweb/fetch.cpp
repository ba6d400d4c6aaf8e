#include "fetch.h"

#include "request.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <atomic>
#include <memory>

namespace AavsoWeb {

namespace {

std::atomic<int> timeLimit{TimeLimitSeconds * 1000}; // milliseconds
constexpr int CancelCheck = 100;                     // milliseconds between two looks at `cancelled`
constexpr qsizetype LargestErrorBody = qsizetype(64) * 1024;

} // namespace

void setTimeLimitForTests(int milliseconds)
{
    timeLimit = milliseconds;
}

Answer get(const QUrl &url, const Sink &sink, const std::function<bool()> &cancelled)
{
    Answer answer;
    if (!reachable(url)) {
        answer.problem = NoConnection.arg(NotHttps.arg(url.toDisplayString()));
        return answer;
    }
    // A manager of its own, dropped with the request: no cookie, password or
    // connection outlives it.
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));

    QEventLoop loop;
    QTimer silence;
    silence.setSingleShot(true);
    QTimer watch;
    qint64 received = 0;
    const auto stop = [&](const QString &why) {
        if (answer.problem.isEmpty())
            answer.problem = why;
        reply->abort();
    };
    const auto status = [&reply] {
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    };
    const auto take = [&] {
        if (!reply->isOpen())
            return; // aborted
        silence.start(timeLimit);
        const QByteArray bytes = reply->readAll();
        if (bytes.isEmpty() || !answer.problem.isEmpty())
            return;
        received += bytes.size();
        if (received > LargestAnswer)
            return stop(TooLarge);
        if (status() >= 400) {
            answer.errorBody += bytes.left(LargestErrorBody - answer.errorBody.size());
            return;
        }
        if (const QString refusal = sink(bytes); !refusal.isEmpty())
            stop(refusal);
    };
    QObject::connect(reply.get(), &QNetworkReply::redirected, reply.get(), [&](const QUrl &to) {
        if (reachable(to))
            emit reply->redirectAllowed();
        else
            stop(NoConnection.arg(NotHttps.arg(to.toDisplayString())));
    });
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, reply.get(), [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > LargestAnswer)
            stop(TooLarge);
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), take);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, [&] {
        take();
        loop.quit();
    });
    QObject::connect(&silence, &QTimer::timeout, &loop, [&] { stop(TimedOut); });
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (cancelled && cancelled()) {
            answer.cancelled = true;
            stop(QString());
        }
    });
    silence.start(timeLimit);
    if (cancelled)
        watch.start(CancelCheck);
    if (!reply->isFinished())
        loop.exec();

    answer.status = status();
    if (!answer.problem.isEmpty() || answer.cancelled)
        return answer;
    if (answer.status >= 400) {
        answer.problem = HttpError.arg(answer.status).arg(
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    } else if (const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
               (length.isValid() && received < length.toLongLong())
               || (reply->error() == QNetworkReply::RemoteHostClosedError && received > 0)) {
        // Qt does not always tell an answer cut short of the length it announced.
        answer.problem = Unreadable.arg(Interrupted);
    } else if (reply->error() != QNetworkReply::NoError) {
        answer.problem = NoConnection.arg(reply->errorString());
    }
    return answer;
}

} // namespace AavsoWeb
