#include "skyposition.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace Sky {

namespace {

std::optional<double> number(QStringView text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

} // namespace

std::optional<Angle> readAngle(QStringView text)
{
    static const QRegularExpression separators(QStringLiteral("\\s*[:\\s]\\s*"));
    static const QRegularExpression whole(QStringLiteral("^\\d+$"));
    static const QRegularExpression decimals(QStringLiteral("^\\d+(\\.\\d*)?$"));
    const QString trimmed = text.trimmed().toString();
    QStringList parts = trimmed.split(separators);
    if (parts.size() == 1) {
        const std::optional<double> decimal = number(parts[0]);
        return decimal ? std::optional<Angle>({*decimal, false}) : std::nullopt;
    }
    if (parts.size() > 3)
        return std::nullopt;
    const bool negative = trimmed.startsWith(QLatin1Char('-'));
    if (negative || trimmed.startsWith(QLatin1Char('+')))
        parts[0].remove(0, 1);
    double value = 0;
    double unit = 1;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (!(i + 1 == parts.size() ? decimals : whole).match(parts[i]).hasMatch())
            return std::nullopt;
        const double piece = *number(parts[i]);
        if (i > 0 && piece >= 60)
            return std::nullopt;
        value += piece / unit;
        unit *= 60;
    }
    return Angle{negative ? -value : value, true};
}

std::optional<double> parseRightAscension(QStringView text)
{
    const std::optional<Angle> reading = readAngle(text);
    if (!reading)
        return std::nullopt;
    const double degrees = reading->sexagesimal ? reading->value * 15 : reading->value;
    if (!(degrees >= 0 && degrees < 360))
        return std::nullopt;
    return degrees;
}

std::optional<double> parseDeclination(QStringView text)
{
    const std::optional<Angle> reading = readAngle(text);
    if (!reading || !(std::abs(reading->value) <= 90))
        return std::nullopt;
    return reading->value;
}

QString formatRightAscension(double degrees)
{
    constexpr qint64 TenthsPerDay = qint64(24) * 36000;
    qint64 tenths = std::llround(std::fmod(degrees, 360) / 15 * 36000);
    tenths = (tenths % TenthsPerDay + TenthsPerDay) % TenthsPerDay; // 23:59:59.96 is 00:00:00.0
    return QStringLiteral("%1:%2:%3.%4")
        .arg(tenths / 36000, 2, 10, QLatin1Char('0'))
        .arg(tenths / 600 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

QString formatDeclination(double degrees)
{
    const qint64 seconds = std::llround(std::abs(degrees) * 3600);
    const QChar sign = degrees < 0 && seconds > 0 ? QLatin1Char('-') : QLatin1Char('+');
    return QStringLiteral("%1%2:%3:%4")
        .arg(sign)
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace Sky
