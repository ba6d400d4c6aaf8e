#include "colourcalibration/calibratedmagnitude.h"
#include "colourcalibration/variablecolour.h"
#include "support/fakesheet.h"
#include "support/guard.h"
#include "support/recordingmessages.h"

#include <QTest>

namespace {
const QString Warning = QStringLiteral(
    "Il programma và in errore, la prossima volta inserisci sempre un valore sulla casella di "
    "testo Temperatura....");
} // namespace

class TestVariableColour : public QObject
{
    Q_OBJECT
private slots:
    void colourIndex_data();
    void colourIndex();
    void stops_data();
    void stops();
    void roundTrip_data();
    void roundTrip();
};

void TestVariableColour::colourIndex_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<double>("approximately");

    QTest::newRow("10000 K") << "10000" << "-0.185" << -0.185;
    QTest::newRow("5800 K") << "5800" << "0.686531271714141" << 0.686531;
    QTest::newRow("2500 K") << "2500" << "2.03298900805222" << 2.032989;
    QTest::newRow("9000 K") << "9000" << "-0.0164294047744722" << -0.016429;
    // ln 1 is exactly 0, so nothing but the constant is left.
    QTest::newRow("1 K") << "1" << "14.551" << 14.551;
    QTest::newRow("0.5 K, outside the advised range") << "0.5" << "15.6599945040261" << 15.659995;
    QTest::newRow("blanks inside are dropped") << " 10 000 " << "-0.185" << -0.185;
}

void TestVariableColour::colourIndex()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(double, approximately);
    LocaleGuard locale(QLocale::c());
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fields["Text37"] = typed;
    sheet.fields["Text26"] = "old";

    ColourCalibration::variableColourIndex(sheet, messages);

    QCOMPARE(sheet.text("Text26"), expected);
    QVERIFY(qAbs(sheet.text("Text26").toDouble() - approximately) < 5e-6);
    QCOMPARE(sheet.writes, QStringList{"Text26"});
    QCOMPARE(sheet.text("Text37"), typed);
    QCOMPARE(messages.shown.size(), 0);
}

void TestVariableColour::stops_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown"); // "WARN" or "FAIL", in order
    QTest::addColumn<QString>("reason");

    const QString notPositive =
        QStringLiteral("La temperatura della variabile deve essere un numero maggiore di zero");
    QTest::newRow("empty: the warning and nothing more") << "" << QStringList{"WARN"} << QString();
    QTest::newRow("0") << "0" << QStringList{"FAIL"} << notPositive;
    QTest::newRow("negative") << "-5000" << QStringList{"FAIL"} << notPositive;
    QTest::newRow("a blank is not empty") << " " << QStringList{"FAIL"} << notPositive;
    QTest::newRow("letters") << "caldo" << QStringList{"FAIL"} << notPositive;
    QTest::newRow("too large to read") << "1e400" << QStringList{"FAIL"}
                                       << "\"Temperatura variabile\" è troppo grande";
}

void TestVariableColour::stops()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    QFETCH(QString, reason);
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fields["Text37"] = typed;
    sheet.fields["Text26"] = "0.7";

    ColourCalibration::variableColourIndex(sheet, messages);

    QCOMPARE(sheet.text("Text26"), QStringLiteral("0.7"));
    QVERIFY(sheet.writes.isEmpty());
    QStringList kinds;
    for (const Message &m : messages.shown) {
        QCOMPARE(m.title, QStringLiteral("VEVURID"));
        if (m.icon == MessageIcon::None && m.text == Warning)
            kinds << "WARN";
        else if (m.icon == MessageIcon::Critical
                 && m.text.startsWith("B-V Variabile: la casella \"(B-V) Var.\" non è stata "
                                      "scritta.")
                 && m.text.contains(reason))
            kinds << "FAIL";
        else
            kinds << m.text;
    }
    QCOMPARE(kinds, shown);
}

void TestVariableColour::roundTrip_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("colour");      // written into Text26
    QTest::addColumn<QString>("temperature"); // then written into Text36

    QTest::newRow("10000 K") << QLocale::c() << "10000" << "-0.185" << "10000";
    QTest::newRow("5800 K") << QLocale::c() << "5800" << "0.686531271714141" << "5799.99999999999";
    QTest::newRow("2500 K") << QLocale::c() << "2500" << "2.03298900805222" << "2499.99999999999";
    QTest::newRow("9000 K") << QLocale::c() << "9000" << "-0.0164294047744722" << "9000";
    QTest::newRow("10000 K, comma system")
        << QLocale(QLocale::Italian) << "10000" << "-0,185" << "10000";
    QTest::newRow("5800 K, comma system")
        << QLocale(QLocale::Italian) << "5800" << "0,686531271714141" << "5799,99999999999";
}

void TestVariableColour::roundTrip()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, typed);
    QFETCH(QString, colour);
    QFETCH(QString, temperature);
    LocaleGuard guard(locale);
    FakeSheet sheet;
    RecordingMessages messages;
    for (const char *count : {"Text1", "Text2", "Text3", "Text4"})
        sheet.fields[count] = "1000";
    sheet.fields["Text37"] = typed;

    ColourCalibration::variableColourIndex(sheet, messages);
    QCOMPARE(sheet.text("Text26"), colour);
    ColourCalibration::calibratedMagnitude(sheet, messages);

    QCOMPARE(sheet.text("Text36"), temperature);
    QCOMPARE(messages.shown.size(), 0);
}

QTEST_GUILESS_MAIN(TestVariableColour)
#include "tst_variablecolour.moc"
