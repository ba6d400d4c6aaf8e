#include "curve.h"

#include "bands.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>

namespace Aavso::LightCurve {

namespace {

// The table's order, then the other codes.
int bandRank(const QString &code)
{
    const Bands::Band *band = Bands::find(code);
    return band ? int(band - Bands::all().data()) : int(Bands::all().size());
}

// One band's observations, by own, fainter and discrepant.
using Groups = std::array<std::vector<quint32>, 8>;
constexpr size_t group(bool own, bool fainter, bool discrepant)
{
    return size_t(own) << 2 | size_t(fainter) << 1 | size_t(discrepant);
}

struct Lab
{
    double l, a, b;
};

// sRGB under D65 to CIE L*a*b*.
Lab lab(quint32 rgb)
{
    const auto linear = [](quint32 channel) {
        const double c = (channel & 0xFF) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double r = linear(rgb >> 16), g = linear(rgb >> 8), b = linear(rgb);
    const auto f = [](double t) {
        constexpr double delta = 6.0 / 29;
        return t > delta * delta * delta ? std::cbrt(t) : t / (3 * delta * delta) + 4.0 / 29;
    };
    const double x = f((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047);
    const double y = f(0.2126 * r + 0.7152 * g + 0.0722 * b);
    const double z = f((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883);
    return {116 * y - 16, 500 * (x - y), 200 * (y - z)};
}

// Hue in degrees, saturation and value from 0 to 1.
quint32 fromHsv(double hue, double saturation, double value)
{
    const auto channel = [&](double n) {
        const double k = std::fmod(n + hue / 60, 6);
        const double c = value - value * saturation * std::max(0.0, std::min({k, 4 - k, 1.0}));
        return quint32(std::lround(c * 255));
    };
    return 0xFF000000 | channel(5) << 16 | channel(3) << 8 | channel(1);
}

// The n-th colour tried: hues a golden angle apart, so that neighbours differ,
// at three depths.
quint32 candidate(int n)
{
    static constexpr double values[] = {0.85, 0.55, 0.7};
    return fromHsv(std::fmod(30 + n * 137.508, 360), n % 2 ? 0.75 : 1.0, values[n % 3]);
}

} // namespace

Curve curveOf(const Observations &data, const QString &key)
{
    enum Match : signed char { Unknown, Yes, No };
    std::vector<Match> isStar(size_t(data.texts.size()), Unknown); // each name compared once
    QHash<quint32, Groups> byBand;
    std::vector<bool> fromFile(data.files.size());
    QString name; // each key in the same room
    Curve curve;
    for (quint32 row = 0; row < data.observations.size(); ++row) {
        const Observation &o = data.observations[row];
        Match &match = isStar[o.star];
        if (match == Unknown) {
            starKey(data.texts[o.star], name);
            match = name == key ? Yes : No;
        }
        if (match == No)
            continue;
        byBand[o.band][group(data.files[o.file].own, o.fainter, o.discrepant)].push_back(row);
        fromFile[o.file] = true;
        curve.discrepant += o.discrepant;
    }
    curve.files = int(std::count(fromFile.begin(), fromFile.end(), true));

    curve.bands.assign(byBand.keyBegin(), byBand.keyEnd());
    std::vector<int> ranks(size_t(data.texts.size()));
    for (quint32 band : curve.bands)
        ranks[band] = bandRank(data.texts[band]);
    std::sort(curve.bands.begin(), curve.bands.end(), [&](quint32 a, quint32 b) {
        return ranks[a] != ranks[b] ? ranks[a] < ranks[b] : data.texts[a] < data.texts[b];
    });

    const std::vector<Observation> &all = data.observations;
    for (bool own : {false, true})
        for (bool fainter : {false, true})
            for (bool discrepant : {false, true})
                for (quint32 band : curve.bands) {
                    std::vector<quint32> &rows = byBand[band][group(own, fainter, discrepant)];
                    if (rows.empty())
                        continue;
                    std::stable_sort(rows.begin(), rows.end(),
                                     [&all](quint32 a, quint32 b) { return all[a].jd < all[b].jd; });
                    curve.series.push_back({band, own, fainter, discrepant, std::move(rows)});
                }
    return curve;
}

QString summary(const Observations &data, const QString &star, qsizetype count,
                const Curve &curve, bool discrepantShown)
{
    QString text;
    if (!star.isEmpty()) {
        const QString discrepant = curve.discrepant == 0 ? QString()
            : (discrepantShown ? DiscrepantShown : DiscrepantHidden).arg(curve.discrepant);
        text = Observed.arg(star, QString::number(count), QString::number(curve.files), discrepant);
    } else if (!data.files.empty()) {
        text = NothingShown.arg(data.files.size());
    }
    QStringList reduced, modified;
    for (const SourceFile &file : data.files) {
        if (file.dates == DateForm::Reduced)
            reduced << QFileInfo(file.path).fileName();
        else if (file.dates == DateForm::Modified)
            modified << QFileInfo(file.path).fileName();
    }
    if (!reduced.isEmpty())
        text += ReducedDatesRead.arg(reduced.join(QStringLiteral(", ")));
    if (!modified.isEmpty())
        text += ModifiedDatesRead.arg(modified.join(QStringLiteral(", ")));
    if (!data.skipped.empty()) {
        const SkippedLine &first = data.skipped.front();
        text += SkippedLines.arg(QString::number(data.skipped.size()), QString::number(first.line),
                                 QFileInfo(data.files[first.file].path).fileName(), first.reason);
    }
    return text;
}

double colourDistance(quint32 a, quint32 b)
{
    const Lab x = lab(a), y = lab(b);
    return std::hypot(x.l - y.l, x.a - y.a, x.b - y.b);
}

std::vector<quint32> automaticColours(int count)
{
    // The plot's white background is one more colour to keep clear of.
    std::vector<quint32> taken{0xFFFFFFFF};
    for (const Bands::Band &band : Bands::all())
        if (band.colour != Bands::Automatic)
            taken.push_back(band.colour);
    std::vector<quint32> colours;
    for (int n = 0; int(colours.size()) < count; ++n) {
        const quint32 colour = candidate(n);
        if (std::all_of(taken.begin(), taken.end(), [colour](quint32 other) {
                return colourDistance(colour, other) >= MinimumColourDistance;
            }))
            colours.push_back(colour);
    }
    return colours;
}

} // namespace Aavso::LightCurve
