#include "files/report.h"
#include "support/fakesheet.h"
#include "support/recordingmessages.h"

#include "support/diskfiles.h"

#include <QTest>

namespace {
const QByteArray EmptyReport =
    "Oggetto:/Magnitudine/Errore Mag./note:/Data:/JD:/Autore:/Filtro:/"
    "Calibrazione fotometrica:Magnitudine/Errore mag.\r\n";

// The sheet with its labels as the window shows them.
FakeSheet labelledSheet()
{
    FakeSheet sheet;
    sheet.captions = {{"Label9", "Oggetto:"},   {"Label29", "/"},      {"Label6", "Magnitudine"},
                      {"Label8", "Errore Mag."}, {"Label10", "note:"},  {"Label2", "Data:"},
                      {"Label3", "JD:"},         {"Label4", "Autore:"}, {"Label18", "Filtro:"},
                      {"Label11", "Calibrazione fotometrica:"},
                      {"Label24", "Magnitudine"}, {"Label25", "Errore mag."}};
    return sheet;
}
} // namespace

using Particulars = QHash<QString, QString>;

class TestReport : public QObject, FolderFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        newFolder();
        m_sheet = labelledSheet();
        m_messages = RecordingMessages();
    }
    void cleanup() { dropFolder(); }

    void bytes_data();
    void bytes();
    void firstNameLiesOnDriveC();
    void eachNameItsOwnFile();
    void failures_data();
    void failures();

private:
    FakeSheet m_sheet;
    RecordingMessages m_messages;
};

void TestReport::bytes_data()
{
    QTest::addColumn<Particulars>("fields");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("every field empty") << Particulars{} << EmptyReport;
    QTest::newRow("every piece in its place")
        << Particulars{{"Text20", "a"}, {"Text11", "b"}, {"Text15", "c"}, {"Text21", "d"},
                       {"Text17", "e"}, {"Text18", "f"}, {"Text19", "g"}, {"Text22", "h"},
                       {"Text28", "i"}, {"Text29", "j"}}
        << QByteArray("Oggetto:a/Magnitudineb/Errore Mag.c/note:d/Data:e/JD:f/Autore:g/Filtro:h/"
                      "Calibrazione fotometrica:Magnitudinei/Errore mag.j\r\n");
    QTest::newRow("texts as typed, accents in UTF-8")
        << Particulars{{"Text21", " cielo velato è "}, {"Text19", "Rossi"}, {"Text18", "2457094.5"}}
        << QByteArray("Oggetto:/Magnitudine/Errore Mag./note: cielo velato \xc3\xa8 /Data:/"
                      "JD:2457094.5/Autore:Rossi/Filtro:/Calibrazione fotometrica:Magnitudine/"
                      "Errore mag.\r\n");
    QTest::newRow("unused fields stay out")
        << Particulars{{"Text12", "1"}, {"Text30", "2"}, {"Text5", "3"}} << EmptyReport;
}

void TestReport::bytes()
{
    QFETCH(Particulars, fields);
    QFETCH(QByteArray, expected);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        m_sheet.fields[it.key()] = it.value();
    m_sheet.fields["NomeFile"] = path("fotometria.txt");

    Files::saveReport(m_sheet, m_messages, folder());

    QVERIFY(m_messages.onlyOne("Salva", MessageIcon::Information, "Salvataggio effettuato!"));
    QCOMPARE(bytesOf(path("fotometria.txt")), expected);
    QCOMPARE(entries(folder()), QStringList{"fotometria.txt"});
    QVERIFY(m_sheet.writes.isEmpty());
}

void TestReport::firstNameLiesOnDriveC()
{
    Files::saveReport(m_sheet, m_messages, folder()); // NomeFile holds "C:\fotometria.txt"
    QVERIFY(m_messages.onlyOne("Salva", MessageIcon::Information, "Salvataggio effettuato!"));
    QCOMPARE(bytesOf(folder() + "/vevurid/drive_c/fotometria.txt"), EmptyReport);
}

void TestReport::eachNameItsOwnFile()
{
    m_sheet.fields["NomeFile"] = path("a.txt");
    m_sheet.fields["Text22"] = "V";
    Files::saveReport(m_sheet, m_messages, folder());
    m_sheet.fields["NomeFile"] = "c:\\b.txt";
    m_sheet.fields["Text22"] = "B";
    Files::saveReport(m_sheet, m_messages, folder());
    QCOMPARE(bytesOf(path("a.txt")), QByteArray(EmptyReport).insert(64, "V"));
    QCOMPARE(bytesOf(folder() + "/vevurid/drive_c/b.txt"), QByteArray(EmptyReport).insert(64, "B"));
}

void TestReport::failures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("folderAfter");

    QTest::newRow("drive D is never made") << "D:\\r.txt" << QStringList{"old.txt"};
    QTest::newRow("missing folder on drive C") << "C:\\manca\\r.txt" << QStringList{"old.txt", "vevurid"};
    QTest::newRow("drive C's root is a folder") << "C:\\" << QStringList{"old.txt", "vevurid"};
}

void TestReport::failures()
{
    QFETCH(QString, name);
    QFETCH(QStringList, folderAfter);
    putBytes(path("old.txt"), "Oggetto:SS Cyg\r\n");
    m_sheet.fields["NomeFile"] = name;
    m_sheet.fields["Text20"] = "U Gem";

    Files::saveReport(m_sheet, m_messages, folder());

    QVERIFY(m_messages.onlyOne("Salva", MessageIcon::Critical, SaveFailed));
    QCOMPARE(entries(folder()), folderAfter);
    QCOMPARE(bytesOf(path("old.txt")), QByteArray("Oggetto:SS Cyg\r\n"));
    if (folderAfter.contains("vevurid")) {
        QCOMPARE(entries(folder() + "/vevurid"), QStringList{"drive_c"});
        QCOMPARE(entries(folder() + "/vevurid/drive_c"), QStringList());
    }
    QVERIFY(m_sheet.writes.isEmpty());
}

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
