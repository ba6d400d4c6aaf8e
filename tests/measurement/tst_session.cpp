#include "imaging/fitswriter.h"

#include "support/fakesheet.h"
#include "support/guard.h"
#include "support/scripteddialogs.h"

#include "aavso/imagemeasurement.h"
#include "core/names.h"
#include "core/numberrules.h"
#include "measurement/session.h"
#include "measurement/skylabel.h"
#include "photometry/magnitude.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Measurement;
using Imaging::Role;

namespace {

struct Star
{
    double x, y, flux; // FITS pixels, ADU
};
constexpr double Sigma = 1.6;
// The variable, C1, C2, C3, the check star, then one far beyond saturation.
const QList<Star> Stars = {{41.3, 31.7, 20000}, {101.6, 41.2, 40000}, {71.2, 81.9, 30000},
                           {121.7, 91.4, 25000}, {31.5, 96.1, 15000}, {131.2, 61.3, 600000}};
constexpr int Saturating = 5;
const Imaging::Aperture Radii{6, 10, 15};

using Cards = QList<QPair<QByteArray, QByteArray>>;
// A plate solution of the field: 1"/px, north up, east left.
const Cards Wcs = {{"CTYPE1", "'RA---TAN'"}, {"CTYPE2", "'DEC--TAN'"}, {"CRPIX1", "80.5"}, {"CRPIX2", "60.5"},
                   {"CRVAL1", "249.777"}, {"CRVAL2", "9.798"}, {"CD1_1", "-2.7778E-4"}, {"CD2_2", "2.7778E-4"}};

void writeField(const QString &path, const QByteArray &filter = "'V'", const Cards &more = {},
                const QByteArray &exposure = "120")
{
    FitsPlan plan;
    plan.axes = {160, 120};
    std::vector<std::array<double, 3>> field;
    for (const Star &star : Stars)
        field.push_back({Imaging::fromFits(star.x), Imaging::fromFits(star.y), star.flux});
    plan.values = starField(160, 120, 100, Sigma, field);
    plan.cards = {{"DATE-OBS", "'2024-03-15T21:00:00'"}, {"EXPTIME", exposure}, {"FILTER", filter},
                  {"GAIN", "1.5"}, {"RDNOISE", "9"}, {"SATURATE", "30000"}};
    plan.cards += more;
    QVERIFY(writeFits(path, plan));
}

QPointF at(const Star &star) { return {Imaging::fromFits(star.x) + 0.8, Imaging::fromFits(star.y) - 0.6}; }

struct DetectorRow
{
    DetectorTexts typed;
    DetectorTexts kept; // the boxes afterwards
    QStringList refused;
    Imaging::Detector detector;
};

struct TemplateRow
{
    int placed;        // stars placed, from the variable on
    bool catalogue;    // the sheet's C1-C3 magnitudes typed
    bool badCheck;     // the check star placed, then its place made unmeasurable
    QString problem;
};

} // namespace

Q_DECLARE_METATYPE(DetectorRow)
Q_DECLARE_METATYPE(TemplateRow)

class TestSession : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void typedPositions_data();
    void typedPositions();
    void detector_data();
    void detector();
    void description_data();
    void description();
    void refusedFileKeepsTheImage();
    void unreadableSkyIsSaid();
    void placingAndFwhm();
    void sheetRefusalWritesNothing_data();
    void sheetRefusalWritesNothing();
    void checkRow();
    void seriesTemplate_data();
    void seriesTemplate();
    void pixelStep();
    void sequenceOfAnotherField_data();
    void sequenceOfAnotherField();

private:
    Session opened(FakeSheet &sheet, const QString &file = QStringLiteral("campo.fits")) const
    {
        Session session(sheet);
        session.open(m_dir.filePath(file), Radii);
        return session;
    }

    QTemporaryDir m_dir;
};

void TestSession::initTestCase()
{
    QVERIFY(m_dir.isValid());
    writeField(m_dir.filePath("campo.fits"));
    writeField(m_dir.filePath("cielo.fits"), "'V'", Wcs);
    writeField(m_dir.filePath("lunga.fits"), "'V'", {}, "1E12");
    Cards galactic = Wcs;
    galactic[0].second = "'GLON-TAN'";
    galactic[1].second = "'GLAT-TAN'";
    writeField(m_dir.filePath("galassia.fits"), "'V'", galactic);
    QFile text(m_dir.filePath("appunti.fits"));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("lista della spesa\n") > 0);
}

void TestSession::typedPositions_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QPointF>("expected"); // (-1, -1): none
    QTest::newRow("blank") << "512.3 640.8" << QPointF(511.3, 639.8);
    QTest::newRow("semicolon, comma") << " 1,5;2 " << QPointF(0.5, 1);
    QTest::newRow("one number") << "512.3" << QPointF(-1, -1);
    QTest::newRow("three numbers") << "1 2 3" << QPointF(-1, -1);
    QTest::newRow("a unit") << "12px 4" << QPointF(-1, -1);
}

void TestSession::typedPositions()
{
    QFETCH(QString, typed);
    QFETCH(QPointF, expected);
    QCOMPARE(typedPosition(typed).value_or(QPointF(-1, -1)), expected);
}

void TestSession::detector_data()
{
    using namespace SessionText;
    QTest::addColumn<DetectorRow>("row");
    const DetectorTexts header{"1.5", "9", "30000"};
    QTest::newRow("all good") << DetectorRow{{"2,5", "0", ""}, {"2,5", "0", ""}, {}, {2.5, 0}};
    QTest::newRow("gain zero") << DetectorRow{{"0", "8", "30000"}, {"1.5", "8", "30000"},
                                              {RefusedNumber.arg(GainBox, "1.5")}, {1.5, 8}};
    QTest::newRow("each refused") << DetectorRow{
        {"x", "-1", "4e4 ADU"}, header,
        {RefusedNumber.arg(GainBox, "1.5"), RefusedNumber.arg(ReadNoiseBox, "9"), RefusedNumber.arg(SaturationBox, "30000")},
        {1.5, 9}};
}

// A box that does not read keeps the value last accepted, and says so naming itself.
void TestSession::detector()
{
    QFETCH(DetectorRow, row);
    const LocaleGuard locale(QLocale::c());
    FakeSheet sheet;
    Session session = opened(sheet);
    QCOMPARE(session.detector().gain, 1.5); // the header's
    DetectorTexts typed = row.typed;
    QCOMPARE(session.setDetector(typed), row.refused);
    QCOMPARE((QStringList{typed.gain, typed.readNoise, typed.saturation}),
             (QStringList{row.kept.gain, row.kept.readNoise, row.kept.saturation}));
    QCOMPARE(session.detector().gain, row.detector.gain);
    QCOMPARE(session.detector().readNoise, row.detector.readNoise);
    QCOMPARE(session.image()->saturation, row.kept.saturation.isEmpty() ? qInf() : row.kept.saturation.toDouble());
}

void TestSession::description_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("exposure");
    QTest::addColumn<QString>("julianDate");
    QTest::newRow("plausible") << "campo.fits" << Measurement::Label::Exposure.arg("120") << "2460385.37569";
    QTest::newRow("a trillion seconds") << "lunga.fits" << Measurement::Label::ImplausibleExposure.arg("1e+12")
                                        << SessionText::Unknown;
}

// The exposure as the label shows it; one that is not plausible dates nothing.
void TestSession::description()
{
    QFETCH(QString, file);
    QFETCH(QString, exposure);
    QFETCH(QString, julianDate);
    const LocaleGuard locale(QLocale::c());
    FakeSheet sheet;
    const Session session = opened(sheet, file);
    QCOMPARE(session.description(),
             SessionText::Description.arg(file, "160", "120", exposure, "V", "15/03/2024 21:00:00", julianDate));
}

void TestSession::refusedFileKeepsTheImage()
{
    FakeSheet sheet;
    Session session = opened(sheet);
    QVERIFY(session.place(Role::Variable, at(Stars[0]), Radii).isEmpty());
    const QString description = session.description();
    const Session::Opening refused = session.open(m_dir.filePath("appunti.fits"), Radii);
    QCOMPARE(refused.problem, Imaging::loadFits(m_dir.filePath("appunti.fits")).problem);
    QCOMPARE(session.description(), description);
    QVERIFY(session.measured()[0]);
}

// Sky coordinates that cannot be used: the image opens without them, and says why.
void TestSession::unreadableSkyIsSaid()
{
    FakeSheet sheet;
    Session session(sheet);
    const Session::Opening opening = session.open(m_dir.filePath("galassia.fits"), Radii);
    QCOMPARE(opening.problem, QString());
    QVERIFY(session.image() && !session.frame());
    const QString unreadable = QString::fromUtf8(Imaging::SkyProblem::Unreadable);
    QVERIFY2(opening.status.startsWith(unreadable.arg(QString())) && opening.status.contains("GLON"),
             qPrintable(opening.status));
    QVERIFY(!session.open(m_dir.filePath("cielo.fits"), Radii).status.startsWith(unreadable.arg(QString())));
}

void TestSession::placingAndFwhm()
{
    FakeSheet sheet;
    Session session(sheet);
    QCOMPARE(session.place(Role::Variable, at(Stars[0]), Radii), SessionText::OpenFirst);
    QVERIFY(!session.meanFwhm());
    session.open(m_dir.filePath("campo.fits"), Radii);
    // Empty sky: nothing placed, and the refusal names the role.
    QCOMPARE(session.place(Role::C1, QPointF(80, 60), Radii),
             SessionText::NotPlaced.arg(Imaging::roleName(Role::C1), Imaging::refusalText(Imaging::Refusal::NoStar)));
    QVERIFY(!session.positions()[1]);
    double fwhm = 0;
    for (int role = 0; role < 2; ++role) {
        QVERIFY(session.place(Role(role), at(Stars[role]), Radii).isEmpty());
        fwhm += session.measured()[std::size_t(role)]->fwhm / 2;
        // Re-centred on the star, whatever the click's offset.
        QVERIFY(std::hypot(Imaging::toFits(session.positions()[std::size_t(role)]->x()) - Stars[role].x,
                           Imaging::toFits(session.positions()[std::size_t(role)]->y()) - Stars[role].y) < 0.05);
    }
    QCOMPARE(*session.meanFwhm(), fwhm);
    const Imaging::Aperture radii = apertureForFwhm(fwhm);
    QCOMPARE((QList<double>{radii.radius, radii.innerRadius, radii.outerRadius}),
             (QList<double>{FwhmMultiples[0] * fwhm, FwhmMultiples[1] * fwhm, FwhmMultiples[2] * fwhm}));
}

void TestSession::sheetRefusalWritesNothing_data()
{
    using namespace Imaging;
    QTest::addColumn<int>("skipped");
    QTest::addColumn<int>("c1");
    QTest::addColumn<double>("outerRadius");
    QTest::addColumn<QString>("problem");
    QTest::newRow("C2 missing") << 2 << 1 << 15.0 << QString::fromUtf8(EntryProblem::Missing).arg(roleName(Role::C2));
    QTest::newRow("C1 saturated") << -1 << Saturating << 15.0
                                  << QString::fromUtf8(EntryProblem::Saturated).arg(roleName(Role::C1));
    QTest::newRow("the variable's annulus leaves the image")
        << -1 << 1 << 35.0
        << QString::fromUtf8(EntryProblem::Refused).arg(roleName(Role::Variable), refusalText(Refusal::Border));
}

// A star missing or unusable: "Al foglio" writes nothing and keeps nothing
// for the record; once all four are good, it does.
void TestSession::sheetRefusalWritesNothing()
{
    QFETCH(int, skipped);
    QFETCH(int, c1);
    QFETCH(double, outerRadius);
    QFETCH(QString, problem);
    FakeSheet sheet;
    MapSettings settings;
    Session session = opened(sheet);
    for (int role = 0; role < 4; ++role)
        if (role != skipped)
            QVERIFY(session.place(Role(role), at(Stars[role == 1 ? c1 : role]), Radii).isEmpty());
    session.remeasure({Radii.radius, Radii.innerRadius, outerRadius});
    const SheetWrite refused = session.toSheet(settings, QString(), QString());
    QCOMPARE(refused.problem, problem);
    QVERIFY(sheet.text(QLatin1String(Field::AduVariable)).isEmpty());
    QVERIFY(!Aavso::recall(settings));
    for (int role = 0; role < 4; ++role)
        QVERIFY(session.place(Role(role), at(Stars[role]), Radii).isEmpty());
    const SheetWrite written = session.toSheet(settings, "000-BBC-123", "X1");
    QCOMPARE(written.problem, QString());
    QVERIFY(written.status.startsWith(SessionText::Written + SessionText::WrittenDate));
    QVERIFY(Aavso::recall(settings));
    QVERIFY(!written.band); // no sequence: nothing for the transformation
}

void TestSession::checkRow()
{
    const LocaleGuard locale(QLocale::c());
    FakeSheet sheet;
    Session session = opened(sheet);
    for (int role = 0; role < Imaging::RoleCount; ++role)
        QVERIFY(session.place(Role(role), at(Stars[role]), Radii).isEmpty());
    QVERIFY(!session.checkRow("12").magnitude); // no catalogue magnitudes on the sheet yet
    const char *const fields[3] = {Field::MagnitudeC1, Field::MagnitudeC2, Field::MagnitudeC3};
    for (const char *field : fields)
        sheet.setText(QLatin1String(field), "11.5");
    const CheckRow check = session.checkRow("12,25");
    QVERIFY(check.magnitude && check.problem.isEmpty());
    QCOMPARE(*check.catalogue, 12.25);
    QCOMPARE(*check.difference, *check.magnitude - 12.25);
    QVERIFY(!session.checkRow("n/d").difference);
}

void TestSession::seriesTemplate_data()
{
    QTest::addColumn<TemplateRow>("row");
    const QString missingC3 = QString::fromUtf8(Imaging::EntryProblem::Missing).arg(Imaging::roleName(Role::C3));
    QTest::newRow("C3 not placed") << TemplateRow{3, true, false, SessionText::PlaceFirst.arg(missingC3)};
    QTest::newRow("no catalogue") << TemplateRow{4, false, false, Photometry::MagnitudeWarning};
    QTest::newRow("check unmeasurable") << TemplateRow{5, true, true, SessionText::CheckFirst};
    QTest::newRow("ready") << TemplateRow{5, true, false, QString()};
}

void TestSession::seriesTemplate()
{
    QFETCH(TemplateRow, row);
    FakeSheet sheet;
    Session session = opened(sheet);
    if (row.catalogue)
        for (const char *field : {Field::MagnitudeC1, Field::MagnitudeC2, Field::MagnitudeC3})
            sheet.setText(QLatin1String(field), "11.5");
    for (int role = 0; role < row.placed; ++role)
        QVERIFY(session.place(Role(role), at(Stars[role]), Radii).isEmpty());
    // The check star's annulus alone leaves the image.
    const Imaging::Aperture radii = row.badCheck ? Imaging::Aperture{6, 10, 25} : Radii;
    session.remeasure(radii);
    const SkyTime::Outcome<SeriesTemplate> placed = session.seriesTemplate(radii);
    QCOMPARE(placed.problem, row.problem);
    QCOMPARE(placed.value.has_value(), row.problem.isEmpty());
    if (placed.value) {
        QCOMPARE(placed.value->positions[4], session.positions()[4]);
        QVERIFY(placed.value->comparisonNet > 0);
    }
}

// The pixel step changes what is measured, never the saturation level
// taken from the raw pixels; a step that refuses refuses the image.
void TestSession::pixelStep()
{
    const QString path = m_dir.filePath("campo.fits");
    const auto doubled = [](Imaging::FitsImage &image, const QString &) {
        for (float &pixel : image.pixels)
            pixel *= 2;
        return PixelStepResult{QStringLiteral("raddoppiata"), QString()};
    };
    const OpenedImage raw = openImage({path, {}, {}, std::nullopt});
    const OpenedImage stepped = openImage({path, {}, doubled, std::nullopt});
    QCOMPARE(stepped.pixelsDone, QStringLiteral("raddoppiata"));
    QCOMPARE(stepped.image->saturation, raw.image->saturation);
    QCOMPARE(stepped.image->at(40, 30), 2 * raw.image->at(40, 30));
    // A part read: the step sees only it, chosen once the header is read.
    bool chosen = false;
    const auto part = [&chosen](const std::optional<Imaging::SkyFrame> &) {
        chosen = true;
        return QRect(30, 20, 20, 20);
    };
    const OpenedImage partial = openImage({path, part, doubled, std::nullopt});
    QVERIFY(chosen);
    QCOMPARE(partial.image->held, QRect(30, 20, 20, 20));
    QCOMPARE(partial.image->at(40, 30), 2 * raw.image->at(40, 30));
    QVERIFY(std::isnan(partial.image->at(10, 10)));
    const auto refusing = [](Imaging::FitsImage &, const QString &) { return PixelStepResult{QString(), QStringLiteral("no")}; };
    const OpenedImage refused = openImage({path, {}, refusing, SkyHints{}});
    QCOMPARE(refused.problem, QStringLiteral("no"));
    QVERIFY(!refused.image && !refused.sky.value);
}

void TestSession::sequenceOfAnotherField_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("ra"); // of the sequence's stars and variable
    QTest::addColumn<bool>("another");
    QTest::newRow("on the image") << "cielo.fits" << 249.777 << false;
    QTest::newRow("a degree away") << "cielo.fits" << 250.777 << true;
    QTest::newRow("no sky coordinates") << "campo.fits" << 250.777 << false; // cannot tell
}

// A sequence none of whose stars is on the image says nothing of its target.
void TestSession::sequenceOfAnotherField()
{
    QFETCH(QString, file);
    QFETCH(double, ra);
    QFETCH(bool, another);
    FakeSheet sheet;
    Session session = opened(sheet, file);
    Aavso::Sequence sequence{QStringLiteral("X1"), QStringLiteral("V1 Tst"), Sky::Position{ra, 9.798}, {}};
    sequence.stars.push_back({QStringLiteral("000-AAA-001"), QStringLiteral("110"), {ra, 9.80}, {}, {}, {}});
    session.setSequence(sequence, Radii);
    QCOMPARE(session.sequenceOfAnotherField(), another);
    QCOMPARE(session.skyHints().variable.has_value(), !another);
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
