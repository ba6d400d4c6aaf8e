#include "colourcalibration/conversions.h"
#include "support/fakesheet.h"
#include "support/guard.h"
#include "support/recordingmessages.h"

#include <QTest>

using Command = void (*)(Sheet &, Messages &);
Q_DECLARE_METATYPE(Command)

namespace {
const QStringList Magnitudes = {"Text5", "Text6", "Text7"};
const QStringList Colours = {"Text23", "Text24", "Text25"};
} // namespace

class TestConversions : public QObject
{
    Q_OBJECT
private slots:
    void convert_data();
    void convert();
    void twice_data();
    void twice();
    void overflow_data();
    void overflow();
};

void TestConversions::convert_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QStringList>("v");      // Text5 to Text7
    QTest::addColumn<QStringList>("colour"); // Text23 to Text25
    QTest::addColumn<QStringList>("expected");

    const Command b = ColourCalibration::convertToB;
    const Command r = ColourCalibration::convertToR;
    QTest::newRow("B: 10.0 with 0.65")
        << b << QStringList{"10.0", "10.0", "10.0"} << QStringList{"0.65", "0.65", "0.65"}
        << QStringList{"10.65", "10.65", "10.65"};
    QTest::newRow("R: 10.0 with 0.65")
        << r << QStringList{"10.0", "10.0", "10.0"} << QStringList{"0.65", "0.65", "0.65"}
        << QStringList{"9.6298", "9.6298", "9.6298"};
    QTest::newRow("B: 12.3 with 0 or empty")
        << b << QStringList{"12.3", "12.3", "12.30"} << QStringList{"0", "", "abc"}
        << QStringList{"12.3", "12.3", "12.3"};
    QTest::newRow("R: 12.3 with 0 or empty")
        << r << QStringList{"12.3", "12.3", "12.3"} << QStringList{"0", "", "abc"}
        << QStringList{"12.26", "12.26", "12.26"};
    QTest::newRow("B: a blue star gets brighter")
        << b << QStringList{"10", "10", "10"} << QStringList{"-0.5", "0.5", "0"}
        << QStringList{"9.5", "10.5", "10"};
    QTest::newRow("empty magnitudes")
        << b << QStringList{"", "", ""} << QStringList{"0.65", "0", "-1"}
        << QStringList{"0.65", "0", "-1"};
    QTest::newRow("R: empty magnitude and B-V outside 0.3 to 0.9")
        << r << QStringList{"", "10", "10"} << QStringList{"0.65", "1.5", "0.1"}
        << QStringList{"-0.3702", "9.198", "9.9092"};
}

void TestConversions::convert()
{
    QFETCH(Command, command);
    QFETCH(QStringList, v);
    QFETCH(QStringList, colour);
    QFETCH(QStringList, expected);
    LocaleGuard locale(QLocale::c());
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fill(Magnitudes, v);
    sheet.fill(Colours, colour);
    sheet.fields["Text22"] = "V";

    command(sheet, messages);

    QCOMPARE(sheet.texts(Magnitudes), expected);
    QCOMPARE(sheet.writes, Magnitudes); // C1, C2, C3
    QCOMPARE(sheet.texts(Colours), colour);
    QCOMPARE(sheet.text("Text22"), QStringLiteral("V"));
    QCOMPARE(messages.shown.size(), 0);
}

void TestConversions::twice_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("B, point system") << Command(ColourCalibration::convertToB) << QLocale::c() << "11.3";
    QTest::newRow("B, comma system")
        << Command(ColourCalibration::convertToB) << QLocale(QLocale::Italian) << "11,3";
    QTest::newRow("R, point system") << Command(ColourCalibration::convertToR) << QLocale::c() << "9.2596";
    QTest::newRow("R, comma system")
        << Command(ColourCalibration::convertToR) << QLocale(QLocale::Italian) << "9,2596";
}

void TestConversions::twice()
{
    QFETCH(Command, command);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    LocaleGuard guard(locale);
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fill(Magnitudes, {"10.0", "10.0", "10.0"});
    sheet.fill(Colours, {"0.65", "0.65", "0.65"});

    command(sheet, messages);
    command(sheet, messages);

    QCOMPARE(sheet.texts(Magnitudes), QStringList(3, expected));
}

void TestConversions::overflow_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QStringList>("v");
    QTest::addColumn<QStringList>("colour");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("headline");
    QTest::addColumn<QString>("reason");

    QTest::newRow("B overflows at C1")
        << Command(ColourCalibration::convertToB) << QStringList{"1e308", "10", "10"}
        << QStringList{"1e308", "1", "1"} << QStringList{"1e308", "10", "10"}
        << "Conversione in magnitudine B fermata alla Stella C1: nessuna magnitudine è stata "
           "convertita."
        << "\"Magnitudine Stella C1\" è fuori";
    QTest::newRow("B overflows at C2")
        << Command(ColourCalibration::convertToB) << QStringList{"10", "-1.5e308", "10"}
        << QStringList{"1", "-1e308", "1"} << QStringList{"11", "-1.5e308", "10"}
        << "Conversione in magnitudine B fermata alla Stella C2: le stelle precedenti sono "
           "state convertite, la Stella C2 e le seguenti sono rimaste come erano."
        << "\"Magnitudine Stella C2\" è fuori";
    QTest::newRow("R overflows at C3")
        << Command(ColourCalibration::convertToR) << QStringList{"10", "10", "1.5e308"}
        << QStringList{"0.65", "0.65", "-1e308"} << QStringList{"9.6298", "9.6298", "1.5e308"}
        << "Conversione in magnitudine R fermata alla Stella C3" << "\"Magnitudine Stella C3\" è fuori";
    QTest::newRow("B-V too large to read")
        << Command(ColourCalibration::convertToR) << QStringList{"10", "10", "10"}
        << QStringList{"0.65", "1e400", "0.65"} << QStringList{"9.6298", "10", "10"}
        << "fermata alla Stella C2" << "\"(B-V) C2\" è troppo grande";
}

void TestConversions::overflow()
{
    QFETCH(Command, command);
    QFETCH(QStringList, v);
    QFETCH(QStringList, colour);
    QFETCH(QStringList, expected);
    QFETCH(QString, headline);
    QFETCH(QString, reason);
    LocaleGuard locale(QLocale::c());
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fill(Magnitudes, v);
    sheet.fill(Colours, colour);

    command(sheet, messages);

    QCOMPARE(sheet.texts(Magnitudes), expected);
    compareStop(messages, headline, reason);
}

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
