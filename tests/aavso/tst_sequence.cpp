// Comparison sequences in both of the VSP's formats, the files refused, the
// positions they write, and the sequence band each image band takes.

#include "aavso/observations.h"
#include "aavso/sequence.h"

#include "support/diskfiles.h"
#include "support/fifo.h"

#include <QStringEncoder>
#include <QTest>

#include <cmath>

using namespace Aavso;
using Number = std::optional<double>;
Q_DECLARE_METATYPE(Number)
Q_DECLARE_METATYPE(QStringConverter::Encoding)

namespace {

constexpr double Ra = (16 + 39 / 60.0 + 6.43 / 3600) * 15; // 16:39:06.43
constexpr double Dec = 9 + 47 / 60.0 + 55.3 / 3600;         // +09:47:55.3

// A VSP answer: positions in either notation, a null error, a label as a
// number, a star without a position.
const QByteArray Json = R"({"chartid": "X27839BZ", "star": "V1234 Her", "ra": "16:39:06.43", "dec": "+09:47:55.3",
  "photometry": [{"auid": "000-BCD-001", "label": "112", "ra": "16:38:50.12", "dec": "09:40:01.0", "comments": "",
                  "bands": [{"band": "V", "mag": 11.234, "error": 0.031}, {"band": "B", "mag": 12.0, "error": null}]},
                 {"auid": "000-BCD-002", "label": 98, "ra": "249.5", "dec": "-0.25", "comments": "Visual only",
                  "bands": [{"band": "V", "mag": "9.8", "error": null}]},
                 {"auid": "000-BCD-003", "label": "x", "ra": "nowhere", "dec": "+09:00:00", "comments": "", "bands": []}]})";

// Two rows of one star; a quoted comment; empty errors.
const QByteArray Csv = "AUID,RA,Dec,Label,Band,Mag,Error,Comments\r\n"
                       "000-BCD-001,16:38:50.12,+09:40:01.0,112,V,11.234,0.031,\r\n"
                       "000-BCD-004,16 39 20.00,+09 50 00,125,V,12.5,,\"says \"\"check\"\", visual\"\r\n"
                       "000-BCD-001,16:38:50.12,+09:40:01.0,112,B,12.0,,\r\n";

// Each star's bands and notes, and the chart's names, or why the file was refused.
QString described(const SequenceRead &read)
{
    if (!read.sequence)
        return read.problem;
    QStringList parts{read.sequence->chartId, read.sequence->variable};
    for (const SequenceStar &star : read.sequence->stars) {
        parts << star.auid << star.label << star.comments;
        for (const auto &[band, magnitude] : star.bands)
            parts << band + u'=' + QString::number(magnitude.magnitude) + u'~' + QString::number(magnitude.error.value_or(-1));
        for (const auto &[band, note] : star.notes)
            parts << band + u':' + note;
    }
    return parts.join(u'|');
}

// One star, one row per band and magnitude as written, in either format.
QByteArray starCsv(const QList<std::pair<QString, QString>> &bands)
{
    QByteArray csv = "AUID,RA,Dec,Label,Band,Mag,Error\n";
    for (const auto &[band, magnitude] : bands)
        csv += "000-BCD-001,16:38:50.12,+09:40:01.0,112," + band.toUtf8() + ",\"" + magnitude.toUtf8() + "\",\""
            + magnitude.toUtf8() + "\"\n";
    return csv;
}

QByteArray starJson(const QList<std::pair<QString, QString>> &bands)
{
    QByteArrayList entries;
    for (const auto &[band, magnitude] : bands)
        entries << R"({"band": ")" + band.toUtf8() + R"(", "mag": ")" + magnitude.toUtf8() + R"(", "error": ")"
                + magnitude.toUtf8() + "\"}";
    return R"({"chartid": "X1", "photometry": [{"auid": "000-BCD-001", "label": "112", "ra": "16:38:50.12",
             "dec": "+09:40:01.0", "bands": [)" + entries.join(", ") + "]}]}";
}

} // namespace

class TestSequence : public QObject, FolderFixture
{
    Q_OBJECT

private slots:
    void init() { newFolder(); }

    void positions_data()
    {
        QTest::addColumn<QString>("ra");
        QTest::addColumn<QString>("dec");
        QTest::addColumn<Number>("raDegrees");
        QTest::addColumn<Number>("decDegrees");
        QTest::newRow("minutes last, minus zero") << "16:39.5" << "-00:30" << Number(249.875) << Number(-0.5);
        QTest::newRow("past the range") << "24:00:00" << "90:00:01" << Number() << Number();
        QTest::newRow("decimals first, four parts") << "16.5:39:06" << "1:2:3:4" << Number() << Number();
        QTest::newRow("60 minutes, 60 seconds") << "12:60:00" << "+10:00:60" << Number() << Number();
    }

    void positions()
    {
        QFETCH(QString, ra);
        QFETCH(QString, dec);
        QFETCH(Number, raDegrees);
        QFETCH(Number, decDegrees);
        for (const auto &[read, expected] : {std::pair{Sky::parseRightAscension(ra), raDegrees}, {Sky::parseDeclination(dec), decDegrees}})
            QVERIFY(read.has_value() == expected.has_value() && (!expected || std::abs(*read - *expected) < 1e-9));
    }

    void json()
    {
        putBytes(path("chart.json"), Json);
        const std::optional<Sequence> read = readSequence(path("chart.json")).sequence;
        QVERIFY(read && read->variablePosition && read->stars.size() == 2);
        QCOMPARE(read->chartId + read->variable, "X27839BZV1234 Her");
        QVERIFY(std::abs(read->variablePosition->ra - Ra) + std::abs(read->variablePosition->dec - Dec) < 1e-9);
        const SequenceStar &first = read->stars[0], &second = read->stars[1];
        QCOMPARE(first.auid + first.label, "000-BCD-001112");
        QCOMPARE(first.bands.at("V").error, 0.031);
        QVERIFY(!first.bands.at("B").error && !reservedForVisual(first) && reservedForVisual(second));
        QCOMPARE(second.label + QString::number(second.bands.at("V").magnitude), "989.8");
        QCOMPARE(std::pair(second.position.ra, second.position.dec), std::pair(249.5, -0.25));
    }

    void csv()
    {
        putBytes(path("X27839BZ.csv"), Csv);
        const std::optional<Sequence> read = readSequence(path("X27839BZ.csv")).sequence;
        QVERIFY(read && read->variable.isEmpty() && !read->variablePosition && read->stars.size() == 2);
        QCOMPARE(read->chartId, "X27839BZ");
        QCOMPARE(read->stars[0].bands.at("B").magnitude, 12.0);
        QVERIFY(!read->stars[0].bands.at("B").error);
        QCOMPARE(read->stars[1].comments, "says \"check\", visual");
        const Sky::Position &spaced = read->stars[1].position; // 16 39 20.00, +09 50 00
        QVERIFY(std::abs(spaced.ra - (249.75 + 5 / 60.0)) + std::abs(spaced.dec - (9 + 50 / 60.0)) < 1e-9);
    }

    void refused_data()
    {
        using namespace Aavso::LightCurve;
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem"); // %1: the file's name
        const QString f = QStringLiteral("%1");
        QTest::newRow("missing") << QByteArray() << Refused.arg(f, NoSuchFile);
        QTest::newRow("folder") << QByteArray() << Refused.arg(f, IsFolder);
        QTest::newRow("pipe") << QByteArray() << Refused.arg(f, NotRegularFile);
        QTest::newRow("empty") << QByteArray("") << NotSequence;
        QTest::newRow("prose") << QByteArray("Stelle di confronto:\nA 11.2\n") << NotSequence;
        QTest::newRow("JSON without stars") << QByteArray(R"({"chartid": "X1", "photometry": []})") << NotSequence;
        QTest::newRow("CSV without Mag") << QByteArray("AUID,RA,Dec,Label,Band\n1,1,1,1,V\n") << NotSequence;
        // A closed quote over two lines before: the line is the file's, not the table's row.
        const QByteArray open = "AUID,RA,Dec,Label,Band,Mag,Comments\r\n1,16:38:50,+09:40:01,1,V,11.2,\"two\r\nlines\"\r\n"
                                "2,16:39:20,+09:50:00,2,V,12.5,\"never closed\r\n3,16:39:30,+09:50:00,3,V,13.0,\r\n";
        QTest::newRow("quote never closed, CR LF") << open << OpenQuote.arg(f, "4");
        QTest::newRow("quote never closed, lone CR") << QByteArray(open).replace("\r\n", "\r") << OpenQuote.arg(f, "4");
        QTest::newRow("UTF-16 cut off") << QByteArray("\xFE\xFF\0A\0U\0", 7) << Refused.arg(f, BadText.arg("UTF-16BE"));
    }

    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        const QString file = path("sequence.csv"), tag = QTest::currentDataTag();
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
        QCOMPARE(read.problem, problem.arg("sequence.csv"));
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringConverter::Encoding>("encoding");
        QTest::newRow("JSON, UTF-16LE") << Json << QStringConverter::Utf16LE;
        QTest::newRow("CSV, UTF-16BE") << Csv << QStringConverter::Utf16BE;
    }

    // With its byte-order mark, read as the plain UTF-8 file is.
    void encodings()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringConverter::Encoding, encoding);
        putBytes(path("plain.csv"), text);
        const SequenceRead plain = readSequence(path("plain.csv"));
        QVERIFY(plain.sequence);
        putBytes(path("plain.csv"), QStringEncoder(encoding, QStringEncoder::Flag::WriteBom)(QString::fromUtf8(text)));
        QCOMPARE(described(readSequence(path("plain.csv"))), described(plain));
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text"); // as the magnitude and its error
        QTest::addColumn<Number>("value");
        QTest::addColumn<QString>("note");
        const QString none, unreadable = SequenceNote::Unreadable;
        QTest::newRow("point") << "11.234" << Number(11.234) << none;
        QTest::newRow("comma alone") << "11,5" << Number(11.5) << none;
        QTest::newRow("comma before three digits") << "11,234" << Number(11.234) << none;
        QTest::newRow("exponent, blanks around") << " 1.1e1 " << Number(11) << none;
        QTest::newRow("comma, then point") << "1,234.5" << Number() << unreadable;
        QTest::newRow("point, then comma") << "11.234,5" << Number() << unreadable;
        QTest::newRow("two points") << "1.234.567" << Number() << unreadable;
        QTest::newRow("space between digits") << "11 234" << Number() << unreadable;
        QTest::newRow("beyond a double") << "1e400" << Number() << unreadable;
        QTest::newRow("nan") << "nan" << Number() << unreadable;
    }

    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(Number, value);
        QFETCH(QString, note);
        for (const QByteArray &bytes : {starCsv({{"V", text}}), starJson({{"V", text}})}) {
            putBytes(path("chart.txt"), bytes);
            const std::optional<Sequence> read = readSequence(path("chart.txt")).sequence;
            QVERIFY(read && read->stars.size() == 1);
            const SequenceStar &star = read->stars[0];
            const SequenceMagnitude *magnitude = magnitudeFor(star, "V");
            QCOMPARE(magnitude ? Number(magnitude->magnitude) : std::nullopt, value);
            QCOMPARE(magnitude ? magnitude->error : std::nullopt, value);
            QCOMPARE(noteFor(star, "V"), note);
        }
    }

    void notes_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<Number>("magnitude");
        QTest::addColumn<QString>("note");
        QTest::newRow("V twice: the first") << "V" << Number(11.2) << SequenceNote::Repeated.arg("V");
        QTest::newRow("B unreadable, then in small letters") << "B" << Number() << QString(SequenceNote::Unreadable);
        QTest::newRow("Rc unreadable, R serves") << "R" << Number(10.5) << QString();
        QTest::newRow("I without a magnitude, then with") << "I" << Number(9.1) << QString();
    }

    void notes()
    {
        QFETCH(QString, filter);
        QFETCH(Number, magnitude);
        QFETCH(QString, note);
        const QList<std::pair<QString, QString>> bands = {{"V", "11.2"}, {"V", "11.9"}, {"B", "x"}, {"b", "12.0"},
                                                          {"Rc", "1,2,3"}, {"R", "10.5"}, {"I", ""}, {"I", "9.1"}};
        for (const QByteArray &bytes : {starCsv(bands), starJson(bands)}) {
            putBytes(path("chart.txt"), bytes);
            const std::optional<Sequence> read = readSequence(path("chart.txt")).sequence;
            QVERIFY(read && read->stars.size() == 1);
            const SequenceMagnitude *found = magnitudeFor(read->stars[0], filter);
            QCOMPARE(found ? Number(found->magnitude) : std::nullopt, magnitude);
            QCOMPARE(noteFor(read->stars[0], filter), note);
        }
    }

    void bandForImage_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<Number>("magnitude");
        QTest::newRow("V, clear and green take V") << "V CV TG" << Number(10.0);
        QTest::newRow("B and blue take B") << "B TB" << Number(11.0);
        QTest::newRow("R, Rc and red prefer Rc to R") << "R Rc TR" << Number(9.5);
        QTest::newRow("I without Ic takes I") << "I" << Number(9.0);
        QTest::newRow("Sloan g from g'") << "SG" << Number(10.5);
        QTest::newRow("none in the star, or none at all") << "SI U HA J" << Number();
    }

    void bandForImage()
    {
        QFETCH(QString, filter);
        QFETCH(Number, magnitude);
        SequenceStar star;
        for (const auto &[band, value] : {std::pair{"V", 10.0}, {"B", 11.0}, {"Rc", 9.5}, {"R", 9.4},
                                          {"I", 9.0}, {"g'", 10.5}, {"J", 8.0}})
            star.bands[band] = {value, std::nullopt};
        for (const QString &code : filter.split(QLatin1Char(' '))) {
            const SequenceMagnitude *found = magnitudeFor(star, code);
            QCOMPARE(found ? Number(found->magnitude) : std::nullopt, magnitude);
        }
    }
};

QTEST_GUILESS_MAIN(TestSequence)
#include "tst_sequence.moc"
