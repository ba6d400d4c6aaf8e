#include "support/controls.h"
#include "support/recordingmessages.h"
#include "support/scripteddialogs.h"
#include "curvewindows/lightcurveplot.h"
#include "curvewindows/lightcurvewindow.h"
#include "curvewindows/periodwindow.h"
#include "curvewindows/phasebar.h"
#include "aavso/log.h"
#include "ui/fixeddialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <random>

namespace {

constexpr double TruePeriod = 7.1767;
constexpr double FirstJd = 2455000;
// Brightest a quarter period before FirstJd and whole periods from it.
constexpr double Brightest = FirstJd - TruePeriod / 4;

// Six seasons of X Tst in V, brightest at Brightest; two in B; one
// fainter-than and one discrepant far off the curve.
QByteArray observations()
{
    std::mt19937 random(17);
    std::uniform_real_distribution<double> day(0, 240);
    std::normal_distribution<double> noise(0, 0.03);
    QByteArray bytes = Aavso::header("ABC");
    const auto add = [&bytes](double jd, const QByteArray &magnitude, const char *band) {
        bytes += "X Tst," + QByteArray::number(jd, 'f', 5) + ',' + magnitude + ",0.02," + band
               + ",NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na\n";
    };
    for (int i = 0; i < 900; ++i) {
        const double jd = FirstJd + (i % 6) * 365.25 + day(random);
        add(jd, QByteArray::number(10 + 0.5 * std::sin(6.283185307179586 * (jd - FirstJd) / TruePeriod) + noise(random), 'f', 3), "V");
    }
    add(FirstJd + 3, "<14.0", "V");
    add(FirstJd + 5, "13.5", "B");
    add(FirstJd + 6, "13.6", "B");
    return bytes;
}

} // namespace

class TestPeriodWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void findsPeriodAndFillsPhase();
    void peakRowChoosesPeriod();
    void refusals_data();
    void refusals();
    void typedNotANumber_data();
    void typedNotANumber();
    void fitDrawnOverFewCycles_data();
    void fitDrawnOverFewCycles();
    void cancelled();
    void tooManyFrequencies();
    void saves_data();
    void saves();

private:
    PeriodWindow *search() const;

    QTemporaryDir m_dir;
    RecordingMessages m_messages;
    ScriptedDialogs m_dialogs;
    MapSettings m_settings;
    std::unique_ptr<LightCurveWindow> m_window;
};

void TestPeriodWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile file(m_dir.filePath("xtst.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(observations()) > 0);
}

void TestPeriodWindow::init()
{
    m_messages.shown.clear();
    m_window = std::make_unique<LightCurveWindow>(Services{m_messages, m_dialogs, m_settings, m_dir.path()});
    m_window->show();
    m_dialogs.answers << m_dir.filePath("xtst.txt");
    control<QPushButton>(m_window.get(), "cmdApri")->click();
    QTRY_VERIFY(control<QPushButton>(m_window.get(), "cmdApri")->isEnabled());
    control<QPushButton>(m_window.get(), "cmdPeriodo")->click();
    QVERIFY(search());
    QTRY_VERIFY(control<QTableWidget>(search(), "tblPicchi")->rowCount() > 0);
}

void TestPeriodWindow::cleanup()
{
    m_window.reset(); // its search window with it
}

PeriodWindow *TestPeriodWindow::search() const
{
    return m_window->findChild<PeriodWindow *>("Form7");
}

void TestPeriodWindow::findsPeriodAndFillsPhase()
{
    PeriodWindow *window = search();
    QCOMPARE(window->windowTitle(), PeriodWindow::Caption.arg("X Tst"));
    QCOMPARE(control<QComboBox>(window, "cboBanda")->currentText(), "V (900)"); // the fainter-than left out
    const double found = control<QLineEdit>(m_window.get(), "txtPeriodo")->text().toDouble();
    QVERIFY2(std::abs(found - TruePeriod) < 1e-3, qPrintable(QString::number(found)));
    const double epoch = control<QLineEdit>(m_window.get(), "txtEpoca")->text().toDouble();
    const double cycles = (epoch - Brightest) / TruePeriod;
    QVERIFY2(std::abs(cycles - std::round(cycles)) < 0.01, qPrintable(QString::number(cycles)));
    QVERIFY(control<QCheckBox>(m_window.get(), "chkFase")->isChecked());
    LightCurvePlot *plot = control<LightCurvePlot>(m_window.get(), "plot");
    QCOMPARE(plot->xAxis->range().lower, -0.5);
    QCOMPARE(plot->xAxis->range().upper, 1.5);
    QCOMPARE(plot->graph(0)->dataCount(), 2 * 2); // B: each point twice
    const QString fit = control<QLabel>(m_window.get(), "lblAdattamento")->text();
    QVERIFY2(fit.startsWith(PhaseBar::FitText.section(':', 0, 0).arg("V").arg(900)), qPrintable(fit));
    control<QCheckBox>(m_window.get(), "chkFase")->setChecked(false);
    QCOMPARE(plot->graph(0)->dataCount(), 2);
    QVERIFY(plot->xAxis->range().lower > 50000);
}

void TestPeriodWindow::peakRowChoosesPeriod()
{
    auto *peaks = control<QTableWidget>(search(), "tblPicchi");
    QCOMPARE(peaks->rowCount(), 10);
    peaks->setCurrentCell(3, 0);
    const double shown = peaks->item(3, 0)->text().toDouble();
    const double filled = control<QLineEdit>(m_window.get(), "txtPeriodo")->text().toDouble();
    QVERIFY(std::abs(filled - shown) < 1e-2 * shown);
    QVERIFY(std::abs(filled - TruePeriod) > 1e-3);
    // The highest peak's yearly aliases are marked once it is chosen again.
    peaks->setCurrentCell(0, 0);
    const auto rows = peaks->findItems(PeriodWindow::Alias, Qt::MatchExactly);
    QVERIFY(rows.size() >= 2);
}

void TestPeriodWindow::refusals_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<QString>("shortest");
    QTest::addColumn<QString>("longest");
    QTest::addColumn<QString>("status");
    QTest::newRow("zero") << 0 << "0" << "10" << PeriodWindow::BadRange;
    QTest::newRow("the wrong way round") << 0 << "20" << "10" << PeriodWindow::BadRange;
    QTest::newRow("not a number") << 0 << "uno" << "10" << PeriodWindow::BadRange;
    QTest::newRow("two points") << 1 << "1" << "10" << PeriodWindow::TooFew.arg(2).arg(Period::MinimumPoints);
}

void TestPeriodWindow::refusals()
{
    QFETCH(int, band);
    QFETCH(QString, shortest);
    QFETCH(QString, longest);
    QFETCH(QString, status);
    PeriodWindow *window = search();
    auto *bands = control<QComboBox>(window, "cboBanda");
    bands->setCurrentIndex(bands->findText(band == 0 ? "V (900)" : "B (2)"));
    control<QLineEdit>(window, "txtPeriodoMin")->setText(shortest);
    control<QLineEdit>(window, "txtPeriodoMax")->setText(longest);
    control<QPushButton>(window, "cmdCalcola")->click();
    QCOMPARE(control<QLabel>(window, "lblStato")->text(), status);
}

void TestPeriodWindow::typedNotANumber_data()
{
    QTest::addColumn<bool>("search"); // in the search's window, else in the light curve's phase bar
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::newRow("shortest period") << true << "txtPeriodoMin" << "uno";
    QTest::newRow("longest period") << true << "txtPeriodoMax" << "10 d";
    QTest::newRow("phase period") << false << "txtPeriodo" << "7,1,7";
    QTest::newRow("epoch") << false << "txtEpoca" << "n/d";
}

// Refused when typed, naming the box, which keeps the number it had.
void TestPeriodWindow::typedNotANumber()
{
    QFETCH(bool, search);
    QFETCH(QString, box);
    QFETCH(QString, typed);
    auto *field = control<QLineEdit>(search ? static_cast<QWidget *>(this->search()) : m_window.get(), qPrintable(box));
    const QString kept = field->text();
    QVERIFY(!kept.isEmpty());
    field->clear();
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(field->text(), kept);
    QVERIFY(!field->accessibleName().isEmpty());
    QCOMPARE(m_messages.texts(), QStringList{RefusedNumber.arg(field->accessibleName(), kept)});
    QCOMPARE(m_messages.shown[0].icon, MessageIcon::Warning);
    if (search)
        QCOMPARE(control<QLabel>(this->search(), "lblStato")->text(), QString()); // searched with the kept number
    else
        QCOMPARE(control<LightCurvePlot>(m_window.get(), "plot")->xAxis->range().upper, 1.5); // still in phase
}

void TestPeriodWindow::fitDrawnOverFewCycles_data()
{
    QTest::addColumn<bool>("inPhase");
    QTest::addColumn<double>("cycles"); // the view's span in periods; 0: as fitted to the points
    QTest::addColumn<bool>("drawn");
    QTest::newRow("six seasons in time") << false << 0.0 << false;
    QTest::newRow("just within the most cycles") << false << LightCurvePlot::MostFitCycles * 0.999 << true;
    QTest::newRow("just beyond") << false << LightCurvePlot::MostFitCycles * 1.001 << false;
    QTest::newRow("one cycle") << false << 1.0 << true;
    QTest::newRow("in phase") << true << 0.0 << true;
}

// Over decades in time the fit's swings would fill the view: drawn only over few cycles, at every zoom.
void TestPeriodWindow::fitDrawnOverFewCycles()
{
    QFETCH(bool, inPhase);
    QFETCH(double, cycles);
    QFETCH(bool, drawn);
    control<QCheckBox>(m_window.get(), "chkFase")->setChecked(inPhase);
    LightCurvePlot *plot = control<LightCurvePlot>(m_window.get(), "plot");
    const double period = control<QLineEdit>(m_window.get(), "txtPeriodo")->text().toDouble();
    if (cycles > 0) {
        const double lower = plot->xAxis->range().center();
        plot->xAxis->setRange(lower, lower + cycles * period);
    }
    QCPGraph *fit = nullptr;
    for (int i = 0; i < plot->graphCount(); ++i)
        if (plot->graph(i)->name() == LightCurvePlot::FitName)
            fit = plot->graph(i);
    QVERIFY(fit);
    QCOMPARE(fit->visible(), drawn);
    QCOMPARE(fit->dataCount() > 0, drawn);
    QCOMPARE(plot->legend->hasItemWithPlottable(fit), drawn);
}

void TestPeriodWindow::cancelled()
{
    PeriodWindow *window = search();
    control<QLineEdit>(window, "txtPeriodoMin")->setText("0.01"); // over a million frequencies
    control<QPushButton>(window, "cmdCalcola")->click();
    QVERIFY(control<QPushButton>(window, "cmdAnnulla")->isVisible());
    control<QPushButton>(window, "cmdAnnulla")->click();
    QTRY_COMPARE(control<QLabel>(window, "lblStato")->text(), PeriodWindow::Stopped);
    QVERIFY(!control<QPushButton>(window, "cmdAnnulla")->isVisible());
}

// Refused before any memory is taken, in one box; the last result stays.
void TestPeriodWindow::tooManyFrequencies()
{
    PeriodWindow *window = search();
    auto *peaks = control<QTableWidget>(window, "tblPicchi");
    const QString highest = peaks->item(0, 0)->text();
    control<QLineEdit>(window, "txtPeriodoMin")->setText("0,00001");
    control<QPushButton>(window, "cmdCalcola")->click();
    QTRY_COMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown[0].icon, MessageIcon::Warning);
    QVERIFY(m_messages.shown[0].text.contains(QString::number(Period::MostFrequencies)));
    QCOMPARE(peaks->item(0, 0)->text(), highest);
    QVERIFY(!control<QPushButton>(window, "cmdAnnulla")->isVisible());
}

void TestPeriodWindow::saves_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("button");
    QTest::newRow("CSV") << "periodo.csv" << "cmdSalvaDati";
    QTest::newRow("PNG") << "periodo.png" << "cmdSalvaImmagine";
    QTest::newRow("PDF") << "periodo.pdf" << "cmdSalvaImmagine";
}

void TestPeriodWindow::saves()
{
    QFETCH(QString, name);
    QFETCH(QString, button);
    const QString path = m_dir.filePath(name);
    m_dialogs.answers << path;
    control<QPushButton>(search(), button)->click();
    QVERIFY(m_messages.shown.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (name.endsWith(".csv"))
        QVERIFY(bytes.startsWith(Period::CsvHeader + "\r\n") && bytes.count('\n') > 1000);
    else if (name.endsWith(".png"))
        QVERIFY(QImageReader(path).canRead());
    else
        QVERIFY(bytes.startsWith("%PDF"));
}

QTEST_MAIN(TestPeriodWindow)
#include "tst_periodwindow.moc"
