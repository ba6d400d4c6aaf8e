#include "request.h"

#include "core/sheet.h"
#include "core/version.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QUrlQuery>

#include <algorithm>

namespace AavsoWeb {

namespace {

QUrl base(const Settings &settings, const QString &key, const QString &fallback, const QUrl &replacement)
{
    const QString set = settings.value(key).trimmed();
    QUrl url(set.isEmpty() ? fallback : set);
    if (replacement.isValid() && !replacement.host().isEmpty()) {
        url.setScheme(replacement.scheme());
        url.setHost(replacement.host());
        url.setPort(replacement.port());
    }
    return url;
}

// Numbers in a request are written with a point, whatever the locale.
QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

Addresses addresses(const Settings &settings)
{
    const QUrl replacement(QString::fromLocal8Bit(qgetenv(AddressVariable)).trimmed());
    return {base(settings, VspKey, DefaultVsp, replacement), base(settings, VsxKey, DefaultVsx, replacement)};
}

bool isChartId(const QString &text)
{
    static const QRegularExpression chart(QStringLiteral("^[A-Za-z][0-9]{5,}[A-Za-z]{1,3}$"));
    return chart.match(text.trimmed()).hasMatch();
}

QUrl sequenceUrl(const QUrl &vsp, const QString &star, double fieldArcmin, double magnitudeLimit)
{
    QUrl url(vsp);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("format"), QStringLiteral("json"));
    if (isChartId(star)) {
        QString path = url.path();
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        url.setPath(path + star.trimmed().toUpper() + QLatin1Char('/'));
    } else {
        query.addQueryItem(QStringLiteral("star"), star.simplified());
        query.addQueryItem(QStringLiteral("fov"), number(fieldArcmin, 1));
        query.addQueryItem(QStringLiteral("maglimit"), number(magnitudeLimit, 1));
    }
    url.setQuery(query);
    return url;
}

QUrl observationsUrl(const QUrl &vsx, const QString &star, double fromJd, double toJd)
{
    QUrl url(vsx);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("view"), QStringLiteral("api.delim"));
    query.addQueryItem(QStringLiteral("ident"), star.simplified());
    query.addQueryItem(QStringLiteral("fromjd"), number(fromJd, 5));
    query.addQueryItem(QStringLiteral("tojd"), number(toJd, 5));
    query.addQueryItem(QStringLiteral("delimiter"), QStringLiteral("@@@"));
    url.setQuery(query);
    return url;
}

std::vector<std::pair<double, double>> pieces(double fromJd, double toJd)
{
    std::vector<std::pair<double, double>> result;
    for (double start = fromJd; start <= toJd;) {
        const double end = std::min(start + PieceDays, toJd);
        result.emplace_back(start, end);
        if (end >= toJd)
            break;
        // The next piece starts one step of the written dates later, so
        // that an observation on the seam is not fetched twice.
        start = end + JdStep;
    }
    return result;
}

bool reachable(const QUrl &url)
{
    if (url.scheme() == QLatin1String("https"))
        return true;
    if (url.scheme() != QLatin1String("http"))
        return false;
    const QString host = url.host();
    return host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
}

QByteArray userAgent()
{
    return QByteArrayLiteral("Vevurid/") + Version::FullText;
}

} // namespace AavsoWeb
