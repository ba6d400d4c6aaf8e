#include "sequence.h"

#include "bands.h"
#include "observations.h"
#include "files/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <cmath>

namespace Aavso {

namespace {

// Far beyond the largest sequence the VSP gives (a few hundred stars).
constexpr qint64 LargestFile = qint64(16) << 20;

std::optional<double> number(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// A JSON number, or a number written as a string.
std::optional<double> number(const QJsonValue &value)
{
    if (value.isDouble())
        return value.toDouble();
    return value.isString() ? number(value.toString()) : std::nullopt;
}

// JSON writes a label either way.
QString text(const QJsonValue &value)
{
    return value.isDouble() ? QLocale::c().toString(value.toDouble(), 'g', 12) : value.toString().trimmed();
}

std::optional<Sky::Position> position(const QString &ra, const QString &dec)
{
    const std::optional<double> alpha = Sky::parseRightAscension(ra);
    const std::optional<double> delta = Sky::parseDeclination(dec);
    if (!alpha || !delta)
        return std::nullopt;
    return Sky::Position{*alpha, *delta};
}

void addBand(SequenceStar &star, const QString &band, const std::optional<double> &magnitude,
             const std::optional<double> &error)
{
    if (!band.isEmpty() && magnitude)
        star.bands[band] = {*magnitude, error};
}

std::optional<Sequence> fromJson(const QByteArray &bytes)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    const QJsonObject answer = document.object();
    if (!answer.value(QLatin1String("photometry")).isArray())
        return std::nullopt;
    Sequence sequence;
    sequence.chartId = text(answer.value(QLatin1String("chartid")));
    sequence.variable = text(answer.value(QLatin1String("star")));
    sequence.variablePosition =
        position(text(answer.value(QLatin1String("ra"))), text(answer.value(QLatin1String("dec"))));
    const QJsonArray photometry = answer.value(QLatin1String("photometry")).toArray();
    for (const auto &entry : photometry) {
        const QJsonObject star = entry.toObject();
        const std::optional<Sky::Position> at =
            position(text(star.value(QLatin1String("ra"))), text(star.value(QLatin1String("dec"))));
        if (!at)
            continue;
        SequenceStar read{text(star.value(QLatin1String("auid"))), text(star.value(QLatin1String("label"))),
                          *at, text(star.value(QLatin1String("comments"))), {}};
        const QJsonArray bands = star.value(QLatin1String("bands")).toArray();
        for (const auto &band : bands) {
            const QJsonObject b = band.toObject();
            addBand(read, text(b.value(QLatin1String("band"))), number(b.value(QLatin1String("mag"))),
                    number(b.value(QLatin1String("error"))));
        }
        sequence.stars.push_back(std::move(read));
    }
    return sequence;
}

// Fields separated by commas, rows by line ends; a quoted field may hold
// commas, line ends and doubled quotes. Blank rows are dropped.
QList<QStringList> csvRows(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    const auto endRow = [&] {
        row << field;
        field.clear();
        if (row.size() > 1 || !row.front().trimmed().isEmpty())
            rows << row;
        row.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                field += text[++i];
            else
                quoted = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            endRow();
        } else {
            field += c;
        }
    }
    endRow();
    return rows;
}

std::optional<Sequence> fromCsv(const QString &text, const QString &chartId)
{
    const QList<QStringList> rows = csvRows(text);
    if (rows.isEmpty())
        return std::nullopt;
    // Columns by their names, in whatever order the table has them.
    QHash<QString, qsizetype> column;
    for (qsizetype i = 0; i < rows.front().size(); ++i)
        column.insert(rows.front()[i].trimmed().toCaseFolded(), i);
    static const QStringList required = {"auid", "ra", "dec", "label", "band", "mag"};
    for (const QString &name : required)
        if (!column.contains(name))
            return std::nullopt;
    Sequence sequence{chartId, QString(), std::nullopt, {}};
    QHash<QString, size_t> starOf; // by AUID, or by position for a star without one
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QStringList &row = rows[r];
        const auto field = [&row, &column](const char *name) {
            return row.value(column.value(QLatin1String(name), -1)).trimmed();
        };
        const std::optional<Sky::Position> at = position(field("ra"), field("dec"));
        if (!at)
            continue;
        const QString key = field("auid").isEmpty() ? field("ra") + QLatin1Char(' ') + field("dec") : field("auid");
        auto known = starOf.constFind(key);
        if (known == starOf.cend()) {
            known = starOf.insert(key, sequence.stars.size());
            sequence.stars.push_back({field("auid"), field("label"), *at, field("comments"), {}});
        }
        addBand(sequence.stars[*known], field("band"), number(field("mag")), number(field("error")));
    }
    return sequence;
}

} // namespace

SequenceRead readSequence(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    using namespace LightCurve;
    // A file too large is no sequence, whatever it holds.
    const QString refusals[] = {QString(), NoSuchFile, IsFolder, NotRegularFile, UnreadableFile, QString()};
    QByteArray bytes;
    const Files::ReadRefusal refusal = Files::readWhole(path, LargestFile, bytes);
    if (refusal == Files::ReadRefusal::TooLarge)
        return {std::nullopt, NotSequence.arg(name)};
    if (refusal != Files::ReadRefusal::None)
        return {std::nullopt, Refused.arg(name, refusals[int(refusal)])};
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    std::optional<Sequence> sequence = bytes.trimmed().startsWith('{')
        ? fromJson(bytes)
        : fromCsv(QString::fromUtf8(bytes), QFileInfo(path).completeBaseName());
    if (!sequence || sequence->stars.empty())
        return {std::nullopt, NotSequence.arg(name)};
    return {std::move(sequence), QString()};
}

bool reservedForVisual(const SequenceStar &star)
{
    return star.comments.contains(QLatin1String("visual"), Qt::CaseInsensitive);
}

const SequenceMagnitude *magnitudeFor(const SequenceStar &star, const QString &filterCode)
{
    for (const QString &band : Bands::sequenceBands(filterCode))
        for (const auto &[name, magnitude] : star.bands)
            if (name.compare(band, Qt::CaseInsensitive) == 0)
                return &magnitude;
    return nullptr;
}

} // namespace Aavso
