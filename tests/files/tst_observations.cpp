#include "files/observations.h"

#include "diskfiles.h"

#include <QTest>

#include <cmath>
#include <sys/stat.h>

using namespace LightCurve;

namespace {

const QByteArray OwnHeader = "#TYPE=EXTENDED\r\n#OBSCODE=ABC\r\n#SOFTWARE=Vevurid 1.4.3\r\n"
                             "#DELIM=,\r\n#DATE=JD\r\n#OBSTYPE=CCD\r\n"
                             "#NAME,DATE,MAG,MERR,FILT,TRANS,MTYPE,CNAME,CMAG,KNAME,KMAG,AMASS,GROUP,CHART,NOTES\r\n";
const QByteArray DatabaseHeader = "JD,Magnitude,Uncertainty,HQuncertainty,Band,Observer Code,"
                                  "Comment Code(s),Comp Star 1,Comp Star 2,Charts,Comments,Star Name\n";

// "star jd magnitude±error band observer [notes]", "<" before a fainter-than value.
QString describe(const Observations &read, const Observation &o)
{
    const QString error = std::isnan(o.error) ? QStringLiteral("na") : QString::number(o.error);
    return QStringLiteral("%1 %2 %3%4±%5 %6 %7 [%8]")
        .arg(read.texts.at(o.star), QString::number(o.jd, 'f', 5), o.fainter ? "<" : "",
             QString::number(o.magnitude), error, read.texts.at(o.band), read.texts.at(o.observer),
             read.texts.at(o.notes));
}

QStringList describe(const Observations &read)
{
    QStringList lines;
    for (const Observation &o : read.observations)
        lines << describe(read, o);
    for (const SkippedLine &s : read.skipped)
        lines << QStringLiteral("%1: %2").arg(s.line).arg(s.reason);
    return lines;
}

QByteArray record(const QByteArray &fields, char delimiter = ',')
{
    QByteArray line = fields;
    return line.replace(',', delimiter) + "\r\n";
}

} // namespace

class TestObservations : public QObject, private FolderFixture
{
    Q_OBJECT
private slots:
    void init() { newFolder(); }
    void cleanup() { dropFolder(); }
    void reading_data();
    void reading();
    void refused_data();
    void refused();
    void starsAcrossFiles();
    void julianDates_data();
    void julianDates();

private:
    enum Kind { Bytes, Missing, Folder, Fifo, LinkToFifo, Device, Huge };
};

void TestObservations::reading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected"); // observations, then skipped lines
    QTest::addColumn<bool>("own");

    const QByteArray own = record("V612 Sct,2460000.12345,12.345,0.012,V,NO,STD,ENSEMBLE,na,"
                                  "000-BBB-123,11.2,1.25,na,X12345,misura buona");
    QTest::newRow("own log, CR LF") << OwnHeader + own
        << QStringList{"V612 Sct 2460000.12345 12.345±0.012 V ABC [misura buona]"} << true;
    QTest::newRow("pipe character, HJD, other software, LF")
        << QByteArray("#type=Extended\n#obscode=XYZ\n#software=AIP4Win\n#delim=|\n#date=HJD\n"
                      "SS Cyg|2459000.5|<14.1|na|TG|NO|STD|na|na|na|na|na|na|na|na\n")
        << QStringList{"SS Cyg 2459000.50000 <14.1±na TG XYZ []"} << false;
    QTest::newRow("tab as a word, BJD")
        << QByteArray("#Type=EXTENDED\r\n#Delim=TAB\r\n#Date=bjd\r\n") + record("RR Lyr,2458000.25,7.5,NA,B,NO,STD,na,na,na,na,na,na,na,na", '\t')
        << QStringList{"RR Lyr 2458000.25000 7.5±na B  []"} << false;
    QTest::newRow("tab itself")
        << QByteArray("#TYPE=EXTENDED\n#DELIM=\t\n") + record("RR Lyr,2458000.25,7.5,0,B,NO,STD,na,na,na,na,na,na,na,na", '\t')
        << QStringList{"RR Lyr 2458000.25000 7.5±0 B  []"} << false;
    QTest::newRow("exclamation and semicolon as words")
        << QByteArray("#TYPE=EXTENDED\n#DELIM=exclamation\n") + record("A,1.5,2.5,na,V,,,,,,,,,,", '!')
               + "#DELIM= Semicolon \n" + record("B,2.5,3.5,na,V,,,,,,,,,,", ';')
        << QStringList{"A 1.50000 2.5±na V  []", "B 2.50000 3.5±na V  []"} << false;
    QTest::newRow("OBSCODE changed further down")
        << OwnHeader + own + "#OBSCODE=DEF\r\n" + own
        << QStringList{"V612 Sct 2460000.12345 12.345±0.012 V ABC [misura buona]",
                       "V612 Sct 2460000.12345 12.345±0.012 V DEF [misura buona]"} << true;
    QTest::newRow("byte-order mark, comments, blank lines, blanks around fields")
        << QByteArray("\xEF\xBB\xBF  #TYPE = EXTENDED \n\n# a comment\n   \n"
                      " Z Cam , 2460100.5 ,  < 13.0 , 0.1 , Vis , na,na,na,na,na,na,na,na,na,  nota  \n")
        << QStringList{"Z Cam 2460100.50000 <13±0.1 Vis  [nota]"} << false;
    QTest::newRow("each unreadable line with its reason")
        << OwnHeader
               + record("A,2460000.5,12.1,0.01,V,NO,STD,na,na,na,na,na,na,na,na")   // line 8, kept
               + record("A,2460000.5x,12.1,0.01,V,NO,STD,na,na,na,na,na,na,na,na")  // 9
               + record("A,inf,12.1,0.01,V,NO,STD,na,na,na,na,na,na,na,na")         // 10
               + record("A,-0.5,12.1,0.01,V,NO,STD,na,na,na,na,na,na,na,na")        // 11
               + record("A,1e7,12.1,0.01,V,NO,STD,na,na,na,na,na,na,na,na")         // 12
               + record("A,2460000.5,99.999,0.01,V,NO,STD,na,na,na,na,na,na,na,na") // 13
               + record("A,2460000.5,<,0.01,V,NO,STD,na,na,na,na,na,na,na,na")      // 14
               + record("A,2460000.5,12.1,-0.01,V,NO,STD,na,na,na,na,na,na,na,na")  // 15
               + record("na,2460000.5,12.1,0.01,V,NO,STD,na,na,na,na,na,na,na,na")  // 16
               + record("A,2460000.5,12.1,0.01,na,NO,STD,na,na,na,na,na,na,na,na")  // 17
               + record("A,2460000.5,12.1,0.01,V,NO,STD,na,na,na,na,na,na,na")      // 18
               + record("A,2460000.5,12.1,0.01,V,NO,STD,na,na,na,na,na,na,na,na,x") // 19
        << QStringList{"A 2460000.50000 12.1±0.01 V ABC []", "9: data non valida",
                       "10: data non valida", "11: data non valida", "12: data non valida",
                       "13: magnitudine non valida", "14: magnitudine non valida",
                       "15: errore non valido", "16: stella mancante", "17: filtro mancante",
                       "18: 14 campi invece di 15", "19: più di 15 campi"} << true;
    QTest::newRow("decimal comma is no number")
        << QByteArray("#TYPE=EXTENDED\n#DELIM=|\nA|2460000.5|12,1|na|V|na|na|na|na|na|na|na|na|na|na\n")
        << QStringList{"3: magnitudine non valida"} << false;

    QTest::newRow("database download")
        << DatabaseHeader + "2460000.12345,12.345,0.012,,V,ABC,,,,,bella notte,V612 Sct\n"
                            "2460001.5,<13.5,,,Vis.,XYZ,,,,,,v612  SCT\n"
        << QStringList{"V612 Sct 2460000.12345 12.345±0.012 V ABC [bella notte]",
                       "v612  SCT 2460001.50000 <13.5±na Vis. XYZ []"} << false;
    QTest::newRow("database columns in another order, quoted, CR LF")
        << QByteArray("\"Star Name\",\"Band\",\"Observer Code\",\"Magnitude\",\"JD\",\"Uncertainty\"\r\n"
                      "\"R Leo, A\",\"V\",\"ABC\",\" 6.1 \",\"2450000.5\",\"0.1\"\r\n"
                      "\"a \"\"b\"\"\",V,ABC,7.0,2450001.5,\r\n")
        << QStringList{"R Leo, A 2450000.50000 6.1±0.1 V ABC []", "a \"b\" 2450001.50000 7±na V ABC []"}
        << false;
    QTest::newRow("database lines that cannot be read")
        << DatabaseHeader + "\"2460000.5,12.3,,,V,ABC,,,,,,A\n"  // 2
                            "2460000.5,12.3,,,V,ABC,,,,,\n"      // 3
                            "2460000.5,12.3,,,V,ABC,,,,,,\n"     // 4
                            "2460000.5,12.3,,,,ABC,,,,,,A\n"     // 5
                            "24600x,12.3,,,V,ABC,,,,,,A\n"       // 6
                            "\"2460000.5\"x,12.3,,,V,ABC,,,,,,A\n" // 7
                            "2460000.5,12.3,x,,V,ABC,,,,,,A\n"   // 8
        << QStringList{"2: virgolette non valide", "3: 11 campi invece di 12", "4: stella mancante",
                       "5: filtro mancante", "6: data non valida", "7: virgolette non valide",
                       "8: errore non valido"} << false;
}

void TestObservations::reading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QFETCH(bool, own);
    putBytes(path("in.txt"), bytes);

    Observations read;
    QCOMPARE(addFile(read, path("in.txt")), QString());
    QCOMPARE(describe(read), expected);
    QCOMPARE(read.files.size(), size_t(1));
    QCOMPARE(read.files[0].path, path("in.txt"));
    QCOMPARE(read.files[0].own, own);
}

void TestObservations::refused_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    const QString prefix = QStringLiteral("Impossibile leggere \"x.txt\": ");
    const QString neither = prefix + "non è un file AAVSO Extended né un file del database AAVSO.";
    QTest::newRow("missing") << int(Missing) << QByteArray() << prefix + "il file non esiste.";
    QTest::newRow("folder") << int(Folder) << QByteArray() << prefix + "è una cartella, non un file.";
    QTest::newRow("pipe") << int(Fifo) << QByteArray() << prefix + "non è un file normale.";
    QTest::newRow("link to a pipe") << int(LinkToFifo) << QByteArray() << prefix + "non è un file normale.";
    QTest::newRow("device") << int(Device) << QByteArray() << prefix + "non è un file normale.";
    QTest::newRow("over 1 GiB") << int(Huge) << QByteArray() << prefix + "è più grande di 1 GiB.";
    QTest::newRow("empty") << int(Bytes) << QByteArray() << neither;
    QTest::newRow("other text") << int(Bytes) << QByteArray("Misura del 12 marzo\n") << neither;
    QTest::newRow("visual format") << int(Bytes) << QByteArray("#TYPE=VISUAL\n#DELIM=,\n") << neither;
    QTest::newRow("record before TYPE")
        << int(Bytes) << QByteArray("#DELIM=,\nA,2460000.5,12.1,na,V,na,na,na,na,na,na,na,na,na,na\n#TYPE=EXTENDED\n")
        << neither;
    QTest::newRow("no TYPE at all") << int(Bytes) << QByteArray("#OBSCODE=ABC\n") << neither;
    QTest::newRow("database without Band")
        << int(Bytes) << QByteArray("JD,Magnitude,Uncertainty,Observer Code,Star Name\n2460000.5,1,,A,B\n")
        << neither;
    QTest::newRow("EXCEL dates") << int(Bytes) << QByteArray("#TYPE=EXTENDED\n#DATE=excel\n")
                                 << prefix + "le date sono in formato EXCEL: servono date giuliane (JD, HJD o BJD).";
    QTest::newRow("other dates") << int(Bytes) << QByteArray("#TYPE=EXTENDED\n#DATE= MJD \n")
                                 << prefix + "tipo di data sconosciuto: \"MJD\".";
    QTest::newRow("other delimiter") << int(Bytes) << QByteArray("#TYPE=EXTENDED\n#DELIM=colon\n")
                                     << prefix + "delimitatore sconosciuto: \"colon\".";
    QTest::newRow("more unreadable lines than a file may have")
        << int(Bytes) << QByteArray("#TYPE=EXTENDED\n") + QByteArray("x\n").repeated(100001)
        << prefix + "ha più di 100000 righe che non si possono leggere.";
}

void TestObservations::refused()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString target = path("x.txt");
    switch (Kind(kind)) {
    case Bytes: putBytes(target, bytes); break;
    case Missing: break;
    case Folder: QVERIFY(QDir().mkdir(target)); break;
    case Fifo: QCOMPARE(mkfifo(QFile::encodeName(target).constData(), 0600), 0); break;
    case LinkToFifo:
        QCOMPARE(mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
        QVERIFY(QFile::link(path("fifo"), target));
        break;
    case Device: QVERIFY(QFile::link("/dev/zero", target)); break;
    case Huge: {
        QFile huge(target); // sparse: no real gigabyte is written
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize((qint64(1) << 30) + 1));
        break;
    }
    }

    Observations shown;
    putBytes(path("shown.txt"), OwnHeader + record("A,2460000.5,12.1,0.01,V,NO,STD,na,na,na,na,na,na,na,na")
                                    + "A,bad\r\n");
    QCOMPARE(addFile(shown, path("shown.txt")), QString());
    const QStringList before = describe(shown);
    const QStringList textsBefore = shown.texts;

    QCOMPARE(addFile(shown, target), message);
    QCOMPARE(describe(shown), before);
    QCOMPARE(shown.texts, textsBefore);
    QCOMPARE(shown.files.size(), size_t(1));
}

void TestObservations::starsAcrossFiles()
{
    putBytes(path("own.txt"), OwnHeader + record("V612 Sct,2460000.5,12.1,0.01,V,NO,STD,na,na,na,na,na,na,na,na")
                                  + record("RR Lyr,2460000.5,7.1,0.01,V,NO,STD,na,na,na,na,na,na,na,na")
                                  + record("SS Cyg,2460000.5,9.1,0.01,B,NO,STD,na,na,na,na,na,na,na,na"));
    putBytes(path("db.csv"), DatabaseHeader + "2460001.5,12.2,,,V,ABC,,,,,,v612  SCT\n"
                                              "2460002.5,7.2,,,V,ABC,,,,,,RR Lyr\n"
                                              "2460003.5,12.3,,,V,ABC,,,,,,V612 Sct\n"
                                              "2460003.5,8.3,,,V,ABC,,,,,,T Lep\n");
    Observations read;
    QCOMPARE(addFile(read, path("own.txt")), QString());
    QCOMPARE(addFile(read, path("db.csv")), QString());

    QStringList ranked;
    for (const Star &star : stars(read))
        ranked << QStringLiteral("%1 %2").arg(star.name).arg(star.count);
    QCOMPARE(ranked, (QStringList{"V612 Sct 3", "RR Lyr 2", "SS Cyg 1", "T Lep 1"}));
    // One text per name, whichever file and line it came from.
    QCOMPARE(read.texts, (QStringList{"", "ABC", "V612 Sct", "V", "RR Lyr", "SS Cyg", "B", "v612  SCT", "T Lep"}));
    QCOMPARE(read.observations[6].file, quint16(1));
    QCOMPARE(read.files[1].own, false);
}

void TestObservations::julianDates_data()
{
    QTest::addColumn<double>("jd");
    QTest::addColumn<QDateTime>("utc");

    const auto at = [](int y, int m, int d, int h, int min, int s, int ms) {
        return QDateTime(QDate(y, m, d), QTime(h, min, s, ms), Qt::UTC);
    };
    QTest::newRow("J2000") << 2451545.0 << at(2000, 1, 1, 12, 0, 0, 0);
    QTest::newRow("midnight") << 2460000.5 << at(2023, 2, 25, 0, 0, 0, 0);
    QTest::newRow("one and a half seconds") << 2460000.5 + 1.5 / 86400 << at(2023, 2, 25, 0, 0, 1, 500);
    QTest::newRow("last millisecond of a leap day") << 2460370.5 - 0.001 / 86400 << at(2024, 2, 29, 23, 59, 59, 999);
    QTest::newRow("leap day 2000") << 2451603.5 << at(2000, 2, 29, 0, 0, 0, 0);
    QTest::newRow("1900 has no leap day") << 2415079.5 << at(1900, 3, 1, 0, 0, 0, 0);
    QTest::newRow("leap day 1896") << 2413618.75 << at(1896, 2, 29, 6, 0, 0, 0);
    QTest::newRow("J1900") << 2415020.0 << at(1899, 12, 31, 12, 0, 0, 0);
    QTest::newRow("modified JD zero") << 2400000.5 << at(1858, 11, 17, 0, 0, 0, 0);
    QTest::newRow("first Gregorian day") << 2299160.5 << at(1582, 10, 15, 0, 0, 0, 0);
    QTest::newRow("Unix epoch") << 2440587.5 << at(1970, 1, 1, 0, 0, 0, 0);
    QTest::newRow("not a number") << std::nan("") << QDateTime();
    QTest::newRow("beyond exact milliseconds") << 1.1e8 << QDateTime();
}

void TestObservations::julianDates()
{
    QFETCH(double, jd);
    QFETCH(QDateTime, utc);
    if (!utc.isValid()) {
        QVERIFY(!julianToUtc(jd).isValid());
        QVERIFY(std::isnan(utcToJulian(utc)));
        return;
    }
    QCOMPARE(julianToUtc(jd), utc);
    QCOMPARE(julianToUtc(jd).timeSpec(), Qt::UTC);
    QVERIFY2(std::fabs(utcToJulian(utc) - jd) < 0.0005 / 86400, qPrintable(QString::number(utcToJulian(utc), 'f', 10)));
    QCOMPARE(julianToUtc(utcToJulian(utc)), utc);
}

QTEST_GUILESS_MAIN(TestObservations)
#include "tst_observations.moc"
