#include "downloads.h"

#include "cache.h"
#include "fetch.h"
#include "aavso/observations.h"
#include "aavso/reading.h"
#include "core/juliandate.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <string_view>

namespace AavsoWeb {

namespace {

// The copy of an earlier answer, told as `problem` when there is none.
template<typename Result>
Result fromCopy(const QString &path, const QString &problem)
{
    Result result;
    if (QFileInfo(path).isFile()) {
        result.path = path;
        result.origin = FromCopy.arg(Cache::savedOn(path));
    } else {
        result.problem = problem;
    }
    return result;
}

// The VSP answers an unknown star with HTTP 400 and its reasons in "errors".
bool unknownStar(const Answer &answer)
{
    return answer.status == 400
        && QJsonDocument::fromJson(answer.errorBody).object().contains(QLatin1String("errors"));
}

// What a key of the cache keeps of a request: the address without where it
// was sent, so that a mirror's answers serve as the AAVSO's.
QString requestKey(const QUrl &url)
{
    return url.path() + QLatin1Char('?') + url.query();
}

} // namespace

SequenceDownload downloadSequence(const Addresses &at, const QString &star, double fieldArcmin,
                                  double magnitudeLimit)
{
    const QUrl url = sequenceUrl(at.vsp, star, fieldArcmin, magnitudeLimit);
    const QString path = Cache::pathFor(requestKey(url), QStringLiteral("json"));
    QByteArray bytes;
    const Answer answer = get(url, [&bytes](QByteArrayView piece) {
        bytes += piece;
        return QString();
    });
    const auto copy = [&path](const QString &problem) {
        SequenceDownload result;
        std::optional<Aavso::SequenceRead> read =
            QFileInfo(path).isFile() ? std::optional(Aavso::readSequence(path)) : std::nullopt;
        if (read && read->sequence) {
            result.sequence = std::move(read->sequence);
            result.origin = FromCopy.arg(Cache::savedOn(path));
        } else {
            result.problem = problem;
        }
        return result;
    };
    if (unknownStar(answer))
        return {std::nullopt, QString(), UnknownStar.arg(star.simplified())};
    if (!answer.problem.isEmpty())
        return copy(answer.problem);
    std::optional<Aavso::Sequence> sequence = Aavso::readSequenceJson(bytes);
    if (!sequence)
        return copy(Unreadable.arg(NotSequenceJson));
    if (!path.isEmpty()) {
        // A copy that cannot be saved costs only the use offline.
        QSaveFile save(path);
        if (save.open(QIODevice::WriteOnly) && save.write(bytes) == bytes.size())
            save.commit();
    }
    return {std::move(sequence), FetchedNow, QString()};
}

std::optional<double> typedDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool isNumber = false;
    const double jd = trimmed.toDouble(&isNumber);
    if (isNumber)
        return Aavso::LightCurve::Reading::FullJulianDates.contains(jd) ? std::optional(jd) : std::nullopt;
    const QDate date = QDate::fromString(trimmed, QStringLiteral("d/M/yyyy"));
    if (!date.isValid())
        return std::nullopt;
    return JulianDate::fromUtc(QDateTime(date, QTime(0, 0), Qt::UTC));
}

Period typedPeriod(const QString &from, const QString &to, const QDateTime &now)
{
    Period period;
    const std::optional<double> end = to.trimmed().isEmpty() ? JulianDate::fromUtc(now.toUTC()) : typedDate(to);
    if (!end) {
        period.problem = BadDate.arg(to.trimmed());
        return period;
    }
    const std::optional<double> start = from.trimmed().isEmpty() ? *end - DefaultDays : typedDate(from);
    if (!start) {
        period.problem = BadDate.arg(from.trimmed());
        return period;
    }
    if (*start > *end)
        period.problem = BackwardsPeriod;
    period.fromJd = *start;
    period.toJd = *end;
    return period;
}

ObservationsDownload downloadObservations(const Addresses &at, const QString &star, const QString &from,
                                          const QString &to, const QDateTime &now,
                                          const PieceProgress &progress)
{
    const Period period = typedPeriod(from, to, now);
    if (!period.problem.isEmpty())
        return {QString(), QString(), period.problem};
    const QString name = star.simplified();
    const QString path = Cache::pathFor(QStringLiteral("vsx|") + Aavso::LightCurve::starKey(name) + QLatin1Char('|')
                                            + from.trimmed() + QLatin1Char('|') + to.trimmed(),
                                        QStringLiteral("txt"));
    QSaveFile save(path);
    if (path.isEmpty() || !save.open(QIODevice::WriteOnly))
        return {QString(), QString(), NoCache.arg(Cache::folder())};

    const auto pieces = AavsoWeb::pieces(period.fromJd, period.toJd);
    QByteArray header; // the first piece's, which the others must repeat
    bool cancelled = false;
    for (size_t piece = 0; piece < pieces.size(); ++piece) {
        if (progress && !progress(int(piece), int(pieces.size()))) {
            cancelled = true;
            break;
        }
        // Each piece's first line is held until it is whole, then checked.
        QByteArray opening;
        bool opened = false;
        const auto open = [&](bool ended) {
            const qsizetype lineEnd = opening.indexOf('\n');
            if (lineEnd < 0 && !ended)
                return opening.size() > Aavso::LightCurve::LongestLine ? Unreadable.arg(NotDelimited) : QString();
            const QByteArray line = opening.left(lineEnd < 0 ? opening.size() : lineEnd).trimmed();
            if (!Aavso::LightCurve::Reading::opensDelimited(std::string_view(line.constData(), size_t(line.size()))))
                return Unreadable.arg(NotDelimited);
            if (header.isEmpty()) {
                header = line;
                save.write(header + '\n');
            } else if (line != header) {
                return Unreadable.arg(OtherColumns);
            }
            opened = true;
            save.write(opening.mid(lineEnd < 0 ? opening.size() : lineEnd + 1));
            opening.clear();
            return QString();
        };
        const Answer answer = get(
            observationsUrl(at.vsx, name, pieces[piece].first, pieces[piece].second),
            [&](QByteArrayView bytes) {
                if (opened) {
                    save.write(bytes.data(), bytes.size());
                    return QString();
                }
                opening += bytes;
                return open(false);
            },
            [&progress, &piece, &pieces] { return progress && !progress(int(piece), int(pieces.size())); });
        if (answer.cancelled) {
            cancelled = true;
            break;
        }
        QString problem = answer.problem;
        if (problem.isEmpty() && !opened)
            problem = open(true);
        if (problem.isEmpty() && save.error() != QFileDevice::NoError)
            problem = NoCache.arg(Cache::folder());
        if (!problem.isEmpty()) {
            save.cancelWriting();
            return fromCopy<ObservationsDownload>(path, problem);
        }
    }
    if (cancelled) {
        save.cancelWriting();
        return {QString(), QString(), QString(), true};
    }
    if (!save.commit())
        return fromCopy<ObservationsDownload>(path, NoCache.arg(Cache::folder()));
    return {path, FetchedNow, QString()};
}

} // namespace AavsoWeb
