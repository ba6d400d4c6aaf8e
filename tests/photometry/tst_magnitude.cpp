#include "photometry/magnitude.h"
#include "photometry/pogson.h"
#include "support/fakesheet.h"
#include "support/guard.h"
#include "support/recordingmessages.h"

#include "warningkinds.h"

#include <QTest>

using Inputs = QStringList; // Text1 to Text7
using Results = QStringList; // Text11 to Text15

namespace {
const QStringList InputFields = {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7"};
const QStringList ResultFields = {"Text11", "Text12", "Text13", "Text14", "Text15"};
const Results Untouched = {"old11", "old12", "old13", "old14", "old15"};
} // namespace

class TestMagnitude : public QObject
{
    Q_OBJECT
private slots:
    void results_data();
    void results();
    void failures_data();
    void failures();
    void warnings_data();
    void warnings();
    void fullDigits();
    void commaSystemReadsItsOwnResults();
};

void TestMagnitude::results_data()
{
    QTest::addColumn<Inputs>("inputs");
    QTest::addColumn<Results>("expected");

    QTest::newRow("equal counts")
        << Inputs{"250", "250", "250", "250", "10", "11", "12"}
        << Results{"11", "10", "11", "12", "1"};
    QTest::newRow("three equal estimates, error 0")
        << Inputs{"800", "800", "800", "80", "9", "9", "9"}
        << Results{"11.5", "11.5", "11.5", "11.5", "0"};
    QTest::newRow("variable ten times brighter")
        << Inputs{"80", "80", "80", "800", "12", "12", "12"}
        << Results{"9.5", "9.5", "9.5", "9.5", "0"};
    QTest::newRow("negative counts of the same sign")
        << Inputs{"-250", "-250", "-250", "-250", "10", "11", "12"}
        << Results{"11", "10", "11", "12", "1"};
    QTest::newRow("catalogue magnitude with a comma reads to the comma")
        << Inputs{"250", "250", "250", "250", "12,35", "12", "12"}
        << Results{"12", "12", "12", "12", "0"};
}

void TestMagnitude::results()
{
    QFETCH(Inputs, inputs);
    QFETCH(Results, expected);
    LocaleGuard locale(QLocale::c());
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fill(InputFields, inputs);

    Photometry::magnitude(sheet, messages);

    QCOMPARE(sheet.texts(ResultFields), expected);
    QCOMPARE(messages.shown.size(), 0);
    QCOMPARE(sheet.writes, ResultFields); // mean first, error last
    QCOMPARE(sheet.text("Text9"), QString()); // the "Rap. Mag." row is not this command's
}

void TestMagnitude::failures_data()
{
    QTest::addColumn<Inputs>("inputs");
    QTest::addColumn<QString>("reason");

    QTest::newRow("count 0 in Text1") << Inputs{"0", "250", "250", "250", "10", "11", "12"}
                                      << "Stella C1 e quello della stella variabile non è un numero "
                                         "positivo: i conteggi ADU devono essere numeri maggiori di zero.";
    QTest::newRow("blank in Text2") << Inputs{"250", " ", "250", "250", "10", "11", "12"}
                                    << "conteggio ADU di Stella C2";
    QTest::newRow("letters in Text3") << Inputs{"250", "250", "abc", "250", "10", "11", "12"}
                                      << "conteggio ADU di Stella C3";
    QTest::newRow("variable 0 divides by zero") << Inputs{"250", "250", "250", "0", "10", "11", "12"}
                                                << "conteggio ADU di Stella C1";
    QTest::newRow("opposite signs") << Inputs{"250", "-250", "250", "250", "10", "11", "12"}
                                    << "conteggio ADU di Stella C2";
    QTest::newRow("count too large to read") << Inputs{"1E400", "250", "250", "250", "10", "11", "12"}
                                             << "\"ADU Stella C1\" è troppo grande";
    QTest::newRow("magnitude too large to read") << Inputs{"250", "250", "250", "250", "10", "11", "-9e999"}
                                                 << "\"Magnitudine Stella C3\" è troppo grande";
    const QString outOfRange = "conteggio ADU di Stella C1 e quello della stella variabile è fuori "
                               "dall'intervallo dei numeri che il programma può rappresentare";
    QTest::newRow("ratio overflows") << Inputs{"1e300", "250", "250", "1e-300", "10", "11", "12"}
                                     << outOfRange;
    QTest::newRow("tiny variable count") << Inputs{"1000", "2000", "3000", "1e-320", "10", "11", "12"}
                                         << outOfRange;
    QTest::newRow("ratio underflows") << Inputs{"1e-320", "250", "250", "1e10", "10", "11", "12"}
                                      << outOfRange;
    QTest::newRow("negative counts, ratio overflows")
        << Inputs{"-1e300", "-250", "-250", "-1e-300", "10", "11", "12"} << outOfRange;
    QTest::newRow("mean overflows") << Inputs{"250", "250", "250", "250", "1e308", "1e308", "1e308"}
                                    << "\"Magnitudine\" è fuori";
    QTest::newRow("error overflows") << Inputs{"250", "250", "250", "250", "1e200", "-1e200", "0"}
                                     << "\"Errore Mag.\" è fuori";
}

void TestMagnitude::failures()
{
    QFETCH(Inputs, inputs);
    QFETCH(QString, reason);
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fill(InputFields, inputs);
    sheet.fill(ResultFields, Untouched);

    Photometry::magnitude(sheet, messages);

    QCOMPARE(sheet.texts(ResultFields), Untouched);
    QVERIFY(sheet.writes.isEmpty());
    QCOMPARE(messages.shown.size(), 1);
    const Message &m = messages.shown.first();
    QCOMPARE(m.title, QStringLiteral("VEVURID"));
    QCOMPARE(m.icon, MessageIcon::Critical);
    QVERIFY2(m.text.startsWith("MAGNITUDINE: nessun risultato è stato scritto."), qPrintable(m.text));
    QVERIFY2(m.text.contains(reason), qPrintable(m.text));
}

void TestMagnitude::warnings_data()
{
    QTest::addColumn<Inputs>("inputs");
    QTest::addColumn<QStringList>("expected"); // "ADU", "MAG" or "FAIL", in order

    QTest::newRow("all seven empty")
        << Inputs{"", "", "", "", "", "", ""}
        << QStringList{"ADU", "ADU", "ADU", "ADU", "MAG", "MAG", "MAG", "FAIL"};
    QTest::newRow("Text2 and Text6 empty")
        << Inputs{"250", "", "250", "250", "10", "", "12"} << QStringList{"ADU", "MAG", "FAIL"};
    QTest::newRow("only Text4 empty")
        << Inputs{"250", "250", "250", "", "10", "11", "12"} << QStringList{"ADU", "FAIL"};
    QTest::newRow("only Text5 empty")
        << Inputs{"800", "250", "250", "80", "", "11", "12"} << QStringList{"MAG"};
    QTest::newRow("text 0 is not empty")
        << Inputs{"0", "250", "250", "250", "10", "11", "12"} << QStringList{"FAIL"};
}

void TestMagnitude::warnings()
{
    QFETCH(Inputs, inputs);
    QFETCH(QStringList, expected);
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fill(InputFields, inputs);

    Photometry::magnitude(sheet, messages);

    QCOMPARE(kinds(messages), expected);
}

void TestMagnitude::fullDigits()
{
    LocaleGuard locale(QLocale::c());
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fill(InputFields, {"800", "250", "250", "250", "", "11", "12"});
    Photometry::magnitude(sheet, messages);

    // Only Text5 empty: the estimate against C1 is 2.5 × log10(800 ÷ 250) alone.
    QCOMPARE(kinds(messages), QStringList{"MAG"});
    QCOMPARE(sheet.text("Text12"), QStringLiteral("1.26287494579976"));
    QCOMPARE(sheet.text("Text11"), QStringLiteral("8.08762498193325"));
    QCOMPARE(sheet.text("Text15"), QStringLiteral("5.93151833781015"));
    // The exact written strings are the 15-digit rounding of the computed doubles.
    QCOMPARE(sheet.text("Text12"), QString::number(Photometry::pogson(800.0 / 250), 'g', 15));
}

void TestMagnitude::commaSystemReadsItsOwnResults()
{
    LocaleGuard locale{QLocale(QLocale::Italian)};
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fill(InputFields, {"800", "800", "800", "80", "9,25", "9,25", "9,25"});
    Photometry::magnitude(sheet, messages);
    QCOMPARE(sheet.text("Text11"), QStringLiteral("11,75"));
    QCOMPARE(messages.shown.size(), 0);
}

QTEST_GUILESS_MAIN(TestMagnitude)
#include "tst_magnitude.moc"
