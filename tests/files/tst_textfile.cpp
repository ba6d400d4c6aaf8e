#include "files/textfile.h"

#include "support/diskfiles.h"

#include <QTest>

#include <sys/stat.h>

class TestTextFile : public QObject, FolderFixture
{
    Q_OBJECT
private slots:
    void init() { newFolder(); }
    void cleanup() { dropFolder(); }

    void replaceKeepsModeAndOwner_data();
    void replaceKeepsModeAndOwner();
    void replaceLeavesAChangedFile();
    void lock();
};

void TestTextFile::replaceKeepsModeAndOwner_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("owner"); // -1: whoever runs the test

    QTest::newRow("group-readable, set-group-id") << 02640 << -1;
    QTest::newRow("another user's, replaced by root") << 0604 << 65534;
}

void TestTextFile::replaceKeepsModeAndOwner()
{
    QFETCH(int, mode);
    QFETCH(int, owner);
    if (owner >= 0 && !runningAsRoot())
        QSKIP("only root gives a file to another user");
    const QByteArray name = QFile::encodeName(path("log.txt"));
    putBytes(path("log.txt"), "old");
    QCOMPARE(::chown(name.constData(), uid_t(owner), gid_t(owner)), 0);
    QCOMPARE(::chmod(name.constData(), mode_t(mode)), 0); // after chown, which clears set-id bits
    struct stat before;
    QCOMPARE(::stat(name.constData(), &before), 0);

    QVERIFY(Files::replaceFile(path("log.txt"), {"new"}));

    struct stat after;
    QCOMPARE(::stat(name.constData(), &after), 0);
    QCOMPARE(bytesOf(path("log.txt")), QByteArray("new"));
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
}

// Another program wrote to the file after it was read: what was made from
// the old content must not replace the new.
void TestTextFile::replaceLeavesAChangedFile()
{
    putBytes(path("log.txt"), "read");
    const Files::FileVersion read = Files::versionOf(path("log.txt"));
    putBytes(path("log.txt"), "written meanwhile");

    QCOMPARE(Files::replaceFile(path("log.txt"), {"made from what was read"}, read), Files::Replacement::Changed);
    QCOMPARE(bytesOf(path("log.txt")), QByteArray("written meanwhile"));
    QCOMPARE(Files::replaceFile(path("log.txt"), {"new"}, Files::versionOf(path("log.txt"))),
             Files::Replacement::Done);
    QCOMPARE(entries(folder()), QStringList{"log.txt"});
}

void TestTextFile::lock()
{
    putBytes(path("log.txt.lock"), QByteArray()); // left by a program that ended without removing it
    {
        const Files::FileLock first(path("log.txt"), 0);
        const Files::FileLock second(path("log.txt"), 20);
        QCOMPARE(first.state(), Files::FileLock::Locked);
        QCOMPARE(second.state(), Files::FileLock::Busy);
    }
    QCOMPARE(entries(folder()), QStringList());
    QCOMPARE(Files::FileLock(path("gone/log.txt"), 0).state(), Files::FileLock::Failed);
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
