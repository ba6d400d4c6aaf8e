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
#include <QRegularExpression>
#include <QStringConverter>

#include <algorithm>
#include <cmath>

namespace Aavso {

namespace {

// Far beyond the largest sequence the VSP gives (a few hundred stars).
constexpr qint64 LargestFile = qint64(16) << 20;

// A number as a person writes it in either convention, but never grouped:
// "11,234" is 11.234, and "1,234.5" or "1.234.567" do not read.
std::optional<double> number(QString text)
{
    static const QRegularExpression plain(
        QStringLiteral("^[+-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)([eE][+-]?[0-9]+)?$"));
    text = text.trimmed();
    if (!plain.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(text.replace(u',', u'.'), &ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// A JSON number, or a number written as a string (as every CSV field is).
std::optional<double> number(const QJsonValue &value)
{
    if (value.isDouble())
        return value.toDouble();
    return value.isString() ? number(value.toString()) : std::nullopt;
}

bool blank(const QJsonValue &value)
{
    return value.isNull() || value.isUndefined() || (value.isString() && value.toString().trimmed().isEmpty());
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

// The entry of `map` for `band` in any letter case, as the AAVSO's bands are matched.
template <typename Value>
const std::pair<const QString, Value> *entryFor(const std::map<QString, Value> &map, const QString &band)
{
    const auto found = std::find_if(map.cbegin(), map.cend(), [&band](const auto &entry) {
        return entry.first.compare(band, Qt::CaseInsensitive) == 0;
    });
    return found == map.cend() ? nullptr : &*found;
}

// A band given again keeps what its first gave, the band's note included.
void addBand(SequenceStar &star, const QString &band, const QJsonValue &magnitude, const QJsonValue &error)
{
    if (band.isEmpty() || blank(magnitude))
        return;
    if (const auto *first = entryFor(star.bands, band)) {
        star.notes.try_emplace(first->first, SequenceNote::Repeated.arg(first->first));
        return;
    }
    if (entryFor(star.notes, band))
        return;
    if (const std::optional<double> value = number(magnitude))
        star.bands[band] = {*value, number(error)};
    else
        star.notes[band] = SequenceNote::Unreadable;
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
                          *at, text(star.value(QLatin1String("comments"))), {}, {}};
        const QJsonArray bands = star.value(QLatin1String("bands")).toArray();
        for (const auto &band : bands) {
            const QJsonObject b = band.toObject();
            addBand(read, text(b.value(QLatin1String("band"))), b.value(QLatin1String("mag")),
                    b.value(QLatin1String("error")));
        }
        sequence.stars.push_back(std::move(read));
    }
    return sequence;
}

struct CsvTable
{
    QList<QStringList> rows;
    qsizetype openQuote = 0; // the line a quote never closed opened on
};

// Fields separated by commas, rows by line ends; a quoted field may hold
// commas, line ends and doubled quotes. Blank rows are dropped.
CsvTable csvRows(const QString &text)
{
    CsvTable table;
    QStringList row;
    QString field;
    qsizetype line = 1, quoteLine = 0;
    const auto endRow = [&] {
        row << field;
        field.clear();
        if (row.size() > 1 || !row.front().trimmed().isEmpty())
            table.rows << row;
        row.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool lineEnd = c == u'\n' || (c == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'));
        if (quoteLine) {
            if (c != u'"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else
                quoteLine = 0;
        } else if (c == u'"') {
            quoteLine = line;
        } else if (c == u',') {
            row << field;
            field.clear();
        } else if (c == u'\n' || c == u'\r') {
            endRow();
        } else {
            field += c;
        }
        line += lineEnd;
    }
    if (quoteLine)
        return {{}, quoteLine};
    endRow();
    return table;
}

std::optional<Sequence> fromCsv(const QList<QStringList> &rows, const QString &chartId)
{
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
            sequence.stars.push_back({field("auid"), field("label"), *at, field("comments"), {}, {}});
        }
        addBand(sequence.stars[*known], field("band"), field("mag"), field("error"));
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
    const std::optional<QString> decoded = Files::decode(bytes);
    if (!decoded) {
        const auto encoding = QStringConverter::encodingForData(bytes);
        return {std::nullopt, Refused.arg(name, BadText.arg(QString::fromLatin1(
                                                     QStringConverter::nameForEncoding(*encoding))))};
    }
    std::optional<Sequence> sequence;
    if (decoded->trimmed().startsWith(u'{')) {
        sequence = fromJson(decoded->toUtf8());
    } else {
        const CsvTable table = csvRows(*decoded);
        if (table.openQuote)
            return {std::nullopt, OpenQuote.arg(name, QString::number(table.openQuote))};
        sequence = fromCsv(table.rows, QFileInfo(path).completeBaseName());
    }
    if (!sequence || sequence->stars.empty())
        return {std::nullopt, NotSequence.arg(name)};
    return {std::move(sequence), QString()};
}

std::optional<Sequence> readSequenceJson(const QByteArray &bytes)
{
    std::optional<Sequence> sequence = fromJson(bytes);
    if (sequence && sequence->stars.empty())
        sequence.reset();
    return sequence;
}

bool reservedForVisual(const SequenceStar &star)
{
    return star.comments.contains(QLatin1String("visual"), Qt::CaseInsensitive);
}

const SequenceMagnitude *magnitudeFor(const SequenceStar &star, const QString &filterCode)
{
    for (const QString &band : Bands::sequenceBands(filterCode))
        if (const auto *magnitude = entryFor(star.bands, band))
            return &magnitude->second;
    return nullptr;
}

QString noteFor(const SequenceStar &star, const QString &filterCode)
{
    const QStringList bands = Bands::sequenceBands(filterCode);
    for (const QString &band : bands)
        if (const auto *magnitude = entryFor(star.bands, band)) {
            const auto *note = entryFor(star.notes, magnitude->first);
            return note ? note->second : QString();
        }
    for (const QString &band : bands)
        if (const auto *note = entryFor(star.notes, band))
            return note->second;
    return QString();
}

} // namespace Aavso
