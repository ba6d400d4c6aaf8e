#include "core/fields.h"
#include "support/guard.h"
#include "support/sheetfixture.h"
#include "ui/appsetup.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

// "Text1=800": a field and its text.
using Texts = QStringList;

// Each computing and reset button clicked on the real sheet, its fields read
// back from the boxes the user sees; the commands' own cases are in the tests
// of their folders.
class TestCommandsOnSheet : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { setupApplication(*qApp); }
    void init()
    {
        openSheet();
        m_form->show();
    }
    void cleanup() { closeSheet(); }

    void click_data();
    void click();

private:
    QLineEdit *box(const QString &name) const { return control<QLineEdit>(name); }
    void set(const Texts &texts)
    {
        for (const QString &entry : texts) {
            const qsizetype equals = entry.indexOf(u'=');
            box(entry.left(equals))->setText(entry.mid(equals + 1));
        }
    }
};

void TestCommandsOnSheet::click_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Texts>("typed");    // over a sheet whose every field reads "x"
    QTest::addColumn<Texts>("expected"); // fields read back afterwards

    const QLocale point = QLocale::c();
    const QLocale comma(QLocale::Italian);
    QTest::newRow("RAPPORTO MAGNITUDINE")
        << "Command3" << 1 << point << Texts{"Text1=800", "Text2=80", "Text3=8", "Text4=80"}
        << Texts{"Text9=2.5", "Text8=0", "Text10=-2.5", "Text16=0", "Text5=x"};
    QTest::newRow("reset tot.")
        << "Command2" << 1 << point << Texts{}
        << Texts{"Text1=", "Text7=", "Text16=", "Text22=", "Text27=", "Text36=", "Text37=x",
                 "NomeFile=x"};
    QTest::newRow("reset adu")
        << "Command4" << 1 << point << Texts{}
        << Texts{"Text4=", "Text5=x", "Text8=", "Text16=", "Text17=x", "Text27=x", "Text32=",
                 "Text33=x", "Text37=x"};
    QTest::newRow("reset dati ")
        << "Command52" << 1 << point << Texts{}
        << Texts{"Text16=x", "Text17=", "Text22=", "Text23=x", "NomeFile=x"};
    QTest::newRow("MAGNITUDINE CALIBRATA")
        << "Command69" << 1 << point
        << Texts{"Text1=10000", "Text2=8000", "Text3=12000", "Text4=5000", "Text5=10.0",
                 "Text6=10.3", "Text7=9.8", "Text23=0.5", "Text24=0.6", "Text25=0.4",
                 "Text26=1.0", "Text27=0.1"}
        << Texts{"Text28=10.8211343500263", "Text29=0.0255692680160498",
                 "Text30=10.80257498916", "Text31=10.8502999566398", "Text32=10.810528104279",
                 "Text33=6517.19631794232", "Text34=6122.3252126381",
                 "Text35=6937.53539242307", "Text36=4768.02761687574", "Text11=x"};
    QTest::newRow("B-V Variabile, comma system")
        << "Command70" << 1 << comma << Texts{"Text37=5800"}
        << Texts{"Text26=0,686531271714141"};
    // The second click reads back the first one's result from the box.
    QTest::newRow("V to B twice, comma system")
        << "Command10" << 2 << comma << Texts{"Text5=10.0", "Text23=0.65"} << Texts{"Text5=11,3"};
    QTest::newRow("V to R")
        << "Command9" << 1 << point
        << Texts{"Text5=10.0", "Text6=12.3", "Text7=12.3", "Text23=0.65", "Text24=0",
                 "Text25=", "Text22=V"}
        << Texts{"Text5=9.6298", "Text6=12.26", "Text7=12.26", "Text22=V"};
}

void TestCommandsOnSheet::click()
{
    QFETCH(QString, button);
    QFETCH(int, clicks);
    QFETCH(QLocale, locale);
    QFETCH(Texts, typed);
    QFETCH(Texts, expected);
    LocaleGuard guard(locale);
    for (const QString &field : Fields::all())
        box(field)->setText("x");
    set(typed);

    for (int i = 0; i < clicks; ++i)
        SheetFixture::click(button);

    for (const QString &entry : expected) {
        const qsizetype equals = entry.indexOf(u'=');
        QCOMPARE(box(entry.left(equals))->text(), entry.mid(equals + 1));
    }
    QCOMPARE(m_messages.texts(), QStringList());
}

QTEST_MAIN(TestCommandsOnSheet)
#include "tst_commandsonsheet.moc"
