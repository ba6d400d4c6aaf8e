// A sequence laid on a field whose counts are given star by star: which
// stars are candidates and why not, C1-C3 and the check star, the ensemble
// and the "discorde" flag.

#include "measurement/sequencefield.h"

#include <QTest>

#include <cmath>

using namespace Imaging;
using namespace Measurement;

namespace {

// A label's first word says what is special about the star: "vis" (visual
// only), "sat" (saturated), "off" (off the image), "edge" (refused), "blue"
// (only a B magnitude), "bad" (a V that does not read), "twice" (V given twice).
struct StarPlan
{
    QString label;
    double catalogue = 0; // V
    double offset = 0;    // what the counts say less the catalogue
};
using StarPlans = QList<StarPlan>;

double counts(double magnitude)
{
    return std::pow(10, -0.4 * (magnitude - 25));
}

struct Field
{
    Aavso::Sequence sequence;
    SequenceField placed;
    QString label(const FieldStar &row) const { return sequence.stars[row.star].label; }
};

// Star i at (60 + 50 i, 300) on a 1000 x 800 image at 1"/px, the variable at
// (500, 600); each measured with the counts its plan gives.
Field place(const StarPlans &plans, double variable)
{
    QByteArray header;
    for (const char *card : {"CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRPIX1  = 500", "CRPIX2  = 400",
                             "CRVAL1  = 180", "CRVAL2  = 30", "CD1_1   = -2.8E-4", "CD2_2   = 2.8E-4", "END"})
        header += QByteArray(card).leftJustified(80, ' ');
    const std::optional<SkyFrame> frame = SkyFrame::read(header, 1000, 800).frame;
    Field field;
    for (qsizetype i = 0; i < plans.size(); ++i) {
        const QString &label = plans[i].label;
        const QPointF pixel(label.startsWith("off") ? -40.0 : 60.0 + 50.0 * double(i), 300);
        field.sequence.stars.push_back({label, label, *frame->toSky(pixel), label.startsWith("vis") ? "VISUAL" : "", {}, {}});
        Aavso::SequenceStar &star = field.sequence.stars.back();
        if (label.startsWith("bad"))
            star.notes["V"] = Aavso::SequenceNote::Unreadable;
        else
            star.bands[label.startsWith("blue") ? "B" : "V"] = {plans[i].catalogue, 0.01};
        if (label.startsWith("twice"))
            star.notes["V"] = Aavso::SequenceNote::Repeated.arg("V");
    }
    field.sequence.variablePosition = frame->toSky(QPointF(500, 600));
    const auto measure = [&plans, variable](double x, double y) {
        StarMeasurement star;
        star.net = counts(variable);
        if (y > 599)
            return star;
        const StarPlan &plan = plans[qRound((x - 60) / 50)];
        star.net = counts(plan.catalogue + plan.offset);
        star.saturated = plan.label.startsWith("sat");
        star.refusal = plan.label.startsWith("edge") ? Refusal::Border : Refusal::None;
        return star;
    };
    field.placed = placeSequence(field.sequence, QStringLiteral("V"), *frame, 1000, 800, measure);
    return field;
}

const StarPlans Ladder = {{"A", 10}, {"B", 11}, {"C", 12}, {"D", 12.5}, {"E", 13}, {"F", 14}};

} // namespace

class TestSequenceField : public QObject
{
    Q_OBJECT

private slots:
    void choice_data()
    {
        QTest::addColumn<StarPlans>("plans");
        QTest::addColumn<double>("variable");
        QTest::addColumn<QStringList>("chosen"); // C1, C2, C3, check
        QTest::newRow("nearest in magnitude") << Ladder << 12.3 << QStringList{"D", "C", "E", "B"};
        QTest::newRow("stars that cannot serve")
            << Ladder + StarPlans{{"vis", 12.3}, {"sat", 12.31}, {"off", 12.29}, {"edge", 12.28}, {"blue", 12.3}} << 12.3
            << QStringList{"D", "C", "E", "B"};
        QTest::newRow("sequence's notes") << Ladder + StarPlans{{"bad", 12.3}, {"twice", 15}} << 12.3
                                          << QStringList{"D", "C", "E", "B"};
        QTest::newRow("two as near, brighter first") << StarPlans{{"A", 12.5}, {"B", 11.5}} << 12.0 << QStringList{"B", "A"};
    }

    void choice()
    {
        QFETCH(StarPlans, plans);
        QFETCH(double, variable);
        QFETCH(QStringList, chosen);
        const Field field = place(plans, variable);
        QStringList found;
        for (const auto &row : field.placed.chosen)
            if (row)
                found << field.label(field.placed.rows[*row]);
        QCOMPARE(found, chosen);
        QVERIFY(std::abs(*field.placed.variableMagnitude - variable) < 1e-9);
        const QHash<QString, QString> reasons = {
            {"vis", NotCandidate::VisualOnly}, {"sat", NotCandidate::Saturated}, {"off", NotCandidate::OffImage},
            {"edge", refusalText(Refusal::Border)}, {"blue", NotCandidate::NoMagnitude.arg("V")},
            {"bad", Aavso::SequenceNote::Unreadable}, {"twice", Aavso::SequenceNote::Repeated.arg("V")}};
        double previous = 0;
        for (const FieldStar &row : field.placed.rows) {
            QCOMPARE(row.reason, reasons.value(field.label(row)));
            // Brightest first; a star without a V magnitude last.
            QVERIFY(row.catalogue ? previous <= row.catalogue->magnitude : &row == &field.placed.rows.back());
            previous = row.catalogue ? row.catalogue->magnitude : previous;
        }
    }

    void discordant_data()
    {
        QTest::addColumn<StarPlans>("plans");
        QTest::addColumn<QList<double>>("differences"); // of each star; empty: not checked
        QTest::addColumn<QString>("discordant");        // empty: none
        // Zero points 25, 25 and 24.7: C reads 12.3, A and B 0.15 brighter.
        QTest::newRow("ensemble") << StarPlans{{"A", 10}, {"B", 11}, {"C", 12, 0.3}} << QList<double>{-0.15, -0.15, 0.3}
                                  << "C";
        QTest::newRow("under 0.1") << StarPlans{{"A", 10}, {"B", 11}, {"C", 12, 0.09}, {"D", 13}, {"E", 14}}
                                   << QList<double>() << "";
        QTest::newRow("within 3 sigma")
            << StarPlans{{"A", 10, 0.2}, {"B", 11, -0.2}, {"C", 12, 0.2}, {"D", 13, -0.2}, {"E", 14, 0.3}}
            << QList<double>() << "";
        QTest::newRow("two stars, no spread") << StarPlans{{"A", 10}, {"B", 11, 0.5}} << QList<double>{-0.5, 0.5} << "";
    }

    void discordant()
    {
        QFETCH(StarPlans, plans);
        QFETCH(QList<double>, differences);
        QFETCH(QString, discordant);
        const Field field = place(plans, 12);
        for (const FieldStar &row : field.placed.rows) {
            QCOMPARE(row.discordant, field.label(row) == discordant);
            QVERIFY(differences.isEmpty() || std::abs(*row.difference - differences[qsizetype(row.star)]) < 1e-9);
        }
    }
};

QTEST_GUILESS_MAIN(TestSequenceField)
#include "tst_sequencefield.moc"
