#include "fitsheader.h"

#include "core/juliandate.h"
#include "core/skyposition.h"

#include <QIODevice>
#include <QRegularExpression>

#include <fitsio.h>

#include <cmath>

namespace Imaging {

namespace {

// Cameras write 0 for a gain or a level they do not know.
std::optional<double> positive(std::optional<double> value)
{
    return value && *value > 0 ? value : std::nullopt;
}

// The wheel positions that hold no filter.
bool isOpenPosition(const QString &filter)
{
    const QString name = filter.trimmed().toLower();
    return name.isEmpty() || name == QLatin1String("clear") || name == QLatin1String("open")
        || name == QLatin1String("empty") || name == QLatin1String("none");
}

// Two wheels: the one holding a filter; both open, the first one's name.
QString chooseFilter(const HeaderKeys &keys)
{
    QString single = headerText(keys, HeaderKey::Filter);
    if (!single.isEmpty())
        return single;
    const QString first = headerText(keys, HeaderKey::FirstFilter);
    QString second = headerText(keys, HeaderKey::SecondFilter);
    if (!isOpenPosition(first) || isOpenPosition(second))
        return first.isEmpty() ? second : first;
    return second;
}

std::optional<QTime> hoursMinutes(const QString &hours, const QString &minutes)
{
    const QTime time(hours.toInt(), minutes.toInt());
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}

// A date at hh:mm plus `seconds` (fraction kept to the millisecond), shifted
// from its zone to UTC.
std::optional<QDateTime> instant(const QDate &date, const QString &hours, const QString &minutes,
                                 const QString &seconds, int zoneSeconds)
{
    const std::optional<QTime> time = hoursMinutes(hours, minutes);
    const double s = seconds.toDouble();
    if (!date.isValid() || !time || !(s < 60))
        return std::nullopt;
    return QDateTime(date, *time, Qt::UTC).addMSecs(std::llround(s * 1000)).addSecs(-zoneSeconds);
}

std::optional<int> zoneOffset(const QString &zone)
{
    if (zone.isEmpty() || zone == QLatin1String("Z"))
        return 0;
    const QString digits = QString(zone.mid(1)).remove(QLatin1Char(':'));
    const int hours = digits.left(2).toInt();
    const int minutes = digits.mid(2).toInt();
    if (hours > 14 || minutes > 59)
        return std::nullopt;
    const int offset = (hours * 60 + minutes) * 60;
    return zone.startsWith(QLatin1Char('-')) ? -offset : offset;
}

// The start from a Julian date, for headers that write no DATE-OBS.
std::optional<QDateTime> julianStart(const HeaderKeys &keys)
{
    constexpr double ModifiedJulianZero = 2400000.5;
    std::optional<double> jd = headerNumber(keys, HeaderKey::StartMjd);
    if (jd)
        *jd += ModifiedJulianZero;
    else
        jd = headerNumber(keys, HeaderKey::StartJd);
    const QDateTime start = jd ? JulianDate::toUtc(*jd) : QDateTime();
    return start.isValid() ? std::optional(start) : std::nullopt;
}

// A site's angle, signed or with its hemisphere's letter after it ("45W",
// "9.19 E"); a letter after a sign is refused, as it may contradict it.
std::optional<double> angleIn(const HeaderKeys &keys, const QString &name, QChar positive, QChar negative)
{
    QString text = keys.value(name).trimmed();
    const QChar letter = text.isEmpty() ? QChar() : text.back().toUpper();
    if (letter == positive || letter == negative) {
        text.chop(1);
        text = text.trimmed();
        if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')))
            return std::nullopt;
    }
    const std::optional<Sky::Angle> angle = Sky::readAngle(text);
    if (!angle)
        return std::nullopt;
    return letter == negative ? -angle->value : angle->value;
}

SkyTime::Outcome<SkyTime::Site> readSite(const HeaderKeys &keys)
{
    const QStringList &latitudes = headerKeyNames(HeaderKey::SiteLatitude);
    const QStringList &longitudes = headerKeyNames(HeaderKey::SiteLongitude);
    for (qsizetype pair = 0; pair < latitudes.size(); ++pair) {
        const std::optional<double> latitude = angleIn(keys, latitudes[pair], u'N', u'S');
        const std::optional<double> longitude = angleIn(keys, longitudes[pair], u'E', u'W');
        if (!latitude || !longitude)
            continue;
        const SkyTime::Site site{*latitude, *longitude, headerNumber(keys, HeaderKey::SiteHeight).value_or(0)};
        const QString problem = SkyTime::siteProblem(site);
        return {problem.isEmpty() ? std::optional(site) : std::nullopt, problem};
    }
    return {std::nullopt, Reason::NoSite};
}

// Absent for J2000 or a text that is no year.
std::optional<SkyTime::Equinox> readEquinox(const HeaderKeys &keys)
{
    static const QRegularExpression year(QStringLiteral(R"(^([JB]?)\s*(\d+(?:\.\d*)?)$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = year.match(headerText(keys, HeaderKey::Equinox));
    if (!m.hasMatch())
        return std::nullopt;
    const double epoch = m.captured(2).toDouble();
    const bool besselian = m.captured(1).isEmpty() ? epoch < 1984 : m.captured(1).toUpper() == QLatin1String("B");
    if (epoch < 1800 || epoch > 2200 || (!besselian && epoch == 2000))
        return std::nullopt;
    return SkyTime::Equinox{epoch, besselian};
}

SkyTime::Outcome<SkyTime::Target> readTarget(const HeaderKeys &keys)
{
    const auto angle = [&keys](HeaderKey key) { return Sky::readAngle(headerText(keys, key)); };
    std::optional<SkyTime::Target> target;
    const std::optional<Sky::Angle> objectRa = angle(HeaderKey::ObjectRa);
    const std::optional<Sky::Angle> objectDec = angle(HeaderKey::ObjectDec);
    const std::optional<Sky::Angle> ra = angle(HeaderKey::Ra);
    const std::optional<Sky::Angle> dec = angle(HeaderKey::Dec);
    if (objectRa && objectDec)
        target = SkyTime::Target{objectRa->value * 15, objectDec->value};
    else if (ra && dec)
        target = SkyTime::Target{ra->sexagesimal ? ra->value * 15 : ra->value, dec->value};
    if (!target)
        return {std::nullopt, Reason::NoTarget};
    if (const QString problem = SkyTime::targetProblem(*target); !problem.isEmpty())
        return {std::nullopt, problem};
    if (const std::optional<SkyTime::Equinox> equinox = readEquinox(keys))
        target = SkyTime::meanToJ2000(*target, *equinox);
    return {target, {}};
}

constexpr qint64 BlockSize = 2880;
constexpr int CardSize = 80;

} // namespace

QString unquotedValue(const char *value)
{
    // Blanks are ASCII's: CFITSIO reads no number after a no-break space.
    QByteArray text = QByteArray(value).trimmed();
    if (text.size() >= 2 && text.startsWith('\'') && text.endsWith('\''))
        text = text.mid(1, text.size() - 2).replace("''", "'").trimmed();
    return QString::fromLatin1(text);
}

QMultiHash<QString, QString> rawHeaderKeys(QIODevice &file, qint64 start,
                                           const std::function<bool(const QString &)> &wanted)
{
    QMultiHash<QString, QString> keys;
    if (!file.seek(start))
        return keys;
    for (;;) {
        const QByteArray block = file.read(BlockSize);
        if (block.size() < BlockSize)
            return keys;
        for (qint64 at = 0; at < BlockSize; at += CardSize) {
            QByteArray card = block.mid(at, CardSize);
            // CFITSIO's own reading of a card, which also takes "ztile1",
            // "ZTILE1= 0" and "HIERARCH ZTILE1 = 0" for ZTILE1.
            char name[FLEN_KEYWORD] = {};
            int length = 0;
            int status = 0;
            if (ffgknm(card.data(), name, &length, &status) != 0)
                continue;
            if (qstrcmp(name, "END") == 0 && !card.startsWith("HIERARCH "))
                return keys;
            const QString key = QString::fromLatin1(QByteArray(name).toUpper());
            if (!wanted(key))
                continue;
            char value[FLEN_VALUE] = {};
            char comment[FLEN_COMMENT] = {};
            keys.insert(key, ffpsvc(card.data(), value, comment, &status) == 0 ? unquotedValue(value) : QString());
        }
    }
}

std::optional<QDateTime> parseFitsDate(const QString &date, const QString &time)
{
    static const QRegularExpression iso(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})(?:[T ](\d{2}):(\d{2}):(\d{2}(?:\.\d*)?)(Z|[+-]\d{2}:?\d{2})?)?$)"));
    static const QRegularExpression old(QStringLiteral(R"(^(\d{2})/(\d{2})/(\d{2})$)"));
    static const QRegularExpression clock(QStringLiteral(R"(^(\d{2}):(\d{2}):(\d{2}(?:\.\d*)?)$)"));

    QDate day;
    if (const QRegularExpressionMatch m = iso.match(date.trimmed()); m.hasMatch()) {
        day = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!m.captured(4).isEmpty()) {
            const std::optional<int> zone = zoneOffset(m.captured(7));
            if (!zone)
                return std::nullopt;
            return instant(day, m.captured(4), m.captured(5), m.captured(6), *zone);
        }
    } else if (const QRegularExpressionMatch m = old.match(date.trimmed()); m.hasMatch()) {
        day = QDate(1900 + m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    } else {
        return std::nullopt;
    }
    const QRegularExpressionMatch t = clock.match(time.trimmed());
    if (!t.hasMatch())
        return std::nullopt;
    return instant(day, t.captured(1), t.captured(2), t.captured(3), 0);
}

bool isPlausibleExposure(double seconds)
{
    return seconds >= 0 && seconds <= MostExposure;
}

ImageHeader readHeader(const HeaderKeys &keys)
{
    ImageHeader header;
    header.start = parseFitsDate(headerText(keys, HeaderKey::Date), headerText(keys, HeaderKey::Time));
    if (!header.start)
        header.start = julianStart(keys);
    header.exposure = headerNumber(keys, HeaderKey::Exposure);
    header.filter = chooseFilter(keys);
    header.gain = positive(headerNumber(keys, HeaderKey::Gain));
    header.readNoise = headerNumber(keys, HeaderKey::ReadNoise);
    header.saturation = positive(headerNumber(keys, HeaderKey::Saturation));
    header.airmass = headerNumber(keys, HeaderKey::Airmass);
    header.object = headerText(keys, HeaderKey::Object);
    header.site = readSite(keys);
    header.target = readTarget(keys);
    header.keys = keys;

    if (const std::optional<QDateTime> average = parseFitsDate(headerText(keys, HeaderKey::MidExposureDate)))
        header.midExposure = average;
    else if (header.start && header.exposure && isPlausibleExposure(*header.exposure))
        header.midExposure = header.start->addMSecs(std::llround(*header.exposure * 500));
    if (header.midExposure)
        header.julianDate = JulianDate::fromUtc(*header.midExposure);
    return header;
}

} // namespace Imaging
