#include "aavso/bands.h"
#include "aavso/export.h"
#include "aavso/vocabulary.h"
#include "support/aavsovalidator.h"
#include "support/fakesheet.h"
#include "support/guard.h"
#include "support/recordingmessages.h"

#include "support/diskfiles.h"

#include <QTest>

#include <sys/stat.h>

using Texts = QHash<QString, QString>;

namespace {

const QString Title = QStringLiteral("Esporta AAVSO");
const QByteArray Header = Aavso::header("RMA");
const QByteArray Fixed = ",NO,STD,ENSEMBLE,na,na,na,na,na,na,";
const QByteArray Typical = "RZ Cas,2460382.42130,11.523,0.012,V" + Fixed
                         + "ENSEMBLE C1=11.250 C2=11.620 C3=12.030 seeing 3";
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

const QString Delimiter = QStringLiteral(
    "La casella \"%1\" contiene una virgola o un a capo, che il formato AAVSO non ammette "
    "in un campo (la virgola separa i campi). Toglierli prima di esportare.");
const QString DateNeeded = QStringLiteral(
    "Scrivere in \"JD:\" la data giuliana completa dell'osservazione, per esempio "
    "2460425.31250 (non la data ridotta 60425.3125).");
const QString ErrorWrong = QStringLiteral(
    "L'errore in \"Errore Mag.\" deve essere un numero non negativo di al massimo 6 "
    "caratteri, per esempio 0.012, oppure la casella vuota.");
const QString FilterUnknown =
    QStringLiteral("Scrivere in \"Filtro:\" un codice di filtro AAVSO: %1 (il pulsante \"UV\" vale U).")
        .arg(Bands::exportedCodes().join(", "));
const QString ObsCodeNeeded = QStringLiteral(
    "L'esportazione AAVSO ha bisogno in \"Autore:\" del codice osservatore AAVSO: "
    "da 1 a 10 lettere e cifre, senza spazi (per esempio ABC).");
const QString Added = QStringLiteral("Osservazione aggiunta a aavso.txt (osservazioni nel file: %1).");
const QString NotAdded = QStringLiteral(": l'osservazione non è stata aggiunta.");

} // namespace

class TestAavsoExport : public QObject, FolderFixture
{
    Q_OBJECT
private slots:
    void init() { newFolder(); }
    void cleanup() { dropFolder(); }

    void record_data();
    void record();
    void refusals_data();
    void refusals();
    void logs_data();
    void logs();
    void targets_data();
    void targets();
    void writeFailsHalfWay();
    void validator_data();
    void validator();
};

void TestAavsoExport::record_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Texts>("changes");
    QTest::addColumn<QByteArray>("line");

    const QLocale point = QLocale::c();
    const QLocale comma(QLocale::Italian);
    QTest::newRow("point system") << point << Texts() << Typical;
    QTest::newRow("comma system")
        << comma
        << Texts{{"Text18", "2460382,4213"}, {"Text11", "11,5234"}, {"Text15", "0,0123"},
                 {"Text5", "11,25"},         {"Text6", "11,62"},    {"Text7", "12,03"}}
        << Typical;
    QTest::newRow("UV is U") << point << Texts{{"Text22", "UV"}} << QByteArray(Typical).replace(",V,", ",U,");
    QTest::newRow("lower case") << comma << Texts{{"Text22", " hac "}} << QByteArray(Typical).replace(",V,", ",HAC,");
    QTest::newRow("mixed case") << point << Texts{{"Text22", "sThBw"}} << QByteArray(Typical).replace(",V,", ",STHBW,");
    QTest::newRow("whole magnitude gets its point, error na, no note")
        << point << Texts{{"Text11", "9"}, {"Text15", ""}, {"Text21", "  "}, {"Text7", ""}}
        << "RZ Cas,2460382.42130,9.000,na,V" + Fixed + "ENSEMBLE C1=11.250 C2=11.620 C3=na";
    QTest::newRow("widest accepted values")
        << point
        << Texts{{"Text20", " " + QString(30, 'X') + " "}, {"Text18", "2500000"}, {"Text11", "-999.999"},
                 {"Text15", "99.999"}, {"Text19", "ABCDE12345"}}
        << QString(30, 'X').toLatin1() + ",2500000.00000,-999.999,99.999,V" + Fixed
               + "ENSEMBLE C1=11.250 C2=11.620 C3=12.030 seeing 3";
    QTest::newRow("earliest date, error of minus zero")
        << point << Texts{{"Text18", "2400000"}, {"Text15", "-0"}}
        << QByteArray(Typical).replace("2460382.42130", "2400000.00000").replace("0.012", "0.000");
}

void TestAavsoExport::record()
{
    QFETCH(QLocale, locale);
    QFETCH(Texts, changes);
    QFETCH(QByteArray, line);
    const LocaleGuard guard(locale);

    const Aavso::Record r = Aavso::record(sheetWith(changes));

    QCOMPARE(r.problem, QString());
    QCOMPARE(r.line, line);
    const QString fault = aavsoFault(Header + r.line + "\r\n");
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestAavsoExport::refusals_data()
{
    QTest::addColumn<Texts>("changes");
    QTest::addColumn<QString>("message");

    QTest::newRow("no star") << Texts{{"Text20", "  "}}
                             << "Scrivere in \"Oggetto:\" il nome della stella.";
    QTest::newRow("star of 31") << Texts{{"Text20", QString(31, 'X')}}
                                << "Il nome in \"Oggetto:\" supera i 30 caratteri che il formato AAVSO ammette.";
    QTest::newRow("no date") << Texts{{"Text18", ""}} << DateNeeded;
    QTest::newRow("reduced date") << Texts{{"Text18", "60425.3"}} << DateNeeded;
    QTest::newRow("just before 2400000") << Texts{{"Text18", "2399999.99999"}} << DateNeeded;
    QTest::newRow("just after 2500000") << Texts{{"Text18", "2500000.00001"}} << DateNeeded;
    QTest::newRow("no magnitude") << Texts{{"Text11", ""}}
                                  << "Calcolare prima la magnitudine con \"MAGNITUDINE\": "
                                     "l'esportazione AAVSO la prende dalla casella \"Magnitudine\".";
    QTest::newRow("magnitude of 9 characters")
        << Texts{{"Text11", "-1000"}}
        << "La magnitudine -1000.000 supera gli 8 caratteri che il formato AAVSO ammette.";
    QTest::newRow("negative error") << Texts{{"Text15", "-0.001"}} << ErrorWrong;
    QTest::newRow("error of 7 characters") << Texts{{"Text15", "100"}} << ErrorWrong;
    QTest::newRow("no filter") << Texts{{"Text22", ""}} << FilterUnknown;
    QTest::newRow("not a code") << Texts{{"Text22", "UVB"}} << FilterUnknown;
    QTest::newRow("no observer") << Texts{{"Text19", ""}} << ObsCodeNeeded;
    QTest::newRow("a full name") << Texts{{"Text19", "Mario Rossi"}} << ObsCodeNeeded;
    QTest::newRow("code of 11") << Texts{{"Text19", "ABCDE123456"}} << ObsCodeNeeded;
    QTest::newRow("accented code") << Texts{{"Text19", "RMÀ"}} << ObsCodeNeeded;
    QTest::newRow("comma in the star") << Texts{{"Text20", "RZ Cas, var"}} << Delimiter.arg("Oggetto:");
    QTest::newRow("comma in the filter") << Texts{{"Text22", "V,B"}} << Delimiter.arg("Filtro:");
    QTest::newRow("comma in the note") << Texts{{"Text21", "nubi, vento"}} << Delimiter.arg("note:");
    QTest::newRow("line break in the note") << Texts{{"Text21", "nubi\nvento"}} << Delimiter.arg("note:");
    QTest::newRow("comma in the observer") << Texts{{"Text19", "R,MA"}} << Delimiter.arg("Autore:");
    QTest::newRow("comma in a number on a point system")
        << Texts{{"Text18", "2460382,4213"}} << Delimiter.arg("JD:");
}

void TestAavsoExport::refusals()
{
    QFETCH(Texts, changes);
    QFETCH(QString, message);
    const LocaleGuard guard(QLocale::c());
    const QByteArray log = Header + Earlier + "\r\n";
    putBytes(path("aavso.txt"), log);
    RecordingMessages messages;

    Aavso::exportToLog(sheetWith(changes), messages, path("aavso.txt"));

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
    QTest::newRow("no file") << QByteArray("<none>") << Header + Typical + "\r\n" << Added.arg(1);
    QTest::newRow("empty file") << QByteArray() << Header + Typical + "\r\n" << Added.arg(1);
    QTest::newRow("own log") << own << own + Typical + "\r\n" << Added.arg(2);
    QTest::newRow("another observer")
        << other << other + "#OBSCODE=RMA\r\n" + Typical + "\r\n" << Added.arg(2);
    QTest::newRow("observer changed back further down")
        << other + "#obscode= rma\r\n" << other + "#obscode= rma\r\n" + Typical + "\r\n" << Added.arg(2);
    QTest::newRow("its LF kept") << lf << lf + Typical + "\n" << Added.arg(2);
    QTest::newRow("last line without end") << own.chopped(2) << own + Typical + "\r\n" << Added.arg(2);
    const QByteArray lowerCase = "\xEF\xBB\xBF#type=Extended\r\n#obscode=RMA\r\n#software=x\r\n"
                                 "#delim=,\r\n#date=jd\r\n#obstype=DSLR\r\n";
    QTest::newRow("parameters in other cases, BOM")
        << lowerCase << lowerCase + Typical + "\r\n" << Added.arg(1);
    QTest::newRow("same star and JD, other filter")
        << own + "rz cas,2460382.4213,11.5,na,B" + Fixed + "x\r\n"
        << own + "rz cas,2460382.4213,11.5,na,B" + Fixed + "x\r\n" + Typical + "\r\n" << Added.arg(3);
    QTest::newRow("a record cut short")
        << own + "RZ Cas,2460382.4213\r\n" << own + "RZ Cas,2460382.4213\r\n" + Typical + "\r\n"
        << Added.arg(3);
    QTest::newRow("same star and filter, JD 1E-5 later")
        << own + "RZ Cas,2460382.42131,11.5,na,V" + Fixed + "x\r\n"
        << own + "RZ Cas,2460382.42131,11.5,na,V" + Fixed + "x\r\n" + Typical + "\r\n" << Added.arg(3);

    const QString prefix = QStringLiteral("Il file aavso.txt ");
    QTest::newRow("the measurement report")
        << QByteArray("Oggetto:RZ Cas/Magnitudine11.5/Errore Mag./note:/\r\n") << QByteArray()
        << prefix + "non è un file AAVSO Extended (manca la riga #TYPE=EXTENDED)" + NotAdded;
    QTest::newRow("pipe-delimited") << QByteArray(own).replace("#DELIM=,", "#DELIM=|") << QByteArray()
                                    << prefix + "non separa i campi con la virgola (#DELIM=,)" + NotAdded;
    QTest::newRow("HJD") << QByteArray(own).replace("#DATE=JD", "#DATE=HJD") << QByteArray()
                         << prefix + "non ha le date in JD (#DATE=JD)" + NotAdded;
    QTest::newRow("duplicate in other cases and decimals")
        << own + "rz cas ,2460382.4213,11.4,na, v" + Fixed + "x\r\n" + Earlier + "\r\n" << QByteArray()
        << prefix + "contiene già un'osservazione della stessa stella con lo stesso JD e lo stesso "
                    "filtro: l'osservazione non è stata aggiunta di nuovo.";
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
    QCOMPARE(Aavso::exportToLog(sheetWith({}), messages, path("aavso.txt")), added);

    compareOnlyOne(messages, Title, added ? MessageIcon::Information : MessageIcon::Warning, message);
    QCOMPARE(bytesOf(path("aavso.txt")), added ? after : before);
    QCOMPARE(entries(folder()), QStringList{"aavso.txt"});
}

void TestAavsoExport::targets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<QString>("message");

    QTest::newRow("a folder") << "folder" << MessageIcon::Warning
                              << "aavso.txt non è un file: l'osservazione non è stata esportata.";
    QTest::newRow("a pipe") << "pipe" << MessageIcon::Warning
                            << "aavso.txt non è un file: l'osservazione non è stata esportata.";
    QTest::newRow("over 256 MiB") << "large" << MessageIcon::Warning
                                  << "Il file aavso.txt supera 256 MiB: l'osservazione non è stata esportata.";
    QTest::newRow("unreadable") << "unreadable" << MessageIcon::Warning
                                << "Il file aavso.txt non può essere letto: l'osservazione non è stata esportata.";
    QTest::newRow("vanished folder") << "vanished" << MessageIcon::Critical
                                     << "Esportazione non riuscita: il file aavso.txt non è stato modificato.";
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

    Aavso::exportToLog(sheetWith({}), messages, target);

    compareOnlyOne(messages, Title, icon, message);
    QCOMPARE(entries(folder()), kind == "vanished" ? QStringList() : QStringList{"aavso.txt"});
    const QFileInfo after(target);
    QCOMPARE(after.isFile(), kind == "large" || kind == "unreadable");
    if (kind == "large")
        QCOMPARE(after.size(), Aavso::MaxLogSize + 1);
}

void TestAavsoExport::writeFailsHalfWay()
{
    const QByteArray log = Header + Earlier + "\r\n";
    putBytes(path("aavso.txt"), log);

    // The child may write the old log again but not the whole new record.
    const bool reported = passesUnderFileSizeLimit(rlim_t(log.size() + 20), [&] {
        RecordingMessages messages;
        Aavso::exportToLog(sheetWith({}), messages, path("aavso.txt"));
        return messages.onlyOne(Title, MessageIcon::Critical,
                                "Esportazione non riuscita: il file aavso.txt non è stato modificato.");
    });

    QVERIFY2(reported, "the child did not show the one failure box");
    QCOMPARE(bytesOf(path("aavso.txt")), log);
    QCOMPARE(entries(folder()), QStringList{"aavso.txt"});
}

// The validator is only worth its passes if it fails what breaks the rules.
void TestAavsoExport::validator_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("fault");

    const QByteArray typical = Typical + "\r\n";
    QTest::newRow("no header") << typical << "record before the six parameters: " + Typical;
    QTest::newRow("blank line") << Header + "\r\n" + typical << QByteArray("blank line");
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
