// A sequence laid on a generated field whose counts are given star by star:
// which stars are candidates and why not, the choice of C1-C3 and the check
// star, and the "discorde" flag.

#include "imaging/sequencefield.h"

#include <QTest>

#include <cmath>

using namespace Imaging;

namespace {

enum class Kind { Plain, Visual, Saturated, OffImage, Refused, BlueOnly };

struct Spec
{
    QString label;
    double catalogue = 0; // V
    double offset = 0;    // what the counts say less the catalogue
    Kind kind = Kind::Plain;
};
using Specs = QList<Spec>;

constexpr int Width = 1000, Height = 800;
constexpr double ZeroPoint = 25; // the magnitude of one count

// 1"/px, north up.
QByteArray frameHeader()
{
    QByteArray text;
    for (const char *card : {"CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRPIX1  = 500", "CRPIX2  = 400",
                             "CRVAL1  = 180", "CRVAL2  = 30", "CD1_1   = -2.7777777777778E-4",
                             "CD2_2   = 2.7777777777778E-4", "END"})
        text += QByteArray(card).leftJustified(80, ' ');
    return text;
}

QPointF pixelOf(qsizetype index, Kind kind)
{
    return {kind == Kind::OffImage ? -40.0 : 60.0 + 50.0 * double(index), 300};
}
const QPointF VariablePixel(500, 600);

double counts(double magnitude)
{
    return std::pow(10, -0.4 * (magnitude - ZeroPoint));
}

struct Field
{
    Aavso::Sequence sequence;
    SequenceField placed;
};

// The stars where pixelOf puts them, the variable at VariablePixel, each
// measured with the counts its spec gives.
Field place(const Specs &specs, double variable)
{
    const std::optional<SkyFrame> frame = SkyFrame::fromHeader(frameHeader());
    Field field;
    for (qsizetype i = 0; i < specs.size(); ++i) {
        const Spec &spec = specs[i];
        Aavso::SequenceStar star{spec.label, spec.label, *frame->toSky(pixelOf(i, spec.kind)),
                                 spec.kind == Kind::Visual ? "VISUAL ONLY" : "", {}};
        star.bands[spec.kind == Kind::BlueOnly ? "B" : "V"] = {spec.catalogue, 0.01};
        field.sequence.stars.push_back(star);
    }
    field.sequence.variablePosition = frame->toSky(VariablePixel);
    const auto measure = [&specs, variable](double x, double y) {
        StarMeasurement measured;
        measured.x = x;
        measured.y = y;
        measured.net = counts(variable);
        if (std::abs(y - VariablePixel.y()) < 0.5)
            return measured;
        const Spec &spec = specs[qRound((x - 60) / 50)];
        measured.net = counts(spec.catalogue + spec.offset);
        measured.saturated = spec.kind == Kind::Saturated;
        measured.refusal = spec.kind == Kind::Refused ? Refusal::Border : Refusal::None;
        return measured;
    };
    field.placed = placeSequence(field.sequence, QStringLiteral("V"), *frame, Width, Height, measure);
    return field;
}

QString labelOf(const Field &field, const FieldStar &row)
{
    return field.sequence.stars[row.star].label;
}

const Specs Ladder = {{"A", 10}, {"B", 11}, {"C", 12}, {"D", 12.5}, {"E", 13}, {"F", 14}};

} // namespace

class TestSequenceField : public QObject
{
    Q_OBJECT

private slots:
    void choice_data()
    {
        QTest::addColumn<Specs>("specs");
        QTest::addColumn<double>("variable");
        QTest::addColumn<QStringList>("chosen"); // C1, C2, C3, check
        QTest::newRow("nearest in magnitude") << Ladder << 12.3 << QStringList{"D", "C", "E", "B"};
        QTest::newRow("stars that cannot serve")
            << Ladder + Specs{{"vis", 12.3, 0, Kind::Visual}, {"sat", 12.31, 0, Kind::Saturated},
                              {"off", 12.29, 0, Kind::OffImage}, {"edge", 12.28, 0, Kind::Refused},
                              {"blue", 12.3, 0, Kind::BlueOnly}}
            << 12.3 << QStringList{"D", "C", "E", "B"};
        QTest::newRow("brighter of two as near") << Specs{{"A", 12.5}, {"B", 11.5}} << 12.0
                                                 << QStringList{"B", "A"};
        QTest::newRow("faintest end") << Ladder << 15.0 << QStringList{"F", "E", "D", "C"};
        QTest::newRow("one candidate") << Specs{{"A", 11}, {"vis", 12, 0, Kind::Visual}} << 12.0
                                       << QStringList{"A"};
    }

    void choice()
    {
        QFETCH(Specs, specs);
        QFETCH(double, variable);
        QFETCH(QStringList, chosen);
        const Field field = place(specs, variable);
        QStringList found;
        for (const auto &row : field.placed.chosen)
            if (row)
                found << labelOf(field, field.placed.rows[*row]);
        QCOMPARE(found, chosen);
        QVERIFY(std::abs(*field.placed.variableMagnitude - variable) < 1e-9);
        // Brightest first, and a star without a V magnitude last.
        for (std::size_t r = 1; r < field.placed.rows.size(); ++r) {
            const auto &before = field.placed.rows[r - 1];
            const auto &row = field.placed.rows[r];
            QVERIFY(before.catalogue);
            QVERIFY(!row.catalogue || before.catalogue->magnitude <= row.catalogue->magnitude);
        }
    }

    void reasons()
    {
        const Field field = place(Ladder + Specs{{"vis", 12.3, 0, Kind::Visual}, {"sat", 12.3, 0, Kind::Saturated},
                                                 {"off", 12.3, 0, Kind::OffImage}, {"edge", 12.3, 0, Kind::Refused},
                                                 {"blue", 12.3, 0, Kind::BlueOnly}},
                                  12.3);
        const QHash<QString, QString> expected = {{"vis", NotCandidate::VisualOnly},
                                                  {"sat", NotCandidate::Saturated},
                                                  {"off", NotCandidate::OffImage},
                                                  {"edge", refusalText(Refusal::Border)},
                                                  {"blue", NotCandidate::NoMagnitude.arg("V")}};
        for (const FieldStar &row : field.placed.rows) {
            QCOMPARE(row.reason, expected.value(labelOf(field, row)));
            QCOMPARE(row.pixel.has_value(), labelOf(field, row) != "off");
            QCOMPARE(row.measured.has_value(), row.reason.isEmpty());
        }
    }

    void ensemble()
    {
        // Zero points 25, 25 and 24.7: C reads 12.3, A and B 0.15 brighter.
        const Field field = place({{"A", 10}, {"B", 11}, {"C", 12, 0.3}}, 11);
        const QHash<QString, double> differences = {{"A", -0.15}, {"B", -0.15}, {"C", 0.3}};
        for (const FieldStar &row : field.placed.rows) {
            QVERIFY(std::abs(*row.difference - differences.value(labelOf(field, row))) < 1e-9);
            QCOMPARE(row.discordant, labelOf(field, row) == "C");
        }
        QVERIFY(std::abs(*field.placed.variableMagnitude - (11 - 0.1)) < 1e-9);
    }

    void discordant_data()
    {
        QTest::addColumn<Specs>("specs");
        QTest::addColumn<QString>("discordant"); // empty: none
        QTest::newRow("one off among agreeing")
            << Specs{{"A", 10, 0.01}, {"B", 11, -0.02}, {"C", 12, 0.3}, {"D", 13}, {"E", 14, 0.02}} << "C";
        QTest::newRow("under 0.1 agrees") << Specs{{"A", 10}, {"B", 11}, {"C", 12, 0.09}, {"D", 13}, {"E", 14}}
                                          << "";
        QTest::newRow("within a wide spread")
            << Specs{{"A", 10, 0.2}, {"B", 11, -0.2}, {"C", 12, 0.2}, {"D", 13, -0.2}, {"E", 14, 0.3}} << "";
        QTest::newRow("two stars have no spread") << Specs{{"A", 10}, {"B", 11, 0.5}} << "";
    }

    void discordant()
    {
        QFETCH(Specs, specs);
        QFETCH(QString, discordant);
        const Field field = place(specs, 12);
        for (const FieldStar &row : field.placed.rows)
            QCOMPARE(row.discordant, labelOf(field, row) == discordant);
    }
};

QTEST_GUILESS_MAIN(TestSequenceField)
#include "tst_sequencefield.moc"
