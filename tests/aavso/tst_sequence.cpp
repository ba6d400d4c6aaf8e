// Comparison sequences in both of the VSP's formats, the files refused, the
// positions they write, and the sequence band each image band takes.

#include "aavso/observations.h"
#include "aavso/sequence.h"

#include "support/diskfiles.h"
#include "support/fifo.h"

#include <QTest>

#include <cmath>

using namespace Aavso;
using OptionalNumber = std::optional<double>;
Q_DECLARE_METATYPE(OptionalNumber)

namespace {

// 16:39:06.43 and +09:47:55.3 in degrees.
constexpr double Ra = (16 + 39 / 60.0 + 6.43 / 3600) * 15;
constexpr double Dec = 9 + 47 / 60.0 + 55.3 / 3600;

const QByteArray Json = R"({"chartid": "X27839BZ", "star": "V1234 Her", "ra": "16:39:06.43",
  "dec": "+09:47:55.3", "photometry": [
  {"auid": "000-BCD-001", "label": "112", "ra": "16:38:50.12", "dec": "09:40:01.0", "comments": "",
   "bands": [{"band": "V", "mag": 11.234, "error": 0.031}, {"band": "B", "mag": 12.001, "error": null}]},
  {"auid": "000-BCD-002", "label": 98, "ra": "249.5", "dec": "-0.25", "comments": "For Visual use only",
   "bands": [{"band": "V", "mag": "9.8", "error": null}]},
  {"auid": "000-BCD-003", "label": "x", "ra": "nowhere", "dec": "+09:00:00", "comments": "", "bands": []}]})";

const QByteArray Csv = "AUID,RA,Dec,Label,Band,Mag,Error,Comments\r\n"
                       "000-BCD-001,16:38:50.12,+09:40:01.0,112,V,11.234,0.031,\r\n"
                       "000-BCD-004,16 39 20.00,+09 50 00,125,V,12.5,,\"says \"\"check\"\", visual\"\r\n"
                       "000-BCD-001,16:38:50.12,+09:40:01.0,112,B,12.001,,\r\n";

} // namespace

class TestSequence : public QObject, FolderFixture
{
    Q_OBJECT

private slots:
    void init() { newFolder(); }

    void positions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("rightAscension");
        QTest::addColumn<OptionalNumber>("degrees");
        QTest::newRow("RA colons") << "16:39:06.43" << true << OptionalNumber(Ra);
        QTest::newRow("RA spaces") << " 16 39  06.43 " << true << OptionalNumber(Ra);
        QTest::newRow("RA minutes only") << "16:39.5" << true << OptionalNumber(249.875);
        QTest::newRow("RA decimal degrees") << "249.7768" << true << OptionalNumber(249.7768);
        QTest::newRow("RA 24 h") << "24:00:00" << true << OptionalNumber();
        QTest::newRow("RA 360 degrees") << "360" << true << OptionalNumber();
        QTest::newRow("RA 60 minutes") << "12:60:00" << true << OptionalNumber();
        QTest::newRow("RA negative") << "-01:00:00" << true << OptionalNumber();
        QTest::newRow("RA four parts") << "1:2:3:4" << true << OptionalNumber();
        QTest::newRow("RA decimals before seconds") << "16.5:39:06" << true << OptionalNumber();
        QTest::newRow("Dec signed") << "+09:47:55.3" << false << OptionalNumber(Dec);
        QTest::newRow("Dec unsigned") << "09 47 55.3" << false << OptionalNumber(Dec);
        QTest::newRow("Dec minus zero degrees") << "-00:30:00" << false << OptionalNumber(-0.5);
        QTest::newRow("Dec pole") << "-90:00:00" << false << OptionalNumber(-90.0);
        QTest::newRow("Dec past pole") << "90:00:01" << false << OptionalNumber();
        QTest::newRow("Dec decimal") << "-12.5" << false << OptionalNumber(-12.5);
        QTest::newRow("Dec 60 seconds") << "+10:00:60" << false << OptionalNumber();
        QTest::newRow("Dec word") << "north" << false << OptionalNumber();
    }

    void positions()
    {
        QFETCH(QString, text);
        QFETCH(bool, rightAscension);
        QFETCH(OptionalNumber, degrees);
        const OptionalNumber read = rightAscension ? parseRightAscension(text) : parseDeclination(text);
        QCOMPARE(read.has_value(), degrees.has_value());
        if (degrees)
            QVERIFY2(std::abs(*read - *degrees) < 1e-9, qPrintable(QString::number(*read, 'f', 10)));
    }

    void labelsReadBack()
    {
        // Written to 0.1 s and 1": read back within half of that.
        for (double ra = 0.013; ra < 360; ra += 7.77)
            QVERIFY(std::abs(*parseRightAscension(formatRightAscension(ra)) - ra) <= 0.05 * 15 / 3600 + 1e-12);
        for (double dec = -89.99; dec < 90; dec += 3.33)
            QVERIFY(std::abs(*parseDeclination(formatDeclination(dec)) - dec) <= 0.5 / 3600 + 1e-12);
    }

    void json()
    {
        // A VSP answer as saved, positions in either notation, a null error.
        putBytes(path("chart.json"), Json);
        const SequenceRead read = readSequence(path("chart.json"));
        QVERIFY2(read.sequence, qPrintable(read.problem));
        const Sequence &sequence = *read.sequence;
        QCOMPARE(sequence.chartId, "X27839BZ");
        QCOMPARE(sequence.variable, "V1234 Her");
        QVERIFY(std::abs(sequence.variablePosition->ra - Ra) < 1e-9);
        QVERIFY(std::abs(sequence.variablePosition->dec - Dec) < 1e-9);
        QCOMPARE(sequence.stars.size(), 2u); // the third has no position
        const SequenceStar &first = sequence.stars[0];
        QCOMPARE(first.auid, "000-BCD-001");
        QCOMPARE(first.label, "112");
        QCOMPARE(first.bands.at("V").magnitude, 11.234);
        QCOMPARE(first.bands.at("V").error, 0.031);
        QVERIFY(!first.bands.at("B").error);
        QVERIFY(!reservedForVisual(first));
        const SequenceStar &second = sequence.stars[1];
        QCOMPARE(second.label, "98");
        QCOMPARE(second.position.ra, 249.5);
        QCOMPARE(second.position.dec, -0.25);
        QCOMPARE(second.bands.at("V").magnitude, 9.8);
        QVERIFY(reservedForVisual(second));
    }

    void csv()
    {
        putBytes(path("X27839BZ.csv"), Csv);
        const SequenceRead read = readSequence(path("X27839BZ.csv"));
        QVERIFY2(read.sequence, qPrintable(read.problem));
        QCOMPARE(read.sequence->chartId, "X27839BZ");
        QVERIFY(read.sequence->variable.isEmpty());
        QVERIFY(!read.sequence->variablePosition);
        QCOMPARE(read.sequence->stars.size(), 2u);
        const SequenceStar &first = read.sequence->stars[0];
        QCOMPARE(first.bands.size(), 2u); // two rows, one star
        QCOMPARE(first.bands.at("B").magnitude, 12.001);
        QVERIFY(!first.bands.at("B").error);
        const SequenceStar &second = read.sequence->stars[1];
        QCOMPARE(second.comments, "says \"check\", visual");
        QVERIFY(reservedForVisual(second));
        QVERIFY(std::abs(second.position.ra - 249.8333333333) < 1e-9);
        QCOMPARE(second.position.dec, 9 + 50 / 60.0);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: see the row
        QTest::addColumn<QString>("reason");   // empty: not a sequence
        QTest::newRow("missing") << QByteArray() << LightCurve::NoSuchFile;
        QTest::newRow("folder") << QByteArray() << LightCurve::IsFolder;
        QTest::newRow("pipe") << QByteArray() << LightCurve::NotRegularFile;
        QTest::newRow("empty") << QByteArray("") << QString();
        QTest::newRow("prose") << QByteArray("Stelle di confronto:\nA 11.2\n") << QString();
        QTest::newRow("broken JSON") << Json.left(200) << QString();
        QTest::newRow("JSON without stars") << QByteArray(R"({"chartid": "X1", "photometry": []})") << QString();
        QTest::newRow("CSV header only") << Csv.left(Csv.indexOf('\n') + 1) << QString();
        QTest::newRow("CSV without Mag") << QByteArray("AUID,RA,Dec,Label,Band\n1,1,1,1,V\n") << QString();
    }

    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString file = path("sequence.csv");
        const QString tag = QTest::currentDataTag();
        std::unique_ptr<FifoWatchdog> watchdog;
        if (tag == "folder") {
            QVERIFY(QDir().mkdir(file));
        } else if (tag == "pipe") {
            makeFifo(file);
            watchdog = std::make_unique<FifoWatchdog>(file);
        } else if (tag != "missing") {
            putBytes(file, bytes);
        }
        const SequenceRead read = readSequence(file);
        QVERIFY(!read.sequence);
        QCOMPARE(read.problem, reason.isEmpty() ? NotSequence.arg("sequence.csv")
                                                : LightCurve::Refused.arg("sequence.csv", reason));
    }

    void bandForImage_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<OptionalNumber>("magnitude");
        QTest::newRow("V") << "V" << OptionalNumber(10.0);
        QTest::newRow("clear takes V") << "CV" << OptionalNumber(10.0);
        QTest::newRow("green takes V") << "TG" << OptionalNumber(10.0);
        QTest::newRow("B") << "B" << OptionalNumber(11.0);
        QTest::newRow("blue takes B") << "TB" << OptionalNumber(11.0);
        QTest::newRow("R prefers Rc") << "R" << OptionalNumber(9.5);
        QTest::newRow("Rc by name") << "Rc" << OptionalNumber(9.5);
        QTest::newRow("red takes Rc") << "TR" << OptionalNumber(9.5);
        QTest::newRow("I without Ic") << "I" << OptionalNumber(9.0);
        QTest::newRow("SG from g'") << "SG" << OptionalNumber(10.5);
        QTest::newRow("SR as SR") << "SR" << OptionalNumber(9.8);
        QTest::newRow("SI missing") << "SI" << OptionalNumber();
        QTest::newRow("U missing") << "U" << OptionalNumber();
        QTest::newRow("H-alpha none") << "HA" << OptionalNumber();
        QTest::newRow("no filter") << "" << OptionalNumber();
    }

    void bandForImage()
    {
        QFETCH(QString, filter);
        QFETCH(OptionalNumber, magnitude);
        SequenceStar star;
        for (const auto &[band, value] : {std::pair{"V", 10.0}, {"B", 11.0}, {"Rc", 9.5}, {"R", 9.4},
                                          {"I", 9.0}, {"g'", 10.5}, {"SR", 9.8}, {"J", 8.0}})
            star.bands[band] = {value, std::nullopt};
        const SequenceMagnitude *found = magnitudeFor(star, filter);
        QCOMPARE(found ? std::optional(found->magnitude) : std::nullopt, magnitude);
    }
};

QTEST_GUILESS_MAIN(TestSequence)
#include "tst_sequence.moc"
