#include "expectedtexts.h"
#include "support/controls.h"
#include "ui/appsetup.h"
#include "windows/dialog.h"
#include "windows/dialog1.h"
#include "windows/form2.h"
#include "windows/helplabel.h"
#include "windows/pictures.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>

// Twips to pixels at 96 dots per inch.
static QRect pixels(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

static std::unique_ptr<QWidget> helpWindow(const QString &name)
{
    if (name == QLatin1String("Dialog"))
        return std::make_unique<Dialog>();
    if (name == QLatin1String("Form2"))
        return std::make_unique<Form2>();
    return std::make_unique<Dialog1>();
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
    void suggestionPhrases();
    void twoManualsAreIndependent();
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
    QTest::newRow("T1") << "Dialog" << "Label1" << Expected::T1 << pixels(0, 0, 14655, 4335)
                        << "Courier";
    QTest::newRow("T3") << "Dialog" << "Label3" << Expected::T3 << pixels(0, 3600, 14655, 975)
                        << "Courier";
    QTest::newRow("T2") << "Dialog" << "Label2" << Expected::T2
                        << pixels(7560, 4560, 6975, 1335) << "Courier";
    QTest::newRow("T4") << "Dialog" << "Label4" << Expected::T4
                        << pixels(7560, 6000, 6735, 2175) << "Courier";
    QTest::newRow("note") << "Dialog1" << "Label1" << Expected::Note
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
    QCOMPARE(l->font().family(), family);
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
    Dialog manual;
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
    Dialog1 note;
    auto *text = control<HelpLabel>(&note, "Label1");
    QVERIFY2(text->textHeight() <= text->height(),
             qPrintable(QString::number(text->textHeight())));
}

void TestHelpWindows::pictures()
{
    Dialog manual;
    auto *chart = control<QLabel>(&manual, "Image1");
    QCOMPARE(chart->geometry(), pixels(0, 4560, 7515, 4785));
    QCOMPARE(chart->pixmap().size(), QSize(501, 319));
    QCOMPARE(calibrationChart().depth(), 24);

    Form2 suggestion;
    auto *strip = control<QLabel>(&suggestion, "Image1");
    QCOMPARE(strip->geometry(), pixels(0, 0, 12750, 855));
    QCOMPARE(strip->pixmap().size(), QSize(850, 57));
    suggestion.show();
    suggestion.resize(400, 300); // the picture keeps its size and place
    QCOMPARE(strip->geometry(), pixels(0, 0, 12750, 855));
    QCOMPARE(suggestionStrip().pixelColor(0, 0), QColor(192, 192, 192));
}

void TestHelpWindows::suggestionPhrases()
{
    QStringList lines;
    for (const QList<Phrase> &line : suggestionLines()) {
        QString text;
        for (const Phrase &phrase : line) {
            if (phrase.colour == QColor(Qt::red))
                text += QStringLiteral("[red: %1]").arg(phrase.text);
            else if (phrase.colour == QColor(Qt::blue))
                text += QStringLiteral("[blue: %1]").arg(phrase.text);
            else if (phrase.colour == QColor(Qt::black))
                text += phrase.text;
            else
                QFAIL(qPrintable(phrase.colour.name()));
        }
        lines << text;
    }
    QCOMPARE(lines, Expected::StripLines);

    // What a screen reader reads of the strip: the same lines, without colours.
    Form2 suggestion;
    const QString heard = QAccessible::queryAccessibleInterface(control<QLabel>(&suggestion, "Image1"))
                              ->text(QAccessible::Name);
    QString seen = Expected::StripLines.join(QLatin1Char('\n'));
    seen.replace(QRegularExpression(QStringLiteral("\\[(red|blue): ([^]]*)\\]")), QStringLiteral("\\2"));
    QCOMPARE(heard, seen);
}

void TestHelpWindows::twoManualsAreIndependent()
{
    QPointer<Dialog> first = new Dialog;
    QPointer<Dialog> second = new Dialog;
    first->show();
    second->show();
    QVERIFY(first->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(second && second->isVisible());
    delete second;
}

QTEST_MAIN(TestHelpWindows)
#include "tst_helpwindows.moc"
