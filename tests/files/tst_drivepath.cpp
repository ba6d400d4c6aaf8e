#include "files/drivepath.h"

#include "support/diskfiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestDrivePath : public QObject
{
    Q_OBJECT
private slots:
    void mapping_data();
    void mapping();
    void onlyDriveCIsCreated();
};

void TestDrivePath::mapping_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected"); // "@" stands for the data folder
    QTest::addColumn<bool>("driveCMade");

    QTest::newRow("report's first name") << "C:\\fotometria.txt" << "@/vevurid/drive_c/fotometria.txt" << true;
    QTest::newRow("small letter, subfolder") << "c:\\oss\\x.txt" << "@/vevurid/drive_c/oss/x.txt" << true;
    QTest::newRow("blanks in the name")
        << "C:\\indice di colore stella variabile.txt"
        << "@/vevurid/drive_c/indice di colore stella variabile.txt" << true;
    QTest::newRow("forward slashes") << "C:/a/b.txt" << "@/vevurid/drive_c/a/b.txt" << true;
    QTest::newRow("no slash after the colon") << "C:x.txt" << "@/vevurid/drive_c/x.txt" << true;
    QTest::newRow("the root itself") << "C:\\" << "@/vevurid/drive_c" << true;
    QTest::newRow("up stops at the root") << "C:\\..\\..\\x.txt" << "@/vevurid/drive_c/x.txt" << true;
    QTest::newRow("up inside the drive") << "C:\\oss\\..\\x.txt" << "@/vevurid/drive_c/x.txt" << true;
    QTest::newRow("doubled backslash") << "C:\\oss\\\\x.txt" << "@/vevurid/drive_c/oss/x.txt" << true;
    QTest::newRow("other drive") << "D:\\misure\\a.txt" << "@/vevurid/drive_d/misure/a.txt" << false;
    QTest::newRow("other drive, capital kept small") << "Z:\\a.txt" << "@/vevurid/drive_z/a.txt" << false;
    QTest::newRow("absolute path") << "/tmp/misure.txt" << "/tmp/misure.txt" << false;
    QTest::newRow("relative path") << "misure.txt" << "misure.txt" << false;
    QTest::newRow("backslashes without drive") << "oss\\x.txt" << "oss\\x.txt" << false;
    QTest::newRow("digit before the colon") << "1:\\x.txt" << "1:\\x.txt" << false;
    QTest::newRow("accented letter before the colon") << "è:\\x.txt" << "è:\\x.txt" << false;
    QTest::newRow("colon later") << "ab:\\x.txt" << "ab:\\x.txt" << false;
    QTest::newRow("empty") << "" << "" << false;
}

void TestDrivePath::mapping()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QFETCH(bool, driveCMade);
    QTemporaryDir data;
    QVERIFY(data.isValid());
    expected.replace(QLatin1Char('@'), data.path());

    QCOMPARE(Files::localPath(data.path(), name), expected);
    QCOMPARE(QFileInfo(data.path() + "/vevurid/drive_c").isDir(), driveCMade);
    QCOMPARE(entries(data.path()), driveCMade ? QStringList{"vevurid"} : QStringList());
    if (driveCMade) // only the drive's root: subfolders are the user's business
        QCOMPARE(entries(data.path() + "/vevurid/drive_c"), QStringList());
}

void TestDrivePath::onlyDriveCIsCreated()
{
    QTemporaryDir data;
    QVERIFY(data.isValid());
    Files::localPath(data.path(), "D:\\a.txt");
    Files::localPath(data.path(), "c:\\b.txt");
    QCOMPARE(entries(data.path() + "/vevurid"), QStringList{"drive_c"});
}

QTEST_GUILESS_MAIN(TestDrivePath)
#include "tst_drivepath.moc"
