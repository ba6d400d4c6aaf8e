#pragma once
// One request to the AAVSO, its answer handed on as it arrives. It waits in
// an event loop of its own, so it runs on any thread: the window's for a
// short answer, a background job's for a long one.

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

namespace AavsoWeb {

// No byte for this long ends a request.
inline constexpr int TimeLimitSeconds = 30;
// A larger answer is refused, whatever it holds.
inline constexpr qint64 LargestAnswer = 200'000'000;

// %1: why, as Qt Network says it.
inline const QString NoConnection = QStringLiteral("Impossibile contattare l'AAVSO: %1.");
inline const QString TimedOut = QStringLiteral("L'AAVSO non ha risposto entro %1 s.").arg(TimeLimitSeconds);
// %1: the HTTP status, %2: its text.
inline const QString HttpError = QStringLiteral("L'AAVSO ha risposto %1 %2.");
// %1: why.
inline const QString Unreadable = QStringLiteral("Risposta dell'AAVSO non leggibile: %1.");
inline const QString TooLarge = QStringLiteral("La risposta dell'AAVSO è più grande di 200 MB: non è stata tenuta.");
// Reasons given with NoConnection and Unreadable; %1: the address.
inline const QString NotHttps = QStringLiteral("l'indirizzo %1 non è HTTPS");
inline const QString Interrupted = QStringLiteral("la risposta si è interrotta");

// Takes the answer's bytes as they come; a non-empty text refuses the
// answer and ends the request.
using Sink = std::function<QString(QByteArrayView bytes)>;

struct Answer
{
    QString problem;      // empty: the whole answer went to the sink
    int status = 0;       // HTTP's, when the server answered
    QByteArray errorBody; // an HTTP error's body, up to 64 KiB
    bool cancelled = false;
};

// GETs `url`, following redirects to HTTPS (or to this machine) only.
// `cancelled`, asked now and then, ends the request.
Answer get(const QUrl &url, const Sink &sink, const std::function<bool()> &cancelled = {});

// Tests wait less than TimeLimitSeconds for a server that never answers.
void setTimeLimitForTests(int milliseconds);

} // namespace AavsoWeb
