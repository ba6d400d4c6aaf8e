#include "bandpair.h"

#include "logfields.h"

#include "core/mapsheet.h"
#include "core/names.h"
#include "core/numberrules.h"

namespace Transform {

namespace {

constexpr Pair AllPairs[] = {Pair::BV, Pair::VR, Pair::VI};

bool sameField(const BandMeasurement &a, const BandMeasurement &b)
{
    return a.chart == b.chart && a.comparisons == b.comparisons
        && a.image.checkName == b.image.checkName;
}

// The sheet as it was when `band` went to it, with the transformed magnitude
// and error in place of "MAGNITUDINE"'s.
MapSheet bandSheet(const BandMeasurement &band, const Estimate &transformed, const Sheet &sheet)
{
    MapSheet copy;
    for (const char *field : {Field::Object, Field::Author, Field::Notes})
        copy.setText(QLatin1String(field), sheet.text(QLatin1String(field)));
    const char *counts[] = {Field::AduC1, Field::AduC2, Field::AduC3, Field::AduVariable};
    const char *catalogue[] = {Field::MagnitudeC1, Field::MagnitudeC2, Field::MagnitudeC3};
    for (int i = 0; i < 4; ++i)
        copy.setText(QLatin1String(counts[i]), band.image.counts.value(i));
    for (int i = 0; i < 3; ++i) {
        const std::optional<double> &magnitude = band.input.comparisonMagnitudes[std::size_t(i)];
        copy.setText(QLatin1String(catalogue[i]), magnitude ? NumberRules::write(*magnitude) : QString());
    }
    copy.setText(QLatin1String(Field::JulianDate), band.julianDate);
    copy.setText(QLatin1String(Field::Filter), band.filter);
    copy.setText(QLatin1String(Field::MagnitudeVariable), NumberRules::write(transformed.magnitude));
    copy.setText(QLatin1String(Field::MagnitudeError), NumberRules::write(transformed.error));
    return copy;
}

} // namespace

QList<Pair> readyPairs(const Bands &bands, const Coefficients &coefficients)
{
    QList<Pair> ready;
    for (const Pair pair : AllPairs) {
        const PairNames &n = names(pair);
        const auto first = bands.constFind(n.first), second = bands.constFind(n.second);
        if (first == bands.cend() || second == bands.cend() || !sameField(*first, *second))
            continue;
        if (coefficients.value(n.colour) && coefficients.value(n.firstCoefficient)
            && coefficients.value(n.secondCoefficient))
            ready << pair;
    }
    return ready;
}

QString buttonText(Pair pair)
{
    return QStringLiteral("Trasforma %1 e %2").arg(names(pair).first, names(pair).second);
}

QList<Aavso::Record> pairRecords(Pair pair, const Transformed &result, const BandMeasurement &first,
                                 const BandMeasurement &second, const Coefficients &coefficients,
                                 const Sheet &sheet, QByteArrayView log, QString &problem)
{
    const GroupNumber group = freeGroup(log);
    problem = group.problem;
    QList<Aavso::Record> records;
    const std::pair<const BandMeasurement *, const BandResult *> bands[] = {{&first, &result.first},
                                                                            {&second, &result.second}};
    for (const auto &[band, transformed] : bands) {
        if (!problem.isEmpty())
            return {};
        const Notes notes = coefficientNotes(pair, band == &first ? Filter::First : Filter::Second, coefficients);
        const Aavso::Record measured = Aavso::record(bandSheet(*band, transformed->variable, sheet), band->image);
        const Aavso::Record record = Aavso::transformedRecord(
            measured, {group.number, transformed->check.magnitude, notes.text});
        problem = notes.problem.isEmpty() ? record.problem : notes.problem;
        records << record;
    }
    return problem.isEmpty() ? records : QList<Aavso::Record>();
}

} // namespace Transform
