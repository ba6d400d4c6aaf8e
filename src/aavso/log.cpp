#include "log.h"

#include "extended.h"
#include "observations.h"
#include "reading.h"

#include "files/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QMultiHash>

#include <algorithm>
#include <functional>

namespace Aavso {

namespace {

using LightCurve::Reading::Lines;
using LightCurve::Reading::equalsIgnoringCase;

// Another export of the same log takes a few hundredths of a second; one of
// 256 MiB, a few seconds.
constexpr int LockWaitMs = 10000;

// A log that keeps changing under the export is given up after this many reads.
constexpr int MostReads = 3;

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
// The records are made anew at each read of the log.
Outcome addToLog(const GroupRecords &make, const QString &path, const Told &told)
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
        QString problem;
        const QList<Record> records = make(log.bytes, problem);
        if (!problem.isEmpty())
            return {MessageIcon::Warning, problem};
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

Outcome addToLog(const QList<Record> &records, const QString &path, const Told &told)
{
    return addToLog([&records](QByteArrayView, QString &) { return records; }, path, told);
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

bool exportGroup(const GroupRecords &make, Messages &messages, const QString &path)
{
    Outcome outcome{MessageIcon::Warning, hasLogSuffix(path) ? QString() : LogSuffixNeeded};
    qsizetype made = 0;
    const GroupRecords counted = [&make, &made](QByteArrayView log, QString &problem) {
        QList<Record> records = make(log, problem);
        made = records.size();
        return records;
    };
    if (outcome.text.isEmpty()) {
        outcome = addToLog(counted, path, [&made](const Addition &addition, const QString &name) {
            return Outcome{MessageIcon::Information,
                           SeriesAdded.arg(name).arg(made - addition.duplicates).arg(addition.duplicates)};
        });
    }
    return tell(messages, outcome);
}

} // namespace Aavso
