#include "files/valuefile.h"
#include "support/fakesheet.h"
#include "support/recordingmessages.h"

#include "support/fifo.h"

#include "support/diskfiles.h"

#include <QTest>

#include <optional>

namespace {
const QString Success = QStringLiteral("Salvataggio effettuato C1!");
const QString Unchanged = QStringLiteral(" La casella non è stata modificata.");
} // namespace

class TestValueFile : public QObject, FolderFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        newFolder();
        m_sheet = FakeSheet();
        m_messages = RecordingMessages();
    }
    void cleanup() { dropFolder(); }

    void roundTrip_data();
    void roundTrip();
    void secondSaveReplacesFirst_data();
    void secondSaveReplacesFirst();
    void load_data();
    void load();
    void loadFailures_data();
    void loadFailures();
    void saveFailures_data();
    void saveFailures();
    void readOnlyFolder();
    void writeFailsAfterOpening();

private:
    FakeSheet m_sheet;
    RecordingMessages m_messages;
};

void TestValueFile::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("number") << "12.3" << QByteArray("12.3\r\n");
    QTest::newRow("comma number") << "12,35" << QByteArray("12,35\r\n");
    QTest::newRow("no number") << "vedi nota" << QByteArray("vedi nota\r\n");
    QTest::newRow("blanks kept") << " 1 2 " << QByteArray(" 1 2 \r\n");
    QTest::newRow("accent, in UTF-8") << "è" << QByteArray("\xc3\xa8\r\n");
    QTest::newRow("empty") << "" << QByteArray("\r\n");
}

void TestValueFile::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    m_sheet.fields["Text5"] = text;

    Files::saveValue(m_sheet, m_messages, "Text5", path("C1.txt"), Success);
    QVERIFY(m_messages.onlyOne("Salva", MessageIcon::Information, Success));
    QCOMPARE(bytesOf(path("C1.txt")), bytes);
    QCOMPARE(entries(folder()), QStringList{"C1.txt"}); // no temporary file left behind
    QVERIFY(m_sheet.writes.isEmpty());

    m_sheet.fields["Text5"] = QString();
    Files::loadValue(m_sheet, m_messages, "Text5", path("C1.txt"));
    QCOMPARE(m_sheet.text("Text5"), text);
    QCOMPARE(m_messages.shown.size(), 1);
}

void TestValueFile::secondSaveReplacesFirst_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("short name") << "C1.txt";
    // The longest name whose temporary twin (seven bytes more) still fits in 255.
    QTest::newRow("248 bytes") << QString(248, 'n');
    QTest::newRow("124 accents, 248 bytes") << QString(124, u'è');
}

void TestValueFile::secondSaveReplacesFirst()
{
    QFETCH(QString, name);
    m_sheet.fields["Text5"] = "11.52";
    Files::saveValue(m_sheet, m_messages, "Text5", path(name), Success);
    m_sheet.fields["Text5"] = "9";
    Files::saveValue(m_sheet, m_messages, "Text5", path(name), Success);
    QCOMPARE(bytesOf(path(name)), QByteArray("9\r\n"));
    QCOMPARE(m_messages.texts(), (QStringList{Success, Success}));
}

void TestValueFile::load_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("replaces, never appends") << QByteArray("12.3\r\n") << "12.3" << "12.3";
    QTest::newRow("into an empty field") << QByteArray("12.3\r\n") << "" << "12.3";
    QTest::newRow("over a computed value") << QByteArray("0.65\r\n") << "0.712345" << "0.65";
    QTest::newRow("several lines run together") << QByteArray("1\r\n2\r\n3\r\n") << "x" << "123";
    QTest::newRow("LF lines") << QByteArray("1\n2\n") << "x" << "12";
    QTest::newRow("lone CR ends a line") << QByteArray("1\r2\r\n") << "x" << "12";
    QTest::newRow("blank line between") << QByteArray("1\r\n\r\n2\r\n") << "x" << "12";
    QTest::newRow("last line without terminator") << QByteArray("1\r\n2") << "x" << "12";
    QTest::newRow("single line without terminator") << QByteArray("12.3") << "x" << "12.3";
    QTest::newRow("0 bytes leave the field") << QByteArray() << "keep" << "keep";
    QTest::newRow("CR LF only leaves the field") << QByteArray("\r\n") << "keep" << "keep";
    QTest::newRow("LF only leaves the field") << QByteArray("\n") << "keep" << "keep";
    QTest::newRow("empty lines leave the field") << QByteArray("\r\n\r\n") << "keep" << "keep";
    QTest::newRow("UTF-8 accent") << QByteArray("nota \xc3\xa8\r\n") << "" << "nota è";
    QTest::newRow("Latin-1 accent") << QByteArray("nota \xe8\r\n") << "" << "nota è";
    QTest::newRow("Latin-1 accent at the very end") << QByteArray("perch\xe9") << "" << "perché";
    QTest::newRow("Latin-1 in the second line") << QByteArray("a\r\n\xe0\r\n") << "" << "aà";
    QTest::newRow("a tab stays") << QByteArray("1\t2\r\n") << "" << "1\t2";
    QTest::newRow("UTF-16 LE with its mark")
        << QByteArray("\xff\xfe" "1\0" "2\0" ",\0" "\xe8\0" "\r\0\n\0" "3\0", 16) << "" << "12,è3";
    QTest::newRow("UTF-16 BE with its mark")
        << QByteArray("\xfe\xff" "\0" "1" "\0" "2" "\0" "\r" "\0" "\n", 10) << "" << "12";
    QTest::newRow("as much as a field holds")
        << QByteArray(32767, 'x') + "\r\n" << "" << QString(32767, 'x');
}

void TestValueFile::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, before);
    QFETCH(QString, after);
    m_sheet.fields["Text27"] = before;
    putBytes(path("pendenza equazione.txt"), bytes);

    Files::loadValue(m_sheet, m_messages, "Text27", path("pendenza equazione.txt"));

    QCOMPARE(m_sheet.text("Text27"), after);
    QCOMPARE(m_messages.shown.size(), 0);
    const bool holdsText = !QByteArray(bytes).replace('\r', "").replace('\n', "").isEmpty();
    QCOMPARE(m_sheet.writes, holdsText ? QStringList{"Text27"} : QStringList());
    for (const QString &field : Fields::all()) // nothing else on the sheet moves
        if (field != "Text27" && field != "NomeFile")
            QCOMPARE(m_sheet.text(field), QString());
    QCOMPARE(bytesOf(path("pendenza equazione.txt")), bytes);
}

void TestValueFile::loadFailures_data()
{
    QTest::addColumn<QString>("name");
    // Written to `name` unless "<none>", "<folder>", "<unreadable>" (a value nobody may
    // read), "<pipe>", "<link to pipe>" or "<link to device>".
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem"); // "@" stands for the full path

    QTest::newRow("missing") << "C1.txt" << QByteArray("<none>")
                             << "Il file \"@\" non esiste.";
    QTest::newRow("missing folder") << "manca/C1.txt" << QByteArray("<none>")
                                    << "Il file \"@\" non esiste.";
    QTest::newRow("a folder") << "C1.txt" << QByteArray("<folder>")
                              << "\"@\" è una cartella, non un file.";
    QTest::newRow("one character more than a field holds")
        << "C1.txt" << QByteArray(32768, '7')
        << "Il file \"@\" contiene più testo di quanto una casella possa contenere.";
    QTest::newRow("too long over several lines")
        << "C1.txt" << QByteArray(20000, '7') + "\r\n" + QByteArray(20000, '7') + "\r\n"
        << "Il file \"@\" contiene più testo di quanto una casella possa contenere.";
    QTest::newRow("larger than any value file")
        << "C1.txt" << QByteArray(1024 * 1024 + 1, '\n')
        << "Il file \"@\" è troppo grande.";
    QTest::newRow("unreadable") << "C1.txt" << QByteArray("<unreadable>")
                                << "Il file \"@\" non può essere letto.";
    QTest::newRow("a pipe") << "C1.txt" << QByteArray("<pipe>") << "\"@\" non è un file regolare.";
    QTest::newRow("a link to a pipe") << "C1.txt" << QByteArray("<link to pipe>")
                                      << "\"@\" non è un file regolare.";
    QTest::newRow("a link to a device") << "C1.txt" << QByteArray("<link to device>")
                                        << "\"@\" non è un file regolare.";
    const QString notText = QStringLiteral("Il file \"@\" non è un file di testo.");
    QTest::newRow("NUL byte") << "C1.txt" << QByteArray("12\0" "3\r\n", 6) << notText;
    QTest::newRow("escape byte") << "C1.txt" << QByteArray("\x1b[0m12\r\n") << notText;
    QTest::newRow("DEL byte at the end") << "C1.txt" << QByteArray("12\x7f") << notText;
    QTest::newRow("UTF-16 holding a NUL") << "C1.txt" << QByteArray("\xff\xfe" "1\0" "\0\0" "2\0", 8)
                                          << notText;
    QTest::newRow("UTF-16 cut in half a character") << "C1.txt" << QByteArray("\xff\xfe" "1\0" "2", 5)
                                                    << notText;
}

void TestValueFile::loadFailures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    std::optional<FifoWatchdog> watchdog;
    if (bytes == "<unreadable>") {
        if (runningAsRoot())
            QSKIP("permission bits do not stop root");
        putBytes(path(name), "12.3\r\n");
        QVERIFY(QFile::setPermissions(path(name), QFileDevice::WriteOwner));
    } else if (bytes == "<folder>") {
        QVERIFY(QDir(folder()).mkdir(name));
    } else if (bytes == "<pipe>" || bytes == "<link to pipe>") {
        const QString pipe = bytes == "<pipe>" ? path(name) : path("pipe");
        makeFifo(pipe);
        if (pipe != path(name))
            QVERIFY(QFile::link(pipe, path(name)));
        watchdog.emplace(pipe);
    } else if (bytes == "<link to device>") {
        QVERIFY(QFile::link("/dev/null", path(name)));
    } else if (bytes != "<none>") {
        putBytes(path(name), bytes);
    }
    m_sheet.fields["Text5"] = "keep";

    Files::loadValue(m_sheet, m_messages, "Text5", path(name));
    watchdog.reset();

    QCOMPARE(m_sheet.text("Text5"), QStringLiteral("keep"));
    QVERIFY(m_sheet.writes.isEmpty());
    problem.replace(QLatin1Char('@'), path(name));
    compareOnlyOne(m_messages, "Carica", MessageIcon::Warning, problem + Unchanged);
}

void TestValueFile::saveFailures_data()
{
    QTest::addColumn<QString>("name"); // "@" stands for the temporary folder
    QTest::addColumn<QStringList>("folderAfter"); // a "pipe" in it is made before the save

    QTest::newRow("empty path") << "" << QStringList{"C1.txt"};
    QTest::newRow("missing folder") << "@/manca/C1.txt" << QStringList{"C1.txt"};
    QTest::newRow("a folder") << "@" << QStringList{"C1.txt"};
    QTest::newRow("a folder with a slash") << "@/" << QStringList{"C1.txt"};
    QTest::newRow("a pipe") << "@/pipe" << QStringList{"C1.txt", "pipe"};
    QTest::newRow("a link to a pipe") << "@/link" << QStringList{"C1.txt", "link", "pipe"};
    // Refused from the first save on: the second could not make its temporary file.
    for (int bytes = 249; bytes <= 255; ++bytes) {
        QTest::addRow("name of %d bytes", bytes) << "@/" + QString(bytes, 'n') << QStringList{"C1.txt"};
    }
    QTest::newRow("125 accents, 250 bytes") << "@/" + QString(125, u'è') << QStringList{"C1.txt"};
}

void TestValueFile::saveFailures()
{
    QFETCH(QString, name);
    QFETCH(QStringList, folderAfter);
    name.replace(QLatin1Char('@'), folder());
    putBytes(path("C1.txt"), "10.5\r\n");
    if (folderAfter.contains("pipe"))
        makeFifo(path("pipe"));
    if (folderAfter.contains("link"))
        QVERIFY(QFile::link(path("pipe"), path("link")));
    m_sheet.fields["Text5"] = "12.3";

    Files::saveValue(m_sheet, m_messages, "Text5", name, Success);

    QVERIFY(m_messages.onlyOne("Salva", MessageIcon::Critical, SaveFailed));
    QCOMPARE(entries(folder()), folderAfter);
    QCOMPARE(bytesOf(path("C1.txt")), QByteArray("10.5\r\n"));
    QCOMPARE(m_sheet.text("Text5"), QStringLiteral("12.3"));
    if (folderAfter.contains("pipe"))
        QVERIFY(isFifo(path("pipe")));
}

void TestValueFile::readOnlyFolder()
{
    if (runningAsRoot())
        QSKIP("permission bits do not stop root");
    QVERIFY(QDir(folder()).mkdir("ro"));
    const QString file = path("ro/C1.txt");
    putBytes(file, "10.5\r\n");
    QVERIFY(QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    m_sheet.fields["Text5"] = "12.3";

    Files::saveValue(m_sheet, m_messages, "Text5", file, Success);

    QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner);
    QVERIFY(m_messages.onlyOne("Salva", MessageIcon::Critical, SaveFailed));
    QCOMPARE(bytesOf(file), QByteArray("10.5\r\n"));
    QCOMPARE(entries(path("ro")), QStringList{"C1.txt"});
}

void TestValueFile::writeFailsAfterOpening()
{
    const QString file = path("C1.txt");
    putBytes(file, "10.5\r\n");

    // The child may create files but not write past 4 bytes: opening works,
    // writing "12.3456" and CR LF does not.
    const bool reported = passesUnderFileSizeLimit(4, [&] {
        m_sheet.fields["Text5"] = "12.3456";
        Files::saveValue(m_sheet, m_messages, "Text5", file, Success);
        return m_messages.onlyOne("Salva", MessageIcon::Critical, SaveFailed);
    });

    QVERIFY2(reported, "the child did not show the one failure box");
    QCOMPARE(bytesOf(file), QByteArray("10.5\r\n"));
    QCOMPARE(entries(folder()), QStringList{"C1.txt"});
}

QTEST_GUILESS_MAIN(TestValueFile)
#include "tst_valuefile.moc"
