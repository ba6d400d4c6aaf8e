#include "aavso/log.h"
#include "core/names.h"
#include "imaging/fitsimage.h"
#include "imaging/fitswriter.h"
#include "imaging/skycoordinates.h"
#include "imagewindows/transformpanel.h"
#include "support/guard.h"
#include "support/sheetfixture.h"
#include "ui/appsetup.h"
#include "ui/fixeddialog.h"

#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>

using namespace Imaging;

namespace {

// The variable, then the sequence's stars: position, flux in V and B, catalogue
// V and B (a few hundredths off the fluxes' ratios).
struct Star { double x, y, v, b, catalogueV, catalogueB; };
const QList<Star> Stars = {{41.3, 31.7, 20000, 20000, 0, 0},          {101.6, 41.2, 40000, 48000, 11.000, 11.600},
                           {71.2, 81.9, 30000, 32000, 11.322, 12.028}, {126.8, 91.4, 15000, 14000, 12.050, 12.956},
                           {31.5, 96.1, 25000, 24000, 11.530, 12.345}};
// Worked out with Python from the fluxes and catalogue above by the AAVSO's
// two-colour equations (C1-C3 the stars nearest the variable in magnitude,
// Stars[1] the check star), Tbv 1.182 Tb_bv 0.039 Tv_bv -0.115: the
// variable's V, its error, B, its error, then the check star's B and V.
constexpr double Expected[] = {11.7596, 0.01637, 12.5492, 0.01390, 11.5896, 11.0339};
const QByteArray Log = "#TYPE=EXTENDED\n#OBSCODE=RMA\n#DELIM=,\n#DATE=JD\n"
                       "SS CYG,2460000.50000,12.000,0.010,V,YES,STD,ENSEMBLE,na,na,na,na,7,X1,na\n";

void writeFiles(const QDir &dir)
{
    const QList<QPair<QByteArray, QByteArray>> wcs = {
        {"CTYPE1", "'RA---TAN'"}, {"CTYPE2", "'DEC--TAN'"}, {"CRPIX1", "80.5"}, {"CRPIX2", "60.5"},
        {"CRVAL1", "249.777"}, {"CRVAL2", "9.798"}, {"CD1_1", "-2.7778E-4"}, {"CD2_2", "2.7778E-4"}};
    for (const bool blue : {true, false}) {
        FitsPlan plan;
        plan.axes = {160, 120};
        std::vector<std::array<double, 3>> field;
        for (const Star &star : Stars)
            field.push_back({fromFits(star.x), fromFits(star.y), blue ? star.b : star.v});
        plan.values = starField(160, 120, 100, 1.4, field);
        plan.cards = wcs + QList<QPair<QByteArray, QByteArray>>{{"DATE-OBS", blue ? "'2024-03-15T21:00:00'" : "'2024-03-15T21:05:00'"},
            {"EXPTIME", "120"}, {"FILTER", blue ? "'B'" : "'V'"}, {"GAIN", "1.5"}, {"RDNOISE", "9"}, {"AIRMASS", "1.2345"}};
        QVERIFY(writeFits(dir.filePath(blue ? "b.fits" : "v.fits"), plan));
    }
    const FitsImage image = *loadFits(dir.filePath("v.fits")).image;
    const std::optional<SkyFrame> frame = SkyFrame::read(image.headerCards, image.width, image.height).frame;
    const auto at = [&frame](const Star &star, QJsonObject object) {
        const Sky::Position sky = *frame->toSky(QPointF(fromFits(star.x), fromFits(star.y)));
        object["ra"] = sky.ra;
        object["dec"] = sky.dec;
        return object;
    };
    QJsonArray photometry;
    for (int i = 1; i < Stars.size(); ++i)
        photometry << at(Stars[i], {{"auid", QStringLiteral("000-BBB-00%1").arg(i)}, {"label", "1"},
                                    {"bands", QJsonArray{QJsonObject{{"band", "V"}, {"mag", Stars[i].catalogueV}},
                                                         QJsonObject{{"band", "B"}, {"mag", Stars[i].catalogueB}}}}});
    const QJsonObject sequence = at(Stars[0], {{"chartid", "X1"}, {"star", "SS CYG"}, {"photometry", photometry}});
    const QList<QPair<QString, QByteArray>> files = {{"sequenza.json", QJsonDocument(sequence).toJson()}, {"log.txt", Log},
        {"coeff.ini", "[Coefficients]\nTbv=1,182\nTb_bv=0.039\nTv_bv=-0.115\n[Error]\nTbv=0.01\nTb_bv=0.005\nTv_bv=0.004\n"}};
    for (const auto &[name, bytes] : files) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
}

} // namespace

class TestTransformWindow : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void transformsBAndV()
    {
        setupApplication(*qApp);
        QTemporaryDir dir;
        writeFiles(QDir(dir.path()));
        const LocaleGuard locale(QLocale::c());
        openSheet();
        control<QAction>(Menu::Measure)->trigger();
        const QWidgetList windows = QApplication::topLevelWidgets();
        QWidget *window = *std::find_if(windows.begin(), windows.end(),
                                        [](QWidget *w) { return w->isVisible() && w->objectName() == "Form5"; });
        const auto click = [&](const char *button, const QString &answer) {
            if (!answer.isEmpty())
                m_dialogs.answers << dir.filePath(answer);
            ::control<QPushButton>(window, button)->click();
        };
        control<QLineEdit>(Field::Author)->setText("RMA");
        auto *transform = ::control<QPushButton>(window, "cmdTrasforma");
        click("cmdCoefficienti", "sequenza.json"); // refused: one warning naming it, nothing loaded
        QVERIFY(m_messages.shown.size() == 1 && m_messages.shown[0].text.contains("sequenza.json"));
        click("cmdCoefficienti", "coeff.ini");
        QCOMPARE(m_dialogs.asked.last().title, TransformPanel::CoefficientsTitle);
        click("cmdApri", "b.fits");
        click("cmdSequenza", "sequenza.json"); // it places the stars on the V image too
        click("cmdFoglio", QString());
        QVERIFY(!transform->isEnabled());
        click("cmdApri", "v.fits");
        click("cmdFoglio", QString());
        QVERIFY(transform->isEnabled());
        m_messages.shown.clear();
        click("cmdTrasforma", "log.txt");

        const QString shown = ::control<QLabel>(window, "lblTrasformate")->text();
        QRegularExpressionMatchIterator numbers = QRegularExpression("[0-9.]+").globalMatch(shown);
        for (int i = 0; i < 4; ++i) // to the label's three decimals
            QVERIFY2(std::fabs(numbers.next().captured().toDouble() - Expected[i]) <= 6e-4, qPrintable(shown));
        compareOnlyOne(m_messages, Aavso::Title, MessageIcon::Information,
                       Aavso::SeriesAdded.arg("log.txt").arg(2).arg(0));
        QFile log(dir.filePath("log.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 7);
        for (int b = 0; b < 2; ++b) { // B, then V
            const QList<QByteArray> fields = lines[5 + b].split(',');
            QCOMPARE(fields.mid(4, 10).join(','), (b ? "V" : "B") + QByteArray(",YES,STD,ENSEMBLE,na,000-BBB-001,")
                                                      + fields[10] + ",1.2345,8,X1");
            QVERIFY(std::fabs(fields[2].toDouble() - Expected[2 - 2 * b]) < 6e-4);
            QVERIFY(std::fabs(fields[10].toDouble() - Expected[4 + b]) < 6e-4);
            QVERIFY(fields[14].startsWith(b ? "Tbv=1.182 Tv_bv=-0.115 " : "Tbv=1.182 Tb_bv=0.039 "));
        }
        window->close();
        closeSheet();
    }
};

QTEST_MAIN(TestTransformWindow)
#include "tst_transformwindow.moc"
