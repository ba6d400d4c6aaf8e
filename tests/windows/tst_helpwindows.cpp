#include "support/controls.h"
#include "ui/appsetup.h"
#include "ui/look.h"
#include "windows/helplabel.h"
#include "windows/helptexts.h"
#include "windows/imagenotewindow.h"
#include "windows/manualwindow.h"
#include "windows/pictures.h"
#include "windows/suggestionwindow.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QTest>

// Twips to pixels at 96 dots per inch.
static QRect pixels(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

static std::unique_ptr<QWidget> helpWindow(const QString &name)
{
    if (name == QLatin1String("Dialog"))
        return std::make_unique<ManualWindow>();
    if (name == QLatin1String("Form2"))
        return std::make_unique<SuggestionWindow>();
    return std::make_unique<ImageNoteWindow>();
}

class TestHelpWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setupApplication(*qApp); }

    void windows_data();
    void windows();
    void labels_data();
    void labels();
    void manualTextsStayInTheirBands();
    void pictures();
    void suggestionReadAloud();
};

void TestHelpWindows::windows_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<bool>("programIcon");
    QTest::newRow("manual") << "Dialog" << "Manuale vevurid" << QSize(979, 629) << true << true;
    QTest::newRow("suggestion") << "Form2" << "Suggerimento " << QSize(855, 61) << false << true;
    QTest::newRow("note") << "Dialog1" << "Nome della finestra di dialogo" << QSize(930, 160)
                          << true << false;
}

void TestHelpWindows::windows()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    QFETCH(bool, fixed);
    QFETCH(bool, programIcon);
    const auto w = helpWindow(window);
    QCOMPARE(w->objectName(), window);
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(w->size(), client);
    QVERIFY(w->isWindow());
    QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(w->minimumSize() == w->maximumSize(), fixed);
    const Qt::WindowFlags flags = w->windowFlags();
    if (fixed) {
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    } else {
        QVERIFY(!(flags & Qt::CustomizeWindowHint)); // the usual title-bar buttons
    }
    const QImage icon = w->windowIcon().pixmap(32, 32).toImage();
    QImage blank(icon.size(), icon.format());
    blank.fill(Qt::transparent);
    QCOMPARE(icon, programIcon ? appIcon().pixmap(32, 32).toImage() : blank);
}

void TestHelpWindows::labels_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("family");
    QTest::newRow("T1") << "Dialog" << "Label1" << HelpTexts::T1 << pixels(0, 0, 14655, 4335)
                        << "Courier";
    QTest::newRow("T3") << "Dialog" << "Label3" << HelpTexts::T3 << pixels(0, 3600, 14655, 975)
                        << "Courier";
    QTest::newRow("T2") << "Dialog" << "Label2" << HelpTexts::T2
                        << pixels(7560, 4560, 6975, 1335) << "Courier";
    QTest::newRow("T4") << "Dialog" << "Label4" << HelpTexts::T4
                        << pixels(7560, 6000, 6735, 2175) << "Courier";
    QTest::newRow("note") << "Dialog1" << "Label1" << HelpTexts::Note
                          << pixels(120, 120, 13695, 2175) << "MS Sans Serif";
}

void TestHelpWindows::labels()
{
    QFETCH(QString, window);
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QRect, place);
    QFETCH(QString, family);
    const auto w = helpWindow(window);
    auto *l = control<HelpLabel>(w.get(), label);
    QCOMPARE(l->text(), text);
    // Painted, not a label: a screen reader has only this to read.
    QCOMPARE(QAccessible::queryAccessibleInterface(l)->text(QAccessible::Name), text);
    QCOMPARE(l->geometry(), place);
    QCOMPARE(l->font().family(), Look::family(qPrintable(family)));
    QCOMPARE(QFontInfo(l->font()).family(), l->font().family());
    QCOMPARE(l->font().pointSize(), 12);
    QVERIFY(l->autoFillBackground());
    QCOMPARE(l->palette().color(QPalette::Window), QColor(192, 192, 192));
    QCOMPARE(l->palette().color(QPalette::WindowText), QColor(64, 64, 64));
    QCOMPARE(w->palette().color(QPalette::Window) == QColor(192, 192, 192),
             window != QLatin1String("Form2"));
}

void TestHelpWindows::manualTextsStayInTheirBands()
{
    // Label3 lies over the bottom of Label1: T1 must end before it, T3 before the chart.
    ManualWindow manual;
    auto *t1 = control<HelpLabel>(&manual, "Label1");
    auto *t2 = control<HelpLabel>(&manual, "Label2");
    auto *t3 = control<HelpLabel>(&manual, "Label3");
    auto *t4 = control<HelpLabel>(&manual, "Label4");
    auto *chart = control<QLabel>(&manual, "Image1");
    const auto end = [](HelpLabel *label) { return label->y() + label->textHeight(); };
    QVERIFY2(end(t1) <= t3->y(), qPrintable(QString::number(end(t1))));
    QVERIFY2(end(t3) <= chart->y(), qPrintable(QString::number(end(t3))));
    QVERIFY2(end(t2) <= t4->y(), qPrintable(QString::number(end(t2))));
    QVERIFY2(end(t4) <= t4->geometry().bottom() + 1, qPrintable(QString::number(end(t4))));
    ImageNoteWindow note;
    auto *text = control<HelpLabel>(&note, "Label1");
    QVERIFY2(text->textHeight() <= text->height(),
             qPrintable(QString::number(text->textHeight())));
}

void TestHelpWindows::pictures()
{
    ManualWindow manual;
    auto *chart = control<QLabel>(&manual, "Image1");
    QCOMPARE(chart->geometry(), pixels(0, 4560, 7515, 4785));
    QCOMPARE(chart->pixmap().size(), QSize(501, 319));
    QCOMPARE(calibrationChart().depth(), 24);

    SuggestionWindow suggestion;
    auto *strip = control<QLabel>(&suggestion, "Image1");
    QCOMPARE(strip->geometry(), pixels(0, 0, 12750, 855));
    QCOMPARE(strip->pixmap().size(), QSize(850, 57));
    suggestion.show();
    suggestion.resize(400, 300); // the picture keeps its size and place
    QCOMPARE(strip->geometry(), pixels(0, 0, 12750, 855));
    QCOMPARE(suggestionStrip().pixelColor(0, 0), QColor(192, 192, 192));
}

// The strip is a picture; a screen reader reads its four lines, without colours.
void TestHelpWindows::suggestionReadAloud()
{
    SuggestionWindow suggestion;
    const QStringList heard =
        QAccessible::queryAccessibleInterface(control<QLabel>(&suggestion, "Image1"))
            ->text(QAccessible::Name)
            .split(QLatin1Char('\n'));
    QCOMPARE(heard.size(), 4);
    QCOMPARE(heard.first(),
             QStringLiteral("equazione m+ con Confronto rossa & Variabile blu=Variabile blu non "
                            "calibrata è più bedole della Variabile blu calibrata"));
    QCOMPARE(heard.last(),
             QStringLiteral("equazione m- con Confronto blu & Variabile rossa=Variabile rossa non "
                            "calibrata è più debole della Variabile rossa calibrata"));
}

QTEST_MAIN(TestHelpWindows)
#include "tst_helpwindows.moc"
