#include "export.h"

#include "bands.h"
#include "vocabulary.h"

#include "core/fields.h"
#include "core/names.h"
#include "core/numberrules.h"
#include "files/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

namespace Aavso {

namespace {

// The boxes a record is made of, and whether each holds a number.
constexpr std::pair<const char *, bool> RecordBoxes[] = {
    {Field::Object, false},     {Field::JulianDate, true},  {Field::MagnitudeVariable, true},
    {Field::MagnitudeError, true}, {Field::Filter, false},  {Field::MagnitudeC1, true},
    {Field::MagnitudeC2, true}, {Field::MagnitudeC3, true}, {Field::Notes, false},
    {Field::Author, false}};

const QString Delimiter = QStringLiteral(
    "La casella \"%1\" contiene una virgola o un a capo, che il formato AAVSO non ammette "
    "in un campo (la virgola separa i campi). Toglierli prima di esportare.");
const QString StarMissing = QStringLiteral("Scrivere in \"Oggetto:\" il nome della stella.");
const QString StarTooLong = QStringLiteral(
    "Il nome in \"Oggetto:\" supera i 30 caratteri che il formato AAVSO ammette.");
const QString DateNeeded = QStringLiteral(
    "Scrivere in \"JD:\" la data giuliana completa dell'osservazione, per esempio "
    "2460425.31250 (non la data ridotta 60425.3125).");
const QString MagnitudeMissing = QStringLiteral(
    "Calcolare prima la magnitudine con \"MAGNITUDINE\": l'esportazione AAVSO la prende "
    "dalla casella \"Magnitudine\".");
const QString MagnitudeTooLong = QStringLiteral(
    "La magnitudine %1 supera gli 8 caratteri che il formato AAVSO ammette.");
const QString ErrorWrong = QStringLiteral(
    "L'errore in \"Errore Mag.\" deve essere un numero non negativo di al massimo 6 "
    "caratteri, per esempio 0.012, oppure la casella vuota.");
const QString FilterUnknown = QStringLiteral(
    "Scrivere in \"Filtro:\" un codice di filtro AAVSO: %1 (il pulsante \"UV\" vale U).");
const QString ObsCodeNeeded = QStringLiteral(
    "L'esportazione AAVSO ha bisogno in \"Autore:\" del codice osservatore AAVSO: "
    "da 1 a 10 lettere e cifre, senza spazi (per esempio ABC).");

const QString NotAFile = QStringLiteral("%1 non è un file: l'osservazione non è stata esportata.");
const QString TooLarge = QStringLiteral(
    "Il file %1 supera 256 MiB: l'osservazione non è stata esportata.");
const QString Unreadable = QStringLiteral(
    "Il file %1 non può essere letto: l'osservazione non è stata esportata.");
const QString NotExtended = QStringLiteral(
    "Il file %1 non è un file AAVSO Extended (manca la riga #TYPE=EXTENDED): "
    "l'osservazione non è stata aggiunta.");
const QString NotComma = QStringLiteral(
    "Il file %1 non separa i campi con la virgola (#DELIM=,): l'osservazione non è stata "
    "aggiunta.");
const QString NotJd = QStringLiteral(
    "Il file %1 non ha le date in JD (#DATE=JD): l'osservazione non è stata aggiunta.");
const QString Duplicate = QStringLiteral(
    "Il file %1 contiene già un'osservazione della stessa stella con lo stesso JD e lo "
    "stesso filtro: l'osservazione non è stata aggiunta di nuovo.");
const QString WriteFailed = QStringLiteral(
    "Esportazione non riuscita: il file %1 non è stato modificato.");
const QString Added = QStringLiteral("Osservazione aggiunta a %1 (osservazioni nel file: %2).");

// The number in the field with `decimals` decimals, always with "."; empty
// when the field is empty or holds a number too large to read.
std::optional<QString> fixed(const QString &text, int decimals, double *value = nullptr)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const std::optional<double> read = NumberRules::read(text);
    if (!read)
        return std::nullopt;
    if (value)
        *value = *read;
    return QString::number(*read + 0.0, 'f', decimals); // + 0.0: no "-0.000"
}

QString catalogue(const QString &text)
{
    return fixed(text, 3).value_or(QStringLiteral("na"));
}

bool isObsCode(const QString &code)
{
    if (code.isEmpty() || code.size() > 10)
        return false;
    for (const QChar c : code)
        if (c.unicode() >= 128 || !c.isLetterOrNumber())
            return false;
    return true;
}

bool sameText(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<qint64> jdKey(QByteArrayView text)
{
    double jd = 0;
    const auto [end, error] = std::from_chars(text.begin(), text.end(), jd);
    if (error != std::errc() || end != text.end())
        return std::nullopt;
    return std::llround(jd * 1e5);
}

// The log's own line end: the one its first line ends with.
QByteArray lineEnd(const QByteArray &log)
{
    const auto first = std::find_if(log.begin(), log.end(), [](char c) { return c == '\r' || c == '\n'; });
    if (first == log.end())
        return "\r\n";
    if (*first == '\n')
        return "\n";
    return first + 1 != log.end() && first[1] == '\n' ? "\r\n" : "\r";
}

// Whether the record `line` of a log is the observation of `record`: the
// same star and filter in any case, the same JD to its fifth decimal.
bool sameObservation(QByteArrayView line, const Record &record)
{
    QByteArrayView fields[5]; // STARID, DATE, MAGNITUDE, MAGERR, FILTER
    qsizetype from = 0;
    for (QByteArrayView &field : fields) {
        if (from > line.size())
            return false;
        qsizetype comma = line.indexOf(',', from);
        if (comma < 0)
            comma = line.size();
        field = line.sliced(from, comma - from).trimmed();
        from = comma + 1;
    }
    return sameText(fields[0], record.star) && sameText(fields[4], record.filter)
        && jdKey(fields[1]) == record.jdKey;
}

} // namespace

Record record(const Sheet &sheet)
{
    const auto field = [&sheet](const char *name) { return sheet.text(QLatin1String(name)); };
    Record r;
    // In a number the comma is the decimal point where the system writes it
    // so; elsewhere the reading rule would stop at it and change the value.
    const bool commaIsPoint = QLocale().decimalPoint() == QLatin1String(",");
    for (const auto &[name, number] : RecordBoxes) {
        const QString text = field(name);
        if (text.contains(u'\n') || text.contains(u'\r')
            || (text.contains(u',') && !(number && commaIsPoint))) {
            r.problem = Delimiter.arg(Fields::description(QLatin1String(name)));
            return r;
        }
    }
    const QString star = field(Field::Object).trimmed();
    double jd = 0;
    const std::optional<QString> date = fixed(field(Field::JulianDate), 5, &jd);
    const std::optional<QString> magnitude = fixed(field(Field::MagnitudeVariable), 3);
    double error = 0;
    const std::optional<QString> magErr = fixed(field(Field::MagnitudeError), 3, &error);
    const Bands::Band *band = Bands::find(field(Field::Filter));
    const QString filter = band ? band->code : field(Field::Filter).trimmed();
    const QString obsCode = field(Field::Author).trimmed();

    if (star.isEmpty())
        r.problem = StarMissing;
    else if (star.size() > 30)
        r.problem = StarTooLong;
    else if (!date || jd < 2400000 || jd > 2500000)
        r.problem = DateNeeded;
    else if (!magnitude)
        r.problem = MagnitudeMissing;
    else if (magnitude->size() > 8)
        r.problem = MagnitudeTooLong.arg(*magnitude);
    else if (magErr && (error < 0 || magErr->size() > 6))
        r.problem = ErrorWrong;
    else if (!Bands::exportedCodes().contains(filter))
        r.problem = FilterUnknown.arg(Bands::exportedCodes().join(QStringLiteral(", ")));
    else if (!isObsCode(obsCode))
        r.problem = ObsCodeNeeded;
    if (!r.problem.isEmpty())
        return r;

    QString notes = QStringLiteral("ENSEMBLE C1=%1 C2=%2 C3=%3")
                        .arg(catalogue(field(Field::MagnitudeC1)), catalogue(field(Field::MagnitudeC2)),
                             catalogue(field(Field::MagnitudeC3)));
    const QString note = field(Field::Notes).trimmed();
    if (!note.isEmpty())
        notes += QLatin1Char(' ') + note;
    const QStringList fields = {star,     *date,  *magnitude, magErr.value_or(QStringLiteral("na")),
                                filter,   "NO",   "STD",      "ENSEMBLE",
                                "na",     "na",   "na",       "na",
                                "na",     "na",   notes};
    r.obsCode = obsCode.toUtf8();
    r.line = fields.join(QLatin1Char(',')).toUtf8();
    r.star = star.toUtf8();
    r.jdKey = *jdKey(date->toLatin1());
    r.filter = filter.toLatin1();
    return r;
}

Addition append(const QByteArray &log, const Record &record)
{
    if (log.isEmpty()) {
        return {QString(), header(record.obsCode) + record.line + "\r\n", 1};
    }

    const QByteArray newline = lineEnd(log);
    const char terminator = newline.back();

    // One pass over the bytes: parameters (the last of each in force),
    // records counted, and each compared with the new one.
    QByteArrayView type, delimiter, dateKind, obsCode;
    qsizetype observations = 0;
    bool duplicate = false;
    const char *p = log.constData();
    const char *const end = p + log.size();
    if (log.startsWith("\xEF\xBB\xBF"))
        p += 3;
    while (p < end) {
        const auto *next = static_cast<const char *>(std::memchr(p, terminator, size_t(end - p)));
        if (!next)
            next = end;
        const QByteArrayView line = QByteArrayView(p, next).trimmed();
        p = next + 1;
        if (line.isEmpty())
            continue;
        if (line.front() == '#') {
            const qsizetype equals = line.indexOf('=');
            if (equals < 0)
                continue;
            const QByteArrayView key = line.sliced(1, equals - 1).trimmed();
            const QByteArrayView value = line.sliced(equals + 1).trimmed();
            if (sameText(key, "TYPE"))
                type = value;
            else if (sameText(key, "DELIM"))
                delimiter = value;
            else if (sameText(key, "DATE"))
                dateKind = value;
            else if (sameText(key, "OBSCODE"))
                obsCode = value;
            continue;
        }
        ++observations;
        duplicate = duplicate || sameObservation(line, record);
    }

    QString problem;
    if (!sameText(type, "EXTENDED"))
        problem = NotExtended;
    else if (delimiter != ",")
        problem = NotComma;
    else if (!sameText(dateKind, "JD"))
        problem = NotJd;
    else if (duplicate)
        problem = Duplicate;
    if (!problem.isEmpty())
        return {problem, QByteArray(), observations};

    QByteArray bytes;
    if (log.back() != '\n' && log.back() != '\r')
        bytes += newline;
    if (!sameText(obsCode, record.obsCode))
        bytes += "#OBSCODE=" + record.obsCode + newline;
    bytes += record.line + newline;
    return {QString(), bytes, observations + 1};
}

namespace {

struct Log
{
    QString problem; // with %1 for the file's name
    QByteArray bytes;
};

// The log's bytes; none for a file that does not exist yet. Never waits on a
// pipe or device, and never reads more than a log may hold.
Log readLog(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return {NotAFile, {}};
    if (info.size() > MaxLogSize)
        return {TooLarge, {}};

    QFile file;
    if (!Files::openRegularFile(file, path))
        return {Unreadable, {}};
    Log log{QString(), file.readAll()};
    if (file.error() != QFileDevice::NoError)
        return {Unreadable, {}};
    if (log.bytes.size() > MaxLogSize)
        return {TooLarge, {}};
    return log;
}

} // namespace

bool exportToLog(const Sheet &sheet, Messages &messages, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const auto refuse = [&](const QString &text) {
        messages.show(Title, MessageIcon::Warning, text);
        return false;
    };
    const Record measurement = record(sheet);
    if (!measurement.problem.isEmpty())
        return refuse(measurement.problem);
    const Log log = readLog(path);
    if (!log.problem.isEmpty())
        return refuse(log.problem.arg(name));
    const Addition addition = append(log.bytes, measurement);
    if (!addition.problem.isEmpty())
        return refuse(addition.problem.arg(name));
    if (!Files::replaceFile(path, {log.bytes, addition.bytes})) {
        messages.show(Title, MessageIcon::Critical, WriteFailed.arg(name));
        return false;
    }
    messages.show(Title, MessageIcon::Information, Added.arg(name).arg(addition.observations));
    return true;
}

namespace {

const QString LastLogKey = QStringLiteral("aavso/lastFile");

} // namespace

QString lastLog(const Settings &settings)
{
    return settings.value(LastLogKey);
}

void rememberLog(Settings &settings, const QString &path)
{
    settings.setValue(LastLogKey, path);
}

} // namespace Aavso
