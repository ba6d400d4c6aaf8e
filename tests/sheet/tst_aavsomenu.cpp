#include "aavso/log.h"
#include "aavso/logchoice.h"
#include "aavso/observations.h"
#include "sheet/aavsomenu.h"
#include "support/aavsovalidator.h"
#include "support/guard.h"
#include "support/sheetfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <cmath>

class TestAavsoMenu : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { closeSheet(); }

    void entryBetweenPrintAndExit();
    void exportsAndAppends();
    void cancelChangesNothing();
    void refusalKeepsLastFile();

private:
    void type(const QString &field, const QString &text) { control<QLineEdit>(field)->setText(text); }
    void exportTo(const QString &answer)
    {
        m_dialogs.answers = QStringList{answer};
        control<QAction>("mnuAavso")->trigger();
    }
    QString lastFile() const { return AavsoLog::lastLog(m_settings); }
    QString season() const { return dataFolder() + "/stagione.csv"; }
    // Where each question started; every one is the export's, appending.
    QStringList asked() const
    {
        QStringList starts;
        for (const ScriptedDialogs::Question &question : m_dialogs.asked) {
            if (question.title != Aavso::Title || !question.appending)
                QTest::qFail("not the export's question", __FILE__, __LINE__);
            starts << question.start;
        }
        return starts;
    }
};

void TestAavsoMenu::init()
{
    m_settings.values.clear();
    m_dialogs.asked.clear();
    openSheet();
    const QStringList fields = {"Text20", "Text18", "Text11", "Text22", "Text19", "Text5", "Text6", "Text7"};
    const QStringList texts = {"RZ Cas", "2460382.4213", "11.5234", "V", "RMA", "11.25", "11.62", "12.03"};
    for (qsizetype i = 0; i < fields.size(); ++i)
        type(fields[i], texts[i]);
}

void TestAavsoMenu::entryBetweenPrintAndExit()
{
    QStringList entries;
    for (const QAction *entry : control<QMenu>("mnuFile")->actions())
        entries << entry->objectName() + " " + entry->text();
    QCOMPARE(entries, (QStringList{"mnuStampa &Stampa", "mnuAavso Esporta &AAVSO...", "mnuesci &esci"}));
}

void TestAavsoMenu::exportsAndAppends()
{
    const LocaleGuard guard(QLocale::c());
    exportTo(season());
    type("Text18", "2460382.45");
    exportTo(season());

    const QString cDrive = dataFolder() + "/vevurid/drive_c/aavso.txt";
    QCOMPARE(asked(), (QStringList{cDrive, season()}));
    QVERIFY(QFileInfo(cDrive).dir().exists()); // made for the dialog to start in
    QCOMPARE(m_messages.texts(), (QStringList{Aavso::Added.arg("stagione.csv").arg(1),
                                              Aavso::Added.arg("stagione.csv").arg(2)}));
    QCOMPARE(m_messages.shown.last().title, Aavso::Title);
    QCOMPARE(m_messages.shown.last().icon, MessageIcon::Information);
    // The sheet's boxes reached the records: read back as the light curve reads them.
    Aavso::LightCurve::Observations read;
    QCOMPARE(Aavso::LightCurve::addFile(read, season()), QString());
    QCOMPARE(read.observations.size(), size_t(2));
    const Aavso::LightCurve::Observation &last = read.observations.back();
    QCOMPARE(read.texts.at(last.star), QStringLiteral("RZ Cas"));
    QCOMPARE(last.jd, 2460382.45);
    QCOMPARE(last.magnitude, 11.523);
    QVERIFY(std::isnan(last.error));
    QCOMPARE(read.texts.at(last.band), QStringLiteral("V"));
    QCOMPARE(read.note(last), QStringLiteral("ENSEMBLE C1=11.250 C2=11.620 C3=12.030"));
    QFile log(season());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    QCOMPARE(aavsoFault(bytes), QString());
    QCOMPARE(lastFile(), season());
}

void TestAavsoMenu::cancelChangesNothing()
{
    exportTo(QString());

    QCOMPARE(asked().size(), 1);
    QCOMPARE(m_messages.shown.size(), 0);
    QVERIFY(QDir(dataFolder() + "/vevurid/drive_c").isEmpty());
    QCOMPARE(lastFile(), QString());
}

void TestAavsoMenu::refusalKeepsLastFile()
{
    const QString other = dataFolder() + "/altro.txt";
    AavsoLog::rememberLog(m_settings, other);
    type("Text11", "");

    exportTo(season());

    QCOMPARE(asked(), QStringList{other});
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown[0].icon, MessageIcon::Warning);
    QVERIFY(!QFile::exists(season()));
    QCOMPARE(lastFile(), other);
}

QTEST_MAIN(TestAavsoMenu)
#include "tst_aavsomenu.moc"
