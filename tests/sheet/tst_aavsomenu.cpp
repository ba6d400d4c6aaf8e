#include "sheet/aavsomenu.h"
#include "support/aavsovalidator.h"
#include "support/guard.h"
#include "support/sheetfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

namespace {

const QString Title = QStringLiteral("Esporta AAVSO");

QString lastFile()
{
    return QSettings("Vevurid", "vevurid").value("aavso/lastFile").toString();
}

} // namespace

class TestAavsoMenu : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { closeSheet(); }

    void exportsAndAppends();
    void cancelChangesNothing();
    void refusalKeepsLastFile();

private:
    void type(const QHash<QString, QString> &texts)
    {
        for (auto it = texts.begin(); it != texts.end(); ++it)
            control<QLineEdit>(it.key())->setText(it.value());
    }
    void exportOnce(const QString &answer)
    {
        m_asked.clear();
        m_answer = answer;
        control<QAction>("mnuAavso")->trigger();
    }
    QByteArray log(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }

    QTemporaryDir m_settings;
    QStringList m_asked; // the start of every question asked
    QString m_answer;
};

void TestAavsoMenu::initTestCase()
{
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    AavsoMenu::askPath = [this](QWidget *parent, const QString &start) {
        if (!qobject_cast<QMainWindow *>(parent))
            QTest::qFail("the question has no window", __FILE__, __LINE__);
        m_asked << start;
        return m_answer;
    };
}

void TestAavsoMenu::init()
{
    QSettings("Vevurid", "vevurid").clear();
    openSheet();
    type({{"Text20", "RZ Cas"}, {"Text18", "2460382.4213"}, {"Text11", "11.5234"},
          {"Text22", "V"}, {"Text19", "RMA"}, {"Text5", "11.25"}, {"Text6", "11.62"},
          {"Text7", "12.03"}});
}

void TestAavsoMenu::exportsAndAppends()
{
    const LocaleGuard guard(QLocale::c());
    const QString season = dataFolder() + "/stagione.csv";

    exportOnce(season);
    const QString cDrive = dataFolder() + "/vevurid/drive_c/aavso.txt";
    QCOMPARE(m_asked, QStringList{cDrive});
    QVERIFY(QFileInfo(cDrive).dir().exists()); // made for the dialog to start in

    type({{"Text18", "2460382.4500"}});
    exportOnce(season);
    QCOMPARE(m_asked, QStringList{season});

    QCOMPARE(m_messages.texts(),
             (QStringList{"Osservazione aggiunta a stagione.csv (osservazioni nel file: 1).",
                          "Osservazione aggiunta a stagione.csv (osservazioni nel file: 2)."}));
    QCOMPARE(m_messages.shown.last().title, Title);
    QCOMPARE(m_messages.shown.last().icon, MessageIcon::Information);
    const QByteArray bytes = log(season);
    QCOMPARE(bytes.count("\r\n"), 9); // six parameters, the names, two records
    QVERIFY(bytes.endsWith("\r\nRZ Cas,2460382.45000,11.523,na,V,NO,STD,ENSEMBLE,na,na,na,na,na,na,"
                           "ENSEMBLE C1=11.250 C2=11.620 C3=12.030\r\n"));
    QCOMPARE(aavsoFault(bytes), QString());
    QCOMPARE(lastFile(), season);
}

void TestAavsoMenu::cancelChangesNothing()
{
    exportOnce(QString());

    QCOMPARE(m_asked.size(), 1);
    QCOMPARE(m_messages.shown.size(), 0);
    QCOMPARE(QDir(dataFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"vevurid"});
    QVERIFY(QDir(dataFolder() + "/vevurid/drive_c").isEmpty());
    QCOMPARE(lastFile(), QString());
}

void TestAavsoMenu::refusalKeepsLastFile()
{
    const QString other = dataFolder() + "/altro.txt";
    QSettings("Vevurid", "vevurid").setValue("aavso/lastFile", other);
    type({{"Text11", ""}});

    exportOnce(dataFolder() + "/stagione.csv");

    QCOMPARE(m_asked, QStringList{other});
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown[0].icon, MessageIcon::Warning);
    QCOMPARE(log(dataFolder() + "/stagione.csv"), QByteArray("<none>"));
    QCOMPARE(lastFile(), other);
}

QTEST_MAIN(TestAavsoMenu)
#include "tst_aavsomenu.moc"
