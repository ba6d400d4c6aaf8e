#include "aavso/log.h"
#include "aavso/sequence.h"
#include "aavso/imagemeasurement.h"
#include "aavso/vocabulary.h"
#include "core/names.h"
#include "core/numberrules.h"
#include "core/skyposition.h"
#include "astrometry/alignment.h"
#include "astrometry/solver.h"
#include "imaging/skycoordinates.h"
#include "imaging/fitswriter.h"
#include "measurement/seriestable.h"
#include "measurement/skylabel.h"
#include "skytime/observation.h"
#include "support/guard.h"
#include "support/localserver.h"
#include "aavsoweb/cache.h"
#include "aavsoweb/downloads.h"
#include "imagewindows/sequencedialog.h"
#include "support/sheetfixture.h"
#include "ui/appsetup.h"
#include "ui/fixeddialog.h"
#include "imagewindows/imageview.h"
#include "imagewindows/measurewindow.h"
#include "imagewindows/serieswindow.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTableWidget>

#include <algorithm>
#include <cmath>

using namespace Imaging;
using namespace Measurement;

namespace {

struct Star
{
    double x, y, flux; // FITS coordinates
};

// The variable, C1, C2, C3, the check star, then one far beyond saturation.
const QList<Star> Stars = {{41.3, 31.7, 20000}, {101.6, 41.2, 40000}, {71.2, 81.9, 30000},
                           {126.8, 91.4, 15000}, {31.5, 96.1, 25000}, {131.2, 61.3, 600000}};
const QPointF Shift(3.4, -2.2); // of the second image
constexpr double Sigma = 1.4;
const QStringList Catalogue = {"11.000", "11.500", "12.000"};
const char *const RoleButtons[] = {"optVariabile", "optC1", "optC2", "optC3", "optControllo"};

using Cards = QList<QPair<QByteArray, QByteArray>>;

// A plate solution of the field: 1"/px, north up, east left.
const Cards Wcs = {{"CTYPE1", "'RA---TAN'"}, {"CTYPE2", "'DEC--TAN'"}, {"CRPIX1", "80.5"}, {"CRPIX2", "60.5"},
                   {"CRVAL1", "249.777"}, {"CRVAL2", "9.798"}, {"CD1_1", "-2.7778E-4"}, {"CD2_2", "2.7778E-4"}};
// Above Milan at the images' time, and above Tucson; below where Tucson's
// longitude read as east would put it.
const Cards Target = {{"OBJCTRA", "'05 00 00.0'"}, {"OBJCTDEC", "'+40 00 00'"}};
// The sequence: the chart, the variable on Stars[0], then Stars[1...] and one star off the image.
const QString Chart = QStringLiteral("X99999ZZ"), VariableName = QStringLiteral("V0001 Tst");
const QStringList Labels = {"113", "115", "120", "121", "81", "99"};

QString auid(int star) { return QStringLiteral("000-BBB-00%1").arg(star); }

// V magnitudes on a zero point that makes Stars[1] 11.000, to the sequence's three decimals.
double catalogueOf(int star)
{
    return std::round(1000 * (11 - 2.5 * std::log10(Stars[star].flux / Stars[1].flux))) / 1000;
}

// Gaussian stars on a flat sky of 100 ADU, each pixel holding the flux that falls on it.
void writeField(const QString &path, const QList<Star> &stars, const QByteArray &filter, const Cards &more = {},
                bool airmass = true)
{
    FitsPlan plan;
    plan.axes = {160, 120};
    std::vector<std::array<double, 3>> field;
    for (const Star &star : stars)
        field.push_back({fromFits(star.x), fromFits(star.y), star.flux});
    plan.values = starField(160, 120, 100, Sigma, field);
    plan.cards = {{"DATE-OBS", "'2024-03-15T21:00:00'"}, {"EXPTIME", "120"}, {"FILTER", filter},
                  {"GAIN", "1.5"}, {"RDNOISE", "9"}, {"SATURATE", "30000"}};
    if (airmass)
        plan.cards += {{"AIRMASS", "1.2345678"}};
    plan.cards += more;
    QVERIFY(writeFits(path, plan));
}

// The VSP's answer for the field of `image`, positions in decimal degrees.
void writeSequence(const QString &path, const QString &image)
{
    const FitsImage loaded = *loadFits(image).image;
    const std::optional<SkyFrame> frame = SkyFrame::read(loaded.headerCards, loaded.width, loaded.height).frame;
    const auto at = [&frame](Star star, QJsonObject object) {
        const Sky::Position sky = *frame->toSky(QPointF(fromFits(star.x), fromFits(star.y)));
        object["ra"] = QString::number(sky.ra, 'f', 8);
        object["dec"] = QString::number(sky.dec, 'f', 8);
        return object;
    };
    QJsonArray photometry;
    for (int star = 1; star <= Stars.size(); ++star) {
        const QJsonObject band{{"band", "V"}, {"mag", star < Stars.size() ? catalogueOf(star) : 9.9}, {"error", {}}};
        photometry << at(star < Stars.size() ? Stars[star] : Star{-40, 50, 0},
                         {{"auid", auid(star)}, {"label", Labels[star - 1]}, {"bands", QJsonArray{band}}});
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QJsonObject answer = at(Stars[0], {{"chartid", Chart}, {"star", VariableName}, {"photometry", photometry}});
    file.write(QJsonDocument(answer).toJson());
}

} // namespace

Q_DECLARE_METATYPE(SkyTime::Site)

class TestMeasureWindow : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void toSheetThenMagnitude();
    void refusal();
    void typedNotANumber_data();
    void typedNotANumber();
    void recentredOnTheNextImage();
    void refusedFileChangesNothing();
    void seriesAgreesWithTheSheet();
    void cancelledSeriesKeepsItsImages();
    void sequencePlacesTheStars();
    void sequenceWithoutWcsOrRefused();
    void skyInTheLabel_data();
    void skyInTheLabel();
    void sequenceDialogPrefilled_data();
    void sequenceDialogPrefilled();
    void sequenceDownloadedThenFromCopy();
    void sequenceDownloadRefused_data();
    void sequenceDownloadRefused();
    void twoClicksAlignTheSequence();
    void solveStates_data();
    void solveStates();

private:
    template <typename T> T *part(const char *name) const { return ::control<T>(m_window, name); }
    ImageView *view() const { return part<ImageView>("immagine"); }
    void open(const QString &name);
    // Clicks near the star (FITS coordinates) and waits for the next role;
    // returns where the window measures from.
    QPointF clickStar(const Star &star);
    void placeFour(int skipped = -1);
    // The stars placed on campo.fits and the catalogue magnitudes typed.
    void readyForSeries();
    StarMeasurement expected(const QString &file, QPointF from) const;
    QStringList sheetCounts() const;

    // Clicks "Scarica sequenza..." and gives the dialog it opens.
    SequenceDialog *askSequence()
    {
        part<QPushButton>("cmdScaricaSequenza")->click();
        // A dialog closed before may wait for its deletion.
        for (auto *dialog : m_window->findChildren<SequenceDialog *>(QStringLiteral("Form9")))
            if (dialog->isVisible())
                return dialog;
        return nullptr;
    }

    static QWidget *shown(const char *name)
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->objectName() == QLatin1String(name))
                return w;
        return nullptr;
    }

    QTemporaryDir m_dir;
    QWidget *m_window = nullptr;
    QPointF m_from[RoleCount]; // where each role was measured from
};

void TestMeasureWindow::initTestCase()
{
    setupApplication(*qApp);
    QVERIFY(m_dir.isValid());
    writeField(m_dir.filePath("campo.fits"), Stars, "'Johnson V'");
    QList<Star> shifted = Stars.mid(0, 4); // no check star
    for (Star &star : shifted) {
        star.x += Shift.x();
        star.y += Shift.y();
    }
    writeField(m_dir.filePath("spostato.fits"), shifted, "'H'");
    writeField(m_dir.filePath("cielo.fits"), Stars, "'V'", Wcs);
    writeField(m_dir.filePath("oggetto.fits"), Stars, "'V'", Wcs + Cards{{"OBJECT", "' V1117 Her '"}});
    writeField(m_dir.filePath("oggetto-senza-wcs.fits"), Stars, "'V'", {{"OBJECT", "'SS Cyg'"}});
    // The AAVSO's answers are kept in the test's folder.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath("cache")));
    writeSequence(m_dir.filePath("sequenza.json"), m_dir.filePath("cielo.fits"));
    writeField(m_dir.filePath("bersaglio.fits"), Stars, "'V'", Target);
    writeField(m_dir.filePath("bersaglio-senza.fits"), Stars, "'V'", Target, false);
    QFile text(m_dir.filePath("appunti.fits"));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("lista della spesa\n") > 0);
}

void TestMeasureWindow::init()
{
    openSheet();
    m_dialogs.asked.clear();
    control<QAction>(Menu::Measure)->trigger();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String("Form5"))
            m_window = w;
    QVERIFY(m_window);
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestMeasureWindow::cleanup()
{
    m_window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    closeSheet();
    m_settings.values.clear();
}

void TestMeasureWindow::open(const QString &name)
{
    m_dialogs.answers << m_dir.filePath(name);
    part<QPushButton>("cmdApri")->click();
}

QPointF TestMeasureWindow::clickStar(const Star &star)
{
    int role = 0;
    while (!part<QRadioButton>(RoleButtons[role])->isChecked())
        ++role;
    // Off the centre, which the window finds.
    const QPoint at = view()->toWidget(QPointF(fromFits(star.x) + 0.8, fromFits(star.y) - 0.6)).toPoint();
    QTest::mouseClick(view(), Qt::LeftButton, {}, at);
    [&] { QTRY_VERIFY(part<QRadioButton>(RoleButtons[(role + 1) % RoleCount])->isChecked()); }();
    m_from[role] = view()->toImage(at);
    return m_from[role];
}

// The variable and C1-C3 in turn, `skipped` left out.
void TestMeasureWindow::placeFour(int skipped)
{
    for (int role = 0; role < 4; ++role) {
        if (role == skipped)
            part<QRadioButton>(RoleButtons[role + 1])->setChecked(true);
        else
            clickStar(Stars[role]);
    }
}

void TestMeasureWindow::readyForSeries()
{
    // Typed first, so that the check star's magnitude is in the table once it is placed.
    for (int i = 0; i < 3; ++i)
        control<QLineEdit>(QStringLiteral("Text%1").arg(5 + i))->setText(QString(Catalogue[i]).replace('.', ','));
    open("campo.fits");
    placeFour();
    clickStar(Stars[4]);
}

StarMeasurement TestMeasureWindow::expected(const QString &file, QPointF from) const
{
    const FitsLoad load = loadFits(m_dir.filePath(file));
    const Aperture aperture{part<QDoubleSpinBox>("spnApertura")->value(),
                            part<QDoubleSpinBox>("spnCieloDa")->value(),
                            part<QDoubleSpinBox>("spnCieloA")->value()};
    return measureStar(*load.image, from.x(), from.y(), aperture, Detector{1.5, 9});
}

QStringList TestMeasureWindow::sheetCounts() const
{
    QStringList texts;
    for (const char *field : {Field::AduC1, Field::AduC2, Field::AduC3, Field::AduVariable})
        texts << control<QLineEdit>(field)->text();
    return texts;
}

void TestMeasureWindow::toSheetThenMagnitude()
{
    const LocaleGuard locale(QLocale::c());
    open("campo.fits");
    QCOMPARE(m_dialogs.asked.value(0).start, QString());
    placeFour();
    part<QLineEdit>("txtPosizione")->setText("31.5 96.1");
    QTest::keyClick(part<QLineEdit>("txtPosizione"), Qt::Key_Return);
    m_from[int(Role::Check)] = QPointF(fromFits(31.5), fromFits(96.1));
    QVERIFY(part<QRadioButton>(RoleButtons[0])->isChecked());
    // Drawn north up: the star is bright where the clicks found it, the sky dark.
    const QImage drawn = view()->grab().toImage();
    QVERIFY(qGray(drawn.pixel(view()->toWidget(QPointF(fromFits(41.3), fromFits(31.7))).toPoint())) > 200);
    QVERIFY(qGray(drawn.pixel(view()->toWidget(QPointF(fromFits(41.3), fromFits(120 - 31.7))).toPoint())) < 60);
    // The pixel under the pointer, in FITS pixels, row 1 at the bottom.
    QTest::mouseMove(view(), view()->toWidget(QPointF(40.2, 30.9)).toPoint());
    QVERIFY2(part<QLabel>("lblPixel")->text().startsWith("x 41 y 32:"),
             qPrintable(part<QLabel>("lblPixel")->text()));

    // The observer sends the counts first, then types what the record names.
    part<QPushButton>("cmdFoglio")->click();
    QCOMPARE(m_messages.shown.size(), 0);
    for (int i = 0; i < 3; ++i)
        control<QLineEdit>(QStringLiteral("Text%1").arg(5 + i))->setText(Catalogue[i]);
    part<QLineEdit>("txtNomeControllo")->setText("000-BBC-123");
    part<QLineEdit>("txtCarta")->setText("X12345AB");
    QStringList counts;
    for (int role : {1, 2, 3, 0})
        counts << NumberRules::write(expected("campo.fits", m_from[role]).net);
    QCOMPARE(sheetCounts(), counts);
    QCOMPARE(control<QLineEdit>(Field::Date)->text(), QStringLiteral("15/03/2024 21:01:00 UT"));
    QCOMPARE(control<QLineEdit>(Field::JulianDate)->text(), QStringLiteral("2460385.37569"));
    QCOMPARE(control<QLineEdit>(Field::Filter)->text(), QStringLiteral("V"));

    // The magnitude the true fluxes give, star by star, as "MAGNITUDINE" averages it.
    const auto truth = [](int star) {
        double sum = 0;
        for (int c = 0; c < 3; ++c)
            sum += Catalogue[c].toDouble() - 2.5 * std::log10(Stars[star].flux / Stars[c + 1].flux);
        return sum / 3;
    };
    click(Button::Magnitude);
    QVERIFY(std::fabs(control<QLineEdit>(Field::MagnitudeVariable)->text().toDouble() - truth(0)) < 1e-3);

    const std::optional<Aavso::ImageMeasurement> kept = Aavso::recall(m_settings);
    QVERIFY(kept);
    QCOMPARE(kept->counts, counts);
    QCOMPARE(kept->checkName, QStringLiteral("000-BBC-123"));
    QCOMPARE(kept->chart, QStringLiteral("X12345AB"));
    QCOMPARE(kept->airmass, QStringLiteral("1.2346"));

    // The AAVSO record names the check star, its magnitude, the airmass and the chart.
    control<QLineEdit>(Field::Object)->setText("RZ Cas");
    control<QLineEdit>(Field::Author)->setText("RMA");
    m_dialogs.answers << m_dir.filePath("aavso.txt");
    control<QAction>(Menu::Aavso)->trigger();
    QCOMPARE(m_messages.shown.last().icon, MessageIcon::Information);
    QFile log(m_dir.filePath("aavso.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> record = log.readAll().trimmed().split('\n').last().trimmed().split(',');
    const auto field = [&record](const char *name) {
        return QString::fromLatin1(record.value(std::find(Aavso::FieldNames.begin(), Aavso::FieldNames.end(),
                                                          std::string_view(name)) - Aavso::FieldNames.begin()));
    };
    QCOMPARE((QStringList{field("KNAME"), field("AMASS"), field("CHART")}),
             (QStringList{kept->checkName, kept->airmass, kept->chart}));
    QVERIFY(std::fabs(field("KMAG").toDouble() - truth(4)) < 1e-3);

    // Radii from the stars' mean FWHM, which the table shows.
    double fwhm = 0;
    for (int role = 0; role < RoleCount; ++role)
        fwhm += expected("campo.fits", m_from[role]).fwhm / RoleCount;
    part<QPushButton>("cmdFwhm")->click();
    QCOMPARE(part<QDoubleSpinBox>("spnApertura")->value(), std::round(200 * fwhm) / 100);
    QCOMPARE(part<QDoubleSpinBox>("spnCieloA")->value(), std::round(500 * fwhm) / 100);
}

// The session's refusal in a warning box, the sheet as it was.
void TestMeasureWindow::refusal()
{
    open("campo.fits");
    placeFour(2);
    const QString message = QString::fromUtf8(EntryProblem::Missing).arg(roleName(Role::C2));
    const QStringList before = sheetCounts() << control<QLineEdit>(Field::JulianDate)->text();
    part<QPushButton>("cmdFoglio")->click();
    compareOnlyOne(m_messages, m_window->windowTitle(), MessageIcon::Warning, message);
    QCOMPARE(sheetCounts() << control<QLineEdit>(Field::JulianDate)->text(), before);
    QVERIFY(!Aavso::recall(m_settings));
}

void TestMeasureWindow::typedNotANumber_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("good"); // typed first
    QTest::addColumn<QString>("typed");
    QTest::newRow("read noise") << "txtRumore" << "8" << "abc";
    QTest::newRow("gain with its unit") << "txtGuadagno" << "2.5" << "2,5 e-";
    QTest::newRow("saturation level") << "txtSaturazione" << "40000" << "4e4 ADU";
    QTest::newRow("check star's catalogue magnitude") << "txtMagControllo" << "12,5" << "n/d";
    QTest::newRow("no catalogue magnitude yet") << "txtMagControllo" << "" << "n/d";
}

// Refused when typed, naming the box; the box, and the table, keep what the last good number gave.
void TestMeasureWindow::typedNotANumber()
{
    QFETCH(QString, box);
    QFETCH(QString, good);
    QFETCH(QString, typed);
    const LocaleGuard locale(QLocale::c());
    readyForSeries();
    auto *field = part<QLineEdit>(qPrintable(box));
    auto *table = part<QTableWidget>("tblStelle");
    const auto type = [field](const QString &text) {
        field->clear();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    };
    const auto cells = [table] {
        QStringList texts;
        for (int row = 0; row < table->rowCount(); ++row)
            for (int column = 0; column < table->columnCount(); ++column)
                texts << table->item(row, column)->text();
        return texts;
    };
    type(good);
    const QString kept = field->text();
    const QStringList shown = cells();
    type(typed);
    QCOMPARE(field->text(), kept);
    QVERIFY(!field->accessibleName().isEmpty());
    QCOMPARE(part<QLabel>("lblStato")->text(), kept.isEmpty() ? RefusedNumberEmpty.arg(field->accessibleName())
                                                              : RefusedNumber.arg(field->accessibleName(), kept));
    QCOMPARE(cells(), shown);
}

void TestMeasureWindow::recentredOnTheNextImage()
{
    const LocaleGuard locale(QLocale::c());
    open("campo.fits");
    placeFour();
    clickStar(Stars[4]);
    const QString filter = control<QLineEdit>(Field::Filter)->text();
    open("spostato.fits");
    QCOMPARE(m_dialogs.asked.value(1).start, m_dir.path());
    QCOMPARE(m_messages.shown.size(), 0);

    auto *table = part<QTableWidget>("tblStelle");
    for (int role = 0; role < 4; ++role) {
        QVERIFY(std::fabs(table->item(role, 0)->text().toDouble() - Stars[role].x - Shift.x()) < 0.011);
        QVERIFY(std::fabs(table->item(role, 1)->text().toDouble() - Stars[role].y - Shift.y()) < 0.011);
    }
    QCOMPARE(table->item(int(Role::Check), 9)->text(), refusalText(Refusal::NoStar));

    part<QPushButton>("cmdFoglio")->click();
    QCOMPARE(m_messages.shown.size(), 0);
    // Found again from where it was on the first image.
    const StarMeasurement first = expected("campo.fits", m_from[0]);
    QCOMPARE(control<QLineEdit>(Field::AduVariable)->text(),
             NumberRules::write(expected("spostato.fits", {first.x, first.y}).net));
    QCOMPARE(control<QLineEdit>(Field::Filter)->text(), filter);
    QVERIFY(part<QLabel>("lblStato")->text().contains(QString::fromUtf8(EntryNote::UnknownFilter).arg("H")));
}

void TestMeasureWindow::refusedFileChangesNothing()
{
    open("campo.fits");
    clickStar(Stars[0]);
    const QString description = part<QLabel>("lblImmagine")->text();
    open("appunti.fits");
    compareOnlyOne(m_messages, m_window->windowTitle(), MessageIcon::Warning,
                   loadFits(m_dir.filePath("appunti.fits")).problem);
    QCOMPARE(part<QLabel>("lblImmagine")->text(), description);
    QVERIFY(!part<QTableWidget>("tblStelle")->item(0, 3)->text().isEmpty());
}

void TestMeasureWindow::seriesAgreesWithTheSheet()
{
    // The sheet writes decimal commas; the series' table and files, points.
    const LocaleGuard locale{QLocale(QLocale::Italian)};
    readyForSeries();
    control<QLineEdit>(Field::Object)->setText("RZ Cas");
    control<QLineEdit>(Field::Author)->setText("RMA");
    part<QLineEdit>("txtNomeControllo")->setText("000-BBC-123");
    part<QPushButton>("cmdFoglio")->click();
    click(Button::Magnitude);
    QCOMPARE(m_messages.shown.size(), 0);

    m_dialogs.answers << m_dir.filePath("campo.fits") + '\n' + m_dir.filePath("appunti.fits");
    part<QPushButton>("cmdSerie")->click();
    QCOMPARE(m_dialogs.asked.last().title, SeriesLaunch::Title);
    QTRY_VERIFY(shown("Form6"));
    QWidget *series = shown("Form6");
    QCOMPARE(series->windowTitle(), SeriesWindow::Title.arg("RZ Cas"));
    auto *table = ::control<QTableWidget>(series, "tblSerie");
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(::control<QLabel>(series, "lblCielo")->text(), SkyNote::NotComputed.arg(Imaging::Reason::NoSite));
    using namespace SeriesColumn;
    const auto pointed = [this](const char *field) { return control<QLineEdit>(field)->text().replace(',', '.'); };
    const auto rounded = [&pointed](const char *field) {
        return QString::number(pointed(field).toDouble(), 'f', MagnitudeDecimals);
    };
    QCOMPARE(table->item(0, Magnitude)->text(), rounded(Field::MagnitudeVariable));
    QCOMPARE(table->item(0, Error)->text(), rounded(Field::MagnitudeError));
    QCOMPARE(table->item(0, Check)->text(),
             part<QTableWidget>("tblStelle")->item(int(Role::Check), 8)->text().replace(',', '.'));
    QCOMPARE(table->item(0, Problem)->text(), QString());
    QCOMPARE(table->item(1, Problem)->text(), QString::fromUtf8(LoadProblem::NotFits).arg("appunti.fits"));

    // The series' record is the sheet's own observation: exported from the sheet, it is already there.
    m_dialogs.answers << m_dir.filePath("serie.txt");
    ::control<QPushButton>(series, "cmdAavso")->click();
    QCOMPARE(m_messages.texts(), QStringList{Aavso::SeriesAdded.arg("serie.txt").arg(1).arg(0)});
    m_dialogs.answers << m_dir.filePath("serie.txt");
    control<QAction>(Menu::Aavso)->trigger();
    QCOMPARE(m_messages.shown.last().text, Aavso::Duplicate.arg("serie.txt"));

    ::control<QPushButton>(series, "cmdCurva")->click();
    QWidget *curve = shown("Form4");
    QVERIFY(curve);
    curve->close();
    series->close();
}

void TestMeasureWindow::cancelledSeriesKeepsItsImages()
{
    const LocaleGuard locale{QLocale(QLocale::Italian)};
    readyForSeries();
    // So many images that "Annulla" comes long before the last.
    const int listed = 3000;
    m_dialogs.answers << QStringList(listed, m_dir.filePath("campo.fits")).join('\n');
    part<QPushButton>("cmdSerie")->click();
    auto *progress = m_window->findChild<QProgressDialog *>();
    QVERIFY(progress && progress->isVisible());
    QCOMPARE(progress->windowTitle(), SeriesLaunch::Title);
    progress->findChild<QPushButton *>()->click();
    QTRY_VERIFY(shown("Form6"));
    QWidget *series = shown("Form6");
    const auto *table = ::control<QTableWidget>(series, "tblSerie");
    QVERIFY2(table->rowCount() >= 1 && table->rowCount() < listed, qPrintable(QString::number(table->rowCount())));
    for (int row = 0; row < table->rowCount(); ++row)
        QCOMPARE(table->item(row, SeriesColumn::Problem)->text(), QString());
    QVERIFY(!m_window->findChild<QProgressDialog *>());
    series->close();
}

void TestMeasureWindow::sequencePlacesTheStars()
{
    const LocaleGuard locale(QLocale::c());
    open("cielo.fits");
    m_dialogs.answers << m_dir.filePath("sequenza.json");
    part<QPushButton>("cmdSequenza")->click();
    QCOMPARE(m_dialogs.asked.last().title, MeasureWindow::SequenceTitle);
    QCOMPARE(part<QLabel>("lblSequenza")->text(), MeasureWindow::SequenceSummary.arg(Chart).arg(6).arg(5));
    auto *sequence = part<QTableWidget>("tblSequenza");
    // Brightest first: the saturated star leads, and is no candidate; every column in view.
    QCOMPARE(sequence->item(0, 5)->text(), NotCandidate::Saturated);
    QCOMPARE(sequence->rowCount(), 5);
    QVERIFY(sequence->horizontalHeader()->length() <= sequence->viewport()->width());
    // A folder in VEVURID_SCREENSHOTS takes a picture of the window to look at.
    if (const QString folder = qEnvironmentVariable("VEVURID_SCREENSHOTS"); !folder.isEmpty())
        QVERIFY(m_window->grab().save(QDir(folder).filePath("sequenza.png")));

    // C1, C2, C3 and the check star: the nearest in magnitude to the variable's, in turn.
    QList<int> onRole = {1, 2, 3, 4};
    std::sort(onRole.begin(), onRole.end(), [](int a, int b) {
        return std::fabs(catalogueOf(a) - catalogueOf(0)) < std::fabs(catalogueOf(b) - catalogueOf(0));
    });
    onRole.prepend(0);
    auto *table = part<QTableWidget>("tblStelle");
    for (int role = 0; role < RoleCount; ++role)
        QVERIFY(std::hypot(table->item(role, 0)->text().toDouble() - Stars[onRole[role]].x,
                           table->item(role, 1)->text().toDouble() - Stars[onRole[role]].y) < 0.05);

    part<QPushButton>("cmdFoglio")->click();
    QVERIFY(!sheetCounts().contains(QString()));
    for (int c = 1; c <= 3; ++c)
        QCOMPARE(control<QLineEdit>(QStringLiteral("Text%1").arg(4 + c))->text(),
                 NumberRules::write(catalogueOf(onRole[c])));
    const int check = onRole[int(Role::Check)];
    QCOMPARE((QStringList{part<QLineEdit>("txtCarta")->text(), part<QLineEdit>("txtNomeControllo")->text(),
                          part<QLineEdit>("txtMagControllo")->text(), control<QLineEdit>(Field::Object)->text()}),
             (QStringList{Chart, auid(check), NumberRules::write(catalogueOf(check)), VariableName}));
    double truth = 0; // as "MAGNITUDINE" averages the true fluxes
    for (int c = 1; c <= 3; ++c)
        truth += (catalogueOf(onRole[c]) - 2.5 * std::log10(Stars[0].flux / Stars[onRole[c]].flux)) / 3;
    click(Button::Magnitude);
    QVERIFY(std::fabs(control<QLineEdit>(Field::MagnitudeVariable)->text().toDouble() - truth) < 1e-3);
    control<QLineEdit>(Field::Author)->setText("RMA");
    m_dialogs.answers << m_dir.filePath("sequenza.txt");
    control<QAction>(Menu::Aavso)->trigger();
    QFile log(m_dir.filePath("sequenza.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString record = QString::fromLatin1(log.readAll().trimmed().split('\n').last());
    QVERIFY2(record.contains(',' + auid(check) + ',') && record.contains(',' + Chart + ','), qPrintable(record));
    QCOMPARE(m_messages.shown.size(), 1); // the export's report alone
}

void TestMeasureWindow::sequenceWithoutWcsOrRefused()
{
    // No band before a sequence and an image say which.
    QCOMPARE(part<QTableWidget>("tblSequenza")->horizontalHeaderItem(2)->text(), QStringLiteral("Catalogo"));
    open("campo.fits");
    m_dialogs.answers << m_dir.filePath("sequenza.json") << m_dir.filePath("appunti.fits");
    part<QPushButton>("cmdSequenza")->click();
    QCOMPARE(part<QLabel>("lblStato")->text(), SessionText::NoSkyCoordinates);
    QVERIFY(part<QTableWidget>("tblStelle")->item(0, 0)->text().isEmpty());
    const QString summary = MeasureWindow::SequenceSummary.arg(Chart).arg(6).arg(0);
    QCOMPARE(part<QLabel>("lblSequenza")->text(), summary);
    // No sequence: one warning naming the file, and the sequence shown stays.
    part<QPushButton>("cmdSequenza")->click();
    QCOMPARE(m_dialogs.asked.last().start, m_dir.path());
    compareOnlyOne(m_messages, m_window->windowTitle(), MessageIcon::Warning,
                   Aavso::readSequence(m_dir.filePath("appunti.fits")).problem);
    QCOMPARE(part<QLabel>("lblSequenza")->text(), summary);
}

void TestMeasureWindow::sequenceDialogPrefilled_data()
{
    QTest::addColumn<QString>("image"); // none when empty
    QTest::addColumn<QString>("star");
    QTest::addColumn<QString>("field");

    // 160 × 120 pixels of 1": a diagonal of 200".
    QTest::newRow("no image: the sheet's star, 30'") << QString() << "R Leo" << "30.0";
    QTest::newRow("no sky coordinates: 30'") << "campo.fits" << "R Leo" << "30.0";
    QTest::newRow("sky coordinates: the diagonal") << "cielo.fits" << "R Leo" << "3.3";
    QTest::newRow("OBJECT before the sheet's star") << "oggetto.fits" << "V1117 Her" << "3.3";
    QTest::newRow("OBJECT, no sky coordinates") << "oggetto-senza-wcs.fits" << "SS Cyg" << "30.0";
}

void TestMeasureWindow::sequenceDialogPrefilled()
{
    QFETCH(QString, image);
    const LocaleGuard locale(QLocale::c());
    control<QLineEdit>(Field::Object)->setText(" R Leo ");
    if (!image.isEmpty())
        open(image);
    SequenceDialog *dialog = askSequence();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), SequenceDialog::Title);
    QTEST(::control<QLineEdit>(dialog, "txtStella")->text(), "star");
    QTEST(::control<QLineEdit>(dialog, "txtCampo")->text(), "field");
    QCOMPARE(::control<QLineEdit>(dialog, "txtMagLimite")->text(), QStringLiteral("16.5"));
    QCOMPARE(::control<QPushButton>(dialog, "cmdOk")->text(), QStringLiteral("Scarica"));
    QCOMPARE(::control<QPushButton>(dialog, "cmdAnnulla")->text(), QStringLiteral("Annulla"));
    if (const QString folder = qEnvironmentVariable("VEVURID_SCREENSHOTS"); !folder.isEmpty() && image == "oggetto.fits")
        QVERIFY(dialog->grab().save(QDir(folder).filePath("form9.png")));
    ::control<QPushButton>(dialog, "cmdAnnulla")->click();
    QVERIFY(!dialog->isVisible());
}

// Read as "Sequenza..." reads the file; with the server stopped, the copy.
void TestMeasureWindow::sequenceDownloadedThenFromCopy()
{
    const LocaleGuard locale(QLocale::c());
    QFile json(m_dir.filePath("sequenza.json"));
    QVERIFY(json.open(QIODevice::ReadOnly));
    LocalServer server([answer = json.readAll()](const QByteArray &) { return LocalServer::ok(answer); });
    qputenv(AavsoWeb::AddressVariable, server.address());
    const auto unset = qScopeGuard([] { qunsetenv(AavsoWeb::AddressVariable); });
    open("cielo.fits");
    control<QLineEdit>(Field::Object)->setText(VariableName);
    const QString placed = MeasureWindow::SequenceSummary.arg(Chart).arg(6).arg(5);

    const QPointer<SequenceDialog> dialog = askSequence();
    ::control<QPushButton>(dialog, "cmdOk")->click();
    QCOMPARE(m_messages.shown.size(), 0);
    QVERIFY(!dialog || !dialog->isVisible());
    QCOMPARE(server.targets(),
             QList<QByteArray>{"/apps/vsp/api/chart/?format=json&star=V0001%20Tst&fov=3.3&maglimit=16.5"});
    QCOMPARE(part<QLabel>("lblSequenza")->text(), placed + ", " + AavsoWeb::FetchedNow);
    QCOMPARE(part<QTableWidget>("tblSequenza")->rowCount(), 5);
    QCOMPARE(part<QLabel>("lblStato")->text(), QString());

    // A file read after it says nothing of a download.
    m_dialogs.answers << m_dir.filePath("sequenza.json");
    part<QPushButton>("cmdSequenza")->click();
    QCOMPARE(part<QLabel>("lblSequenza")->text(), placed);

    server.stop();
    ::control<QPushButton>(askSequence(), "cmdOk")->click();
    QCOMPARE(m_messages.shown.size(), 0);
    const QString copy = AavsoWeb::Cache::pathFor("/apps/vsp/api/chart/?format=json&star=V0001 Tst&fov=3.3&maglimit=16.5", "json");
    QCOMPARE(part<QLabel>("lblSequenza")->text(), placed + ", " + AavsoWeb::FromCopy.arg(AavsoWeb::Cache::savedOn(copy)));
    QDir(AavsoWeb::Cache::folder()).removeRecursively();
}

void TestMeasureWindow::sequenceDownloadRefused_data()
{
    QTest::addColumn<QString>("star");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("limit");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("asked"); // the AAVSO was asked

    const QByteArray json = R"({"chartid": "X1", "photometry": []})";
    QTest::newRow("no star") << "  " << "30" << "16.5" << json << MeasureWindow::NoStarToAsk << false;
    QTest::newRow("field of zero") << "SS Cyg" << "0" << "16.5" << json << MeasureWindow::BadField << false;
    QTest::newRow("field in words") << "SS Cyg" << "trenta" << "16.5" << json << MeasureWindow::BadField << false;
    QTest::newRow("no limit") << "SS Cyg" << "30" << "" << json << MeasureWindow::BadLimit << false;
    QTest::newRow("unknown star") << "SS Cgy" << "30" << "16,5"
                                  << LocalServer::status(400, "Bad Request", R"({"errors": {"star": ["?"]}})")
                                  << AavsoWeb::UnknownStar.arg("SS Cgy") << true;
}

// One warning; the sequence shown stays, and the dialog too when what was
// typed is to be put right.
void TestMeasureWindow::sequenceDownloadRefused()
{
    QFETCH(QString, star);
    QFETCH(QString, field);
    QFETCH(QString, limit);
    QFETCH(QByteArray, answer);
    QFETCH(bool, asked);
    LocalServer server([&answer](const QByteArray &) { return answer; });
    qputenv(AavsoWeb::AddressVariable, server.address());
    const auto unset = qScopeGuard([] { qunsetenv(AavsoWeb::AddressVariable); });
    open("cielo.fits");
    m_dialogs.answers << m_dir.filePath("sequenza.json");
    part<QPushButton>("cmdSequenza")->click();
    const QString before = part<QLabel>("lblSequenza")->text();

    const QPointer<SequenceDialog> dialog = askSequence();
    ::control<QLineEdit>(dialog, "txtStella")->setText(star);
    ::control<QLineEdit>(dialog, "txtCampo")->setText(field);
    ::control<QLineEdit>(dialog, "txtMagLimite")->setText(limit);
    ::control<QPushButton>(dialog, "cmdOk")->click();
    QTEST(!server.requests().isEmpty(), "asked");
    QFETCH(QString, warning);
    compareOnlyOne(m_messages, m_window->windowTitle(), MessageIcon::Warning, warning);
    QCOMPARE(part<QLabel>("lblSequenza")->text(), before);
    QCOMPARE(part<QTableWidget>("tblSequenza")->rowCount(), 5);
    QCOMPARE(dialog && dialog->isVisible(), !asked);
}

void TestMeasureWindow::skyInTheLabel_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal"); // of the typed site
    QTest::addColumn<SkyTime::Site>("site"); // the one computed with
    QTest::addColumn<QString>("origin");     // of the airmass; empty: none shown
    using SkyTime::Site;
    const QString refused = Measurement::Reason::SiteBox + ' ';
    QTest::newRow("header's airmass") << "bersaglio.fits" << "45.46 9.19 120" << QString()
                                      << Site{45.46, 9.19, 120} << Measurement::Label::FromHeader;
    QTest::newRow("computed") << "bersaglio-senza.fits" << "45,46; 9,19" << QString() << Site{45.46, 9.19, 0}
                              << Measurement::Label::Computed;
    QTest::newRow("west written as east") << "bersaglio-senza.fits" << "32.2 110.9 700" << QString()
                                          << Site{32.2, -110.9, 700} << Measurement::Label::ComputedReversed;
    QTest::newRow("latitude beyond the pole") << "bersaglio-senza.fits" << "90.5 9.19" << refused + SkyTime::Reason::Latitude
                                              << Site{} << QString();
    QTest::newRow("sexagesimal site") << "bersaglio-senza.fits" << "45:27:36 9:11:24"
                                      << refused + Measurement::Reason::SiteBoxUnreadable << Site{} << QString();
}

// The label adds the airmass and the HJD; "Al foglio" keeps the airmass for
// the record. A site refused leaves the box as it was, and no site.
void TestMeasureWindow::skyInTheLabel()
{
    QFETCH(QString, file);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    QFETCH(SkyTime::Site, site);
    QFETCH(QString, origin);
    auto *box = part<QLineEdit>("txtSito");
    box->setText(typed);
    emit box->editingFinished();
    QCOMPARE(part<QLabel>("lblStato")->text(), refusal);
    QCOMPARE(box->text(), refusal.isEmpty() ? typed : QString());
    open(file);
    const ImageHeader header = loadFits(m_dir.filePath(file)).image->header;
    const SkyTime::Sky sky =
        *SkyTime::observe(site, *header.target.value, *header.julianDate).value;
    const QString airmass = header.airmass ? QStringLiteral("1.2346") // the header's 1.2345678
                            : origin.isEmpty() ? QString()
                                               : QString::number(*sky.airmass, 'f', 4);
    auto *label = part<QLabel>("lblImmagine");
    QCOMPARE(label->text().section(')', 1),
             origin.isEmpty() ? QString()
                              : Measurement::Label::Airmass.arg(airmass, origin)
                                    + Measurement::Label::Hjd.arg(QString::number(sky.hjd, 'f', 6)));
    QCOMPARE(part<QLabel>("lblStato")->text(),
             origin.isEmpty() ? SkyNote::NotComputed.arg(Imaging::Reason::NoSite) : QString());
    QTRY_VERIFY(label->height() >= label->heightForWidth(label->width())); // wrapped, not cut
    placeFour();
    part<QPushButton>("cmdFoglio")->click();
    QCOMPARE(Aavso::recall(m_settings)->airmass, airmass);
}

// An image without sky coordinates, its sequence laid by a click on the
// variable and a position typed for the star of the row chosen.
void TestMeasureWindow::twoClicksAlignTheSequence()
{
    const LocaleGuard locale(QLocale::c());
    // Measured first on the same field with its own WCS.
    open("cielo.fits");
    m_dialogs.answers << m_dir.filePath("sequenza.json");
    part<QPushButton>("cmdSequenza")->click();
    auto *table = part<QTableWidget>("tblStelle");
    const auto tableTexts = [table] {
        QStringList texts;
        for (int row = 0; row < table->rowCount(); ++row) {
            texts << table->verticalHeaderItem(row)->text();
            for (int column = 0; column < table->columnCount(); ++column)
                texts << table->item(row, column)->text();
        }
        return texts;
    };
    const QStringList withWcs = tableTexts();
    QVERIFY(!table->item(3, 0)->text().isEmpty());

    open("campo.fits");
    auto *solve = part<QPushButton>("cmdRisolvi");
    auto *save = part<QPushButton>("cmdSalvaWcs");
    QVERIFY(solve->isEnabled());
    QVERIFY(!save->isEnabled());
    QVERIFY(part<QLabel>("lblStato")->text().startsWith(SessionText::NoSkyCoordinates));
    // Every star of the sequence to choose from, in its order.
    auto *sequence = part<QTableWidget>("tblSequenza");
    QCOMPARE(sequence->rowCount(), 6);
    QCOMPARE(sequence->item(1, 0)->text(), Labels[1]);
    QTest::mouseClick(view(), Qt::LeftButton, {}, view()->toWidget(QPointF(fromFits(41.3) + 1, fromFits(31.7))).toPoint());
    QTRY_COMPARE(part<QLabel>("lblStato")->text(), SkyFinding::SecondStar);
    sequence->selectRow(1); // Stars[2]
    auto *position = part<QLineEdit>("txtPosizione");
    position->setText(QStringLiteral("71 82.5"));
    QTest::keyClick(position, Qt::Key_Return);
    const QString status = part<QLabel>("lblStato")->text();
    const QString aligned = Astrometry::AlignText::Aligned.arg(6).arg(6);
    QVERIFY2(status.startsWith(aligned.left(aligned.indexOf(QLatin1Char('%')))), qPrintable(status));
    // Laid and measured as on the image with its own WCS.
    QCOMPARE(part<QLabel>("lblSequenza")->text(), MeasureWindow::SequenceSummary.arg(Chart).arg(6).arg(5));
    QCOMPARE(tableTexts(), withWcs);
    QVERIFY(!solve->isEnabled());
    QVERIFY(save->isEnabled());
    if (const QString folder = qEnvironmentVariable("VEVURID_SCREENSHOTS"); !folder.isEmpty())
        QVERIFY(m_window->grab().save(QDir(folder).filePath("coordinate.png")));

    const QString copy = m_dir.filePath("campo-wcs.fits");
    m_dialogs.answers << copy;
    save->click();
    QCOMPARE(m_dialogs.asked.last().title, MeasureWindow::SaveWcsTitle);
    QCOMPARE(part<QLabel>("lblStato")->text(), SkyFinding::Saved.arg("campo-wcs.fits"));
    const FitsImage saved = *loadFits(copy).image;
    QVERIFY(SkyFrame::read(saved.headerCards, saved.width, saved.height).frame);
    QFile::remove(copy);
}

void TestMeasureWindow::solveStates_data()
{
    QTest::addColumn<QByteArray>("engine"); // a fake engine's script; empty for none
    QTest::addColumn<QString>("scale");     // typed
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("status");
    const QString narrow = Astrometry::narrowField(160, 120, 1.5);
    QTest::newRow("not installed") << QByteArray() << QString() << false << Astrometry::SolveText::NotInstalled;
    QTest::newRow("crashes") << QByteArray("kill -SEGV $$") << QString() << false << Astrometry::SolveText::Crashed;
    QTest::newRow("cancelled") << QByteArray("exec sleep 1000") << QString() << true << Astrometry::SolveText::Cancelled;
    QTest::newRow("field too narrow") << QByteArray("exec sleep 1000") << "1,5" << false << narrow;
    QTest::newRow("scale not a number") << QByteArray("exec sleep 1000") << "1,5″" << false << MeasureWindow::BadScale;
    QTest::newRow("scale zero") << QByteArray("exec sleep 1000") << "0" << false << MeasureWindow::BadScale;
}

// "Risolvi" runs the engine off the window's thread, with "Annulla"; the
// window goes on whatever the engine does.
void TestMeasureWindow::solveStates()
{
    QFETCH(QByteArray, engine);
    QFETCH(QString, scale);
    QFETCH(bool, cancel);
    QFETCH(QString, status);
    QTemporaryDir folder;
    if (!engine.isEmpty()) {
        QFile script(folder.filePath("astrometry-engine"));
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write("#!/bin/sh\n" + engine + "\n") > 0);
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    Astrometry::setEngineFolders({folder.path()});
    const auto restore = qScopeGuard([] { Astrometry::setEngineFolders({QStringLiteral("/usr/bin")}); });
    open("campo.fits");
    part<QLineEdit>("txtScala")->setText(scale);
    auto *solve = part<QPushButton>("cmdRisolvi");
    auto *cancelling = part<QPushButton>("cmdAnnullaRisolvi");
    QVERIFY(cancelling->isHidden());
    solve->click();
    if (cancel) {
        QVERIFY(!solve->isEnabled());
        QVERIFY(!cancelling->isHidden() && !part<QProgressBar>("prgRisolvi")->isHidden());
        QCOMPARE(part<QLabel>("lblStato")->text(), MeasureWindow::Solving);
        if (const QString shots = qEnvironmentVariable("VEVURID_SCREENSHOTS"); !shots.isEmpty())
            QVERIFY(m_window->grab().save(QDir(shots).filePath("risolvi.png")));
        cancelling->click();
    }
    QTRY_COMPARE(part<QLabel>("lblStato")->text(), status);
    QTRY_VERIFY(solve->isEnabled());
    QVERIFY(cancelling->isHidden());
    QVERIFY(!part<QPushButton>("cmdSalvaWcs")->isEnabled());
    QVERIFY(m_messages.shown.isEmpty());
}

QTEST_MAIN(TestMeasureWindow)
#include "tst_measurewindow.moc"
