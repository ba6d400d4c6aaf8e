#include "aavso/bands.h"
#include "aavso/log.h"
#include "aavso/extended.h"
#include "aavso/observations.h"
#include "aavso/reading.h"
#include "aavso/vocabulary.h"
#include "core/fields.h"
#include "support/aavsovalidator.h"
#include "support/fakesheet.h"
#include "support/guard.h"
#include "support/observationtext.h"
#include "support/recordingmessages.h"

#include "support/diskfiles.h"
#include "files/textfile.h"

#include <QTest>

#include <sys/stat.h>

using Texts = QHash<QString, QString>;
using namespace Aavso;

namespace {

const QByteArray Header = Aavso::header("RMA");
const QByteArray Fixed = ",NO,STD,ENSEMBLE,na,na,na,na,na,na,";
const QByteArray Notes = "ENSEMBLE C1=11.250 C2=11.620 C3=12.030 seeing 3";
const QByteArray Typical = "RZ Cas,2460382.42130,11.523,0.012,V" + Fixed + Notes;
const QByteArray Earlier = "SS Cyg,2460382.41000,11.900,na,B" + Fixed + "ENSEMBLE C1=na C2=na C3=na";

const Texts Measured = {{"Text20", "RZ Cas"}, {"Text18", "2460382.4213"}, {"Text11", "11.5234"},
                        {"Text15", "0.0123"}, {"Text22", "V"},            {"Text19", "RMA"},
                        {"Text21", "seeing 3"}, {"Text5", "11.25"},      {"Text6", "11.62"},
                        {"Text7", "12.03"}};

FakeSheet sheetWith(const Texts &changes)
{
    FakeSheet sheet;
    for (const Texts &texts : {Measured, changes})
        for (auto it = texts.begin(); it != texts.end(); ++it)
            sheet.fields[it.key()] = it.value();
    return sheet;
}

// What the light curve reads of the file, or why it refuses it.
QStringList readBack(const QString &path)
{
    Aavso::LightCurve::Observations read;
    const QString refusal = Aavso::LightCurve::addFile(read, path);
    return refusal.isEmpty() ? describe(read) : QStringList{refusal};
}

const QString TypicalRead = "RZ Cas 2460382.42130 11.523±0.012 V RMA [" + Notes + "]";
const QString AddedTo = Added.arg("aavso.txt");

} // namespace

class TestAavsoExport : public QObject, FolderFixture
{
    Q_OBJECT
private slots:
    void init() { newFolder(); }
    void cleanup() { dropFolder(); }

    void roundTrip_data();
    void roundTrip();
    void checkStar_data();
    void checkStar();
    void refusals_data();
    void refusals();
    void logs_data();
    void logs();
    void targets_data();
    void targets();
    void endings_data();
    void endings();
    void twoExportsAtOnce();
    void messageAfterTheLock();
    void writeFailsHalfWay();
    void lines_data();
    void lines();
    void delimiters_data();
    void delimiters();
    void validator_data();
    void validator();
};

// Every kind of record the export writes, read back by the light curve.
void TestAavsoExport::roundTrip_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Texts>("changes");
    QTest::addColumn<QString>("read");

    const QLocale point = QLocale::c();
    QTest::newRow("point system") << point << Texts() << TypicalRead;
    QTest::newRow("comma system")
        << QLocale(QLocale::Italian)
        << Texts{{"Text18", "2460382,4213"}, {"Text11", "11,5234"}, {"Text15", "0,0123"},
                 {"Text5", "11,25"},         {"Text6", "11,62"},    {"Text7", "12,03"}}
        << TypicalRead;
    QTest::newRow("UV is U") << point << Texts{{"Text22", "UV"}} << QString(TypicalRead).replace(" V ", " U ");
    QTest::newRow("lower case") << point << Texts{{"Text22", " hac "}} << QString(TypicalRead).replace(" V ", " HAC ");
    QTest::newRow("error na, no note, no C3")
        << point << Texts{{"Text11", "9"}, {"Text15", ""}, {"Text21", "  "}, {"Text7", ""}}
        << "RZ Cas 2460382.42130 9±na V RMA [ENSEMBLE C1=11.250 C2=11.620 C3=na]";
    QTest::newRow("highest edges, longest star")
        << point
        << Texts{{"Text20", " " + QString(30, 'X') + " "}, {"Text18", "2500000"}, {"Text11", "40"},
                 {"Text15", "9.999"}, {"Text5", "40"}, {"Text6", "-30"}}
        << QString(TypicalRead)
               .replace("RZ Cas 2460382.42130 11.523±0.012", QString(30, 'X') + " 2500000.00000 40±9.999")
               .replace("C1=11.250 C2=11.620", "C1=40.000 C2=-30.000");
    QTest::newRow("lowest edges, error of minus zero")
        << point << Texts{{"Text18", "2400000"}, {"Text11", " -30 "}, {"Text15", "-0"}}
        << QString(TypicalRead).replace("2460382.42130 11.523±0.012", "2400000.00000 -30±0");
    QTest::newRow("accents and ligatures written without")
        << point << Texts{{"Text20", "SS Cýg"}, {"Text21", "velo \uFB01ne e umidità alta"}}
        << QString(TypicalRead).replace("RZ Cas", "SS Cyg").replace("seeing 3", "velo fine e umidita alta");
    for (const QString &code : Aavso::Bands::exportedCodes())
        QTest::newRow(qPrintable("band " + code))
            << point << Texts{{"Text22", code}} << QString(TypicalRead).replace(" V ", " " + code + " ");
}

void TestAavsoExport::roundTrip()
{
    QFETCH(QLocale, locale);
    QFETCH(Texts, changes);
    QFETCH(QString, read);
    const LocaleGuard guard(locale);
    RecordingMessages messages;

    QVERIFY(exportToLog(sheetWith(changes), messages, path("aavso.txt")));

    QCOMPARE(messages.texts(), QStringList{AddedTo.arg(1)});
    QCOMPARE(readBack(path("aavso.txt")), QStringList{read});
    const QString fault = aavsoFault(bytesOf(path("aavso.txt")));
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

// KNAME, KMAG, AMASS and CHART come from the image only while the sheet
// still holds the counts measured on it; the names are the boxes' at the
// export, and KMAG follows the catalogue magnitudes on the sheet then.
void TestAavsoExport::checkStar_data()
{
    QTest::addColumn<QStringList>("counts"); // measured; the sheet holds 1000 2000 3000 1500
    QTest::addColumn<QString>("checkCounts");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("chart");
    QTest::addColumn<QString>("fields"); // the four fields, or the refusal
    const QStringList onSheet = {"1000", "2000", "3000", "1500"};
    // KMAG: the mean of 11.25 - 2.5 lg(1500/1000), 11.62 - 2.5 lg(1500/2000), 12.03 - 2.5 lg(1500/3000).
    QTest::newRow("counts as measured") << onSheet << "1500" << "000-BBC-123" << "X12345AB" << "000-BBC-123,11.842,1.2346,X12345AB";
    QTest::newRow("counts changed since") << QStringList{"1000", "2000", "3000", "1501"} << "1500" << "K" << "X" << "na,na,na,na";
    QTest::newRow("no check star named: no magnitude of it") << onSheet << "1500" << " " << "X1" << "na,na,1.2346,X1";
    QTest::newRow("check star not usable") << onSheet << "" << "K" << "X1" << "K,na,1.2346,X1";
    QTest::newRow("accents dropped, 20 characters")
        << onSheet << "1500" << QString(19, 'K') + "à" << "" << QString(19, 'K') + "a,11.842,1.2346,na";
    QTest::newRow("21 characters") << onSheet << "1500" << QString(21, 'K') << "X"
                                   << TooLongFor.arg(CheckNameBox).arg(MostCheckCharacters);
    QTest::newRow("a comma in the chart") << onSheet << "1500" << "K" << "X1,X2" << Delimiter.arg(ChartBox);
}

void TestAavsoExport::checkStar()
{
    QFETCH(QStringList, counts);
    QFETCH(QString, checkCounts);
    QFETCH(QString, name);
    QFETCH(QString, chart);
    QFETCH(QString, fields);
    const LocaleGuard guard(QLocale::c());
    const FakeSheet sheet = sheetWith({{"Text1", "1000"}, {"Text2", "2000"}, {"Text3", "3000"}, {"Text4", "1500"}});

    const Record r = record(sheet, ImageMeasurement{counts, checkCounts, "1.2346", name, chart});

    if (!r.problem.isEmpty()) {
        QCOMPARE(r.problem, fields);
        return;
    }
    const QByteArrayList written = r.line.split(',');
    QByteArrayList four;
    for (const char *name : {"KNAME", "KMAG", "AMASS", "CHART"})
        four << written.value(std::find(FieldNames.begin(), FieldNames.end(), std::string_view(name)) - FieldNames.begin());
    QCOMPARE(QString::fromLatin1(four.join(',')), fields);
}

void TestAavsoExport::refusals_data()
{
    QTest::addColumn<Texts>("changes");
    QTest::addColumn<QString>("message");

    const QString filters = FilterUnknown.arg(Aavso::Bands::exportedCodes().join(", "));
    const auto box = [](const char *field) { return Fields::description(QLatin1String(field)); };
    const QString object = box(Field::Object), note = box(Field::Notes), magnitude = box(Field::MagnitudeVariable);
    QTest::newRow("no star") << Texts{{"Text20", "  "}} << StarMissing;
    QTest::newRow("star na, read as none") << Texts{{"Text20", "NA"}} << StarMissing;
    QTest::newRow("star of 31") << Texts{{"Text20", QString(31, 'X')}} << StarTooLong;
    QTest::newRow("star that is a parameter") << Texts{{"Text20", " #TYPE=VISUAL"}} << StarComment;
    QTest::newRow("star as a formula") << Texts{{"Text20", "=1+2"}} << FormulaStart.arg(object);
    for (const char *start : {"+", "-", "@"})
        QTest::newRow(qPrintable(QString("note starting with ") + start))
            << Texts{{"Text21", start + QString("39 gradi")}} << FormulaStart.arg(note);
    QTest::newRow("NUL in the star") << Texts{{"Text20", QString("RZ") + QChar(0) + "Cas"}}
                                     << ControlCharacter.arg(object);
    QTest::newRow("C1 control in the star") << Texts{{"Text20", "RZ\u0085Cas"}} << ControlCharacter.arg(object);
    QTest::newRow("byte-order mark in the note") << Texts{{"Text21", "no\uFEFFta"}} << ControlCharacter.arg(note);
    QTest::newRow("Greek letter") << Texts{{"Text20", "β Lyr"}} << NotAscii.arg(object, "β");
    QTest::newRow("fraction") << Texts{{"Text21", "seeing 2½"}} << NotAscii.arg(note, "½");
    QTest::newRow("pipe in the note") << Texts{{"Text21", "nubi|vento"}} << SubFieldSeparator.arg(note);
    QTest::newRow("no date") << Texts{{"Text18", ""}} << DateNeeded;
    QTest::newRow("just before 2400000") << Texts{{"Text18", "2399999.99999"}} << DateNeeded;
    QTest::newRow("just after 2500000") << Texts{{"Text18", "2500000.00001"}} << DateNeeded;
    QTest::newRow("date with words") << Texts{{"Text18", "2460008.5 (ora locale 23:00)"}}
                                     << NotANumber.arg(box(Field::JulianDate), "2460008.5 (ora locale 23:00)");
    QTest::newRow("no magnitude") << Texts{{"Text11", ""}} << MagnitudeMissing;
    QTest::newRow("magnitude n.d.") << Texts{{"Text11", " n.d. "}} << NotANumber.arg(magnitude, "n.d.");
    QTest::newRow("magnitude 80") << Texts{{"Text11", "80"}} << MagnitudeOutOfRange.arg(magnitude, "80.000");
    QTest::newRow("just brighter than -30") << Texts{{"Text11", "-30.001"}}
                                            << MagnitudeOutOfRange.arg(magnitude, "-30.001");
    QTest::newRow("error with a sign") << Texts{{"Text15", "±0.02"}} << NotANumber.arg(box(Field::MagnitudeError), "±0.02");
    QTest::newRow("negative error") << Texts{{"Text15", "-0.001"}} << ErrorWrong;
    QTest::newRow("error rounded to 10") << Texts{{"Text15", "9.9996"}} << ErrorWrong;
    QTest::newRow("comparison ?") << Texts{{"Text7", "?"}} << NotANumber.arg(box(Field::MagnitudeC3), "?");
    QTest::newRow("comparison 99.999") << Texts{{"Text6", "99.999"}}
                                       << MagnitudeOutOfRange.arg(box(Field::MagnitudeC2), "99.999");
    QTest::newRow("no filter") << Texts{{"Text22", ""}} << filters;
    QTest::newRow("not a code") << Texts{{"Text22", "UVB"}} << filters;
    QTest::newRow("no observer") << Texts{{"Text19", ""}} << ObsCodeNeeded;
    QTest::newRow("a full name") << Texts{{"Text19", "Mario Rossi"}} << ObsCodeNeeded;
    QTest::newRow("code of 11") << Texts{{"Text19", "ABCDE123456"}} << ObsCodeNeeded;
    QTest::newRow("accented code") << Texts{{"Text19", "RMÀ"}} << ObsCodeNeeded;
    QTest::newRow("comma in the star") << Texts{{"Text20", "RZ Cas, var"}} << Delimiter.arg(object);
    QTest::newRow("comma in the filter") << Texts{{"Text22", "V,B"}} << Delimiter.arg(box(Field::Filter));
    QTest::newRow("comma in the note") << Texts{{"Text21", "nubi, vento"}} << Delimiter.arg(note);
    QTest::newRow("line break in the note") << Texts{{"Text21", "nubi\nvento"}} << Delimiter.arg(note);
    QTest::newRow("comma in the observer") << Texts{{"Text19", "R,MA"}} << Delimiter.arg(box(Field::Author));
    QTest::newRow("comma in a number on a point system")
        << Texts{{"Text18", "2460382,4213"}} << Delimiter.arg(box(Field::JulianDate));
}

void TestAavsoExport::refusals()
{
    QFETCH(Texts, changes);
    QFETCH(QString, message);
    const LocaleGuard guard(QLocale::c());
    const QByteArray log = Header + Earlier + "\r\n";
    putBytes(path("aavso.txt"), log);
    RecordingMessages messages;

    exportToLog(sheetWith(changes), messages, path("aavso.txt"));

    compareOnlyOne(messages, Title, MessageIcon::Warning, message);
    QCOMPARE(bytesOf(path("aavso.txt")), log);
}

void TestAavsoExport::logs_data()
{
    QTest::addColumn<QByteArray>("before"); // "<none>": no file
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("message");

    const QByteArray own = Header + Earlier + "\r\n";
    const QByteArray other = QByteArray(own).replace("=RMA", "=XYZ9");
    const QByteArray lf = QByteArray(own).replace("\r\n", "\n");
    const QByteArray cr = QByteArray(own).replace("\r\n", "\r");
    const QByteArray firstLf = QByteArray(own).replace(own.indexOf("\r\n"), 2, "\n");
    QTest::newRow("no file") << QByteArray("<none>") << Header + Typical + "\r\n" << AddedTo.arg(1);
    QTest::newRow("empty file") << QByteArray() << Header + Typical + "\r\n" << AddedTo.arg(1);
    QTest::newRow("own log") << own << own + Typical + "\r\n" << AddedTo.arg(2);
    QTest::newRow("another observer")
        << other << other + "#OBSCODE=RMA\r\n" + Typical + "\r\n" << AddedTo.arg(2);
    QTest::newRow("observer changed back further down")
        << other + "#obscode= rma\r\n" << other + "#obscode= rma\r\n" + Typical + "\r\n" << AddedTo.arg(2);
    QTest::newRow("its LF kept") << lf << lf + Typical + "\n" << AddedTo.arg(2);
    QTest::newRow("its lone CR kept") << cr << cr + Typical + "\r" << AddedTo.arg(2);
    QTest::newRow("the first line LF, the rest CR LF") << firstLf << firstLf + Typical + "\r\n" << AddedTo.arg(2);
    QTest::newRow("last line without end") << own.chopped(2) << own + Typical + "\r\n" << AddedTo.arg(2);
    QTest::newRow("last line cut after its CR") << own.chopped(1) << own + Typical + "\r\n" << AddedTo.arg(2);
    QTest::newRow("blank lines made comments")
        << Header + "\r\n \r\n" + Earlier + "\r\n\t" << Header + "#\r\n#\r\n" + Earlier + "\r\n#\r\n" + Typical + "\r\n"
        << AddedTo.arg(2);
    const QByteArray lowerCase = "\xEF\xBB\xBF#type=Extended\r\n#obscode=RMA\r\n#software=x\r\n"
                                 "#delim=,\r\n#date=jd\r\n#obstype=DSLR\r\n";
    QTest::newRow("parameters in other cases, BOM")
        << lowerCase << lowerCase + Typical + "\r\n" << AddedTo.arg(1);
    const QByteArray word = QByteArray(own).replace("#DELIM=,", "#delim= Comma");
    QTest::newRow("comma as a word") << word << word + Typical + "\r\n" << AddedTo.arg(2);
    QTest::newRow("same star and JD, other filter")
        << own + "rz cas,2460382.4213,11.5,na,B" + Fixed + "x\r\n"
        << own + "rz cas,2460382.4213,11.5,na,B" + Fixed + "x\r\n" + Typical + "\r\n" << AddedTo.arg(3);
    QTest::newRow("a record cut short")
        << own + "RZ Cas,2460382.4213\r\n" << own + "RZ Cas,2460382.4213\r\n" + Typical + "\r\n"
        << AddedTo.arg(3);
    QTest::newRow("same star and filter, JD 1E-5 later")
        << own + "RZ Cas,2460382.42131,11.5,na,V" + Fixed + "x\r\n"
        << own + "RZ Cas,2460382.42131,11.5,na,V" + Fixed + "x\r\n" + Typical + "\r\n" << AddedTo.arg(3);

    const auto refused = [](const QString &message) { return message.arg("aavso.txt"); };
    QTest::newRow("the measurement report")
        << QByteArray("Oggetto:RZ Cas/Magnitudine11.5/Errore Mag./note:/\r\n") << QByteArray()
        << refused(NotExtended);
    QTest::newRow("a record before #TYPE") << "#DELIM=,\r\n" + Earlier + "\r\n" + own << QByteArray()
                                           << refused(NotExtended);
    QTest::newRow("pipe-delimited") << QByteArray(own).replace("#DELIM=,", "#DELIM=|") << QByteArray()
                                    << refused(NotComma);
    QTest::newRow("tab by its code") << QByteArray(own).replace("#DELIM=,", "#DELIM=9") << QByteArray()
                                     << refused(NotComma);
    QTest::newRow("HJD") << QByteArray(own).replace("#DATE=JD", "#DATE=HJD") << QByteArray() << refused(NotJd);
    QTest::newRow("MJD") << QByteArray(own).replace("#DATE=JD", "#DATE=MJD") << QByteArray() << refused(NotJd);
    QTest::newRow("duplicate in other cases, blanks and decimals")
        << own + "rz  CAS ,2460382.4213,11.4,na, v" + Fixed + "x\r\n" + Earlier + "\r\n" << QByteArray()
        << refused(Duplicate);
}

void TestAavsoExport::logs()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, message);
    const LocaleGuard guard(QLocale::c());
    if (before != "<none>")
        putBytes(path("aavso.txt"), before);
    RecordingMessages messages;

    const bool added = !after.isEmpty();
    QCOMPARE(exportToLog(sheetWith({}), messages, path("aavso.txt")), added);

    compareOnlyOne(messages, Title, added ? MessageIcon::Information : MessageIcon::Warning, message);
    QCOMPARE(bytesOf(path("aavso.txt")), added ? after : before);
    QCOMPARE(entries(folder()), QStringList{"aavso.txt"});
    if (added) { // what the export added to, the light curve reads
        const QStringList read = readBack(path("aavso.txt"));
        QVERIFY2(read.contains(TypicalRead, Qt::CaseInsensitive), qPrintable(read.join('\n')));
    }
}

void TestAavsoExport::targets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<QString>("message");

    QTest::newRow("a folder") << "folder" << MessageIcon::Warning << NotAFile.arg("aavso.txt");
    QTest::newRow("a pipe") << "pipe" << MessageIcon::Warning << NotAFile.arg("aavso.txt");
    QTest::newRow("over 256 MiB") << "large" << MessageIcon::Warning << TooLarge.arg("aavso.txt");
    QTest::newRow("unreadable") << "unreadable" << MessageIcon::Warning << Unreadable.arg("aavso.txt");
    QTest::newRow("vanished folder") << "vanished" << MessageIcon::Critical << WriteFailed.arg("aavso.txt");
}

void TestAavsoExport::targets()
{
    QFETCH(QString, kind);
    QFETCH(MessageIcon, icon);
    QFETCH(QString, message);
    const QString target = kind == "vanished" ? path("gone/aavso.txt") : path("aavso.txt");
    const QByteArray log = Header + Earlier + "\r\n";
    if (kind == "folder")
        QVERIFY(QDir(folder()).mkdir("aavso.txt"));
    else if (kind == "pipe")
        QCOMPARE(mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    else if (kind != "vanished")
        putBytes(target, log);
    if (kind == "large")
        QVERIFY(QFile::resize(target, Aavso::MaxLogSize + 1)); // sparse: costs no disk
    if (kind == "unreadable") {
        if (runningAsRoot())
            QSKIP("permission bits do not stop root");
        QVERIFY(QFile::setPermissions(target, QFileDevice::WriteOwner));
    }
    RecordingMessages messages;

    exportToLog(sheetWith({}), messages, target);

    compareOnlyOne(messages, Title, icon, message);
    QCOMPARE(entries(folder()), kind == "vanished" ? QStringList() : QStringList{"aavso.txt"});
    const QFileInfo after(target);
    QCOMPARE(after.isFile(), kind == "large" || kind == "unreadable");
    if (kind == "large")
        QCOMPARE(after.size(), Aavso::MaxLogSize + 1);
}

void TestAavsoExport::endings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("upper case") << "AAVSO.CSV" << true;
    QTest::newRow("mixed case") << "stagione.Tsv" << true;
    QTest::newRow("another ending") << "aavso.dat" << false;
    QTest::newRow("a copy's") << "aavso.txt.bak" << false;
}

void TestAavsoExport::endings()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    const LocaleGuard guard(QLocale::c());
    RecordingMessages messages;

    QCOMPARE(exportToLog(sheetWith({}), messages, path(name)), accepted);

    QCOMPARE(messages.texts(), QStringList{accepted ? Added.arg(name).arg(1) : LogSuffixNeeded});
    QCOMPARE(entries(folder()), accepted ? QStringList{name} : QStringList());
}

// Two programs adding to one log at the same time: each reads the log, and
// without the lock the later replace drops the other's records.
void TestAavsoExport::twoExportsAtOnce()
{
    const LocaleGuard guard(QLocale::c());
    constexpr int Each = 100;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = fork();
        if (children[child] == 0) {
            FakeSheet sheet = sheetWith({});
            RecordingMessages messages;
            bool all = true;
            for (int i = 0; i < Each; ++i) {
                sheet.fields["Text18"] = QString::number(2460000 + child * 0.5 + i * 0.001, 'f', 5);
                all = exportToLog(sheet, messages, path("aavso.txt")) && all;
            }
            _exit(all ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    QCOMPARE(readBack(path("aavso.txt")).size(), 2 * Each);
    QCOMPARE(entries(folder()), QStringList{"aavso.txt"});
}

// The message box waits for the user; another export must not wait for it.
void TestAavsoExport::messageAfterTheLock()
{
    struct LockProbe : Messages
    {
        QString log;
        Files::FileLock::State state = Files::FileLock::Failed;
        void show(const QString &, MessageIcon, const QString &) override
        {
            state = Files::FileLock(log, 0).state();
        }
        bool ask(const QString &, const QString &) override { return false; }
    } probe;
    probe.log = path("aavso.txt");
    const LocaleGuard guard(QLocale::c());

    QVERIFY(exportToLog(sheetWith({}), probe, probe.log));
    QCOMPARE(probe.state, Files::FileLock::Locked);
}

void TestAavsoExport::writeFailsHalfWay()
{
    const QByteArray log = Header + Earlier + "\r\n";
    putBytes(path("aavso.txt"), log);

    // The child may write the old log again but not the whole new record.
    const bool reported = passesUnderFileSizeLimit(rlim_t(log.size() + 20), [&] {
        RecordingMessages messages;
        exportToLog(sheetWith({}), messages, path("aavso.txt"));
        return messages.onlyOne(Title, MessageIcon::Critical, WriteFailed.arg("aavso.txt"));
    });

    QVERIFY2(reported, "the child did not show the one failure box");
    QCOMPARE(bytesOf(path("aavso.txt")), log);
    QCOMPARE(entries(folder()), QStringList{"aavso.txt"});
}

// The lines of a file given in pieces, each as "number:text:end".
void TestAavsoExport::lines_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<QByteArrayList>("lines");

    QTest::newRow("each end") << QByteArrayList{"a\r\nb\nc\rd"}
                              << QByteArrayList{"1:a:CR LF", "2:b:LF", "3:c:CR", "4:d:none"};
    QTest::newRow("CR, then CR LF") << QByteArrayList{"a\r\r\n"} << QByteArrayList{"1:a:CR", "2::CR LF"};
    QTest::newRow("CR LF split between pieces") << QByteArrayList{"a\r", "\nb\n", "\nc"}
                                                << QByteArrayList{"1:a:CR", "2:b:LF", "3::LF", "4:c:none"};
}

void TestAavsoExport::lines()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(QByteArrayList, lines);
    const char *const ends[] = {"none", "LF", "CR LF", "CR"};
    QByteArrayList read;
    qint64 before = 0;
    bool afterCr = false;
    for (const QByteArray &piece : pieces) {
        Aavso::LightCurve::Reading::Lines inPiece(piece.cbegin(), piece.cend(), before, afterCr);
        std::string_view line;
        while (inPiece.next(line))
            read << QByteArray::number(inPiece.number()) + ':' + QByteArray(line.data(), qsizetype(line.size()))
                        + ':' + ends[int(inPiece.end())];
        before = inPiece.number();
        afterCr = piece.endsWith('\r');
    }
    QCOMPARE(read, lines);
}

void TestAavsoExport::delimiters_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("delimiter"); // -1: refused

    QTest::newRow("its code") << QByteArray(" 44 ") << int(',');
    QTest::newRow("tab by its code") << QByteArray("9") << int('\t');
    QTest::newRow("code of #") << QByteArray("35") << -1;
    QTest::newRow("code of a space") << QByteArray("32") << -1;
    QTest::newRow("code beyond ASCII") << QByteArray("300") << -1;
}

void TestAavsoExport::delimiters()
{
    QFETCH(QByteArray, value);
    QFETCH(int, delimiter);
    ExtendedScanner scanner;
    const QByteArray line = "#DELIM=" + value;

    const bool read = scanner.scan(std::string_view(line.constData(), size_t(line.size())))
                   == ExtendedScanner::Line::Parameter;

    QCOMPARE(read, delimiter >= 0);
    if (read)
        QCOMPARE(int(scanner.parameters().delimiter), delimiter);
}

// The validator is only worth its passes if it fails what breaks the rules.
void TestAavsoExport::validator_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("fault");

    const QByteArray typical = Typical + "\r\n";
    QTest::newRow("no header") << typical << "record before the six parameters: " + Typical;
    QTest::newRow("blank line") << Header + "\r\n" + typical << QByteArray("blank line");
    QTest::newRow("blank line between lone CRs") << Header + Typical + "\r\r" << QByteArray("blank line");
    const QByteArray accented = QByteArray(Typical).replace("RZ Cas", "RZ C\xC3\xA0s");
    QTest::newRow("accent") << Header + accented + "\r\n"
                            << "not printable ASCII: " + QString::fromLatin1(accented).toUtf8();
    const QByteArray noFilter = QByteArray(Typical).replace(",V,", ",");
    QTest::newRow("14 fields") << Header + noFilter + "\r\n" << "14 fields: " + noFilter;
    QTest::newRow("empty field") << Header + QByteArray(Typical).replace(",0.012,", ",,") + "\r\n"
                                 << "empty field, not na: " + QByteArray(Typical).replace(",0.012,", ",,");
    for (const auto &[name, from, to] :
         {std::tuple{"magnitude without point", ",11.523,", ",11,"}, {"unknown filter", ",V,", ",X,"},
          {"star of 31", "RZ Cas", "RZ Cas RZ Cas RZ Cas RZ Cas RZ "}}) {
        const QByteArray line = QByteArray(Typical).replace(from, to);
        QTest::newRow(name) << Header + line + "\r\n" << "field out of its limits: " + line;
    }
}

void TestAavsoExport::validator()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, fault);
    QCOMPARE(aavsoFault(bytes).toUtf8(), fault);
}

QTEST_GUILESS_MAIN(TestAavsoExport)
#include "tst_aavsoexport.moc"
