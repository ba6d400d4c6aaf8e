#include "support/controls.h"
#include "support/recordingmessages.h"
#include "windows/lightcurveplot.h"
#include "windows/lightcurvewindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Answers the file dialogs from a script instead of opening them.
class ScriptedWindow : public LightCurveWindow
{
public:
    using LightCurveWindow::LightCurveWindow;
    using LightCurveWindow::Question;
    QStringList answers;
    QList<QPair<Question, QString>> asked;

protected:
    QString askFile(Question question, const QString &start) override
    {
        asked.append({question, start});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

static QString extended(const char *software, const QStringList &rows)
{
    return QStringLiteral("#TYPE=EXTENDED\n#OBSCODE=ABC\n#SOFTWARE=%1\n#DELIM=,\n#DATE=JD\n"
                          "#NAME,DATE,MAG,MERR,FILT,TRANS,MTYPE,CNAME,CMAG,KNAME,KMAG,AMASS,"
                          "GROUP,CHART,NOTES\n")
               .arg(QLatin1String(software))
         + rows.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// Five observations of V612 Sct by others and two of the observer's own, out
// of date order; RR Lyr is written after SS Cyg but observed more often.
static const QString Others = extended("AIP4Win 2.4", {
    "V612 Sct,2460010.5,12.1,0.01,V,NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na",
    "SS Cyg,2460001.5,9.0,0.01,V,NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na",
    "V612 Sct,2460001.5,12.2,0.02,V,NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na",
    "v612  SCT,2460003.5,<13.5,na,V,NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na",
    "RR Lyr,2460001.5,7.9,0.01,V,NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na",
    "V612 Sct,2460002.5,13.0,0.03,B,NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na",
    "RR Lyr,2460002.5,7.8,0.01,V,NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na",
    "V612 Sct,2460004.5,11.0,na,I,NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na",
    "SS Cyg,2460002.5,9.1,0.01,V,NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na",
    "RR Lyr,2460003.5,7.7,0.01,V,NO,STD,ENSEMBLE,na,K,12.1,1.2,na,X1,na"});
static const QString Own = extended("Vevurid 1.4.3", {
    "V612 SCT,2460006.25,11.05,0.005,I,NO,STD,HD 1,9.8,na,na,1.3,na,X1,na",
    "V612 SCT,2460005.25,12.15,0.005,V,NO,STD,HD 1,9.8,na,na,1.3,na,X1,nuvole"});

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

    void pointsPerSeries_data();
    void pointsPerSeries();
    void axes_data();
    void axes();
    void starsMostObservedFirst();
    void status_data();
    void status();
    void filterBoxesHideAndShow_data();
    void filterBoxesHideAndShow();
    void pointDetails_data();
    void pointDetails();
    void dialogsStartAtTheLastLog_data();
    void dialogsStartAtTheLastLog();
    void saveImage_data();
    void saveImage();
    void refusedFileChangesNothing_data();
    void refusedFileChangesNothing();

private:
    QString write(const QString &name, const QString &text);
    void load(const QStringList &paths); // the first opened, the others added
    LightCurvePlot *plot() const { return control<LightCurvePlot>(m_window.get(), "plot"); }
    int series(const QString &name) const; // the graph's index, -1 for none

    QTemporaryDir m_dir;
    RecordingMessages m_messages;
    std::unique_ptr<ScriptedWindow> m_window;
};

void TestLightCurveWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath("config"));
}

void TestLightCurveWindow::init()
{
    m_messages.shown.clear();
    QSettings(QStringLiteral("Vevurid"), QStringLiteral("vevurid")).clear();
    m_window = std::make_unique<ScriptedWindow>(m_messages);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

QString TestLightCurveWindow::write(const QString &name, const QString &text)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

void TestLightCurveWindow::load(const QStringList &paths)
{
    m_window->answers = paths;
    control<QPushButton>(m_window.get(), "cmdApri")->click();
    for (qsizetype i = 1; i < paths.size(); ++i)
        control<QPushButton>(m_window.get(), "cmdAggiungi")->click();
}

int TestLightCurveWindow::series(const QString &name) const
{
    for (int i = 0; i < plot()->graphCount(); ++i)
        if (plot()->graph(i)->name() == name)
            return i;
    return -1;
}

void TestLightCurveWindow::pointsPerSeries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("drawnAs"); // later graphs are drawn over earlier ones
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("firstX");
    QTest::addColumn<bool>("errorBars");
    QTest::newRow("B") << "B" << 0 << 1 << 60002.5 << true;
    QTest::newRow("V, in date order") << "V" << 1 << 2 << 60001.5 << true;
    QTest::newRow("I without error") << "I" << 2 << 1 << 60004.5 << false;
    QTest::newRow("V fainter-than") << "V (<)" << 3 << 1 << 60003.5 << false;
    QTest::newRow("own V on top") << "V proprie" << 4 << 1 << 60005.25 << true;
    QTest::newRow("own I on top") << "I proprie" << 5 << 1 << 60006.25 << true;
}

void TestLightCurveWindow::pointsPerSeries()
{
    QFETCH(QString, name);
    QFETCH(int, drawnAs);
    QFETCH(int, points);
    QFETCH(double, firstX);
    QFETCH(bool, errorBars);
    load({write("others.txt", Others), write("own.txt", Own)});
    QCOMPARE(plot()->graphCount(), 6);
    QCOMPARE(series(name), drawnAs);
    const QCPGraph *graph = plot()->graph(drawnAs);
    QCOMPARE(graph->dataCount(), points);
    QCOMPARE(graph->data()->at(0)->key, firstX);
    QCOMPARE(errorBarsOf(plot(), graph) != nullptr, errorBars);
}

void TestLightCurveWindow::axes_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<QString>("date"); // a label of the top axis
    QTest::newRow("J2000.0") << 51544.6 << 51545.4 << "01/01/2000\n12:00";
    QTest::newRow("25 Feb 2023") << 60000.2 << 60000.8 << "25/02/2023\n00:00";
}

void TestLightCurveWindow::axes()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(QString, date);
    QCOMPARE(plot()->xAxis->label(), QStringLiteral("JD − 2400000"));
    QCOMPARE(plot()->yAxis->label(), QStringLiteral("Magnitudine"));
    QVERIFY(plot()->yAxis->rangeReversed());
    plot()->xAxis->setRange(from, to);
    plot()->replot();
    QVERIFY2(plot()->xAxis2->tickVectorLabels().contains(date),
             qPrintable(plot()->xAxis2->tickVectorLabels().join(QLatin1Char('|'))));
}

void TestLightCurveWindow::starsMostObservedFirst()
{
    load({write("others.txt", Others), write("own.txt", Own)});
    auto *stars = control<QComboBox>(m_window.get(), "cboStella");
    QStringList names;
    for (int i = 0; i < stars->count(); ++i)
        names << stars->itemText(i);
    QCOMPARE(names, QStringList({"V612 Sct", "RR Lyr", "SS Cyg"}));
    stars->setCurrentIndex(2);
    QCOMPARE(control<QLabel>(m_window.get(), "lblStato")->text(),
             QStringLiteral("Osservazioni di SS Cyg: 2 da 1 file."));
    QCOMPARE(plot()->graphCount(), 1);
}

void TestLightCurveWindow::status_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("status"); // complete, or up to the reader's reason
    const QString other = extended("x", QStringList(4, "T CrB,2460001.5,10,na,V,NO,STD,E,na,K,1,1,na,X,na"));
    const QString bad = extended("x", {"V612 Sct,2460001.5,12.2,0.02,V,NO,STD,E,na,K,1,1,na,X,na",
                                       "V612 Sct,giorno,12.2,0.02,V,NO,STD,E,na,K,1,1,na,X,na",
                                       "V612 Sct,2460002.5,12.2"});
    QTest::newRow("one file") << QStringList{"others.txt"} << "Osservazioni di V612 Sct: 5 da 1 file.";
    QTest::newRow("own log added") << QStringList{"others.txt", "own.txt"}
                                   << "Osservazioni di V612 Sct: 7 da 2 file.";
    QTest::newRow("another star added, this one kept") << QStringList{"others.txt", "tcrb.txt"}
                                                       << "Osservazioni di V612 Sct: 5 da 1 file.";
    QTest::newRow("skipped lines") << QStringList{"others.txt", "bad.txt"}
                                   << "Osservazioni di V612 Sct: 6 da 2 file. Righe ignorate: 2 "
                                      "(la prima: riga 8 di bad.txt: ";
    write("tcrb.txt", other);
    write("bad.txt", bad);
}

void TestLightCurveWindow::status()
{
    QFETCH(QStringList, files);
    QFETCH(QString, status);
    write("others.txt", Others);
    write("own.txt", Own);
    QStringList paths;
    for (const QString &file : files)
        paths << m_dir.filePath(file);
    load(paths);
    const QString shown = control<QLabel>(m_window.get(), "lblStato")->text();
    if (status.endsWith(QLatin1String("file.")))
        QCOMPARE(shown, status);
    else
        QVERIFY2(shown.startsWith(status) && shown.endsWith(QLatin1String(").")), qPrintable(shown));
    QVERIFY(m_messages.shown.isEmpty());
}

void TestLightCurveWindow::filterBoxesHideAndShow_data()
{
    QTest::addColumn<QString>("band");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QStringList>("series");
    QTest::newRow("B") << "B" << QColor(128, 128, 255) << QStringList{"B"};
    QTest::newRow("V") << "V" << QColor(0, 192, 0) << QStringList{"V", "V (<)", "V proprie"};
    QTest::newRow("I") << "I" << QColor(128, 0, 0) << QStringList{"I", "I proprie"};
}

void TestLightCurveWindow::filterBoxesHideAndShow()
{
    QFETCH(QString, band);
    QFETCH(QColor, colour);
    QFETCH(QStringList, series);
    load({write("others.txt", Others), write("own.txt", Own)});
    auto *box = control<QCheckBox>(m_window.get(), "chk" + band);
    QCOMPARE(box->text(), band);
    QCOMPARE(box->palette().color(QPalette::WindowText), colour);
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
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("details");
    QTest::newRow("own, with notes")
        << "V proprie"
        << "JD 2460005.25000 · 01/03/2023 18:00:00 UTC · filtro V · magnitudine 12.15 ± 0.005 · "
           "osservatore ABC · note: nuvole";
    QTest::newRow("fainter-than, no error")
        << "V (<)" << "JD 2460003.50000 · 28/02/2023 00:00:00 UTC · filtro V · magnitudine <13.5 · "
                      "osservatore ABC";
}

void TestLightCurveWindow::pointDetails()
{
    QFETCH(QString, name);
    QFETCH(QString, details);
    load({write("others.txt", Others), write("own.txt", Own)});
    plot()->replot();
    const QCPGraph *graph = plot()->graph(series(name));
    const auto point = graph->data()->at(0);
    QTest::mouseClick(plot(), Qt::LeftButton, {},
                      graph->coordsToPixels(point->key, point->value).toPoint());
    QCOMPARE(control<QLabel>(m_window.get(), "lblPunto")->text(), details);
}

void TestLightCurveWindow::dialogsStartAtTheLastLog_data()
{
    QTest::addColumn<QString>("log");
    QTest::newRow("nothing exported yet") << QString();
    QTest::newRow("a log exported") << "/tmp/notte.txt";
}

void TestLightCurveWindow::dialogsStartAtTheLastLog()
{
    QFETCH(QString, log);
    if (!log.isEmpty())
        QSettings(QStringLiteral("Vevurid"), QStringLiteral("vevurid"))
            .setValue(QStringLiteral("aavso/lastFile"), log);
    control<QPushButton>(m_window.get(), "cmdApri")->click();
    control<QPushButton>(m_window.get(), "cmdAggiungi")->click();
    using Q = ScriptedWindow::Question;
    QCOMPARE(m_window->asked, (QList<QPair<Q, QString>>{{Q::Open, log}, {Q::Add, log}}));
    QVERIFY(control<QLabel>(m_window.get(), "lblStato")->text().isEmpty());
    QCOMPARE(control<QComboBox>(m_window.get(), "cboStella")->count(), 0);
}

void TestLightCurveWindow::saveImage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("folder"); // the target exists as a folder
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("PNG") << "curva.png" << false << QByteArray("png");
    QTest::newRow("PNG over an old file") << "vecchia.png" << false << QByteArray("png");
    QTest::newRow("PDF") << "curva.PDF" << false << QByteArray("pdf");
    QTest::newRow("folder left alone") << "cartella.png" << true << QByteArray();
    QTest::newRow("missing folder") << "manca/curva.png" << false << QByteArray();
    write("vecchia.png", "vecchia");
    QVERIFY(QDir(m_dir.path()).mkpath("cartella.png"));
}

void TestLightCurveWindow::saveImage()
{
    QFETCH(QString, name);
    QFETCH(bool, folder);
    QFETCH(QByteArray, format);
    load({write("others.txt", Others)});
    const QString path = m_dir.filePath(name);
    m_window->answers = QStringList{path};
    control<QPushButton>(m_window.get(), "cmdSalva")->click();
    QCOMPARE(m_window->asked.last(), qMakePair(ScriptedWindow::Question::SaveImage, m_dir.path()));
    if (format.isEmpty()) {
        compareOnlyOne(m_messages, "Curva di luce", MessageIcon::Warning,
                       QStringLiteral("Impossibile salvare l'immagine \"%1\".").arg(path));
        QCOMPARE(QFileInfo(path).isDir(), folder);
        return;
    }
    QVERIFY(m_messages.shown.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    if (format == "pdf") {
        QVERIFY(file.read(5) == "%PDF-");
        return;
    }
    QImageReader reader(&file);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.read().size(), plot()->size());
}

void TestLightCurveWindow::refusedFileChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("button");
    QTest::newRow("not an AAVSO file, opened") << "appunti.txt" << "cmdApri";
    QTest::newRow("not an AAVSO file, added") << "appunti.txt" << "cmdAggiungi";
    QTest::newRow("a folder") << "cartella" << "cmdApri";
    QTest::newRow("a missing file") << "manca.txt" << "cmdAggiungi";
    write("appunti.txt", "lista della spesa\n");
    QVERIFY(QDir(m_dir.path()).mkpath("cartella"));
}

void TestLightCurveWindow::refusedFileChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, button);
    load({write("others.txt", Others), write("own.txt", Own)});
    auto *status = control<QLabel>(m_window.get(), "lblStato");
    const QString before = status->text();
    m_window->answers = QStringList{m_dir.filePath(name)};
    control<QPushButton>(m_window.get(), button)->click();
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown[0].title, QStringLiteral("Curva di luce"));
    QCOMPARE(m_messages.shown[0].icon, MessageIcon::Warning);
    QVERIFY2(m_messages.shown[0].text.contains(name), qPrintable(m_messages.shown[0].text));
    QCOMPARE(status->text(), before);
    QCOMPARE(control<QComboBox>(m_window.get(), "cboStella")->count(), 3);
    QCOMPARE(plot()->graphCount(), 6);
}

QTEST_MAIN(TestLightCurveWindow)
#include "tst_lightcurvewindow.moc"
