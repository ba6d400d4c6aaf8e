#include "support/sheetfixture.h"
#include "ui/appsetup.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

// A window that will not close, as one asking "save first?" would.
class Stubborn : public QWidget
{
protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The top-level windows of class `className` that are on screen.
QList<QWidget *> shownWindows(const char *className)
{
    QList<QWidget *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && QByteArray(w->metaObject()->className()) == className)
            found << w;
    return found;
}

// Runs the program's event loop until something ends it; a loop still running
// after ten seconds ends with 1, so a fault fails the test instead of hanging it.
int runEventLoop()
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(10000);
    return QApplication::exec();
}

} // namespace

class TestMenus : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { setupApplication(*qApp); }
    void init();
    void cleanup();

    void exitClosesEverything_data();
    void exitClosesEverything();
    void exitDespiteAWindowThatRefuses();
    void closingTheSheetLeavesHelpOpen();
    void entriesOpenNewWindows_data();
    void entriesOpenNewWindows();

private:
    QAction *entry(const QString &name) const { return control<QAction>(name); }
};

void TestMenus::init()
{
    openSheet();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestMenus::cleanup()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != m_form.get() && w->isWindow() && w->isVisible())
            w->close();
    flushDeletes();
    closeSheet();
}

void TestMenus::exitClosesEverything_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("ESCI") << false;
    QTest::newRow("&esci") << true;
}

void TestMenus::exitClosesEverything()
{
    QFETCH(bool, fromMenu);
    entry("mnumanuale")->trigger();
    entry("mnuapri")->trigger();
    QCOMPARE(shownWindows("ManualWindow").size(), 1);
    QCOMPARE(shownWindows("ImageBrowser").size(), 1);
    const QPointer<QWidget> manual = shownWindows("ManualWindow").first();
    const QPointer<QWidget> browser = shownWindows("ImageBrowser").first();

    QTimer::singleShot(0, this, [&] {
        if (fromMenu)
            entry("mnuesci")->trigger();
        else
            click("Command8");
    });
    QCOMPARE(runEventLoop(), 0);

    QVERIFY(!m_form->isVisible());
    flushDeletes();
    QVERIFY(manual.isNull());
    QVERIFY(browser.isNull());
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), w->metaObject()->className());
    QCOMPARE(m_messages.shown.size(), 0);
}

void TestMenus::exitDespiteAWindowThatRefuses()
{
    // Several windows, so one that refuses is likely to come before the others.
    Stubborn stubborn;
    stubborn.show();
    for (int i = 0; i < 4; ++i)
        entry("mnumanuale")->trigger();
    QTimer::singleShot(0, this, [&] { click("Command8"); });
    QCOMPARE(runEventLoop(), 0);
    QVERIFY(!m_form->isVisible());
    QCOMPARE(shownWindows("ManualWindow").size(), 0);
}

void TestMenus::closingTheSheetLeavesHelpOpen()
{
    entry("mnumanuale")->trigger();
    const QPointer<QWidget> manual = shownWindows("ManualWindow").value(0);
    QVERIFY(manual);
    QStringList log;
    QTimer closeSheet, checkLater;
    closeSheet.setSingleShot(true);
    checkLater.setSingleShot(true);
    connect(&closeSheet, &QTimer::timeout, this, [&] {
        m_form->close();
        log << "sheet closed";
        checkLater.start(200);
    });
    connect(&checkLater, &QTimer::timeout, this, [&] {
        if (manual && manual->isVisible())
            log << "manual still open";
        manual->close();
        log << "manual closed";
    });
    closeSheet.start(0);

    QCOMPARE(runEventLoop(), 0); // the last window closing ends the program
    log << "program ended";
    QCOMPARE(log, (QStringList{"sheet closed", "manual still open", "manual closed",
                               "program ended"}));
}

void TestMenus::entriesOpenNewWindows_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("objectName");
    QTest::newRow("&immagine") << "mnuimmagine" << "ImageNoteWindow" << "Dialog1";
    QTest::newRow("&apri") << "mnuapri" << "ImageBrowser" << "Form3";
    QTest::newRow("&curva di luce") << "mnuCurva" << "LightCurveWindow" << "Form4";
    QTest::newRow("&misura su immagine") << "mnuMisura" << "MeasureWindow" << "Form5";
    QTest::newRow("&manuale") << "mnumanuale" << "ManualWindow" << "Dialog";
    QTest::newRow("&Suggerimento") << "mnuSuggerimento" << "SuggestionWindow" << "Form2";
    QTest::newRow("&info") << "mnuinfo" << "AboutWindow" << "frmAbout";
}

void TestMenus::entriesOpenNewWindows()
{
    QFETCH(QString, entry);
    QFETCH(QString, className);
    QFETCH(QString, objectName);
    QAction *action = this->entry(entry);
    action->trigger();
    action->trigger();
    const QList<QWidget *> windows = shownWindows(qPrintable(className));
    QCOMPARE(windows.size(), 2);
    for (QWidget *w : windows) {
        QCOMPARE(w->objectName(), objectName);
        QCOMPARE(w->parentWidget(), nullptr);
        QCOMPARE(w->windowModality(), Qt::NonModal);
        QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
    }
    // The sheet stays usable beside them.
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    click("Command50");
    QCOMPARE(control<QLineEdit>("Text22")->text(), QStringLiteral("B"));

    const QPointer<QWidget> first = windows[0];
    first->close();
    flushDeletes();
    QVERIFY(first.isNull());
    QVERIFY(windows[1]->isVisible());
}

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
