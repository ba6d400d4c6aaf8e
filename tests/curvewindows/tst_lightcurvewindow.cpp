#include "support/controls.h"
#include "support/localserver.h"
#include "aavsoweb/cache.h"
#include "aavsoweb/downloads.h"
#include "aavsoweb/fetch.h"
#include "curvewindows/observationsdialog.h"
#include "support/recordingmessages.h"
#include "support/scripteddialogs.h"
#include "curvewindows/lightcurveplot.h"
#include "curvewindows/lightcurvewindow.h"
#include "curvewindows/plotimage.h"
#include "aavso/log.h"
#include "aavso/logchoice.h"
#include "aavso/curve.h"
#include "aavso/bands.h"
#include "aavso/reading.h"
#include "aavso/vocabulary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImageReader>
#include <QLineEdit>
#include <QPointer>
#include <QUrlQuery>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// An AAVSO Extended file written by `software`; each row gives
// NAME,DATE,MAG,MERR,FILT[,NOTES].
static QString extended(const char *software, const QStringList &rows)
{
    QString text = QString::fromLatin1(Aavso::header("ABC", "\n").replace(Aavso::software(), software));
    for (const QString &row : rows) {
        const QStringList f = row.split(QLatin1Char(','));
        text += f.mid(0, 5).join(QLatin1Char(','))
              + QStringLiteral(",NO,STD,E,na,K,12.1,1.2,na,X1,%1\n").arg(f.value(5, "na"));
    }
    return text;
}

// V612 Sct: five observations by others and two of the observer's own, out of
// date order; RR Lyr is written after SS Cyg but observed more often.
static const QString Others = extended("Altro 2.4", {
    "V612 Sct,2460010.5,12.1,0.01,V", "SS Cyg,2460001.5,9.0,0.01,V",
    "V612 Sct,2460001.5,12.2,0.02,V", "v612  SCT,2460003.5,<13.5,na,V",
    "RR Lyr,2460001.5,7.9,0.01,V", "V612 Sct,2460002.5,13.0,0.03,B", "RR Lyr,2460002.5,7.8,0.01,V",
    "V612 Sct,2460004.5,11.0,na,I", "SS Cyg,2460002.5,9.1,0.01,V", "RR Lyr,2460003.5,7.7,0.01,V"});
static const QString Own = extended("Vevurid 1.4.3", {"V612 SCT,2460006.25,11.05,0.005,I",
                                                     "V612 SCT,2460005.25,12.15,0.005,V,nuvole"});

// The rows of RR Lyr added to Others to make a large file.
static constexpr int LargeRows = 500000;

// V612 Sct in `count` bands of codes nobody uses.
static QStringList bandRows(int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows << QStringLiteral("V612 Sct,2460001.5,12,0.01,X%1").arg(i, 4, 10, QLatin1Char('0'));
    return rows;
}

// Twenty-one days of V612 Sct from 10 to 11 magnitudes, errors of 0.01 but
// one of 99.999, a line the reader skips.
static QStringList outlierRows()
{
    QStringList rows;
    for (int i = 0; i <= 20; ++i)
        rows << QStringLiteral("V612 Sct,%1,%2,%3,V")
                    .arg(2460001 + i).arg(10 + i * 0.05).arg(i == 7 ? "99.999" : "0.01");
    return rows;
}

static QCPErrorBars *errorBarsOf(QCustomPlot *plot, const QCPGraph *graph)
{
    for (int i = 0; i < plot->plottableCount(); ++i)
        if (auto *bars = qobject_cast<QCPErrorBars *>(plot->plottable(i)))
            if (bars->dataPlottable() == graph)
                return bars;
    return nullptr;
}

class TestLightCurveWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { m_window.reset(); }
    void pointsPerSeries();
    void axes();
    void starsMostObservedFirst();
    void status_data();
    void status();
    void filterBoxesHideAndShow_data();
    void filterBoxesHideAndShow();
    void pointDetails_data();
    void pointDetails();
    void dialogsStartAtTheLastLog();
    void saveImage_data();
    void saveImage();
    void refusedFileChangesNothing_data();
    void refusedFileChangesNothing();
    void readingInTheBackground_data();
    void readingInTheBackground();
    void fileShownIsNotAddedAgain_data();
    void fileShownIsNotAddedAgain();
    void windowKeepsItsSize_data();
    void windowKeepsItsSize();
    void fitIgnoresErrors();
    void discrepantHiddenUntilShown();
    void observationsDownloadedThenFromCopy();
    void observationsRefused_data();
    void observationsRefused();

private:
    // Clicks "Scarica dall'AAVSO...", types into the dialog and clicks
    // "Scarica"; gives the dialog, gone once the download started.
    QPointer<ObservationsDialog> download(const QString &star, const QString &from, const QString &to);
    void load(const QStringList &names); // the first opened, the others added
    void click(const char *button);        // and wait while a file is read
    LightCurvePlot *plot() const { return control<LightCurvePlot>(m_window.get(), "plot"); }
    QString statusText() const { return control<QLabel>(m_window.get(), "lblStato")->text(); }

    QTemporaryDir m_dir;
    RecordingMessages m_messages;
    ScriptedDialogs m_dialogs;
    MapSettings m_settings;
    std::unique_ptr<LightCurveWindow> m_window;
};

void TestLightCurveWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The AAVSO's answers are kept in the test's folder.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath("cache")));
    const QList<QPair<QString, QString>> files = {
        {"others.txt", Others},
        {"own.txt", Own},
        {"tcrb.txt", extended("x", QStringList(4, "T CrB,2460001.5,10,na,V"))},
        {"bad.txt", extended("x", {"V612 Sct,2460001.5,12.2,0.02,V", "V612 Sct,giorno,12.2,0.02,V",
                                   "V612 Sct,2460002.5,abc,0.02,V"})},
        {"vecchia.png", "vecchia"},
        {"appunti.txt", "lista della spesa\n"},
        {"lungo.txt", extended("x", {QString(1000, 'A') + ",2460001.5,10,na,V"})},
        {"filtri.txt", extended("x", bandRows(1000))},
        {"scarto.txt", extended("x", outlierRows())}};
    for (const auto &[name, text] : files) {
        QFile file(m_dir.filePath(name));
        const QByteArray bytes = text.toUtf8();
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QVERIFY(QDir(m_dir.path()).mkpath("cartella.png"));
    QVERIFY(QFile::link(m_dir.filePath("others.txt"), m_dir.filePath("collegamento.txt")));
    // Large enough to be read in many pieces.
    QFile large(m_dir.filePath("grande.txt"));
    QVERIFY(large.open(QIODevice::WriteOnly));
    QVERIFY(large.write(Others.toUtf8()) > 0);
    QVERIFY(large.write(QByteArray("RR Lyr,2460001.5,7.9,0.01,V,NO,STD,E,na,K,12.1,1.2,na,X1,na\n")
                            .repeated(LargeRows)) > 0);
}

QPointer<ObservationsDialog> TestLightCurveWindow::download(const QString &star, const QString &from, const QString &to)
{
    control<QPushButton>(m_window.get(), "cmdScarica")->click();
    QPointer<ObservationsDialog> dialog;
    for (auto *each : m_window->findChildren<ObservationsDialog *>(QStringLiteral("Form10")))
        if (each->isVisible())
            dialog = each;
    if (!dialog)
        return dialog;
    control<QLineEdit>(dialog, "txtStella")->setText(star);
    control<QLineEdit>(dialog, "txtDal")->setText(from);
    control<QLineEdit>(dialog, "txtAl")->setText(to);
    control<QPushButton>(dialog, "cmdOk")->click();
    auto *open = control<QPushButton>(m_window.get(), "cmdApri");
    [&] { QTRY_VERIFY(open->isEnabled()); }(); // read
    return dialog;
}

void TestLightCurveWindow::init()
{
    m_messages.shown.clear();
    m_dialogs.asked.clear();
    m_settings.values.clear();
    m_window = std::make_unique<LightCurveWindow>(Services{m_messages, m_dialogs, m_settings, m_dir.path()});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestLightCurveWindow::load(const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        m_dialogs.answers << m_dir.filePath(names[i]);
        click(i == 0 ? "cmdApri" : "cmdAggiungi");
    }
}

void TestLightCurveWindow::click(const char *button)
{
    auto *open = control<QPushButton>(m_window.get(), "cmdApri");
    control<QPushButton>(m_window.get(), button)->click();
    QTRY_VERIFY(open->isEnabled()); // read
}

// Each graph as "name points firstX", " ±" after one with error bars; later
// graphs are drawn over earlier ones.
void TestLightCurveWindow::pointsPerSeries()
{
    load({"others.txt", "own.txt"});
    QStringList drawn;
    for (int i = 0; i < plot()->graphCount(); ++i) {
        const QCPGraph *graph = plot()->graph(i);
        drawn << QStringLiteral("%1 %2 %3%4").arg(graph->name()).arg(graph->dataCount())
                     .arg(graph->data()->at(0)->key, 0, 'f', 2).arg(errorBarsOf(plot(), graph) ? " ±" : "");
    }
    QCOMPARE(drawn, (QStringList{"B 1 60002.50 ±", "V 2 60001.50 ±", "I 1 60004.50", "V (<) 1 60003.50",
                                 "V proprie 1 60005.25 ±", "I proprie 1 60006.25 ±"}));
}

// JD 2460000.5 is 25 February 2023 at 0 h UTC.
void TestLightCurveWindow::axes()
{
    QCOMPARE(plot()->xAxis->label(), QStringLiteral("JD − 2400000"));
    QCOMPARE(plot()->yAxis->label(), QStringLiteral("Magnitudine"));
    QVERIFY(plot()->yAxis->rangeReversed());
    plot()->xAxis->setRange(60000.2, 60000.8);
    plot()->replot();
    const QStringList labels = plot()->xAxis2->tickVectorLabels();
    QVERIFY2(labels.contains("25/02/2023\n00:00"), qPrintable(labels.join(QLatin1Char('|'))));
}

void TestLightCurveWindow::starsMostObservedFirst()
{
    load({"others.txt", "own.txt"});
    auto *stars = control<QComboBox>(m_window.get(), "cboStella");
    QStringList names;
    for (int i = 0; i < stars->count(); ++i)
        names << stars->itemText(i);
    QCOMPARE(names, QStringList({"V612 Sct", "RR Lyr", "SS Cyg"}));
    stars->setCurrentIndex(2);
    QCOMPARE(statusText(), Aavso::LightCurve::Observed.arg("SS Cyg", "2", "1", ""));
    QCOMPARE(plot()->graphCount(), 1);
}

void TestLightCurveWindow::status_data()
{
    using Aavso::LightCurve::Observed;
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("status");
    QTest::newRow("own log added") << QStringList{"others.txt", "own.txt"} << Observed.arg("V612 Sct", "7", "2", "");
    QTest::newRow("another star added, this one kept")
        << QStringList{"others.txt", "tcrb.txt"} << Observed.arg("V612 Sct", "5", "1", "");
    QTest::newRow("skipped lines")
        << QStringList{"others.txt", "bad.txt"}
        << Observed.arg("V612 Sct", "6", "2", "")
               + Aavso::LightCurve::SkippedLines.arg("2", "9", "bad.txt", Aavso::LightCurve::Reading::BadDate);
}

void TestLightCurveWindow::status()
{
    QFETCH(QStringList, files);
    QFETCH(QString, status);
    load(files);
    QCOMPARE(statusText(), status);
    QVERIFY(m_messages.shown.isEmpty());
}

void TestLightCurveWindow::filterBoxesHideAndShow_data()
{
    QTest::addColumn<QString>("band");
    QTest::addColumn<QStringList>("series");
    QTest::newRow("B") << "B" << QStringList{"B"};
    QTest::newRow("V") << "V" << QStringList{"V", "V (<)", "V proprie"};
    QTest::newRow("I") << "I" << QStringList{"I", "I proprie"};
}

void TestLightCurveWindow::filterBoxesHideAndShow()
{
    QFETCH(QString, band);
    QFETCH(QStringList, series);
    load({"others.txt", "own.txt"});
    auto *box = control<QCheckBox>(m_window.get(), "chk" + band);
    QCOMPARE(box->text(), band);
    QCOMPARE(box->palette().color(QPalette::WindowText), QColor::fromRgb(Aavso::Bands::find(band)->colour));
    for (bool shown : {false, true}) {
        box->setChecked(shown);
        for (int i = 0; i < plot()->graphCount(); ++i) {
            const QCPGraph *graph = plot()->graph(i);
            const bool visible = shown || !series.contains(graph->name());
            QCOMPARE(graph->visible(), visible);
            if (QCPErrorBars *bars = errorBarsOf(plot(), graph))
                QCOMPARE(bars->visible(), visible);
        }
    }
}

void TestLightCurveWindow::pointDetails_data()
{
    QTest::addColumn<int>("graph");
    QTest::addColumn<QString>("details");
    QTest::newRow("own, with notes")
        << 4 << "JD 2460005.25000 · 01/03/2023 18:00:00 UTC · filtro V · magnitudine 12.15 ± "
                "0.005 · osservatore ABC · note: nuvole";
    QTest::newRow("fainter-than, no error")
        << 3 << "JD 2460003.50000 · 28/02/2023 00:00:00 UTC · filtro V · magnitudine <13.5 · "
                "osservatore ABC";
}

void TestLightCurveWindow::pointDetails()
{
    QFETCH(int, graph);
    QFETCH(QString, details);
    load({"others.txt", "own.txt"});
    plot()->replot();
    const QCPGraph *series = plot()->graph(graph);
    const auto point = series->data()->at(0);
    QTest::mouseClick(plot(), Qt::LeftButton, {},
                      series->coordsToPixels(point->key, point->value).toPoint());
    QCOMPARE(control<QLabel>(m_window.get(), "lblPunto")->text(), details);
}

void TestLightCurveWindow::dialogsStartAtTheLastLog()
{
    const QString log = m_dir.filePath("notte.txt");
    AavsoLog::rememberLog(m_settings, log);
    load({"manca1.txt", "manca2.txt"});
    using Q = ScriptedDialogs::Question;
    QCOMPARE(m_dialogs.asked, (QList<Q>{{"Apri", log, false}, {"Aggiungi", log, false}}));
}

void TestLightCurveWindow::saveImage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format"); // empty: refused
    QTest::addColumn<bool>("known");        // a suffix that names a format
    QTest::newRow("PNG") << "curva.png" << QByteArray("png") << true;
    QTest::newRow("PNG over an old file") << "vecchia.png" << QByteArray("png") << true;
    QTest::newRow("PDF") << "curva.PDF" << QByteArray("pdf") << true;
    QTest::newRow("JPEG") << "curva.jpg" << QByteArray("jpeg") << true;
    QTest::newRow("JPEG, long suffix") << "curva.JPEG" << QByteArray("jpeg") << true;
    QTest::newRow("BMP") << "curva.bmp" << QByteArray("bmp") << true;
    QTest::newRow("unknown suffix") << "curva.gif" << QByteArray() << false;
    QTest::newRow("folder left alone") << "cartella.png" << QByteArray() << true;
    QTest::newRow("missing folder") << "manca/curva.png" << QByteArray() << true;
}

void TestLightCurveWindow::saveImage()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QFETCH(bool, known);
    load({"others.txt"});
    const QString path = m_dir.filePath(name);
    const bool wasFolder = QFileInfo(path).isDir();
    m_dialogs.answers = QStringList{path};
    control<QPushButton>(m_window.get(), "cmdSalva")->click();
    QCOMPARE(m_dialogs.asked.last(), (ScriptedDialogs::Question{PlotImage::Title, m_dir.path(), false}));
    if (format.isEmpty()) {
        compareOnlyOne(m_messages, m_window->windowTitle(), MessageIcon::Warning,
                       known ? PlotImage::NotSaved.arg(path)
                             : PlotImage::UnknownFormat.arg(path));
        QCOMPARE(QFileInfo(path).isDir(), wasFolder);
        QCOMPARE(QFileInfo::exists(path), wasFolder);
        return;
    }
    QVERIFY(m_messages.shown.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    if (format == "pdf") {
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
        return;
    }
    QImageReader image(&file);
    QCOMPARE(image.format(), format);
    QCOMPARE(image.read().size(), plot()->size());
}

void TestLightCurveWindow::refusedFileChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("button");
    QTest::newRow("not an AAVSO file, opened") << "appunti.txt" << "cmdApri";
    QTest::newRow("not an AAVSO file, added") << "appunti.txt" << "cmdAggiungi";
    QTest::newRow("a folder") << "cartella.png" << "cmdApri";
    QTest::newRow("a missing file") << "manca.txt" << "cmdAggiungi";
}

void TestLightCurveWindow::refusedFileChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, button);
    load({"others.txt", "own.txt"});
    const QString before = statusText();
    m_dialogs.answers = QStringList{m_dir.filePath(name)};
    click(qPrintable(button));
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown[0].title, m_window->windowTitle());
    QCOMPARE(m_messages.shown[0].icon, MessageIcon::Warning);
    QVERIFY2(m_messages.shown[0].text.contains(name), qPrintable(m_messages.shown[0].text));
    QCOMPARE(statusText(), before);
    QCOMPARE(control<QComboBox>(m_window.get(), "cboStella")->count(), 3);
    QCOMPARE(plot()->graphCount(), 6);
}

void TestLightCurveWindow::readingInTheBackground_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("stop"); // "Annulla", the window closed, or nothing
    QTest::newRow("added, cancelled") << "cmdAggiungi" << "Annulla";
    QTest::newRow("opened, cancelled") << "cmdApri" << "Annulla";
    QTest::newRow("window closed while reading") << "cmdAggiungi" << "close";
    QTest::newRow("read to the end") << "cmdAggiungi" << "";
}

void TestLightCurveWindow::readingInTheBackground()
{
    QFETCH(QString, button);
    QFETCH(QString, stop);
    load({"others.txt", "own.txt"});
    const QString before = statusText();
    auto *progress = control<QProgressBar>(m_window.get(), "prgLettura");
    auto *open = control<QPushButton>(m_window.get(), "cmdApri");
    auto *add = control<QPushButton>(m_window.get(), "cmdAggiungi");
    QVERIFY(progress->isHidden());
    m_dialogs.answers = QStringList{m_dir.filePath("grande.txt")};
    control<QPushButton>(m_window.get(), button)->click();
    QVERIFY(progress->isVisible());
    QVERIFY(!open->isEnabled() && !add->isEnabled());
    if (stop == "close") {
        m_window.reset(); // waits for the reading thread, which must not outlive it
        return;
    }
    if (stop == "Annulla")
        control<QPushButton>(m_window.get(), "cmdAnnulla")->click();
    QTRY_VERIFY_WITH_TIMEOUT(open->isEnabled(), 30000);
    QVERIFY(add->isEnabled() && progress->isHidden());
    QVERIFY(m_messages.shown.isEmpty());
    auto *stars = control<QComboBox>(m_window.get(), "cboStella");
    if (stop.isEmpty()) {
        QCOMPARE(stars->itemText(0), QStringLiteral("RR Lyr")); // now the most observed
        QCOMPARE(statusText(), Aavso::LightCurve::Observed.arg("V612 Sct", "12", "3", ""));
        return;
    }
    QCOMPARE(statusText(), before);
    QCOMPARE(stars->count(), 3);
    QCOMPARE(plot()->graphCount(), 6);
}

void TestLightCurveWindow::fileShownIsNotAddedAgain_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("same name") << "others.txt";
    QTest::newRow("through a link") << "collegamento.txt";
    QTest::newRow("through another folder") << "cartella.png/../others.txt";
}

void TestLightCurveWindow::fileShownIsNotAddedAgain()
{
    QFETCH(QString, name);
    load({"others.txt", "own.txt"});
    const QString before = statusText();
    m_dialogs.answers = QStringList{m_dir.filePath(name)};
    click("cmdAggiungi");
    compareOnlyOne(m_messages, m_window->windowTitle(), MessageIcon::Warning,
                   LightCurveWindow::AlreadyShown.arg(QFileInfo(name).fileName()));
    QCOMPARE(statusText(), before);
    QCOMPARE(plot()->graphCount(), 6);
}

void TestLightCurveWindow::windowKeepsItsSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("series");
    QTest::newRow("a name of 1000 characters") << "lungo.txt" << 1;
    QTest::newRow("1000 bands") << "filtri.txt" << 1000;
}

void TestLightCurveWindow::windowKeepsItsSize()
{
    QFETCH(QString, name);
    QFETCH(int, series);
    const QSize size = m_window->size();
    load({name});
    QCOMPARE(m_window->size(), size);
    const QSize least = m_window->minimumSizeHint();
    QVERIFY2(least.width() <= size.width() && least.height() <= size.height(),
             qPrintable(QStringLiteral("%1×%2").arg(least.width()).arg(least.height())));
    auto *stars = control<QComboBox>(m_window.get(), "cboStella");
    QCOMPARE(stars->toolTip(), stars->itemText(0));
    QCOMPARE(plot()->graphCount(), series);
    QCOMPARE(m_window->findChildren<QCheckBox *>(QRegularExpression("^chk(V|X\\d+)$")).size(), series);
    // The legend lists what it has room for, and says how much it leaves out.
    const int listed = std::min(series, LightCurvePlot::LegendEntries);
    const bool more = series > listed;
    QCOMPARE(plot()->legend->elementCount(), listed + more);
    if (more) {
        auto *last = qobject_cast<QCPTextElement *>(plot()->legend->elementAt(listed));
        QVERIFY(last);
        QCOMPARE(last->text(), LightCurvePlot::LegendMore.arg(series - listed));
    }
}

// Twenty-one days from 60001 and magnitudes from 10 to 11, with 6 % and 12 %
// around; the error bars of 0.01 stay out of it.
void TestLightCurveWindow::fitIgnoresErrors()
{
    load({"scarto.txt"});
    for (bool again : {false, true}) {
        if (again) {
            plot()->xAxis->setRange(0, 1);
            plot()->yAxis->setRange(-100, 100);
            control<QPushButton>(m_window.get(), "cmdAdatta")->click();
        }
        QCOMPARE(plot()->xAxis->range().lower, 60000.4);
        QCOMPARE(plot()->xAxis->range().upper, 60021.6);
        QCOMPARE(plot()->yAxis->range().lower, 9.94);
        QCOMPARE(plot()->yAxis->range().upper, 11.06);
    }
    QVERIFY(!plot()->toPixmap().isNull()); // the bars drawn, cut at the view's edge
}

// A headerless database download of V612 Sct whose last observation the
// AAVSO flagged discrepant, far from the others.
static QByteArray flaggedDownload()
{
    QByteArray bytes;
    const auto column = [](const char *name) {
        return std::find(Aavso::DatabaseColumns.begin(), Aavso::DatabaseColumns.end(), std::string_view(name))
             - Aavso::DatabaseColumns.begin();
    };
    for (int i = 0; i < 4; ++i) {
        QByteArrayList fields(Aavso::DatabaseColumnsAlways);
        fields[column("JD")] = QByteArray::number(2460001.5 + i);
        fields[column("Magnitude")] = i == 3 ? "20.0" : "12.1";
        fields[column("Band")] = "Johnson V";
        fields[column("Observer Code")] = "ABC";
        fields[column("Validation Flag")] = i == 3 ? "D" : "V";
        fields[column("Star Name")] = "V612 Sct";
        bytes += fields.join('\t') + '\n';
    }
    return bytes;
}

void TestLightCurveWindow::discrepantHiddenUntilShown()
{
    QFile file(m_dir.filePath("scartate.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(flaggedDownload()) > 0);
    file.close();
    load({"scartate.txt"});
    QCPGraph *crosses = nullptr;
    for (int i = 0; i < plot()->graphCount(); ++i)
        if (plot()->graph(i)->name() == QLatin1String("V discrepanti"))
            crosses = plot()->graph(i);
    QVERIFY(crosses);
    // One band's box: its row alone, no room left for more.
    QTRY_COMPARE(m_window->findChild<QScrollArea *>()->height(), control<QCheckBox>(m_window.get(), "chkV")->height());
    QVERIFY(statusText().contains(Aavso::LightCurve::DiscrepantHidden.arg(1)));
    QVERIFY(!crosses->visible());
    QVERIFY(!plot()->legend->hasItemWithPlottable(crosses));
    QVERIFY(plot()->yAxis->range().upper < 20);

    control<QCheckBox>(m_window.get(), "chkDiscrepanti")->setChecked(true);
    QVERIFY(crosses->visible());
    QVERIFY(plot()->legend->hasItemWithPlottable(crosses));
    QVERIFY(statusText().contains(Aavso::LightCurve::DiscrepantShown.arg(1)));
    click("cmdAdatta");
    QVERIFY(plot()->yAxis->range().upper > 20);
    control<QCheckBox>(m_window.get(), "chkV")->setChecked(false);
    QVERIFY(!crosses->visible());
}

static QByteArray answer(const char *name)
{
    QFile file(QStringLiteral(ANSWERS "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Beside the file opened, in two pieces; with the server stopped, from the copy.
void TestLightCurveWindow::observationsDownloadedThenFromCopy()
{
    LocalServer server([](const QByteArray &target) {
        const QString from = QUrlQuery(QUrl(QString::fromLatin1(target)).query()).queryItemValue("fromjd");
        return LocalServer::ok(answer(from.startsWith("24585") ? "sscyg-1.txt" : "sscyg-2.txt"));
    });
    qputenv(AavsoWeb::AddressVariable, server.address());
    const auto unset = qScopeGuard([] { qunsetenv(AavsoWeb::AddressVariable); });
    load({"others.txt"});
    control<QPushButton>(m_window.get(), "cmdScarica")->click();
    auto *dialog = m_window->findChild<ObservationsDialog *>(QStringLiteral("Form10"));
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), ObservationsDialog::Title);
    QCOMPARE(control<QLineEdit>(dialog, "txtStella")->text(), QStringLiteral("V612 Sct")); // the star shown
    QCOMPARE(control<QPushButton>(dialog, "cmdOk")->text(), QStringLiteral("Scarica"));
    QCOMPARE(control<QPushButton>(dialog, "cmdAnnulla")->text(), QStringLiteral("Annulla"));
    if (const QString folder = qEnvironmentVariable("VEVURID_SCREENSHOTS"); !folder.isEmpty())
        QVERIFY(dialog->grab().save(QDir(folder).filePath("form10.png")));
    control<QPushButton>(dialog, "cmdAnnulla")->click();
    QVERIFY(server.requests().isEmpty());

    download("SS Cyg", "2458500", "1/8/2022");
    QCOMPARE(m_messages.shown.size(), 0);
    QCOMPARE(server.targets().size(), 2);
    auto *stars = control<QComboBox>(m_window.get(), "cboStella");
    QCOMPARE(stars->count(), 3);
    QCOMPARE(stars->itemText(0), QStringLiteral("SS Cyg")); // 2 of the file, 22 downloaded
    QCOMPARE(stars->itemText(stars->currentIndex()), QStringLiteral("V612 Sct")); // still shown
    QVERIFY2(statusText().endsWith(' ' + LightCurveWindow::DownloadName.arg("SS Cyg") + ", "
                                   + AavsoWeb::ObservationsFetchedNow + '.'),
             qPrintable(statusText()));
    // The same download again is refused, as a file shown is.
    download("SS Cyg", "2458500", "1/8/2022");
    compareOnlyOne(m_messages, m_window->windowTitle(), MessageIcon::Warning,
                   LightCurveWindow::AlreadyShown.arg(LightCurveWindow::DownloadName.arg("SS Cyg")));

    server.stop();
    init();
    download("ss  cyg", "2458500", "1/8/2022");
    QCOMPARE(m_messages.shown.size(), 0);
    QCOMPARE(control<QComboBox>(m_window.get(), "cboStella")->itemText(0), QStringLiteral("SS CYG"));
    QVERIFY2(statusText().contains(LightCurveWindow::DownloadName.arg("ss cyg") + ", "
                                   + AavsoWeb::FromCopy.arg(QString())),
             qPrintable(statusText()));
    QDir(AavsoWeb::Cache::folder()).removeRecursively();
}

void TestLightCurveWindow::observationsRefused_data()
{
    QTest::addColumn<QString>("star");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QByteArray>("answer"); // "stopped": no server
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("stays"); // the dialog, for what was typed to be put right

    const QByteArray header = answer("sscyg-1.txt").split('\n').front() + '\n';
    QTest::newRow("no star") << " " << QString() << LocalServer::ok(header) << LightCurveWindow::NoStarToAsk << false << true;
    QTest::newRow("a date that is none") << "SS Cyg" << "30/02/2020" << LocalServer::ok(header)
                                         << AavsoWeb::BadDate.arg("30/02/2020") << false << true;
    QTest::newRow("no observations") << "SS Cyg" << "2459000" << LocalServer::ok(header)
                                     << AavsoWeb::NoObservations.arg("SS Cyg") << true << false;
    QTest::newRow("connection refused") << "SS Cyg" << "2459000" << QByteArray("stopped")
                                        << AavsoWeb::NoConnection.arg("Connection refused") << false << false;
}

// One warning; the curve shown stays, and the dialog too when what was typed
// is to be put right.
void TestLightCurveWindow::observationsRefused()
{
    QFETCH(QString, star);
    QFETCH(QString, from);
    QFETCH(QByteArray, answer);
    QFETCH(QString, warning);
    QFETCH(bool, asked);
    QFETCH(bool, stays);
    QDir(AavsoWeb::Cache::folder()).removeRecursively(); // no copy of an earlier row
    LocalServer server([&answer](const QByteArray &) { return answer; });
    if (answer == "stopped")
        server.stop();
    qputenv(AavsoWeb::AddressVariable, server.address());
    const auto unset = qScopeGuard([] { qunsetenv(AavsoWeb::AddressVariable); });
    load({"others.txt"});
    const QString before = statusText();
    const QPointer<ObservationsDialog> dialog = download(star, from, "2459001");
    QCOMPARE(!server.requests().isEmpty(), asked);
    compareOnlyOne(m_messages, m_window->windowTitle(), MessageIcon::Warning, warning);
    QCOMPARE(statusText(), before);
    QCOMPARE(control<QComboBox>(m_window.get(), "cboStella")->count(), 3);
    QCOMPARE(dialog && dialog->isVisible(), stays);
    QVERIFY(QDir(AavsoWeb::Cache::folder()).isEmpty() || warning == AavsoWeb::NoObservations.arg("SS Cyg"));
}

QTEST_MAIN(TestLightCurveWindow)
#include "tst_lightcurvewindow.moc"
