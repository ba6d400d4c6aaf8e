#include "aavso/log.h"
#include "core/names.h"
#include "imaging/fitsimage.h"
#include "imaging/fitswriter.h"
#include "imaging/skycoordinates.h"
#include "measuring/transformpanel.h"
#include "support/guard.h"
#include "support/sheetfixture.h"
#include "transform/coefficients.h"
#include "ui/appsetup.h"
#include "ui/fixeddialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

using namespace Imaging;

namespace {

// The variable, then four sequence stars, with their fluxes in V and B; the
// sequence's catalogue magnitudes lie a few hundredths off the counts' ratios.
struct Star
{
    double x, y, v, b;
    const char *auid;
    double catalogueV, catalogueB;
};
const QList<Star> Stars = {{41.3, 31.7, 20000, 20000, "", 0, 0},
                           {101.6, 41.2, 40000, 48000, "000-BBB-001", 11.000, 11.600},
                           {71.2, 81.9, 30000, 32000, "000-BBB-002", 11.322, 12.028},
                           {126.8, 91.4, 15000, 14000, "000-BBB-003", 12.050, 12.956},
                           {31.5, 96.1, 25000, 24000, "000-BBB-004", 11.530, 12.345}};
const QByteArray Coefficients = "[Setup]\ndescription=prova\n[Coefficients]\nTbv=1,182\nTb_bv=0.039\n"
                                "Tv_bv=-0.115\n[Error]\nTbv=0.010\nTb_bv=0.005\nTv_bv=0.004\n";
// Worked out with Python from the fluxes and the catalogue above by the
// AAVSO's two-colour equations (C1-C3 the three stars nearest the variable
// in magnitude, the fourth the check star): V, its error, B, its error, then
// the check star's V and B.
constexpr double Expected[] = {11.7596, 0.01637, 12.5492, 0.01390, 11.0339, 11.5896};
// An existing log whose highest GROUP is 7.
const QByteArray Log = "#TYPE=EXTENDED\n#OBSCODE=RMA\n#SOFTWARE=altro\n#DELIM=,\n#DATE=JD\n#OBSTYPE=CCD\n"
                       "SS CYG,2460000.50000,12.000,0.010,V,YES,STD,ENSEMBLE,na,na,na,na,7,X1,na\n";

using Cards = QList<QPair<QByteArray, QByteArray>>;
const Cards Wcs = {{"CTYPE1", "'RA---TAN'"}, {"CTYPE2", "'DEC--TAN'"}, {"CRPIX1", "80.5"}, {"CRPIX2", "60.5"},
                   {"CRVAL1", "249.777"}, {"CRVAL2", "9.798"}, {"CD1_1", "-2.7778E-4"}, {"CD2_2", "2.7778E-4"}};

void writeField(const QString &path, bool blue)
{
    FitsPlan plan;
    plan.axes = {160, 120};
    std::vector<std::array<double, 3>> field;
    for (const Star &star : Stars)
        field.push_back({fromFits(star.x), fromFits(star.y), blue ? star.b : star.v});
    plan.values = starField(160, 120, 100, 1.4, field);
    plan.cards = {{"DATE-OBS", blue ? "'2024-03-15T21:00:00'" : "'2024-03-15T21:05:00'"}, {"EXPTIME", "120"},
                  {"FILTER", blue ? "'B'" : "'V'"}, {"GAIN", "1.5"}, {"RDNOISE", "9"}, {"AIRMASS", "1.2345"},
                  {"SATURATE", "60000"}};
    plan.cards += Wcs;
    QVERIFY(writeFits(path, plan));
}

void writeSequence(const QString &path, const QString &image)
{
    const std::optional<SkyFrame> frame = SkyFrame::fromHeader(loadFits(image).image->headerCards);
    const auto at = [&frame](const Star &star, QJsonObject object) {
        const Sky::Position sky = *frame->toSky(QPointF(fromFits(star.x), fromFits(star.y)));
        object["ra"] = QString::number(sky.ra, 'f', 8);
        object["dec"] = QString::number(sky.dec, 'f', 8);
        return object;
    };
    QJsonArray photometry;
    for (const Star &star : Stars.mid(1)) {
        const QJsonArray bands{QJsonObject{{"band", "V"}, {"mag", star.catalogueV}},
                               QJsonObject{{"band", "B"}, {"mag", star.catalogueB}}};
        photometry << at(star, {{"auid", star.auid}, {"label", "1"}, {"bands", bands}});
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(at(Stars[0], {{"chartid", "X1"}, {"star", "SS CYG"}, {"photometry", photometry}})).toJson());
}

} // namespace

class TestTransformWindow : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        setupApplication(*qApp);
        QVERIFY(m_dir.isValid());
        writeField(m_dir.filePath("b.fits"), true);
        writeField(m_dir.filePath("v.fits"), false);
        writeSequence(m_dir.filePath("sequenza.json"), m_dir.filePath("v.fits"));
        QFile coefficients(m_dir.filePath("coeff.ini")), log(m_dir.filePath("log.txt"));
        QVERIFY(coefficients.open(QIODevice::WriteOnly) && coefficients.write(Coefficients) > 0);
        QVERIFY(log.open(QIODevice::WriteOnly) && log.write(Log) > 0);
    }

    void transformsBAndV()
    {
        const LocaleGuard locale(QLocale::c());
        openSheet();
        control<QAction>(Menu::Measure)->trigger();
        QWidget *window = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->objectName() == QLatin1String("Form5"))
                window = w;
        QVERIFY(window);
        const auto part = [window](const char *name) { return ::control<QWidget>(window, name); };
        control<QLineEdit>(Field::Author)->setText("RMA");
        auto *transform = static_cast<QPushButton *>(part("cmdTrasforma"));
        // Refused coefficients: one warning naming the file, nothing loaded.
        m_dialogs.answers << m_dir.filePath("sequenza.json");
        static_cast<QPushButton *>(part("cmdCoefficienti"))->click();
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown[0].text.contains("sequenza.json"));
        QCOMPARE(static_cast<QLabel *>(part("lblCoefficienti"))->text(), TransformPanel::NoCoefficients);
        m_dialogs.answers << m_dir.filePath("coeff.ini");
        static_cast<QPushButton *>(part("cmdCoefficienti"))->click();
        QCOMPARE(m_dialogs.asked.last().title, TransformPanel::CoefficientsTitle);

        // The sequence, loaded on the B image, places the stars on the V image as well.
        for (const char *image : {"b.fits", "v.fits"}) {
            QVERIFY(!transform->isEnabled());
            m_dialogs.answers << m_dir.filePath(image);
            static_cast<QPushButton *>(part("cmdApri"))->click();
            if (image[0] == 'b') {
                m_dialogs.answers << m_dir.filePath("sequenza.json");
                static_cast<QPushButton *>(part("cmdSequenza"))->click();
            }
            static_cast<QPushButton *>(part("cmdFoglio"))->click();
        }
        QVERIFY(transform->isEnabled());
        if (const QString folder = qEnvironmentVariable("VEVURID_SCREENSHOTS"); !folder.isEmpty())
            QVERIFY(window->grab().save(QDir(folder).filePath("trasforma.png")));
        m_messages.shown.clear();
        m_dialogs.answers << m_dir.filePath("log.txt");
        transform->click();

        // "V 11.760 ± 0.016 · B 12.549 ± 0.014 (...)": within the aperture's sampling of the fluxes.
        const QString shown = static_cast<QLabel *>(part("lblTrasformate"))->text();
        QRegularExpressionMatchIterator numbers = QRegularExpression("[0-9]+\\.[0-9]+").globalMatch(shown);
        for (const double expected : {Expected[0], Expected[1], Expected[2], Expected[3]})
            QVERIFY2(numbers.hasNext() && std::fabs(numbers.next().captured().toDouble() - expected) < 2e-3,
                     qPrintable(shown));
        compareOnlyOne(m_messages, Aavso::Title, MessageIcon::Information,
                       Aavso::SeriesAdded.arg("log.txt").arg(2).arg(0));

        QFile log(m_dir.filePath("log.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 9);
        for (int band = 0; band < 2; ++band) {
            const QList<QByteArray> fields = lines[7 + band].split(',');
            QCOMPARE(fields.size(), 15);
            QCOMPARE(fields[4], band == 0 ? "B" : "V");
            QCOMPARE((QList<QByteArray>{fields[5], fields[6], fields[7], fields[8], fields[9], fields[12], fields[13]}),
                     (QList<QByteArray>{"YES", "STD", "ENSEMBLE", "na", "000-BBB-001", "8", "X1"}));
            QVERIFY(std::fabs(fields[2].toDouble() - Expected[2 - 2 * band]) < 2e-3);
            QVERIFY(std::fabs(fields[10].toDouble() - Expected[5 - band]) < 2e-3);
            QCOMPARE(fields[11], "1.2345");
            QVERIFY(fields[14].startsWith(band == 0 ? "Tbv=1.182 Tb_bv=0.039 " : "Tbv=1.182 Tv_bv=-0.115 "));
        }
        window->close();
        closeSheet();
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestTransformWindow)
#include "tst_transformwindow.moc"
