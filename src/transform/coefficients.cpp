#include "coefficients.h"

#include "files/textfile.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace Transform {

namespace {

// A generator's file takes a few hundred bytes; anything this large is not one.
constexpr qint64 ReadLimit = qint64(64) * 1024;

const QString SetupSection = QStringLiteral("Setup");
const QString CoefficientsSection = QStringLiteral("Coefficients");
const QString ErrorSection = QStringLiteral("Error");

const Coefficient *find(const QList<Coefficient> &list, const QString &name)
{
    const auto found = std::find_if(list.cbegin(), list.cend(), [&name](const Coefficient &c) {
        return c.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return found == list.cend() ? nullptr : &*found;
}

// A plain number with either decimal separator: no group separators, which
// would make "1,182" ambiguous. One beyond a double's range reads as
// infinite, for the limits to refuse.
std::optional<double> number(QString text)
{
    static const QRegularExpression plain(
        QStringLiteral("^[+-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)([eE][+-]?[0-9]+)?$"));
    if (!plain.match(text).hasMatch())
        return std::nullopt;
    return QLocale::c().toDouble(text.replace(u',', u'.'));
}

// The text of the file, empty when it holds something else.
std::optional<QString> decode(const QByteArray &bytes)
{
    const std::optional<QString> text = Files::decode(bytes);
    const bool control = text && std::any_of(text->cbegin(), text->cend(), [](QChar c) {
        return (c < u' ' && c != u'\t' && c != u'\r' && c != u'\n') || c == u'\x7f';
    });
    return control ? std::nullopt : text;
}

CoefficientsRead refused(const QString &why)
{
    return {Coefficients(), why};
}

} // namespace

std::optional<double> Coefficients::value(const QString &name) const
{
    const Coefficient *found = find(values, name);
    return found ? std::optional<double>(found->value) : std::nullopt;
}

double Coefficients::error(const QString &name) const
{
    const Coefficient *found = find(errors, name);
    return found ? found->value : 0;
}

CoefficientsRead readCoefficients(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QString refusals[] = {QString(), NoSuchFile, IsFolder, NotRegularFile, Unreadable, TooLarge};
    QByteArray bytes;
    if (const Files::ReadRefusal refusal = Files::readWhole(path, ReadLimit, bytes);
        refusal != Files::ReadRefusal::None)
        return refused(refusals[int(refusal)].arg(shown));
    std::optional<QString> text = decode(bytes);
    if (!text)
        return refused(NotText.arg(shown));

    CoefficientsRead read;
    Coefficients &c = read.coefficients;
    QString section;
    text->replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    for (const QString &raw : text->split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0) // no key: nothing an INI reader takes
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (section.compare(SetupSection, Qt::CaseInsensitive) == 0) {
            if (key.compare(QLatin1String("description"), Qt::CaseInsensitive) == 0)
                c.description = value;
            continue;
        }
        const bool isValue = section.compare(CoefficientsSection, Qt::CaseInsensitive) == 0;
        if ((!isValue && section.compare(ErrorSection, Qt::CaseInsensitive) != 0) || value.isEmpty())
            continue;
        QList<Coefficient> &list = isValue ? c.values : c.errors;
        const QString shownSection = isValue ? CoefficientsSection : ErrorSection;
        if (find(list, key))
            return refused(Repeated.arg(shown, key, shownSection));
        const std::optional<double> parsed = number(value);
        if (!parsed)
            return refused(NotANumber.arg(shown, key, shownSection, value));
        if (isValue && !(std::abs(*parsed) <= MostCoefficient))
            return refused(OutOfRange.arg(shown, key, value, QString::number(MostCoefficient)));
        if (!isValue && !(*parsed >= 0 && std::isfinite(*parsed)))
            return refused(BadError.arg(shown, key, value));
        list.append({key, *parsed});
    }
    if (c.values.isEmpty())
        return refused(NoCoefficients.arg(shown));
    return read;
}

QString summary(const Coefficients &coefficients)
{
    QStringList parts;
    for (const Coefficient &c : coefficients.values)
        parts << c.name + u' ' + threeDecimals(c.value);
    return QStringLiteral("Coefficienti: ") + parts.join(QStringLiteral(", "));
}

QString threeDecimals(double value)
{
    const QString text = QString::number(value, 'f', 3);
    return text == QLatin1String("-0.000") ? text.mid(1) : text;
}

} // namespace Transform
