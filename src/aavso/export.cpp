#include "export.h"

#include "bands.h"
#include "extended.h"
#include "observations.h"
#include "reading.h"

#include "core/fields.h"
#include "core/names.h"
#include "core/numberrules.h"
#include "files/drivepath.h"
#include "files/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QMultiHash>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>

namespace Aavso {

namespace {

using LightCurve::Reading::Lines;
using LightCurve::Reading::equalsIgnoringCase;

// The boxes a record is made of, and whether each holds a number.
constexpr std::pair<const char *, bool> RecordBoxes[] = {
    {Field::Object, false},     {Field::JulianDate, true},  {Field::MagnitudeVariable, true},
    {Field::MagnitudeError, true}, {Field::Filter, false},  {Field::MagnitudeC1, true},
    {Field::MagnitudeC2, true}, {Field::MagnitudeC3, true}, {Field::Notes, false},
    {Field::Author, false}};

// Another export of the same log takes a few hundredths of a second; one of
// 256 MiB, a few seconds.
constexpr int LockWaitMs = 10000;

// A log that keeps changing under the export is given up after this many reads.
constexpr int MostReads = 3;

QString description(const char *box)
{
    return Fields::description(QLatin1String(box));
}

// A number box as the export takes it: a number and nothing else, blanks
// around it aside, read as the sheet reads it (so with the system's decimal
// comma too).
enum class Box { Empty, Number, Text };

Box readBox(const QString &text, double &value)
{
    static const QRegularExpression plainNumber(
        QStringLiteral("^[+-]?([0-9]+[.,]?[0-9]*|[.,][0-9]+)([eEdD][+-]?[0-9]+)?$"));
    const QString number = text.trimmed();
    if (number.isEmpty())
        return Box::Empty;
    const std::optional<double> read = NumberRules::read(number);
    if (!read || !plainNumber.match(number).hasMatch())
        return Box::Text;
    value = *read;
    return Box::Number;
}

// `value` as a record carries it: `decimals` decimals, always ".".
QString written(double value, int decimals)
{
    return QString::number(value + 0.0, 'f', decimals); // + 0.0: no "-0.000"
}

struct Number
{
    bool empty = false;
    QString text;    // as written into the record; "na" for an empty box
    QString problem;
};

// A magnitude (or its error, by `range` and `outOfRange`) from the number box `box`.
Number magnitudeIn(const Sheet &sheet, const char *box, const Range &range, const QString &outOfRange)
{
    double value = 0;
    switch (readBox(sheet.text(QLatin1String(box)), value)) {
    case Box::Empty:
        return {true, QString::fromLatin1(NotAvailable), QString()};
    case Box::Text:
        return {false, QString(), NotANumber.arg(description(box), sheet.text(QLatin1String(box)).trimmed())};
    case Box::Number:
        break;
    }
    const QString text = written(value, 3);
    // The range holds for the value a reader gets back.
    if (!range.contains(text.toDouble()))
        return {false, QString(), outOfRange.arg(description(box), text)};
    return {false, text, QString()};
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c < 0xa0) || c == 0xfeff;
}

// `typed`, trimmed, as a record may carry it: ASCII, letters without their
// accents. `problem` says why it cannot be, naming the box `box`.
QString recordText(const QString &typed, const QString &box, QString &problem)
{
    const QString text = typed.trimmed();
    QString ascii;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        i += length - 1;
        if (isControl(character.toUcs4().front())) {
            problem = ControlCharacter.arg(box);
            return QString();
        }
        if (character.front().unicode() < 0x80) {
            ascii += character;
            continue;
        }
        for (const QChar c : character.normalized(QString::NormalizationForm_KD)) {
            if (c.isMark())
                continue;
            if (c.unicode() >= 0x80) {
                problem = NotAscii.arg(box, character);
                return QString();
            }
            ascii += c;
        }
    }
    if (!ascii.isEmpty() && QStringLiteral("=+-@").contains(ascii.front()))
        problem = FormulaStart.arg(box);
    return ascii;
}

// The sheet's box `box` as a record may carry it.
QString recordText(const Sheet &sheet, const char *box, QString &problem)
{
    return recordText(sheet.text(QLatin1String(box)), description(box), problem);
}

// KNAME, KMAG, AMASS and CHART from the image the sheet's counts were
// measured on; "na" for each when the counts are no longer those.
QStringList checkStarFields(const Sheet &sheet, const std::optional<ImageMeasurement> &image,
                            QString &problem)
{
    const QString none = QString::fromLatin1(NotAvailable);
    const QStringList counts = {sheet.text(QLatin1String(Field::AduC1)), sheet.text(QLatin1String(Field::AduC2)),
                                sheet.text(QLatin1String(Field::AduC3)),
                                sheet.text(QLatin1String(Field::AduVariable))};
    if (!image || image->counts != counts)
        return {none, none, none, none};
    QStringList fields;
    for (const auto &[text, box] : {std::pair{image->checkName, CheckNameBox}, std::pair{image->chart, ChartBox}}) {
        const QString written = recordText(text, box, problem);
        if (written.contains(u',') || written.contains(u'|'))
            problem = Delimiter.arg(box);
        else if (written.size() > MostCheckCharacters)
            problem = TooLongFor.arg(box).arg(MostCheckCharacters);
        if (!problem.isEmpty())
            return {};
        fields << (written.isEmpty() ? none : written);
    }
    const auto orNone = [&none](const QString &text) { return text.isEmpty() ? none : text; };
    // Without a name the check star's magnitude names nothing.
    const QString checkMagnitude = fields[0] == none ? none : orNone(image->checkMagnitude);
    return {fields[0], checkMagnitude, orNone(image->airmass), fields[1]};
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

std::optional<qint64> jdKey(std::string_view text)
{
    double jd = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jd);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return std::llround(jd * 1e5);
}

// Whether the star field `name` folds to `key` as the light curve folds it.
bool isStar(std::string_view name, QByteArrayView key)
{
    return LightCurve::starKey(LightCurve::Reading::decode(name)) == QLatin1String(key);
}

// Whether the record the scanner holds is the observation of `record`: the
// same star, the same filter in any case, the same JD to its fifth decimal.
bool sameObservation(const ExtendedScanner &scanner, const Record &record)
{
    using Field = ExtendedScanner::Field;
    const ExtendedScanner::Fields &fields = scanner.fields();
    const std::string_view filter(record.filter.constData(), size_t(record.filter.size()));
    return scanner.fieldCount() > Field::Filter && equalsIgnoringCase(fields[Field::Filter], filter)
        && isStar(fields[Field::StarId], record.starKey) && jdKey(fields[Field::Date]) == record.jdKey;
}

QString refusal(ExtendedScanner::Fault fault)
{
    switch (fault) {
    case ExtendedScanner::Fault::UnknownDelimiter:
        return NotComma;
    case ExtendedScanner::Fault::ExcelDates:
    case ExtendedScanner::Fault::UnknownDates:
        return NotJd;
    case ExtendedScanner::Fault::NotExtended:
        break;
    }
    return NotExtended;
}

const char *terminator(Lines::End end)
{
    switch (end) {
    case Lines::End::Lf:
        return "\n";
    case Lines::End::Cr:
        return "\r";
    case Lines::End::CrLf:
    case Lines::End::None:
        break;
    }
    return "\r\n";
}

} // namespace

Record record(const Sheet &sheet, const std::optional<ImageMeasurement> &image)
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
            r.problem = Delimiter.arg(description(name));
            return r;
        }
    }
    const QString star = recordText(sheet, Field::Object, r.problem);
    const QString note = r.problem.isEmpty() ? recordText(sheet, Field::Notes, r.problem) : QString();
    if (!r.problem.isEmpty())
        return r;
    double jd = 0;
    const Box date = readBox(field(Field::JulianDate), jd);
    const QString jdText = written(jd, 5);
    const Number magnitude = magnitudeIn(sheet, Field::MagnitudeVariable, Magnitudes, MagnitudeOutOfRange);
    const Number magErr = magnitudeIn(sheet, Field::MagnitudeError, Errors, ErrorWrong);
    Number comparisons[3];
    const char *comparisonBoxes[3] = {Field::MagnitudeC1, Field::MagnitudeC2, Field::MagnitudeC3};
    for (int i = 0; i < 3; ++i)
        comparisons[i] = magnitudeIn(sheet, comparisonBoxes[i], Magnitudes, MagnitudeOutOfRange);
    const Bands::Band *band = Bands::find(field(Field::Filter));
    const QString filter = band ? band->code : field(Field::Filter).trimmed();
    const QString obsCode = field(Field::Author).trimmed();

    // The light curve reads "na" as no star at all.
    if (star.isEmpty() || star.compare(QLatin1String(NotAvailable), Qt::CaseInsensitive) == 0)
        r.problem = StarMissing;
    else if (star.size() > 30)
        r.problem = StarTooLong;
    else if (star.front() == u'#')
        r.problem = StarComment;
    else if (date == Box::Text)
        r.problem = NotANumber.arg(description(Field::JulianDate), field(Field::JulianDate).trimmed());
    else if (date == Box::Empty || !ExportedDates.contains(jdText.toDouble()))
        r.problem = DateNeeded;
    else if (magnitude.empty)
        r.problem = MagnitudeMissing;
    for (const Number &number : {magnitude, magErr, comparisons[0], comparisons[1], comparisons[2]}) {
        if (r.problem.isEmpty())
            r.problem = number.problem;
    }
    if (!r.problem.isEmpty())
        return r;
    if (!band || !band->exported)
        r.problem = FilterUnknown.arg(Bands::exportedCodes().join(QStringLiteral(", ")));
    else if (!isObsCode(obsCode))
        r.problem = ObsCodeNeeded;
    else if (note.contains(u'|'))
        r.problem = SubFieldSeparator.arg(description(Field::Notes));
    if (!r.problem.isEmpty())
        return r;
    const QStringList check = checkStarFields(sheet, image, r.problem);
    if (!r.problem.isEmpty())
        return r;

    QString notes = QStringLiteral("ENSEMBLE C1=%1 C2=%2 C3=%3")
                        .arg(comparisons[0].text, comparisons[1].text, comparisons[2].text);
    if (!note.isEmpty())
        notes += QLatin1Char(' ') + note;
    const QStringList fields = {star,     jdText,   magnitude.text, magErr.text, filter,
                                "NO",     "STD",    "ENSEMBLE",     "na",        check[0],
                                check[1], check[2], "na",           check[3],    notes};
    r.obsCode = obsCode.toLatin1();
    r.line = fields.join(QLatin1Char(',')).toLatin1();
    r.starKey = LightCurve::starKey(star).toLatin1();
    r.jdKey = *jdKey(jdText.toStdString());
    r.filter = filter.toLatin1();
    return r;
}

namespace {

QString parametersProblem(const ExtendedScanner::Parameters &in)
{
    if (!in.extended)
        return NotExtended;
    if (!in.delimiterNamed || in.delimiter != ',')
        return NotComma;
    if (in.dates != ExtendedScanner::Dates::Jd)
        return NotJd;
    return QString();
}

// What makes two records the same observation, but the star's name.
qint64 observationHash(qint64 jdKey, QByteArrayView filter)
{
    return jdKey ^ qint64(qHash(filter.toByteArray().toLower()));
}

struct Addition
{
    QString problem;            // when not empty: why, with %1 for the file's name
    QList<QByteArray> content;  // the log's new content, piece by piece; none when nothing is added
    qsizetype observations = 0; // the records in the log once the new ones are in
    qsizetype duplicates = 0;   // records left out: the log, or an earlier record, holds them
};

// The log holding `log` with every record of `records` that it does not
// hold yet: the header as well when the log is empty. A log that is not
// AAVSO Extended with "," and JD is refused; records it holds already are
// counted. Blank lines become comments, and a last line without its end
// gets the log's own.
Addition appendAll(const QByteArray &log, const QList<Record> &records)
{
    // The records by JD and filter, so that each line of a large log is
    // compared with the few that may match it.
    QMultiHash<qint64, qsizetype> byObservation;
    for (qsizetype i = 0; i < records.size(); ++i)
        byObservation.insert(observationHash(records[i].jdKey, records[i].filter), i);
    std::vector<bool> present(std::size_t(records.size()), false);

    ExtendedScanner scanner(ExtendedScanner::Filter + 1); // what tells one observation from another
    Lines lines(log.cbegin(), log.cend());
    qsizetype ends[4] = {}; // lines by Lines::End
    std::vector<std::string_view> blanks;
    qsizetype observations = 0;
    std::string_view line;
    while (lines.next(line)) {
        ++ends[int(lines.end())];
        switch (scanner.scan(line)) {
        case ExtendedScanner::Line::Refused:
            return {refusal(scanner.fault()), {}, observations, 0};
        case ExtendedScanner::Line::Blank:
            blanks.push_back(line);
            break;
        case ExtendedScanner::Line::Record: {
            ++observations;
            const ExtendedScanner::Fields &fields = scanner.fields();
            const std::optional<qint64> jd = scanner.fieldCount() > ExtendedScanner::Field::Filter
                ? jdKey(fields[ExtendedScanner::Field::Date]) : std::nullopt;
            if (!jd)
                break;
            const std::string_view filter = fields[ExtendedScanner::Field::Filter];
            const auto [first, last] = byObservation.equal_range(
                observationHash(*jd, QByteArrayView(filter.data(), qsizetype(filter.size()))));
            for (auto candidate = first; candidate != last; ++candidate) {
                if (!present[std::size_t(*candidate)])
                    present[std::size_t(*candidate)] = sameObservation(scanner, records[*candidate]);
            }
            break;
        }
        case ExtendedScanner::Line::Comment:
        case ExtendedScanner::Line::Parameter:
            break;
        }
    }

    const ExtendedScanner::Parameters &in = scanner.parameters();
    // A new log gets its header with the records.
    const QString problem = log.isEmpty() ? QString() : parametersProblem(in);
    if (!problem.isEmpty())
        return {problem, {}, observations, 0};

    // The log's own line end is the one most of its lines have; CR LF on a tie.
    Lines::End usual = Lines::End::CrLf;
    for (const Lines::End end : {Lines::End::Lf, Lines::End::Cr}) {
        if (ends[int(end)] > ends[int(usual)])
            usual = end;
    }
    const QByteArray newline = terminator(usual);

    // One observation twice in the series counts as present the second time.
    QByteArray adding;
    qsizetype added = 0;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const Record &record = records[i];
        for (auto candidate = byObservation.constFind(observationHash(record.jdKey, record.filter));
             !present[std::size_t(i)] && candidate != byObservation.cend() && *candidate < i; ++candidate) {
            const Record &earlier = records[*candidate];
            present[std::size_t(i)] = earlier.jdKey == record.jdKey && earlier.starKey == record.starKey
                && earlier.filter.compare(record.filter, Qt::CaseInsensitive) == 0;
        }
        if (present[std::size_t(i)])
            continue;
        adding += record.line + newline;
        ++added;
    }
    const qsizetype duplicates = records.size() - added;
    if (added == 0)
        return {QString(), {}, observations, duplicates};
    const QByteArray obsCode = records.front().obsCode;
    if (log.isEmpty())
        return {QString(), {header(obsCode) + adding}, added, duplicates};

    QByteArray start;
    // A last line without its end, or whose CR LF lost its LF, would run into the records.
    if (lines.end() == Lines::End::None)
        start += newline;
    else if (lines.end() == Lines::End::Cr && usual != Lines::End::Cr)
        start += '\n';
    if (!equalsIgnoringCase(in.observer, std::string_view(obsCode.constData(), size_t(obsCode.size()))))
        start += parameterLine(Parameter::ObsCode, obsCode, newline);

    // A blank line makes the AAVSO refuse the upload: each becomes a comment.
    QByteArray kept = log;
    if (!blanks.empty()) {
        kept.clear();
        kept.reserve(log.size() + qsizetype(blanks.size()));
        const char *from = log.cbegin();
        for (const std::string_view blank : blanks) {
            kept.append(from, blank.data() - from).append('#');
            from = blank.data() + blank.size();
        }
        kept.append(from, log.cend() - from);
    }
    return {QString(), {kept, start + adding}, observations + added, duplicates};
}

struct Log
{
    QString problem; // with %1 for the file's name
    QByteArray bytes;
    Files::FileVersion version; // of the file the bytes were read from
};

// The log's bytes; none for a file that does not exist yet. Never waits on a
// pipe or device, and never reads more than a log may hold.
Log readLog(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return {NotAFile, {}, {}};
    if (info.size() > MaxLogSize)
        return {TooLarge, {}, {}};

    QFile file;
    if (!Files::openRegularFile(file, path))
        return {Unreadable, {}, {}};
    Log log{QString(), QByteArray(), Files::versionOf(file)};
    log.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {Unreadable, {}, {}};
    if (log.bytes.size() > MaxLogSize)
        return {TooLarge, {}, {}};
    return log;
}

bool hasLogSuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    return std::any_of(LogSuffixes.cbegin(), LogSuffixes.cend(), [&suffix](const QString &known) {
        return suffix.compare(known, Qt::CaseInsensitive) == 0;
    });
}

struct Outcome
{
    MessageIcon icon;
    QString text;
};

using Told = std::function<Outcome(const Addition &addition, const QString &name)>;

// Adds `records` to the log at `path`, holding the log's lock meanwhile:
// two exports at once would each add to the log as it was, and the second
// would replace the first's records. `told` says how it went.
Outcome addToLog(const QList<Record> &records, const QString &path, const Told &told)
{
    const QString name = QFileInfo(path).fileName();
    const auto failed = [&name] { return Outcome{MessageIcon::Critical, WriteFailed.arg(name)}; };
    const Files::FileLock lock(path, LockWaitMs);
    if (lock.state() == Files::FileLock::Busy)
        return {MessageIcon::Warning, LogBusy.arg(name)};
    if (lock.state() == Files::FileLock::Failed)
        return failed();
    // A program that takes no lock may still change the log meanwhile: it is
    // then read and added to again.
    for (int read = 1; read <= MostReads; ++read) {
        const Log log = readLog(path);
        if (!log.problem.isEmpty())
            return {MessageIcon::Warning, log.problem.arg(name)};
        const Addition addition = appendAll(log.bytes, records);
        if (!addition.problem.isEmpty())
            return {MessageIcon::Warning, addition.problem.arg(name)};
        if (addition.content.isEmpty())
            return told(addition, name);
        switch (Files::replaceFile(path, addition.content, log.version)) {
        case Files::Replacement::Done:
            return told(addition, name);
        case Files::Replacement::Changed:
            continue;
        case Files::Replacement::Failed:
            return failed();
        }
    }
    return failed();
}

// The message waits for the user: the lock is let go before it shows.
bool tell(Messages &messages, const Outcome &outcome)
{
    messages.show(Title, outcome.icon, outcome.text);
    return outcome.icon == MessageIcon::Information;
}

} // namespace

bool exportToLog(const Sheet &sheet, Messages &messages, const QString &path,
                 const std::optional<ImageMeasurement> &image)
{
    const Record measurement = record(sheet, image);
    Outcome outcome{MessageIcon::Warning, measurement.problem};
    if (outcome.text.isEmpty() && !hasLogSuffix(path))
        outcome.text = LogSuffixNeeded;
    if (outcome.text.isEmpty()) {
        outcome = addToLog({measurement}, path, [](const Addition &addition, const QString &name) {
            if (addition.duplicates > 0)
                return Outcome{MessageIcon::Warning, Duplicate.arg(name)};
            return Outcome{MessageIcon::Information, Added.arg(name).arg(addition.observations)};
        });
    }
    return tell(messages, outcome);
}

bool exportSeries(const QList<Record> &records, Messages &messages, const QString &path)
{
    Outcome outcome{MessageIcon::Warning, hasLogSuffix(path) ? QString() : LogSuffixNeeded};
    if (outcome.text.isEmpty()) {
        outcome = addToLog(records, path, [&records](const Addition &addition, const QString &name) {
            const qsizetype added = records.size() - addition.duplicates;
            return Outcome{MessageIcon::Information, SeriesAdded.arg(name).arg(added).arg(addition.duplicates)};
        });
    }
    return tell(messages, outcome);
}

QString logFilter()
{
    QStringList patterns;
    for (const QString &suffix : LogSuffixes)
        patterns << QStringLiteral("*.") + suffix;
    return QStringLiteral("File AAVSO (%1)").arg(patterns.join(QLatin1Char(' ')));
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

QString askLog(const Services &services)
{
    QString start = lastLog(services.settings);
    if (start.isEmpty())
        start = Files::localPath(services.dataFolder, QStringLiteral("C:\\aavso.txt"));
    // The log is added to, never replaced: no question about overwriting.
    return services.dialogs.saveFile(Title, start, logFilter(), true);
}

} // namespace Aavso
