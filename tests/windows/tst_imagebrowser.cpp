#include "support/controls.h"
#include "support/fifo.h"
#include "support/recordingmessages.h"
#include "ui/appsetup.h"
#include "ui/look.h"
#include "windows/imagebrowser.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

// A 1 x 1 GIF whose only pixel is colour 0 of its palette, red.
static const char RedGif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00"
                             "\xff\x00\x00\x00\x00\xff"
                             "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                             "\x02\x02\x44\x01\x00\x3b";

// The same GIF declaring 60000 x 60000 pixels: 14.4 GB once decoded.
static const char BombGif[] = "GIF89a\x60\xea\x60\xea\x80\x00\x00"
                              "\xff\x00\x00\x00\x00\xff"
                              "\x2c\x00\x00\x00\x00\x60\xea\x60\xea\x00"
                              "\x02\x02\x44\x01\x00\x3b";

static void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

static void writePicture(const QString &path, QSize size, QColor colour, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, format));
}

static QStringList files(const ImageBrowser *browser)
{
    QStringList names;
    auto *list = control<QListWidget>(browser, "File1");
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

static void clickFile(const ImageBrowser *browser, const QString &name)
{
    auto *list = control<QListWidget>(browser, "File1");
    const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    list->scrollToItem(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.first()).center());
}

static QTreeWidgetItem *folderItem(const ImageBrowser *browser, const QString &text)
{
    const auto found = control<QTreeWidget>(browser, "Dir1")
                           ->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

static void doubleClickFolder(const ImageBrowser *browser, QTreeWidgetItem *item)
{
    // A double click arrives after the press and release of its first click.
    auto *dirs = control<QTreeWidget>(browser, "Dir1");
    const QPoint at = dirs->visualItemRect(item).center();
    QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, at);
}

static QImage picture(const ImageBrowser *browser)
{
    return control<QLabel>(browser, "Image1")->pixmap().toImage();
}

class TestImageBrowser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup()
    {
        m_browser.reset();
        QDir::setCurrent(m_savedFolder); // cleanup runs after a failed test too
    }

    void window();
    void controls_data();
    void controls();
    void startsAtTheCurrentFolder();
    void loadsPictures_data();
    void loadsPictures();
    void keyboardMoveLoads();
    void clickingAgainReloads();
    void refusesAndKeepsThePicture_data();
    void refusesAndKeepsThePicture();
    void listsRegularFilesOnly();
    void singleClickOnlyHighlightsAFolder();
    void doubleClickOpensAFolder();
    void vanishedFolderIsReported();
    void twoBrowsersAreIndependent();
    void chiudiClosesOnlyThisBrowser();

private:
    QString home() const { return QDir(m_dir.path()).absolutePath(); }

    QTemporaryDir m_dir;
    RecordingMessages m_messages;
    const QString m_savedFolder = QDir::currentPath();
    std::unique_ptr<ImageBrowser> m_browser;
};

void TestImageBrowser::initTestCase()
{
    setupApplication(*qApp);
    QVERIFY(m_dir.isValid());
    writeFile(m_dir.filePath("a.gif"), QByteArray(RedGif, sizeof RedGif - 1));
    writePicture(m_dir.filePath("B.jpg"), {40, 30}, Qt::green, "JPEG");
    writePicture(m_dir.filePath("c.bmp"), {60, 20}, Qt::blue, "BMP");
    writeFile(m_dir.filePath("bomb.gif"), QByteArray(BombGif, sizeof BombGif - 1));
    writeFile(m_dir.filePath("nota.txt"), "non è un'immagine\n");
    QVERIFY(QDir(m_dir.path()).mkpath("sub/inner"));
    writePicture(m_dir.filePath("sub/d.bmp"), {8, 8}, Qt::yellow, "BMP");
}

void TestImageBrowser::init()
{
    m_messages.shown.clear();
    QVERIFY(QDir::setCurrent(m_dir.path())); // a browser starts in the current folder
    m_browser = std::make_unique<ImageBrowser>(m_messages);
    m_browser->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_browser.get()));
}

void TestImageBrowser::window()
{
    QCOMPARE(m_browser->objectName(), QStringLiteral("Form3"));
    QCOMPARE(m_browser->windowTitle(), QStringLiteral("Cerca Immagine"));
    QCOMPARE(m_browser->size(), QSize(473, 426));
    QVERIFY(m_browser->isWindow());
    QVERIFY(m_browser->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!(m_browser->windowFlags() & Qt::CustomizeWindowHint));
    QVERIFY(m_browser->minimumSize() != m_browser->maximumSize());
    QCOMPARE(m_browser->windowIcon().pixmap(32, 32).toImage(),
             appIcon().pixmap(32, 32).toImage());
    QVERIFY(picture(m_browser.get()).isNull());
    QVERIFY(control<QLabel>(m_browser.get(), "Image1")->hasScaledContents());

    auto *chiudi = control<QPushButton>(m_browser.get(), "Command1");
    QCOMPARE(chiudi->text(), QStringLiteral("Chiudi"));
    QCOMPARE(chiudi->font().family(), Look::family("MS Sans Serif"));
    QCOMPARE(chiudi->font().pointSize(), 12);
    const QImage drive = control<QWidget>(m_browser.get(), "Drive1")->grab().toImage();
    // Between its frame and the highlighted drive name.
    QCOMPARE(drive.pixelColor(drive.width() / 2, 2), QColor(Qt::white));

    QWidget *w = control<QWidget>(m_browser.get(), "Drive1");
    for (const char *next : {"Dir1", "File1", "Command1"}) {
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || w->parentWidget() != m_browser.get())
            w = w->nextInFocusChain();
        QCOMPARE(w->objectName(), QLatin1String(next));
    }
}

void TestImageBrowser::controls_data()
{
    // Twips ÷ 15, rounded.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::newRow("Drive1") << "Drive1" << QRect(0, 1, 57, 21);
    QTest::newRow("Dir1") << "Dir1" << QRect(56, 1, 201, 81);
    QTest::newRow("File1") << "File1" << QRect(256, 0, 153, 84);
    QTest::newRow("Command1") << "Command1" << QRect(413, 4, 57, 77);
    QTest::newRow("Image1") << "Image1" << QRect(0, 96, 473, 329);
}

void TestImageBrowser::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    // Resizing the window moves nothing.
    for (const QSize size : {QSize(473, 426), QSize(900, 700), QSize(200, 150)}) {
        m_browser->resize(size);
        QCOMPARE(control<QWidget>(m_browser.get(), qPrintable(name))->geometry(), place);
    }
}

void TestImageBrowser::startsAtTheCurrentFolder()
{
    QCOMPARE(m_browser->currentFolder(), home());
    // Every file, pictures or not, alphabetically regardless of case; no folders.
    QCOMPARE(files(m_browser.get()),
             QStringList({"a.gif", "B.jpg", "bomb.gif", "c.bmp", "nota.txt"}));
    auto *dirs = control<QTreeWidget>(m_browser.get(), "Dir1");
    QCOMPARE(dirs->currentItem()->text(0), QFileInfo(m_dir.path()).fileName());
    QCOMPARE(dirs->currentItem()->childCount(), 1);
    QCOMPARE(dirs->currentItem()->child(0)->text(0), QStringLiteral("sub"));
    QCOMPARE(dirs->topLevelItem(0)->text(0), QDir::rootPath());
    auto *drives = control<QComboBox>(m_browser.get(), "Drive1");
    QCOMPARE(drives->currentText(), QStorageInfo(m_dir.path()).rootPath());
    QVERIFY(drives->findText(QDir::rootPath()) >= 0);
}

void TestImageBrowser::loadsPictures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("GIF") << "a.gif" << QSize(1, 1) << QColor(Qt::red);
    QTest::newRow("JPEG") << "B.jpg" << QSize(40, 30) << QColor(Qt::green);
    QTest::newRow("BMP") << "c.bmp" << QSize(60, 20) << QColor(Qt::blue);
}

void TestImageBrowser::loadsPictures()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(QColor, colour);
    clickFile(m_browser.get(), file);
    const QImage shown = picture(m_browser.get());
    QCOMPARE(shown.size(), size);
    const QColor centre = shown.pixelColor(size.width() / 2, size.height() / 2);
    // JPEG is lossy: a few steps either way.
    QVERIFY2(qAbs(centre.red() - colour.red()) <= 4 && qAbs(centre.green() - colour.green()) <= 4
                 && qAbs(centre.blue() - colour.blue()) <= 4,
             qPrintable(centre.name()));
    QCOMPARE(m_messages.shown.size(), 0);
}

void TestImageBrowser::keyboardMoveLoads()
{
    clickFile(m_browser.get(), "a.gif");
    QTest::keyClick(control<QListWidget>(m_browser.get(), "File1"), Qt::Key_Down);
    QCOMPARE(picture(m_browser.get()).size(), QSize(40, 30));
    QCOMPARE(m_messages.shown.size(), 0);
}

void TestImageBrowser::clickingAgainReloads()
{
    const QString path = m_dir.filePath("c.bmp");
    clickFile(m_browser.get(), "c.bmp");
    QCOMPARE(picture(m_browser.get()).size(), QSize(60, 20));
    writePicture(path, {10, 10}, Qt::blue, "BMP");
    clickFile(m_browser.get(), "c.bmp");
    QCOMPARE(picture(m_browser.get()).size(), QSize(10, 10));
    writePicture(path, {60, 20}, Qt::blue, "BMP");
}

void TestImageBrowser::refusesAndKeepsThePicture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    const QString path = QDir::toNativeSeparators(home()) + "/";
    QTest::newRow("not a picture")
        << "nota.txt"
        << "Il file \"" + path + "nota.txt\" non è un'immagine leggibile (GIF, JPEG, BMP o PNG).";
    QTest::newRow("decompression bomb")
        << "bomb.gif"
        << "L'immagine \"" + path
               + "bomb.gif\" è troppo grande per essere mostrata (60000 x 60000 pixel).";
}

void TestImageBrowser::refusesAndKeepsThePicture()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    clickFile(m_browser.get(), "B.jpg");
    const QImage before = picture(m_browser.get());
    const QStringList listed = files(m_browser.get());
    QElapsedTimer clock;
    clock.start();
    clickFile(m_browser.get(), file);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    compareOnlyOne(m_messages, "Cerca Immagine", MessageIcon::Warning, message);
    QCOMPARE(picture(m_browser.get()), before);
    QCOMPARE(files(m_browser.get()), listed);
    QVERIFY(m_browser->isVisible());
}

void TestImageBrowser::listsRegularFilesOnly()
{
    QTemporaryDir dir;
    const auto at = [&dir](const char *name) { return dir.filePath(name); };
    writeFile(at("a.gif"), QByteArray(RedGif, sizeof RedGif - 1));
    writeFile(at("swap.gif"), QByteArray(RedGif, sizeof RedGif - 1));
    makeFifo(at("pipe"));
    QVERIFY(QFile::link(at("pipe"), at("to pipe")));
    QVERIFY(QFile::link("/dev/null", at("to device")));
    QVERIFY(QFile::link(at("a.gif"), at("to a.gif")));
    QVERIFY(m_browser->openFolder(dir.path()));
    QCOMPARE(files(m_browser.get()), QStringList({"a.gif", "swap.gif", "to a.gif"}));
    QCOMPARE(control<QTreeWidget>(m_browser.get(), "Dir1")->currentItem()->childCount(), 0);

    // A pipe put in a listed file's place is refused at once.
    QVERIFY(QFile::remove(at("swap.gif")));
    makeFifo(at("swap.gif"));
    const FifoWatchdog watchdog(at("swap.gif"));
    QElapsedTimer clock;
    clock.start();
    clickFile(m_browser.get(), "swap.gif");
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    compareOnlyOne(m_messages, "Cerca Immagine", MessageIcon::Warning,
                   "Il file \"" + QDir::toNativeSeparators(at("swap.gif"))
                       + "\" non è un'immagine leggibile (GIF, JPEG, BMP o PNG).");
}

void TestImageBrowser::singleClickOnlyHighlightsAFolder()
{
    auto *dirs = control<QTreeWidget>(m_browser.get(), "Dir1");
    QTreeWidgetItem *sub = folderItem(m_browser.get(), "sub");
    QVERIFY(sub);
    QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, dirs->visualItemRect(sub).center());
    QCOMPARE(dirs->currentItem(), sub);
    QCOMPARE(m_browser->currentFolder(), home());
    QCOMPARE(files(m_browser.get()).size(), 5);
}

void TestImageBrowser::doubleClickOpensAFolder()
{
    clickFile(m_browser.get(), "c.bmp");
    const QImage before = picture(m_browser.get());
    auto *dirs = control<QTreeWidget>(m_browser.get(), "Dir1");
    doubleClickFolder(m_browser.get(), folderItem(m_browser.get(), "sub"));

    QCOMPARE(m_browser->currentFolder(), QDir(m_dir.filePath("sub")).absolutePath());
    QCOMPARE(files(m_browser.get()), QStringList({"d.bmp"}));
    QCOMPARE(dirs->currentItem()->text(0), QStringLiteral("sub"));
    QCOMPARE(dirs->currentItem()->parent()->text(0), QFileInfo(m_dir.path()).fileName());
    QCOMPARE(dirs->currentItem()->child(0)->text(0), QStringLiteral("inner"));
    // The picture stays until another file is chosen.
    QCOMPARE(picture(m_browser.get()), before);
    clickFile(m_browser.get(), "d.bmp");
    QCOMPARE(picture(m_browser.get()).size(), QSize(8, 8));

    // And back up through an ancestor.
    doubleClickFolder(m_browser.get(), dirs->currentItem()->parent());
    QCOMPARE(m_browser->currentFolder(), home());
    QCOMPARE(files(m_browser.get()).size(), 5);
    QCOMPARE(m_messages.shown.size(), 0);
}

void TestImageBrowser::vanishedFolderIsReported()
{
    QVERIFY(QDir(m_dir.path()).mkdir("gone"));
    m_browser.reset();
    m_browser = std::make_unique<ImageBrowser>(m_messages);
    m_browser->show();
    QVERIFY(QDir(m_dir.path()).rmdir("gone"));
    const QStringList listed = files(m_browser.get());
    QTreeWidgetItem *gone = folderItem(m_browser.get(), "gone");
    QVERIFY(gone);
    doubleClickFolder(m_browser.get(), gone);
    QCOMPARE(m_messages.texts(),
             QStringList("Impossibile leggere la cartella \""
                         + QDir::toNativeSeparators(m_dir.filePath("gone")) + "\"."));
    QCOMPARE(m_browser->currentFolder(), home());
    QCOMPARE(files(m_browser.get()), listed);
    QVERIFY(folderItem(m_browser.get(), "gone"));
}

void TestImageBrowser::twoBrowsersAreIndependent()
{
    ImageBrowser other(m_messages);
    other.show();
    QVERIFY(m_browser->openFolder(m_dir.filePath("sub")));
    clickFile(m_browser.get(), "d.bmp");
    QCOMPARE(other.currentFolder(), home());
    QCOMPARE(files(&other).size(), 5);
    QVERIFY(picture(&other).isNull());
    clickFile(&other, "c.bmp");
    QCOMPARE(picture(m_browser.get()).size(), QSize(8, 8));
    QCOMPARE(picture(&other).size(), QSize(60, 20));
}

void TestImageBrowser::chiudiClosesOnlyThisBrowser()
{
    QPointer<ImageBrowser> first = new ImageBrowser(m_messages);
    QPointer<ImageBrowser> second = new ImageBrowser(m_messages);
    first->show();
    second->show();
    QTest::mouseClick(control<QPushButton>(first, "Command1"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(second && second->isVisible());
    QVERIFY(m_browser->isVisible());
    delete second;
}

QTEST_MAIN(TestImageBrowser)
#include "tst_imagebrowser.moc"
