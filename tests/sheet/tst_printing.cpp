#include "core/fields.h"
#include "sheet/printing.h"
#include "support/sheetfixture.h"
#include "ui/appsetup.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The smallest rectangle holding every pixel that is not white.
QRect painted(const QImage &image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage blankPage(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

class TestPrinting : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { setupApplication(*qApp); }
    void init() { openSheet(); }
    void cleanup() { closeSheet(); }

    void pdfHasOnePage();
    void fitsAndCentres_data();
    void fitsAndCentres();
    void showsCurrentTexts();
    void leavesTheTextCursorOut();
    void unpaintableDevice();
    void noDefaultPrinter();

private:
    QLineEdit *field(const QString &name) const { return control<QLineEdit>(name); }
};

void TestPrinting::pdfHasOnePage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("foglio.pdf");
    QSize page;
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(72);
        page = QSize(writer.width(), writer.height());
        QVERIFY(renderSheet(m_form->centralWidget(), &writer));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF-"));
    QCOMPARE(pdf.count("/Type /Page\n"), 1);
    QVERIFY(pdf.contains("/Count 1\n"));
    QVERIFY(pdf.contains("/MediaBox [0 0 595.000000 842.000000]"));

    // The same page layout on an image: the picture keeps the sheet's
    // 526 : 420 and sits in the middle of the printable area.
    QImage image = blankPage(page);
    QVERIFY(renderSheet(m_form->centralWidget(), &image));
    const QRect picture = painted(image);
    QVERIFY2(qAbs(picture.width() - page.width()) <= 1, qPrintable(QString::number(picture.width())));
    QVERIFY(qAbs(double(picture.width()) / picture.height() - 526.0 / 420.0) < 0.01);
    QVERIFY(qAbs(picture.top() - (page.height() - picture.bottom() - 1)) <= 1);
}

void TestPrinting::fitsAndCentres_data()
{
    QTest::addColumn<QSize>("page");
    QTest::addColumn<QRect>("expected");
    // Edges worked out by hand from scale = min(W / 526, H / 420).
    QTest::newRow("square page, fits the width") << QSize(1000, 1000) << QRect(0, 101, 1000, 798);
    QTest::newRow("wide page, fits the height") << QSize(2000, 800) << QRect(499, 0, 1002, 800);
    QTest::newRow("exact size") << QSize(526, 420) << QRect(0, 0, 526, 420);
    QTest::newRow("smaller than the sheet") << QSize(300, 600) << QRect(0, 180, 300, 240);
}

void TestPrinting::fitsAndCentres()
{
    QFETCH(QSize, page);
    QFETCH(QRect, expected);
    QImage image = blankPage(page);
    QVERIFY(renderSheet(m_form->centralWidget(), &image));
    const QRect picture = painted(image);
    const auto near = [](int a, int b) { return qAbs(a - b) <= 1; };
    QVERIFY2(near(picture.left(), expected.left()) && near(picture.top(), expected.top())
                 && near(picture.right(), expected.right())
                 && near(picture.bottom(), expected.bottom()),
             qPrintable(QStringLiteral("painted %1,%2 %3x%4")
                            .arg(picture.x()).arg(picture.y())
                            .arg(picture.width()).arg(picture.height())));
    // The sheet's own silver fills the picture.
    QCOMPARE(image.pixelColor(expected.left() + 2, expected.top() + 2), QColor(192, 192, 192));
}

void TestPrinting::showsCurrentTexts()
{
    QImage before = blankPage(QSize(526, 420));
    QVERIFY(renderSheet(m_form->centralWidget(), &before));
    field("Text1")->setText("88888888");
    QImage after = blankPage(QSize(526, 420));
    QVERIFY(renderSheet(m_form->centralWidget(), &after));
    const QRect text1 = field("Text1")->geometry();
    const QRect text2 = field("Text2")->geometry();
    QVERIFY(before.copy(text1) != after.copy(text1));
    QCOMPARE(before.copy(text2), after.copy(text2));
}

void TestPrinting::leavesTheTextCursorOut()
{
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    const QRect text1 = field("Text1")->geometry();
    field("Text2")->setFocus();
    QImage elsewhere = blankPage(QSize(526, 420));
    QVERIFY(renderSheet(m_form->centralWidget(), &elsewhere));

    field("Text1")->setFocus();
    QVERIFY(field("Text1")->hasFocus());
    // Two pictures half a blink apart: the cursor shows in at least one.
    for (int i = 0; i < 2; ++i) {
        QImage focused = blankPage(QSize(526, 420));
        QVERIFY(renderSheet(m_form->centralWidget(), &focused));
        QCOMPARE(focused.copy(text1), elsewhere.copy(text1));
        QTest::qWait(QApplication::cursorFlashTime() / 2);
    }
    QVERIFY(!field("Text1")->isReadOnly());
}

void TestPrinting::unpaintableDevice()
{
    QImage nothing;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("QPainter::begin.*"));
    QVERIFY(!renderSheet(m_form->centralWidget(), &nothing));
}

void TestPrinting::noDefaultPrinter()
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("this machine has a default printer; the test would print on it");
    field("Text22")->setText("V");
    field("Text11")->setText("12.3");
    QStringList texts;
    for (const QString &name : Fields::all())
        texts << field(name)->text();

    control<QAction>("mnuStampa")->trigger();

    compareOnlyOne(m_messages, "Stampa", MessageIcon::Warning, NoPrinterMessage);
    QStringList now;
    for (const QString &name : Fields::all())
        now << field(name)->text();
    QCOMPARE(now, texts);
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
