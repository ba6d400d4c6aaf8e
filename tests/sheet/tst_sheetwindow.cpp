#include "core/fields.h"
#include "core/version.h"
#include "photometry/magnitude.h"
#include "photometry/pogson.h"
#include "sheet/sheetlayout.h"
#include "support/guard.h"
#include "support/sheetfixture.h"
#include "ui/appsetup.h"
#include "ui/look.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace SheetLayout;

class TestSheetWindow : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { setupApplication(*qApp); }
    void init() { openSheet(); }
    void cleanup() { closeSheet(); }

    void window();
    void everyControlAsDesigned();
    void colours_data();
    void colours();
    void fonts_data();
    void fonts();
    void tabOrder();
    void menus();
    void resizingMovesNothing();
    void unknownNamesReported();
    void qtTextsInItalian();
    void magnitudeOnTheSheet();
    void magnitudeWarningsOnTheSheet();
};

void TestSheetWindow::window()
{
    QCOMPARE(m_form->objectName(), QStringLiteral("Form1"));
    QCOMPARE(m_form->windowTitle(), "Vevurid" + Version::Full);
    QCOMPARE(m_form->centralWidget()->size(), QSize(526, 420));
    QCOMPARE(m_form->palette().color(QPalette::Window), QColor(192, 192, 192));
    QVERIFY(!m_form->windowIcon().isNull());
    for (const char *field : {"Text1", "Text15", "Text37"})
        QCOMPARE(control<QLineEdit>(field)->text(), QString());
    QCOMPARE(control<QLineEdit>("NomeFile")->text(), QStringLiteral("C:\\fotometria.txt"));
    for (QLineEdit *box : m_form->findChildren<QLineEdit *>())
        QVERIFY2(!box->isReadOnly() && box->isEnabled(), qPrintable(box->objectName()));
}

void TestSheetWindow::everyControlAsDesigned()
{
    // A sample checked against the design numbers directly, twips ÷ 15.
    QCOMPARE(control<QWidget>("Text1")->geometry(), QRect(72, 16, 113, 17));
    QCOMPARE(control<QWidget>("Command9")->geometry(), QRect(16, 204, 313, 45));
    QCOMPARE(control<QWidget>("Frame1")->geometry(), QRect(8, 248, 513, 169));
    QCOMPARE(control<QWidget>("Text36")->geometry(), QRect(384, 112, 113, 18));
    QCOMPARE(control<QPushButton>("Command52")->text(), QStringLiteral("reset dati "));
    QCOMPARE(control<QGroupBox>("Frame1")->title(), QStringLiteral("Opzionale"));
    QCOMPARE(control<QLabel>("Label41")->text(),
             QStringLiteral("Temperatura variabile da 2500° a 9000° Kelvin"));
    QCOMPARE(control<QLabel>("Label29")->text(), QStringLiteral("/"));
    QCOMPARE(control<QWidget>("Text36")->parentWidget()->objectName(), QStringLiteral("Frame1"));
    QCOMPARE(m_form->findChildren<QLineEdit *>().size(), Fields::all().size());
    for (const char *line : {"Line1", "Line2", "Line3", "Line4"})
        QCOMPARE(control<QWidget>(line)->parentWidget()->objectName(), QStringLiteral("Frame1"));
}

void TestSheetWindow::colours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("foreground");
    QTest::newRow("input") << "Text1" << QColor(255, 255, 255) << QColor(0, 0, 0);
    QTest::newRow("variable count") << "Text4" << QColor(255, 255, 255) << QColor(0, 192, 0);
    QTest::newRow("output") << "Text9" << QColor(224, 224, 224) << QColor(0, 0, 0);
    QTest::newRow("variable magnitude") << "Text11" << QColor(224, 224, 224) << QColor(0, 128, 0);
    QTest::newRow("error") << "Text15" << QColor(224, 224, 224) << QColor(128, 0, 0);
    QTest::newRow("particulars") << "Text17" << QColor(255, 255, 192) << QColor(64, 64, 64);
    QTest::newRow("filter") << "Text22" << QColor(255, 255, 192) << QColor(0, 0, 0);
    QTest::newRow("calibrated error") << "Text29" << QColor(224, 224, 224) << QColor(128, 0, 0);
    QTest::newRow("B-V variable") << "Text26" << QColor(255, 255, 255) << QColor(0, 192, 0);
    QTest::newRow("temperature typed") << "Text37" << QColor(255, 255, 255) << QColor(0, 128, 0);
    QTest::newRow("I button") << "Command6" << QColor(128, 0, 0) << QColor();
    QTest::newRow("UV button") << "Command51" << QColor(192, 0, 192) << QColor();
    QTest::newRow("B conversion") << "Command10" << QColor(192, 192, 255) << QColor();
    QTest::newRow("R conversion") << "Command9" << QColor(255, 192, 192) << QColor();
    QTest::newRow("silver button") << "Command1" << QColor(192, 192, 192) << QColor();
}

void TestSheetWindow::colours()
{
    QFETCH(QString, name);
    QFETCH(QColor, background);
    QFETCH(QColor, foreground);
    QWidget *widget = control<QWidget>(name);
    if (auto *box = qobject_cast<QLineEdit *>(widget)) {
        QCOMPARE(box->palette().color(QPalette::Base), background);
        QCOMPARE(box->palette().color(QPalette::Text), foreground);
    } else {
        QCOMPARE(widget->palette().color(QPalette::Button), background);
        // The real pixels: the classic style paints the colour as it is.
        m_form->show();
        const QImage image = widget->grab().toImage();
        QCOMPARE(image.pixelColor(4, image.height() / 2 + 4), background);
    }
}

void TestSheetWindow::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::newRow("number box") << "Text1" << "Tahoma" << 9.75;
    QTest::newRow("file name") << "NomeFile" << "Tahoma" << 9.75;
    QTest::newRow("frame caption") << "Frame1" << "Tahoma" << 9.75;
    QTest::newRow("particulars") << "Text17" << "Tahoma" << 8.25;
    QTest::newRow("button") << "Command1" << "Tahoma" << 8.25;
    QTest::newRow("report button") << "Command60" << "Tahoma" << 9.75;
    QTest::newRow("filter button") << "Command51" << "Tahoma" << 6.0;
    QTest::newRow("heading") << "Label12" << "Times New Roman" << 9.0;
    QTest::newRow("row label") << "Label6" << "CG Omega" << 8.25;
    QTest::newRow("result label") << "Label25" << "CG Omega" << 8.25;
    QTest::newRow("plain label") << "Label11" << "Tahoma" << 8.25;
}

void TestSheetWindow::fonts()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(double, points);
    const QFont font = control<QWidget>(name)->font();
    QCOMPARE(font.family(), Look::family(qPrintable(family)));
    QCOMPARE(font.pointSizeF(), points);
    // The face, or its stand-in, is really there: nothing falls back.
    QCOMPARE(QFontInfo(font).family(), font.family());
}

void TestSheetWindow::tabOrder()
{
    const QStringList &order = SheetLayout::tabOrder();
    QStringList focusable;
    for (QWidget *w : m_form->centralWidget()->findChildren<QWidget *>())
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QPushButton *>(w))
            focusable << w->objectName();
    QStringList sorted = order;
    sorted.sort();
    focusable.sort();
    QCOMPARE(sorted, focusable);
    QCOMPARE(order.mid(0, 8), (QStringList{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6",
                                           "Text7", "Command1"}));
    // Tab walks the whole order as a user's key presses would.
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    control<QWidget>(order.first())->setFocus();
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
    }
}

// The bar shows the menu table: each menu where its first entry is, each
// entry in its menu, in the table's order.
void TestSheetWindow::menus()
{
    QStringList expected, shown;
    for (const MenuEntry &e : menuEntries())
        expected << QStringLiteral("%1 %2 / %3 %4").arg(e.menu, e.menuCaption, e.name, e.caption);
    for (QAction *bar : m_form->menuBar()->actions())
        for (QAction *entry : bar->menu()->actions())
            shown << QStringLiteral("%1 %2 / %3 %4")
                         .arg(bar->menu()->objectName(), bar->text(), entry->objectName(),
                              entry->text());
    QCOMPARE(shown, expected);
}

void TestSheetWindow::resizingMovesNothing()
{
    m_form->show();
    const QRect before = control<QWidget>("Text28")->geometry();
    for (const QSize size : {QSize(900, 700), QSize(300, 200)}) {
        m_form->resize(size);
        QCoreApplication::processEvents();
        QCOMPARE(m_form->size(), size);
        QCOMPARE(control<QWidget>("Text28")->geometry(), before);
        QCOMPARE(m_form->centralWidget()->geometry(), QRect(0, m_form->menuBar()->height(), 526, 420));
    }
    // Beyond the sheet, the window is silver.
    m_form->resize(900, 700);
    QCOMPARE(m_form->grab().toImage().pixelColor(850, 650), QColor(192, 192, 192));
}

void TestSheetWindow::unknownNamesReported()
{
    // A label is no field and a field no label; nothing on the sheet changes.
    const QString before = control<QLineEdit>("Text1")->text();
    QTest::ignoreMessage(QtCriticalMsg, "SheetWindow: no field named \"Label29\"");
    QCOMPARE(m_form->text("Label29"), QString());
    QTest::ignoreMessage(QtCriticalMsg, "SheetWindow: no field named \"Txt1\"");
    m_form->setText("Txt1", "5");
    QTest::ignoreMessage(QtCriticalMsg, "SheetWindow: no label named \"Text1\"");
    QCOMPARE(m_form->caption("Text1"), QString());
    QTest::ignoreMessage(QtCriticalMsg,
                         "SheetWindow: no button or menu entry named \"Label29\" for a command");
    m_form->bind({{"Label29", [](const Context &c) { c.sheet.setText("Text1", "bound"); }}});
    QCOMPARE(control<QLineEdit>("Text1")->text(), before);
    QCOMPARE(control<QLabel>("Label29")->text(), QStringLiteral("/"));
}

void TestSheetWindow::qtTextsInItalian()
{
    // Qt's own dialogs speak the program's language, not the system's.
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Cerca in:"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annulla"));
}

void TestSheetWindow::magnitudeOnTheSheet()
{
    LocaleGuard locale(QLocale::c());
    m_form->show();
    const QStringList inputs = {"800", "250", "250", "80", "9", "11", "12"};
    for (int i = 0; i < 7; ++i) {
        QLineEdit *box = control<QLineEdit>(QStringLiteral("Text%1").arg(i + 1));
        box->clear();
        QTest::keyClicks(box, inputs[i]);
    }
    click("Command1");
    QCOMPARE(m_messages.shown.size(), 0);
    QCOMPARE(control<QLineEdit>("Text12")->text(), QStringLiteral("11.5"));
    QCOMPARE(control<QLineEdit>("Text13")->text(), QStringLiteral("12.2371250542002"));
    QCOMPARE(control<QLineEdit>("Text14")->text(), QStringLiteral("13.2371250542002"));
    // A long result shows its leading digits.
    QCOMPARE(control<QLineEdit>("Text13")->cursorPosition(), 0);
}

void TestSheetWindow::magnitudeWarningsOnTheSheet()
{
    control<QLineEdit>("Text11")->setText("keep");
    click("Command1");
    QCOMPARE(m_messages.shown.size(), 8);
    QCOMPARE(m_messages.shown[0].text, Photometry::AduWarning);
    QCOMPARE(m_messages.shown[6].text, Photometry::MagnitudeWarning);
    QCOMPARE(m_messages.shown[7].icon, MessageIcon::Critical);
    QCOMPARE(control<QLineEdit>("Text11")->text(), QStringLiteral("keep"));
}

QTEST_MAIN(TestSheetWindow)
#include "tst_sheetwindow.moc"
