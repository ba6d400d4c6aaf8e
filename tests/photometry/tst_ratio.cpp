#include "photometry/ratio.h"
#include "support/fakesheet.h"
#include "support/guard.h"
#include "support/recordingmessages.h"

#include "warningkinds.h"

#include <QTest>

using Counts = QStringList;  // Text1 to Text4
using Row = QStringList;     // Text9, Text8, Text10, Text16: C1, C2, C3, variable

namespace {
const QStringList CountFields = {"Text1", "Text2", "Text3", "Text4"};
const QStringList RowFields = {"Text9", "Text8", "Text10", "Text16"};
const Row Untouched = {"old9", "old8", "old10", "old16"};
} // namespace

class TestRatio : public QObject
{
    Q_OBJECT
private slots:
    void results_data();
    void results();
    void stops_data();
    void stops();
};

void TestRatio::results_data()
{
    QTest::addColumn<Counts>("counts");
    QTest::addColumn<Row>("expected");

    QTest::newRow("800/80: variable 2.5 fainter than C1")
        << Counts{"800", "80", "80", "80"} << Row{"2.5", "0", "0", "0"};
    QTest::newRow("80/800: variable 2.5 brighter than C1")
        << Counts{"80", "800", "800", "800"} << Row{"-2.5", "0", "0", "0"};
    // C1 lands in Text9 and C2 in Text8, whatever the column order suggests.
    QTest::newRow("each star in its own box")
        << Counts{"80", "800", "8000", "80"} << Row{"0", "2.5", "5", "0"};
    QTest::newRow("negative counts of the same sign")
        << Counts{"-800", "-80", "-80", "-80"} << Row{"2.5", "0", "0", "0"};
    QTest::newRow("blanks inside a count are dropped")
        << Counts{"8 00", "80", "80", " 80 "} << Row{"2.5", "0", "0", "0"};
}

void TestRatio::results()
{
    QFETCH(Counts, counts);
    QFETCH(Row, expected);
    LocaleGuard locale(QLocale::c());
    FakeSheet sheet; // catalogue magnitudes Text5 to Text7 stay empty
    RecordingMessages messages;
    sheet.fill(CountFields, counts);
    sheet.fill(RowFields, Untouched);

    Photometry::magnitudeRatio(sheet, messages);

    QCOMPARE(sheet.texts(RowFields), expected);
    QCOMPARE(sheet.writes, RowFields); // C1, C2, C3, then the variable
    QCOMPARE(kinds(messages), QStringList()); // empty magnitudes are not this command's business
}

void TestRatio::stops_data()
{
    QTest::addColumn<Counts>("counts");
    QTest::addColumn<Row>("expected");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("headline");
    QTest::addColumn<QString>("reason");

    QTest::newRow("Text2 empty: C1 written, then stop")
        << Counts{"800", "", "80", "80"} << Row{"2.5", "old8", "old10", "old16"}
        << QStringList{"ADU", "FAIL"}
        << "RAPPORTO MAGNITUDINE si è fermato al passo della Stella C2: i risultati dei passi "
           "precedenti sono stati scritti, quelli dalla Stella C2 in poi sono rimasti come erano."
        << "conteggio ADU di Stella C2";
    QTest::newRow("Text4 empty: division by zero in the first step")
        << Counts{"800", "80", "80", ""} << Untouched << QStringList{"ADU", "FAIL"}
        << "RAPPORTO MAGNITUDINE si è fermato al passo della Stella C1: nessun risultato è "
           "stato scritto."
        << "conteggio ADU di Stella C1";
    QTest::newRow("typed 0 in Text3: no warning, C1 and C2 written")
        << Counts{"800", "8", "0", "80"} << Row{"2.5", "-2.5", "old10", "old16"}
        << QStringList{"FAIL"} << "al passo della Stella C3" << "conteggio ADU di Stella C3";
    QTest::newRow("opposite signs")
        << Counts{"-800", "80", "80", "80"} << Untouched << QStringList{"FAIL"}
        << "al passo della Stella C1" << "non è un numero positivo";
    QTest::newRow("all four empty")
        << Counts{"", "", "", ""} << Untouched << QStringList{"ADU", "ADU", "ADU", "ADU", "FAIL"}
        << "nessun risultato è stato scritto" << "conteggio ADU di Stella C1";
    QTest::newRow("count too large to read")
        << Counts{"800", "80", "1e400", "80"} << Row{"2.5", "0", "old10", "old16"}
        << QStringList{"FAIL"} << "al passo della Stella C3" << "\"ADU Stella C3\" è troppo grande";
    QTest::newRow("ratio overflows")
        << Counts{"1e300", "80", "80", "1e-300"} << Untouched << QStringList{"FAIL"}
        << "al passo della Stella C1" << "conteggio ADU di Stella C1";
}

void TestRatio::stops()
{
    QFETCH(Counts, counts);
    QFETCH(Row, expected);
    QFETCH(QStringList, shown);
    QFETCH(QString, headline);
    QFETCH(QString, reason);
    LocaleGuard locale(QLocale::c());
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fill(CountFields, counts);
    sheet.fill(RowFields, Untouched);

    Photometry::magnitudeRatio(sheet, messages);

    QCOMPARE(sheet.texts(RowFields), expected);
    QCOMPARE(kinds(messages), shown);
    const QString text = messages.shown.last().text;
    QVERIFY2(text.contains(headline), qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestRatio)
#include "tst_ratio.moc"
