#include "aavso/observations.h"
#include "aavso/reading.h"
#include "aavso/vocabulary.h"

#include "support/diskfiles.h"
#include "support/fifo.h"
#include "support/guard.h"
#include "support/observationtext.h"

#include <QStringEncoder>
#include <QTest>

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>

using namespace Aavso::LightCurve;
using namespace Aavso::LightCurve::Reading;

namespace {

const QByteArray OwnHeader = Aavso::header("ABC");
const QByteArray DatabaseHeader = "JD,Magnitude,Uncertainty,HQuncertainty,Band,Observer Code,"
                                  "Comment Code(s),Comp Star 1,Comp Star 2,Charts,Comments,Star Name\n";

// A record with the fields after FILTER as most software writes them.
QByteArray record(const QByteArray &firstFive, char delimiter = ',')
{
    QByteArray line = firstFive + ",NO,STD,na,na,na,na,na,na,na,na";
    return line.replace(',', delimiter) + "\r\n";
}

// A database record without its header: `values` by column name, the other
// columns of the first `columns` empty.
QByteArray download(const QHash<QByteArray, QByteArray> &values, char separator = ',',
                    size_t columns = Aavso::DatabaseColumnsAlways)
{
    QByteArrayList fields;
    for (size_t c = 0; c < columns; ++c)
        fields << values.value(Aavso::DatabaseColumns[c]);
    return fields.join(separator) + '\n';
}

enum class Shape { Extended, Download, Delimited, List };

// `lines` lines of a file of `shape`, from `first` on: most read, every
// seventh skipped, some names in Latin-1, notes that differ, blank lines.
QByteArray shapeLines(Shape shape, int first, int lines)
{
    QByteArray bytes;
    for (int i = first; i < first + lines; ++i) {
        const QByteArray jd = i % 7 == 3 ? "2460000.5x" : QByteArray::number(2460000 + i * 0.01, 'f', 5);
        const QByteArray mag = (i % 5 == 0 ? "<" : "") + QByteArray::number(10 + (i % 100) * 0.01, 'f', 3);
        const QByteArray star = i % 11 == 0 ? "V\xE9 Ori" : i % 3 == 0 ? "RR Lyr" : "Star " + QByteArray::number(i % 13);
        const QByteArray band = i % 4 == 0 ? "Vis." : i % 4 == 1 ? "V" : "B";
        const QByteArray observer = "OB" + QByteArray::number(i % 17);
        const QByteArray note = i % 3 == 1 ? "" : "note " + QByteArray::number(i);
        switch (shape) {
        case Shape::Extended:
            bytes += star + ',' + jd + ',' + mag + ",0.01," + band + ",NO,STD,na,na,na,na,na,na,na,"
                + (note.isEmpty() ? "na" : note) + "\r\n";
            break;
        case Shape::Download:
            bytes += jd + ',' + mag + ",0.01,," + band + ',' + observer + ",,,,,\"" + note + ", x\"," + star
                + (i % 9 == 0 ? ",D\n" : ",\n");
            break;
        case Shape::Delimited:
            bytes += star + "@@@" + jd + "@@@" + mag + "@@@0.01@@@" + band + "@@@" + observer + "@@@" + note + '\n';
            break;
        case Shape::List:
            bytes += jd + '\t' + mag + "\t0.01\t" + (i % 2 ? band : observer) + "\r\n";
            break;
        }
        if (i % 29 == 0)
            bytes += "\n";
    }
    return bytes;
}

QByteArray shapeHeader(Shape shape)
{
    switch (shape) {
    case Shape::Extended: return OwnHeader;
    case Shape::Download: return DatabaseHeader.chopped(1) + ",Validation Flag\n";
    case Shape::Delimited: return "starName@@@JD@@@mag@@@uncert@@@band@@@by@@@comment\n";
    case Shape::List: break;
    }
    return "# JD mag err band\r\n";
}

// What a reading leaves, every index and number exactly, with its answer.
QStringList everything(const Observations &read, const QString &answer)
{
    QStringList lines = describe(read);
    for (const Observation &o : read.observations)
        lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                     .arg(o.star).arg(o.band).arg(o.observer).arg(o.notes).arg(o.file)
                     .arg(QString::number(o.jd, 'g', 17), QString::number(o.magnitude, 'g', 17),
                          QString::number(o.error, 'g', 17));
    for (const SkippedLine &s : read.skipped)
        lines << QStringLiteral("%1 %2").arg(s.file).arg(s.line);
    for (const SourceFile &file : read.files)
        lines << QStringLiteral("%1 %2 %3").arg(file.path).arg(file.own).arg(int(file.dates));
    for (const quint64 end : read.noteEnds)
        lines << QString::number(end);
    return lines << read.texts << QString::fromLatin1(read.noteBytes.toHex()) << answer;
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
    void dateForms_data();
    void dateForms();
    void unreadableLine_data();
    void unreadableLine();
    void refused_data();
    void refused();
    void wideText_data();
    void wideText();
    void fileOfManyPieces();
    void gigabyteWithoutLineEnd();
    void roomFollowsTheFile_data();
    void roomFollowsTheFile();
    void starsAcrossFiles();
    void halvesReadAsOne_data();
    void halvesReadAsOne();
    void largeFileInHalves();
    void numbersAsFromChars_data();
    void numbersAsFromChars();
    void numbersOfEveryLength();
    void firstOfTwoBytes();

private:
    enum Kind { Bytes, Missing, Folder, Fifo, LinkToFifo, Device, Huge };
};

void TestObservations::reading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected"); // observations, then skipped lines
    QTest::addColumn<bool>("own");

    const QByteArray own = "V612 Sct,2460000.12345,12.345,0.012,V,NO,STD,ENSEMBLE,na,"
                           "000-BBB-123,11.2,1.25,na,X12345,misura buona\r\n";
    QTest::newRow("pipe character, HJD, other software, LF")
        << QByteArray("#type=Extended\n#obscode=XYZ\n#software=AIP4Win\n#delim=|\n#date=HJD\n"
                      "SS Cyg|2459000.5|<14.1|na|TG|NO|STD|na|na|na|na|na|na|na|na\n")
        << QStringList{"SS Cyg 2459000.50000 <14.1±na TG XYZ []"} << false;
    QTest::newRow("tab as a word, BJD") << QByteArray("#Type=EXTENDED\r\n#Delim=TAB\r\n#Date=bjd\r\n")
            + record("RR Lyr,2458000.25,7.5,NA,B", '\t') << QStringList{"RR Lyr 2458000.25000 7.5±na B  []"} << false;
    QTest::newRow("tab itself") << QByteArray("#TYPE=EXTENDED\n#DELIM=\t\n") + record("RR Lyr,2458000.25,7.5,0,B", '\t')
                                << QStringList{"RR Lyr 2458000.25000 7.5±0 B  []"} << false;
    QTest::newRow("exclamation and semicolon as words, then a slash")
        << QByteArray("#TYPE=EXTENDED\n#DELIM=exclamation\n") + record("A,1.5,2.5,na,V", '!')
               + "#DELIM= Semicolon \n" + record("B,2.5,3.5,na,V", ';') + "#DELIM=/\n" + record("C,3.5,4.5,na,V", '/')
        << QStringList{"A 1.50000 2.5±na V  []", "B 2.50000 3.5±na V  []", "C 3.50000 4.5±na V  []"} << false;
    QTest::newRow("own log, OBSCODE changed further down")
        << OwnHeader + own + "#OBSCODE=DEF\r\n" + own
        << QStringList{"V612 Sct 2460000.12345 12.345±0.012 V ABC [misura buona]",
                       "V612 Sct 2460000.12345 12.345±0.012 V DEF [misura buona]"} << true;
    QTest::newRow("byte-order mark, comments, blank lines, blanks around fields")
        << QByteArray("\xEF\xBB\xBF  #TYPE = EXTENDED \n\n# a comment\n   \n"
                      " Z Cam , 2460100.5 ,  < 13.0 , 0.1 , Vis , na,na,na,na,na,na,na,na,na,  nota  \n")
        << QStringList{"Z Cam 2460100.50000 <13±0.1 Vis.  [nota]"} << false;
    QTest::newRow("database download")
        << DatabaseHeader + "2460000.12345,12.345,0.012,,V,ABC,,,,,bella notte,V612 Sct\n"
                            "2460001.5,<13.5,,,Vis.,XYZ,,,,,,v612  SCT\n"
                            "2460002.5,13.1:,,,Vis.,XYZ,,,,,,V612 Sct\n"
        << QStringList{"V612 Sct 2460000.12345 12.345±0.012 V ABC [bella notte]",
                       "v612  SCT 2460001.50000 <13.5±na Vis. XYZ []", "V612 Sct 2460002.50000 13.1±na Vis. XYZ []"}
        << false;
    QTest::newRow("Latin-1 text, a field of nothing but a byte-order mark")
        << DatabaseHeader + "2460000.5,1.5,,,V,ABC,,,,,\xEF\xBB\xBF,\xE9ta Cep\n"
        << QStringList{QString::fromUtf8("éta Cep 2460000.50000 1.5±na V ABC [\uFEFF]")} << false;
    QTest::newRow("database columns in another order, quoted, CR LF")
        << QByteArray("\"Star Name\",\"Band\",\"Observer Code\",\"Magnitude\",\"JD\",\"Uncertainty\"\r\n"
                      "\"R Leo, A\",\"V\",\"ABC\",\" 6.1 \",\"2450000.5\",\"0.1\"\r\n"
                      "\"a \"\"b\"\"\",V,ABC,7.0,2450001.5,\r\n")
        << QStringList{"R Leo, A 2450000.50000 6.1±0.1 V ABC []", "a \"b\" 2450001.50000 7±na V ABC []"}
        << false;
    QTest::newRow("database: a column after those read, its quotes still checked")
        << DatabaseHeader.chopped(1) + ",Observer Affiliation\n" + "2460000.5,12.3,,,V,ABC,,,,,,R Leo,\"AAVSO, Inc.\"\n"
               + "2460001.5,12.4,,,V,ABC,,,,,,R Leo,\"AAVSO\n" + "2460002.5,12.5,,,V,ABC,,,,,,R Leo,AA\"VSO\n"
        << QStringList{"R Leo 2460000.50000 12.3±na V ABC []", "R Leo 2460002.50000 12.5±na V ABC []", "3: " + BadQuotes}
        << false;
    QTest::newRow("quotes after a backslash")
        << DatabaseHeader + "2460000.5,12.3,,,V,ABC,,,,,\"\\\"CMAG=13.65, KMAG=13.77\\\"\",R Leo\n"
        << QStringList{"R Leo 2460000.50000 12.3±na V ABC [\"CMAG=13.65, KMAG=13.77\"]"} << false;
    QTest::newRow("download without header, commas, all columns, discrepant")
        << download({{"JD", "2460000.5"}, {"Magnitude", "12.3:"}, {"Uncertainty", "0.02"}, {"Band", "Johnson V"},
                     {"Observer Code", "ABC"}, {"Comments", "nota"}, {"Validation Flag", "D"}, {"Star Name", "R Leo"}},
                    ',', Aavso::DatabaseColumns.size())
               + download({{"JD", "2460001.5"}, {"Magnitude", "<13"}, {"Band", "Visual"}, {"Validation Flag", "V"},
                           {"Star Name", "R Leo"}})
        << QStringList{"R Leo 2460000.50000 12.3±0.02 V ABC [nota] D", "R Leo 2460001.50000 <13±na Vis.  []"} << false;
    QTest::newRow("download without header, tabs")
        << download({{"JD", "2460002.5"}, {"Magnitude", "6.1"}, {"Band", "H NIR 1.6micron"}, {"Star Name", "T Cep"}}, '\t')
        << QStringList{"T Cep 2460002.50000 6.1±na H  []"} << false;
    QTest::newRow("download with header, tabs, a band of no table")
        << QByteArrayList(Aavso::DatabaseColumns.cbegin(), Aavso::DatabaseColumns.cend()).join('\t') + '\n'
               + download({{"JD", "2460003.5"}, {"Magnitude", "8.0"}, {"Band", "Z9"}, {"Validation Flag", "d"},
                           {"Star Name", "T Cep"}}, '\t', Aavso::DatabaseColumns.size())
        << QStringList{"T Cep 2460003.50000 8±na Z9  [] D"} << false;
    QTest::newRow("older download: tabs, 16 fields, 99.999 for no uncertainty")
        << QByteArray("2447003.5684\t<11.5\t99.999\tVis\tVis\t\t0\tK\tABC\tDelta Cep\t2225+57\t000-BBB-111\t"
                      "Delta Cep\tV\t123456\t\n"
                      "2447004.5\t4.1\t0.05\tV\tV\t\t0\t\tXYZ\tDelta Cep\t2225+57\t000-BBB-111\t"
                      "Delta Cep\tD\t123457\t\n")
        << QStringList{"Delta Cep 2447003.56840 <11.5±na Vis. ABC []",
                       "Delta Cep 2447004.50000 4.1±0.05 V XYZ [] D"}
        << false;
    QTest::newRow("VSX answer: columns in another order, fainter-than, discrepant, a short line")
        << QByteArray("obsID@@@starName@@@val@@@JD@@@mag@@@fainterThan@@@band@@@uncert@@@by@@@comment\n"
                      "1@@@SS Cyg@@@V@@@2460000.5@@@8.9@@@0@@@V@@@0.012@@@ABC@@@bella notte\n"
                      "2@@@SS Cyg@@@Z@@@2460001.5@@@12.0@@@1@@@Vis.@@@@@@XYZ@@@\n"
                      "3@@@SS Cyg@@@D@@@2460002.5@@@11.0@@@0@@@Vis.@@@@@@XYZ\n"
                      "4@@@SS Cyg@@@V@@@2460003.5@@@11.0\n")
        << QStringList{"SS Cyg 2460000.50000 8.9±0.012 V ABC [bella notte]", "SS Cyg 2460001.50000 <12±na Vis. XYZ []",
                       "SS Cyg 2460002.50000 11±na Vis. XYZ [] D", "5: " + WrongFieldCount.arg(5).arg(7)}
        << false;
    QTest::newRow("VSX answer without starName: the file names the star")
        << QByteArray("JD@@@mag@@@band\r\n2460000.5@@@9.5@@@V\r\n")
        << QStringList{"R Leo 2460000.50000 9.5±na V  []"} << false;
    QTest::newRow("VSX answer of its header alone")
        << QByteArray("JD@@@mag@@@uncert@@@band@@@by@@@starName\n") << QStringList{} << false;
    const QString unknown = UnknownBand; // lists name the star after the file
    QTest::newRow("list: blanks, tabs, commas, no-break spaces, comments")
        << QByteArray("# stime a occhio\n2460000.5 12.3\n2460001.5\t<12.5\t0.1\tABC\n2460002.5, < 13.0:,V\n"
                      "2460003.5\xC2\xA0" "12.1\xA0\xA0" "0.05\xC2\xA0vis\n2460004.5  12.0 Nicol\xC3\xA0\n")
        << QStringList{"R Leo 2460000.50000 12.3±na " + unknown + "  []",
                       "R Leo 2460001.50000 <12.5±0.1 " + unknown + " ABC []", "R Leo 2460002.50000 <13±na V  []",
                       "R Leo 2460003.50000 12.1±0.05 Vis.  []",
                       "R Leo 2460004.50000 12±na " + unknown + QString::fromUtf8(" Nicolà []")}
        << false;
    QTest::newRow("list in a mail")
        << QByteArray("Ciao Mario,\r\necco le stime:\r\n\r\n2460000.5 12.3 XYZ\r\n2460000.6 12.4 0.05\r\n"
                      "2024 12\r\n2460000.7 12.5 0.05 XYZ nuvole\r\nA presto, Luca\r\n")
        << QStringList{"R Leo 2460000.50000 12.3±na " + unknown + " XYZ []",
                       "R Leo 2460000.60000 12.4±0.05 " + unknown + "  []",
                       "1: " + NotData, "2: " + NotData, "6: " + BadDate, "7: " + TooManyWords, "8: " + NotData}
        << false;
}

void TestObservations::reading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QFETCH(bool, own);
    putBytes(path("R Leo.txt"), bytes);
    const LocaleGuard commaSystem{QLocale(QLocale::Italian)}; // files keep "."

    Observations read;
    QCOMPARE(addFile(read, path("R Leo.txt")), QString());
    QCOMPARE(describe(read), expected);
    QCOMPARE(read.files.size(), size_t(1));
    QCOMPARE(read.files[0].path, path("R Leo.txt"));
    QCOMPARE(read.files[0].own, own);
}

void TestObservations::dateForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected"); // observations, then skipped lines
    QTest::addColumn<int>("form");

    const QString rLeo = "R Leo %1 12±na " + UnknownBand + "  []";
    QTest::newRow("JD - 2400000") << QByteArray("47003.5684 12\n")
                                  << QStringList{rLeo.arg("2447003.56840")} << int(DateForm::Reduced);
    QTest::newRow("MJD named by a line of text") << QByteArray("Data (MJD) mag\n60000.25 12\n")
                                                 << QStringList{rLeo.arg("2460000.75000"), "1: " + NotData}
                                                 << int(DateForm::Modified);
    QTest::newRow("mjd named by a comment") << QByteArray("# mjd,V\n60000.5 12\n")
                                            << QStringList{rLeo.arg("2460001.00000")} << int(DateForm::Modified);
    QTest::newRow("a longer word is no MJD") << QByteArray("# MJDs\n60000.5 12\n")
                                             << QStringList{rLeo.arg("2460000.50000")} << int(DateForm::Reduced);
    QTest::newRow("MJD named after the first date")
        << QByteArray("60000.5 12\n# MJD\n60001.5 12\n")
        << QStringList{rLeo.arg("2460000.50000"), rLeo.arg("2460001.50000")} << int(DateForm::Reduced);
    QTest::newRow("the range's ends")
        << QByteArray("9999.99 12\n100000.01 12\n10000 12\n100000 12\n")
        << QStringList{rLeo.arg("2410000.00000"), rLeo.arg("2500000.00000"), "1: " + BadDate, "2: " + BadDate}
        << int(DateForm::Reduced);
    QTest::newRow("the first date gives the form")
        << QByteArray("2460000.5 12\n60001.5 12\n") << QStringList{rLeo.arg("2460000.50000"), "2: " + BadDate}
        << int(DateForm::Julian);
}

void TestObservations::dateForms()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QFETCH(int, form);
    putBytes(path("R Leo.txt"), bytes);
    Observations read;
    QCOMPARE(addFile(read, path("R Leo.txt")), QString());
    QCOMPARE(describe(read), expected);
    QCOMPARE(int(read.files[0].dates), form);
}

void TestObservations::unreadableLine_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("reason");

    const QByteArray db = DatabaseHeader; // its records end with Star Name
    QTest::newRow("date with a letter") << OwnHeader << record("A,2460000.5x,12.1,0.01,V") << BadDate;
    QTest::newRow("infinite date") << OwnHeader << record("A,inf,12.1,0.01,V") << BadDate;
    QTest::newRow("date before the Julian period") << OwnHeader << record("A,-0.5,12.1,0.01,V") << BadDate;
    QTest::newRow("date too far ahead") << OwnHeader << record("A,1e7,12.1,0.01,V") << BadDate;
    QTest::newRow("placeholder magnitude") << OwnHeader << record("A,2460000.5,99.999,0.01,V") << BadMagnitude;
    QTest::newRow("fainter than nothing") << OwnHeader << record("A,2460000.5,<,0.01,V") << BadMagnitude;
    QTest::newRow("negative error") << OwnHeader << record("A,2460000.5,12.1,-0.01,V") << BadError;
    QTest::newRow("error just over the range") << OwnHeader << record("A,2460000.5,12.1,10,V") << BadError;
    QTest::newRow("no star") << OwnHeader << record("na,2460000.5,12.1,0.01,V") << MissingStar;
    QTest::newRow("no filter") << OwnHeader << record(" A,2460000.5,12.1,0.01, NA ") << MissingBand;
    QTest::newRow("14 fields") << OwnHeader << QByteArray("A,2460000.5,12.1,0.01,V,,,,,,,,,\n") << WrongFieldCount.arg(14).arg(15);
    QTest::newRow("16 fields") << OwnHeader << QByteArray("A,2460000.5,12.1,0.01,V,,,,,,,,,,,\n") << TooManyFields.arg(15);
    QTest::newRow("database: quote left open") << db << QByteArray("\"2460000.5,12.3,,,V,ABC,,,,,,A\n") << BadQuotes;
    QTest::newRow("database: text after a quote") << db << QByteArray("\"2460000.5\"x,12.3,,,V,ABC,,,,,,A\n") << BadQuotes;
    QTest::newRow("database: short line") << db << QByteArray("2460000.5,12.3,,,V,ABC,,,,,\n") << WrongFieldCount.arg(11).arg(12);
    QTest::newRow("database: no star") << db << QByteArray("2460000.5,12.3,,,V,ABC,,,,,, \n") << MissingStar;
    QTest::newRow("database: no band") << db << QByteArray("2460000.5,12.3,,,,ABC,,,,,,A\n") << MissingBand;
    QTest::newRow("database: decimal comma") << db << QByteArray("\"2460000,5\",12.3,,,V,ABC,,,,,,A\n") << BadDate;
    QTest::newRow("database: error not a number") << db << QByteArray("2460000.5,12.3,x,,V,ABC,,,,,,A\n") << BadError;
}

// The line is skipped, with its number and reason, and the lines around it read.
void TestObservations::unreadableLine()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, line);
    QFETCH(QString, reason);
    const QByteArray good = header == OwnHeader ? record("A,2460000.5,12.1,0.01,V")
                                                : QByteArray("2460000.5,12.1,0.01,,V,ABC,,,,,,A\n");
    putBytes(path("in.txt"), header + good + line + good);

    Observations read;
    QCOMPARE(addFile(read, path("in.txt")), QString());
    QCOMPARE(read.observations.size(), size_t(2));
    const qint64 number = header.count('\n') + 2;
    QCOMPARE(describe(read).mid(2), QStringList{QStringLiteral("%1: %2").arg(number).arg(reason)});
}

void TestObservations::refused_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    const QString prefix = Refused.arg("x.txt", QString());
    const QString neither = prefix + NoObservations;
    QTest::newRow("missing") << int(Missing) << QByteArray() << prefix + NoSuchFile;
    QTest::newRow("folder") << int(Folder) << QByteArray() << prefix + IsFolder;
    QTest::newRow("pipe") << int(Fifo) << QByteArray() << prefix + NotRegularFile;
    QTest::newRow("link to a pipe") << int(LinkToFifo) << QByteArray() << prefix + NotRegularFile;
    QTest::newRow("device") << int(Device) << QByteArray() << prefix + NotRegularFile;
    QTest::newRow("over 1 GiB") << int(Huge) << QByteArray() << prefix + OverOneGiB;
    QTest::newRow("empty") << int(Bytes) << QByteArray() << neither;
    QTest::newRow("text and comments") << int(Bytes) << QByteArray("# R Leo\nMisura del 12 marzo\n2024 12\n") << neither;
    QTest::newRow("visual format") << int(Bytes) << QByteArray("#TYPE=VISUAL\n#DELIM=,\n") << neither;
    QTest::newRow("record before TYPE")
        << int(Bytes) << QByteArray("#DELIM=,\nA,2460000.5,12.1,na,V,na,na,na,na,na,na,na,na,na,na\n#TYPE=EXTENDED\n")
        << neither;
    QTest::newRow("no TYPE at all") << int(Bytes) << QByteArray("#OBSCODE=ABC\n") << neither;
    QTest::newRow("database without Band")
        << int(Bytes) << QByteArray("JD,Magnitude,Uncertainty,Observer Code,Star Name\n2460000.5,1,,A,B\n")
        << neither;
    QTest::newRow("EXCEL dates") << int(Bytes) << QByteArray("#TYPE=EXTENDED\n#DATE=excel\n")
                                 << prefix + ExcelDates;
    QTest::newRow("other dates") << int(Bytes) << QByteArray("#TYPE=EXTENDED\n#DATE= MJD \n")
                                 << prefix + UnknownDates.arg("MJD");
    QTest::newRow("other delimiter") << int(Bytes) << QByteArray("#TYPE=EXTENDED\n#DELIM=colon\n")
                                     << prefix + UnknownDelimiter.arg("colon");
    QTest::newRow("pound as delimiter") << int(Bytes) << QByteArray("#TYPE=EXTENDED\n#DELIM=#\n")
                                        << prefix + UnknownDelimiter.arg("#");
    QTest::newRow("more unreadable lines than a file may have")
        << int(Bytes) << QByteArray("#TYPE=EXTENDED\n") + QByteArray("x\n").repeated(100001)
        << prefix + TooManyUnreadable.arg(100000);
}

void TestObservations::refused()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString target = path("x.txt");
    std::optional<FifoWatchdog> watchdog; // a reader that blocks fails instead of hanging
    switch (Kind(kind)) {
    case Bytes: putBytes(target, bytes); break;
    case Missing: break;
    case Folder: QVERIFY(QDir().mkdir(target)); break;
    case Fifo:
        makeFifo(target);
        watchdog.emplace(target);
        break;
    case LinkToFifo:
        makeFifo(path("fifo"));
        QVERIFY(QFile::link(path("fifo"), target));
        watchdog.emplace(path("fifo"));
        break;
    case Device: QVERIFY(QFile::link("/dev/zero", target)); break;
    case Huge: {
        QFile huge(target); // sparse: no real gigabyte is written
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize((qint64(1) << 30) + 1));
        break;
    }
    }

    Observations shown;
    putBytes(path("shown.txt"), OwnHeader + record("A,2460000.5,12.1,0.01,V") + "A,bad\r\n");
    QCOMPARE(addFile(shown, path("shown.txt")), QString());
    const QStringList before = describe(shown);
    const QStringList textsBefore = shown.texts;

    QCOMPARE(addFile(shown, target), message);
    QCOMPARE(describe(shown), before);
    QCOMPARE(shown.texts, textsBefore);
    QCOMPARE(shown.files.size(), size_t(1));
}

void TestObservations::wideText_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cut"); // bytes left off the end
    QTest::addColumn<QString>("problem");

    const QString note = QString::fromUtf8("nota è \U0001F600");
    const QString start = "A,2460000.5,12.1,0.01,V," + QString("na,").repeated(9);
    const QString small = QString::fromLatin1(OwnHeader) + record("V612 Sct,2460000.5,12.1,0.01,V") + start + note + "\r\n";
    // The pair's first half ends the first piece: after the mark, at unit PieceSize / 2 - 2.
    const qsizetype pairAt = PieceSize / 2 - 2;
    QString large = QString::fromLatin1(OwnHeader);
    while (large.size() < pairAt - 200)
        large += record("V612 Sct,2460000.5,12.1,0.01,V");
    large += '#' + QString(pairAt - large.size() - 3 - start.size(), 'x') + "\r\n" + start + note.right(2) + "\r\n";
    QTest::newRow("UTF-16LE") << int(QStringConverter::Utf16LE) << small << 0 << QString();
    QTest::newRow("UTF-16BE") << int(QStringConverter::Utf16BE) << small << 0 << QString();
    QTest::newRow("UTF-32LE") << int(QStringConverter::Utf32LE) << small << 0 << QString();
    QTest::newRow("UTF-16LE, a pair of surrogates cut between pieces")
        << int(QStringConverter::Utf16LE) << large << 0 << QString();
    QTest::newRow("UTF-16BE ending half way through a character")
        << int(QStringConverter::Utf16BE) << small << 1 << BadText.arg("UTF-16BE");
}

// Text with a byte-order mark is read in its encoding.
void TestObservations::wideText()
{
    QFETCH(int, encoding);
    QFETCH(QString, text);
    QFETCH(int, cut);
    QFETCH(QString, problem);
    QStringEncoder encoder(QStringConverter::Encoding(encoding), QStringConverter::Flag::WriteBom);
    putBytes(path("x.txt"), QByteArray(encoder(text)).chopped(cut));

    Observations read;
    QCOMPARE(addFile(read, path("x.txt")), problem.isEmpty() ? problem : Refused.arg("x.txt", problem));
    if (!problem.isEmpty())
        return;
    Observations expected;
    expected.files.push_back({path("y.txt"), false});
    QCOMPARE(readBytes(expected, 0, text.toUtf8(), "x"), QString());
    QCOMPARE(describe(read), describe(expected));
}

// Read a piece at a time: a CR LF cut between the first two pieces, lone
// CRs, a line of LongestLine read and longer ones skipped (one spanning
// pieces), a last line without its end, the numbering carried on throughout.
void TestObservations::fileOfManyPieces()
{
    const QByteArray line = record("V612 Sct,2460000.5,12.1,0.01,V");
    const QByteArray loneCr = line.chopped(1).replace('\n', "");
    QByteArray bytes = "\xEF\xBB\xBF" + OwnHeader;
    int records = 0;
    for (; bytes.size() < PieceSize - 1000; ++records)
        bytes += line;
    const int exactAt = records;
    bytes += '#' + QByteArray(PieceSize - 2 - bytes.size(), 'x') + "\r\n"; // its CR ends the piece
    const QByteArray exact = record("A,2460000.5,12.1,0.01,V").replace("na\r\n", "");
    bytes += exact + QByteArray(LongestLine - exact.size(), 'n') + '\r';
    const qint64 overCap = bytes.count('\r') + 1;
    bytes += QByteArray(LongestLine + 1, 'x') + '\r';
    for (; bytes.size() < 2 * PieceSize + 1000; ++records)
        bytes += loneCr;
    const qint64 overPiece = bytes.count('\r') + 1;
    bytes += QByteArray(PieceSize + 1, 'x') + '\r' + loneCr + "A,bad";
    putBytes(path("long.txt"), bytes);

    Observations read;
    QCOMPARE(addFile(read, path("long.txt")), QString());
    QCOMPARE(read.observations.size(), size_t(records + 2));
    QCOMPARE(read.note(read.observations[size_t(exactAt)]).size(), LongestLine - exact.size());
    QCOMPARE(describe(read).mid(records + 2),
             (QStringList{QStringLiteral("%1: %2").arg(overCap).arg(TooLong),
                          QStringLiteral("%1: %2").arg(overPiece).arg(TooLong),
                          QStringLiteral("%1: ").arg(overPiece + 2) + WrongFieldCount.arg(2).arg(15)}));
    QVERIFY(read.files[0].own);
}

// A header, then a gigabyte of NULs with no line end: one line skipped, and
// never more than a piece of it in memory.
void TestObservations::gigabyteWithoutLineEnd()
{
    QFile file(path("nul.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(DatabaseHeader) > 0);
    QVERIFY(file.resize(qint64(1) << 30)); // sparse: no real gigabyte is written
    file.close();
    rusage before{};
    getrusage(RUSAGE_SELF, &before);

    Observations read;
    QCOMPARE(addFile(read, file.fileName()), QString());
    QCOMPARE(describe(read), QStringList{"2: " + TooLong});
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    QCOMPARE_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024); // KiB
}

void TestObservations::roomFollowsTheFile_data()
{
    QTest::addColumn<int>("before"); // observations of a file read first
    QTest::addColumn<int>("lines");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("line");
    const QByteArray list = "2460000.12345 12.345\n";
    const QByteArray noted = "2460000.12345,12.345,,,V,ABC,,,,,\"seeing poor, velature\",A\n";
    QTest::newRow("one file") << 0 << 150000 << QByteArray() << list;
    QTest::newRow("after another") << 200000 << 150000 << QByteArray() << list;
    QTest::newRow("a note on every line, in halves") << 0 << 150000 << DatabaseHeader << noted;
}

// The observations and their notes never take much more room than the
// file's own need: a vector doubling as it fills would take up to twice.
void TestObservations::roomFollowsTheFile()
{
    QFETCH(int, before);
    QFETCH(int, lines);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, line);
    putBytes(path("first.txt"), header + line.repeated(before));
    putBytes(path("second.txt"), header + line.repeated(lines));
    Observations read;
    if (before > 0)
        QCOMPARE(addFile(read, path("first.txt")), QString());
    const size_t most = size_t(before + lines) * 9 / 8;
    size_t largest = 0;
    QCOMPARE(addFile(read, path("second.txt"), [&](qint64, qint64) {
                 largest = std::max(largest, read.observations.capacity());
                 return true;
             }),
             QString());
    QCOMPARE(read.observations.size(), size_t(before + lines));
    QVERIFY(largest > 0); // told between pieces
    QCOMPARE_LE(largest, most);
    QCOMPARE_LE(read.observations.capacity(), most);
    QCOMPARE_LE(read.noteEnds.capacity(), read.noteEnds.size() * 9 / 8);
    QCOMPARE_LE(read.noteBytes.capacity(), read.noteBytes.size() * 9 / 8);
}

void TestObservations::starsAcrossFiles()
{
    putBytes(path("own.txt"), OwnHeader + record("V612 Sct,2460000.5,12.1,0.01,V")
                                  + record("RR Lyr,2460000.5,7.1,0.01,V")
                                  + record("SS Cyg,2460000.5,9.1,0.01,B"));
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

void TestObservations::halvesReadAsOne_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("middle"); // where the second half is sought

    const std::pair<const char *, Shape> shapes[] = {
        {"extended", Shape::Extended}, {"download", Shape::Download},
        {"delimited", Shape::Delimited}, {"list", Shape::List}};
    for (const auto &[name, shape] : shapes) {
        const QByteArray bytes = shapeHeader(shape) + shapeLines(shape, 0, 3000);
        QTest::addRow("%s, a third in", name) << bytes << qint64(bytes.size() / 3);
        QTest::addRow("%s, in the last line", name) << bytes << qint64(bytes.size() - 5);
        QTest::addRow("%s, in the first line", name) << bytes << qint64(1);
        QTest::addRow("%s, header alone", name) << shapeHeader(shape) << qint64(2);
    }

    const QByteArray list = shapeHeader(Shape::List) + shapeLines(Shape::List, 0, 200);
    QTest::newRow("on a CR LF's CR") << list << qint64(list.indexOf('\r', list.size() / 2));
    QTest::newRow("on a CR LF's LF") << list << qint64(list.indexOf('\n', list.size() / 2));
    QTest::newRow("in a last line without its end") << list.chopped(2) << qint64(list.size() - 6);
    QByteArray loneCr = list;
    loneCr.replace("\r\n", "\r");
    QTest::newRow("lone CRs") << loneCr << qint64(loneCr.size() / 2);
    const QByteArray bom = list + "\xEF\xBB\xBF" + shapeLines(Shape::List, 200, 200);
    QTest::newRow("a byte-order mark after the split") << bom << qint64(list.size() - 2);

    const QByteArray own = OwnHeader + shapeLines(Shape::Extended, 0, 100);
    const QByteArray longLine = QByteArray(LongestLine + 1, 'x') + "\r\n";
    const QByteArray exact = record("A,2460000.5,12.1,0.01,V").replace("na\r\n", "");
    const QByteArray exactLine = exact + QByteArray(LongestLine - exact.size(), 'n') + "\r\n";
    const QByteArray rest = shapeLines(Shape::Extended, 100, 100);
    QTest::newRow("a line over the longest after the split") << own + longLine + rest << qint64(own.size() - 3);
    QTest::newRow("in a line over the longest") << own + longLine + rest << qint64(own.size() + 10);
    QTest::newRow("the longest line after the split") << own + exactLine + rest << qint64(own.size() - 3);
    QTest::newRow("in the longest line") << own + exactLine + rest << qint64(own.size() + 10);

    QTest::newRow("EXCEL dates named in the second half")
        << own + "#DATE=EXCEL\r\n" + rest << qint64(own.size() / 2);
    QTest::newRow("the format named after the split")
        << "#OBSCODE=DEF\r\n" + own << qint64(1);
    QTest::newRow("dates named at the split") << own + "#DATE=HJD\r\n" + rest << qint64(own.size() - 3);

    // Each half within the limit, both beyond it; and both within it.
    const QByteArray db = shapeHeader(Shape::Download) + shapeLines(Shape::Download, 0, 3); // all read
    const QByteArray bad = QByteArray("2460000.5,x,,,V,ABC,,,,,,,A\n");
    const QByteArray overLimit = db + bad.repeated(int(MostSkippedLines) + 1);
    QTest::newRow("unreadable lines over the limit, halves within it") << overLimit << qint64(overLimit.size() / 2);
    const QByteArray atLimit = db + bad.repeated(int(MostSkippedLines));
    QTest::newRow("unreadable lines at the limit") << atLimit << qint64(atLimit.size() / 2);

    // The observer changes after the first piece, before the second half.
    QByteArray renamed = OwnHeader + shapeLines(Shape::Extended, 0, 20000);
    const qint64 renamedAt = renamed.size();
    renamed += "#OBSCODE=XYZ\r\n" + shapeLines(Shape::Extended, 20000, 3000);
    QTest::newRow("observer renamed in the first half") << renamed << qint64(renamedAt + 1000);
    QVERIFY(renamedAt > PieceSize);
}

// Whatever the shape and wherever the split, the two halves read on two
// threads leave what one thread leaves, down to indices, line numbers and
// the answer; after observations of an earlier file.
void TestObservations::halvesReadAsOne()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, middle);
    Observations one;
    QCOMPARE(readBytes(one, 0, shapeHeader(Shape::Download) + shapeLines(Shape::Download, 5, 40), "a"), QString());
    one.files.push_back({"a", false});
    one.files.push_back({"b", false});
    Observations halves = one;

    const QString answer = readBytes(one, 1, bytes, "x");
    const QString halvesAnswer = readBytes(halves, 1, bytes, "x", middle);
    // What a refused file left is taken back by addFile: only the answer counts.
    if (!answer.isEmpty())
        QCOMPARE(halvesAnswer, answer);
    else
        QCOMPARE(everything(halves, halvesAnswer), everything(one, answer));
}

// A file large enough is read in halves; the same as bytes read on one thread.
void TestObservations::largeFileInHalves()
{
    QByteArray bytes = shapeHeader(Shape::Download);
    for (int first = 0; bytes.size() < 5 * PieceSize; first += 1000)
        bytes += shapeLines(Shape::Download, first, 1000);
    putBytes(path("large.csv"), bytes);
    Observations one;
    one.files.push_back({path("large.csv"), false});
    const QString answer = readBytes(one, 0, bytes, "large");
    QCOMPARE(answer, QString());

    Observations read;
    QCOMPARE(addFile(read, path("large.csv")), QString());
    QCOMPARE(everything(read, QString()), everything(one, answer));
}

void TestObservations::numbersAsFromChars_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("minus zero") << QByteArray("-0");
    QTest::newRow("2^53") << QByteArray("9007199254740992");
    QTest::newRow("2^53 + 1, rounded") << QByteArray("9007199254740993");
    QTest::newRow("exponent") << QByteArray("1e5");
    QTest::newRow("a minus alone") << QByteArray("-");
    QTest::newRow("plus") << QByteArray("+1");
    QTest::newRow("two points") << QByteArray("1.2.3");
    QTest::newRow("letter after") << QByteArray("12x");
    QTest::newRow("infinity") << QByteArray("inf");
}

// Whatever the form, the value is from_chars' own, bit for bit, or none
// where it gives none or no finite number.
void TestObservations::numbersAsFromChars()
{
    QFETCH(QByteArray, field);
    double expected = 0;
    const char *const end = field.constData() + field.size();
    const auto [stop, error] = std::from_chars(field.constData(), end, expected);
    const bool readable = error == std::errc() && stop == end && std::isfinite(expected);
    double value = 0;
    QCOMPARE(readNumber(std::string_view(field.constData(), size_t(field.size())), value), readable);
    if (readable)
        QCOMPARE(QByteArray::number(value, 'a'), QByteArray::number(expected, 'a'));
}

// Plain decimals of every length and place of the point, in their thousands.
void TestObservations::numbersOfEveryLength()
{
    std::mt19937_64 random(11);
    for (int i = 0; i < 200000; ++i) {
        const int digits = 1 + int(random() % 21);
        std::string text = i % 2 ? "-" : "";
        for (int d = 0; d < digits; ++d)
            text += char('0' + random() % 10);
        const size_t point = random() % size_t(digits + 1);
        if (point > 0 && point < size_t(digits))
            text.insert(text.size() - point, 1, '.');
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        double value = 0;
        if (!readNumber(text, value) || std::memcmp(&value, &expected, sizeof value) != 0)
            QFAIL(text.c_str());
    }
}

// The first of two bytes, wherever it lies in a word of eight or after the
// last whole word, among bytes of every value.
void TestObservations::firstOfTwoBytes()
{
    for (size_t length = 0; length <= 20; ++length) {
        for (size_t at = 0; at <= length; ++at) {
            for (const char wanted : {',', '"', '\\'}) {
                std::string text(length, '\0');
                for (size_t i = 0; i < length; ++i) // never the wanted bytes
                    text[i] = char(i % 3 == 0 ? 0xAC : i % 3 == 1 ? 0x2D : 0xFF);
                if (at < length)
                    text[at] = wanted;
                const char *found = findEither(text.data(), text.data() + length, '"', wanted == '"' ? ',' : wanted);
                if (size_t(found - text.data()) != at)
                    QFAIL(qPrintable(QStringLiteral("%1 in %2 at %3: %4").arg(wanted).arg(length).arg(at).arg(found - text.data())));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestObservations)
#include "tst_observations.moc"
