#include "colourcalibration/calibratedmagnitude.h"
#include "support/fakesheet.h"
#include "support/guard.h"
#include "support/recordingmessages.h"

#include <QTest>

// "Text1=10000": the field and the text typed into it.
using Typed = QStringList;
using Shown = QStringList;

namespace {
// The order the results are written in.
const QStringList ResultFields = {"Text28", "Text30", "Text31", "Text32", "Text29",
                                  "Text33", "Text34", "Text35", "Text36"};

// The worked example: counts, catalogue magnitudes, B-V of C1 to C3 and of
// the variable, slope.
const Typed WorkedExample = {"Text1=10000", "Text2=8000", "Text3=12000", "Text4=5000",
                             "Text5=10.0",  "Text6=10.3", "Text7=9.8",   "Text23=0.5",
                             "Text24=0.6",  "Text25=0.4", "Text26=1.0",  "Text27=0.1"};

void type(FakeSheet &sheet, const Typed &typed)
{
    for (const QString &entry : typed) {
        const qsizetype equals = entry.indexOf(u'=');
        sheet.fields[entry.left(equals)] = entry.mid(equals + 1);
    }
}

double number(const FakeSheet &sheet, const char *field)
{
    return sheet.text(field).toDouble();
}
} // namespace

class TestCalibratedMagnitude : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_sheet = FakeSheet();
        m_messages = RecordingMessages();
    }
    void workedExample_data();
    void workedExample();
    void colourCorrection_data();
    void colourCorrection();
    void identicalStarsHaveNoSpread();
    void temperatures_data();
    void temperatures();
    void stops_data();
    void stops();

private:
    // The worked example with `changes` typed over it, computed in `locale`.
    void compute(const Typed &changes, const QLocale &locale = QLocale::c())
    {
        LocaleGuard guard(locale);
        type(m_sheet, WorkedExample);
        type(m_sheet, changes);
        ColourCalibration::calibratedMagnitude(m_sheet, m_messages);
    }

    FakeSheet m_sheet;
    RecordingMessages m_messages;
};

void TestCalibratedMagnitude::workedExample_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Shown>("expected"); // Text28, Text30 to Text32, Text29, Text33 to Text36

    QTest::newRow("point system") << QLocale::c()
        << Shown{"10.8211343500263", "10.80257498916",   "10.8502999566398",
                 "10.810528104279",  "0.0255692680160498", "6517.19631794232",
                 "6122.3252126381",  "6937.53539242307", "4768.02761687574"};
    QTest::newRow("comma system") << QLocale(QLocale::Italian)
        << Shown{"10,8211343500263", "10,80257498916",   "10,8502999566398",
                 "10,810528104279",  "0,0255692680160498", "6517,19631794232",
                 "6122,3252126381",  "6937,53539242307", "4768,02761687574"};
}

void TestCalibratedMagnitude::workedExample()
{
    QFETCH(QLocale, locale);
    QFETCH(Shown, expected);
    m_sheet.fields["Text11"] = "uncalibrated";
    compute({}, locale);

    QCOMPARE(m_sheet.texts(ResultFields), expected);
    QCOMPARE(m_sheet.writes, ResultFields);
    QCOMPARE(m_messages.shown.size(), 0);
    QCOMPARE(m_sheet.text("Text11"), QStringLiteral("uncalibrated"));
}

void TestCalibratedMagnitude::colourCorrection_data()
{
    QTest::addColumn<Typed>("changes"); // to the worked example
    QTest::addColumn<Shown>("expected"); // Text28, Text30, Text31, Text32, Text29

    // Without a colour term each value is Mk + 2.5 × log10(Ak / Av).
    const Shown plain = {"10.7711343500263", "10.75257498916", "10.8102999566398",
                         "10.750528104279", "0.0339338472691289"};
    QTest::newRow("slope empty") << Typed{"Text27="} << plain;
    QTest::newRow("slope 0") << Typed{"Text27=0"} << plain;
    QTest::newRow("slope with a comma reads as 0") << Typed{"Text27=0,03"} << plain;
    QTest::newRow("all four B-V empty")
        << Typed{"Text23=", "Text24=", "Text25=", "Text26="} << plain;
    QTest::newRow("slope with a point is used")
        << Typed{"Text27=0.03"}
        << Shown{"10.7861343500263", "10.76757498916", "10.8222999566398", "10.768528104279",
                 "0.0313239594145148"};
    // C1 has the variable's colour: its value is the plain one whatever the slope.
    QTest::newRow("C1 with the variable's B-V")
        << Typed{"Text23=1.0", "Text27=5"}
        << Shown{"12.4378010166929", "10.75257498916", "12.8102999566398", "13.750528104279",
                 "1.5332962255576"};
}

void TestCalibratedMagnitude::colourCorrection()
{
    QFETCH(Typed, changes);
    QFETCH(Shown, expected);
    compute(changes);

    QCOMPARE(m_sheet.texts(ResultFields.mid(0, 5)), expected);
    QCOMPARE(m_messages.shown.size(), 0);
}

void TestCalibratedMagnitude::identicalStarsHaveNoSpread()
{
    compute({"Text1=1000", "Text2=1000", "Text3=1000", "Text4=500", "Text5=10", "Text6=10",
             "Text7=10", "Text23=0.5", "Text24=0.5", "Text25=0.5", "Text26=1", "Text27=0.1"});

    const Shown three(3, QStringLiteral("10.80257498916"));
    QCOMPARE(m_sheet.texts({"Text30", "Text31", "Text32"}), three);
    QVERIFY2(qAbs(number(m_sheet, "Text29")) < 1e-12, qPrintable(m_sheet.text("Text29")));
}

void TestCalibratedMagnitude::temperatures_data()
{
    QTest::addColumn<QString>("colour"); // typed into all four B-V fields
    QTest::addColumn<QString>("expected");
    QTest::addColumn<double>("approximately");

    QTest::newRow("B-V 0") << "0" << "8908.05407591829" << 8908.05;
    QTest::newRow("B-V empty") << "" << "8908.05407591829" << 8908.05;
    QTest::newRow("B-V 0.65") << "0.65" << "5933.95421523667" << 5933.95;
    QTest::newRow("B-V 1.0") << "1.0" << "4768.02761687574" << 4768.03;
    QTest::newRow("B-V 2.0") << "2.0" << "2552.08232477487" << 2552.08;
    QTest::newRow("B-V -1, outside the advised range") << "-1" << "16642.8204271772" << 16642.82;
    QTest::newRow("B-V -1121, just inside the double range")
        << "-1121" << "1.73220524202296E+308" << 1.73220524202296e308;
}

void TestCalibratedMagnitude::temperatures()
{
    QFETCH(QString, colour);
    QFETCH(QString, expected);
    QFETCH(double, approximately);
    compute({"Text23=" + colour, "Text24=" + colour, "Text25=" + colour, "Text26=" + colour});

    const QStringList temperatures = {"Text33", "Text34", "Text35", "Text36"};
    QCOMPARE(m_sheet.texts(temperatures), Shown(4, expected));
    QVERIFY(qAbs(number(m_sheet, "Text36") / approximately - 1) < 1e-6);
    QCOMPARE(m_messages.shown.size(), 0);
}

void TestCalibratedMagnitude::stops_data()
{
    QTest::addColumn<Typed>("changes"); // to the worked example
    QTest::addColumn<int>("written");   // how many results, in write order, took new values
    QTest::addColumn<QString>("headline");
    QTest::addColumn<QString>("reason");

    const QString nothing = QStringLiteral("MAGNITUDINE CALIBRATA: nessun risultato è stato scritto.");
    QTest::newRow("Text1 empty") << Typed{"Text1="} << 0 << nothing
                                 << "Il conteggio nella casella \"ADU Stella C1\" deve essere un "
                                    "numero maggiore di zero.";
    QTest::newRow("Text2 blank") << Typed{"Text2= "} << 0 << nothing << "\"ADU Stella C2\"";
    QTest::newRow("Text3 negative") << Typed{"Text3=-12000"} << 0 << nothing << "\"ADU Stella C3\"";
    QTest::newRow("Text4 zero") << Typed{"Text4=0"} << 0 << nothing << "\"ADU Stella Variabile\"";
    QTest::newRow("magnitude too large to read")
        << Typed{"Text6=1e400"} << 0 << nothing << "\"Magnitudine Stella C2\" è troppo grande";
    QTest::newRow("mean overflows")
        << Typed{"Text5=1e308", "Text6=1e308", "Text7=1e308"} << 0 << nothing
        << "\"Magnitudine calibrata\" è fuori";
    QTest::newRow("error overflows")
        << Typed{"Text5=1e200", "Text6=-1e200", "Text7=0"} << 4
        << "MAGNITUDINE CALIBRATA si è fermato alla casella \"Errore mag. calibrata\": le caselle "
           "precedenti hanno i nuovi valori, \"Errore mag. calibrata\" e le seguenti sono "
           "rimaste come erano."
        << "\"Errore mag. calibrata\" è fuori";
    QTest::newRow("temperature of C1 overflows")
        << Typed{"Text23=-1200"} << 5 << "alla casella \"temp.C1\"" << "\"temp.C1\" è fuori";
    QTest::newRow("temperature of C3 overflows")
        << Typed{"Text25=-1122"} << 7 << "alla casella \"temp.C3\"" << "\"temp.C3\" è fuori";
    QTest::newRow("temperature of the variable overflows")
        << Typed{"Text26=-1200"} << 8 << "alla casella \"temp.Var.\"" << "\"temp.Var.\" è fuori";
}

void TestCalibratedMagnitude::stops()
{
    QFETCH(Typed, changes);
    QFETCH(int, written);
    QFETCH(QString, headline);
    QFETCH(QString, reason);
    for (const QString &field : ResultFields)
        m_sheet.fields[field] = "old " + field;
    compute(changes);

    QCOMPARE(m_sheet.writes, ResultFields.mid(0, written));
    for (const QString &field : ResultFields.mid(written))
        QCOMPARE(m_sheet.text(field), "old " + field);
    compareStop(m_messages, headline, reason);
}

QTEST_GUILESS_MAIN(TestCalibratedMagnitude)
#include "tst_calibratedmagnitude.moc"
