#include "support/sheetfixture.h"
#include "ui/appsetup.h"

#include "support/diskfiles.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace {
const QStringList ValueFields = {"Text5", "Text6", "Text7", "Text26", "Text23", "Text24", "Text25", "Text27"};
}

// Every file button on the real sheet, each bound to its own field and file.
class TestFileButtons : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { setupApplication(*qApp); }
    void init() { openSheet(); }
    void cleanup() { closeSheet(); }

    void valueButtons_data();
    void valueButtons();
    void reportOfTypedParticulars();

private:
    QString driveC() const { return dataFolder() + "/vevurid/drive_c"; }
};

void TestFileButtons::valueButtons_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("success");
    QTest::addColumn<QString>("load");

    QTest::newRow("C1") << "Text5" << "C1.txt" << "btnSalva" << "Salvataggio effettuato C1!" << "Command57";
    QTest::newRow("C2") << "Text6" << "C2.txt" << "btnSalva2" << "Salvataggio effettuato C2!" << "Command58";
    QTest::newRow("C3") << "Text7" << "C3.txt" << "btnSalva3" << "Salvataggio effettuato C3!" << "Command59";
    QTest::newRow("B-V variable") << "Text26" << "indice di colore stella variabile.txt" << "Command64"
                                  << "Salvataggio effettuato indice di colore stella variabile!" << "Command53";
    QTest::newRow("B-V C1") << "Text23" << "indice di colore C1.txt" << "Command65"
                            << "Salvataggio effettuato indice di colore C1!" << "Command54";
    QTest::newRow("B-V C2") << "Text24" << "indice di colore C2.txt" << "Command66"
                            << "Salvataggio effettuato indice di colore C2!" << "Command61";
    QTest::newRow("B-V C3") << "Text25" << "indice di colore C3.txt" << "Command67"
                            << "Salvataggio effettuato indice di colore C3!" << "Command62";
    QTest::newRow("slope") << "Text27" << "pendenza equazione.txt" << "Command68"
                           << "Salvataggio effettuato pendenza equazione!" << "Command63";
}

void TestFileButtons::valueButtons()
{
    QFETCH(QString, field);
    QFETCH(QString, file);
    QFETCH(QString, save);
    QFETCH(QString, success);
    QFETCH(QString, load);
    const QString path = driveC() + "/" + file;

    // Before any save, the load names the missing file and changes nothing.
    control<QLineEdit>(field)->setText("old");
    click(load);
    compareOnlyOne(m_messages, "Carica", MessageIcon::Warning,
                   "Il file \"" + path + "\" non esiste. La casella non è stata modificata.");
    QCOMPARE(control<QLineEdit>(field)->text(), QStringLiteral("old"));
    m_messages.shown.clear();

    // Each value field holds its own text; the save takes only its row's.
    for (const QString &f : ValueFields)
        control<QLineEdit>(f)->setText("value of " + f);
    click(save);
    compareOnlyOne(m_messages, "Salva", MessageIcon::Information, success);
    QCOMPARE(entries(driveC()), QStringList{file});
    QCOMPARE(bytesOf(path), ("value of " + field + "\r\n").toUtf8());

    // The load fills only its row's field, replacing what it held.
    for (const QString &f : ValueFields)
        control<QLineEdit>(f)->setText("typed");
    click(load);
    QCOMPARE(m_messages.shown.size(), 1);
    for (const QString &f : ValueFields)
        QCOMPARE(control<QLineEdit>(f)->text(), f == field ? "value of " + f : QStringLiteral("typed"));
}

// The report from the labels the window shows, with texts typed as a user types.
void TestFileButtons::reportOfTypedParticulars()
{
    const QList<QPair<QString, QString>> typed = {
        {"Text20", "SS Cyg"}, {"Text11", "11,52"}, {"Text15", "0,03"}, {"Text17", "12/03/15"},
        {"Text22", "V"}, {"Text28", "11,49"}, {"Text29", "0,04"}};
    for (const auto &[field, text] : typed)
        QTest::keyClicks(control<QLineEdit>(field), text);
    control<QLineEdit>("NomeFile")->setText("C:\\ss cyg.txt");

    click("Command60");

    QCOMPARE(m_messages.texts(), QStringList{"Salvataggio effettuato!"});
    QCOMPARE(bytesOf(driveC() + "/ss cyg.txt"),
             QByteArray("Oggetto:SS Cyg/Magnitudine11,52/Errore Mag.0,03/note:/Data:12/03/15/JD:/"
                        "Autore:/Filtro:V/Calibrazione fotometrica:Magnitudine11,49/Errore mag.0,04\r\n"));
}

QTEST_MAIN(TestFileButtons)
#include "tst_filebuttons.moc"
