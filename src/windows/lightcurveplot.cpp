#include "lightcurveplot.h"

#include "aavso/bands.h"
#include "core/juliandate.h"
#include "ui/look.h"

#include <algorithm>
#include <cmath>
#include <optional>

using LightCurve::Observation;
using LightCurve::Observations;

namespace {

constexpr double JdOffset = 2400000;

double unixSeconds(double shownJd)
{
    return (shownJd + JdOffset - JulianDate::UnixEpoch) * 86400;
}

// The band's own colour, or none.
std::optional<QColor> bandColour(const QString &code)
{
    const Bands::Band *band = Bands::find(code);
    if (!band || band->colour == Bands::Automatic)
        return std::nullopt;
    return QColor::fromRgb(band->colour);
}

// Every other code gets the next of these, then hues spread around the circle.
QColor otherColour(int index)
{
    static const QColor palette[] = {{255, 140, 0}, {0, 128, 128}, {139, 69, 19}, {0, 0, 128},
                                     {200, 160, 0}, {255, 105, 180}, {128, 128, 0}, {0, 0, 0}};
    constexpr int count = int(std::size(palette));
    if (index < count)
        return palette[index];
    return QColor::fromHsv(int(20 + (index - count) * 137.508) % 360, 255, 180);
}

// The table's order, then the other codes.
int bandRank(const QString &code)
{
    const Bands::Band *band = Bands::find(code);
    return band ? int(band - Bands::all().data()) : int(Bands::all().size());
}

QString seriesName(const QString &band, bool own, bool fainter)
{
    return band + (own ? QStringLiteral(" proprie") : QString())
         + (fainter ? QStringLiteral(" (<)") : QString());
}

QCPScatterStyle shape(const QColor &colour, bool own, bool fainter)
{
    if (fainter)
        return QCPScatterStyle(QCPScatterStyle::ssTriangleInverted, QPen(colour, own ? 2 : 1),
                               Qt::NoBrush, own ? 11 : 7);
    if (own)
        return QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::black, 1.5), colour, 10);
    return QCPScatterStyle(QCPScatterStyle::ssDisc, colour, 5);
}

// Drawn once into a picture: copying it is far quicker than painting tens of
// thousands of smooth shapes at every redraw.
QCPScatterStyle marker(const QColor &colour, bool own, bool fainter)
{
    const QCPScatterStyle style = shape(colour, own, fainter);
    const int side = int(style.size()) + 4; // room for the pen around the shape
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QCPPainter painter(&picture);
    // Not setAntialiasing(), whose half-pixel shift would move the mark off its error bar.
    painter.setRenderHint(QPainter::Antialiasing);
    style.applyTo(&painter, QPen(colour));
    style.drawShape(&painter, side / 2.0, side / 2.0);
    return QCPScatterStyle(picture);
}

} // namespace

LightCurvePlot::LightCurvePlot(QWidget *parent) : QCustomPlot(parent)
{
    setObjectName(QStringLiteral("plot"));
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);

    xAxis->setLabel(QStringLiteral("JD − 2400000"));
    yAxis->setLabel(QStringLiteral("Magnitudine"));
    yAxis->setRangeReversed(true); // brighter up

    auto dates = QSharedPointer<QCPAxisTickerDateTime>::create();
    dates->setDateTimeSpec(Qt::UTC);
    xAxis2->setTicker(dates);
    xAxis2->setLabel(QStringLiteral("Data (UTC)"));
    xAxis2->setVisible(true);
    connect(xAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this,
            [this, dates](const QCPRange &jd) {
                xAxis2->setRange(unixSeconds(jd.lower), unixSeconds(jd.upper));
                dates->setDateTimeFormat(jd.size() < 3 ? QStringLiteral("dd/MM/yyyy\nhh:mm")
                                                       : QStringLiteral("dd/MM/yyyy"));
            });
    xAxis->setRange(60000, 60100); // empty, it still shows dates of these years

    // Beside the points rather than over them, at the top; room on the right
    // of the axes for the last date's overhang.
    auto *side = new QCPLayoutGrid;
    plotLayout()->addElement(0, 1, side);
    plotLayout()->setColumnStretchFactor(1, 0.001);
    side->addElement(0, 0, legend);
    side->addElement(1, 0, new QCPLayoutElement(this));
    side->setRowStretchFactor(0, 0.001);
    side->setMargins(QMargins(0, 8, 8, 0));
    axisRect()->setMinimumMargins(QMargins(15, 15, 40, 15));

    connect(this, &QCustomPlot::plottableClick, this,
            [this](QCPAbstractPlottable *plottable, int index) { clicked(plottable, index); });
    connect(this, &QCustomPlot::mouseDoubleClick, this, &LightCurvePlot::fit);
}

LightCurvePlot::Drawn LightCurvePlot::plotStar(const Observations &data, const QString &key)
{
    clear();
    QHash<quint32, bool> isStar; // by text index, so each name is compared once
    QHash<quint32, std::vector<quint32>> groups[2][2]; // [own][fainter], by band
    std::vector<bool> fromFile(data.files.size());
    for (quint32 row = 0; row < data.observations.size(); ++row) {
        const Observation &o = data.observations[row];
        auto known = isStar.find(o.star);
        if (known == isStar.end())
            known = isStar.insert(o.star, LightCurve::starKey(data.texts[o.star]) == key);
        if (!*known)
            continue;
        groups[data.files[o.file].own][o.fainter][o.band].push_back(row);
        fromFile[o.file] = true;
    }

    QList<quint32> bands;
    for (const auto &byOwn : groups)
        for (const auto &byBand : byOwn)
            for (auto group = byBand.begin(); group != byBand.end(); ++group)
                if (!bands.contains(group.key()))
                    bands << group.key();
    std::sort(bands.begin(), bands.end(), [&data](quint32 a, quint32 b) {
        const QString &x = data.texts[a], &y = data.texts[b];
        return bandRank(x) != bandRank(y) ? bandRank(x) < bandRank(y) : x < y;
    });

    Drawn drawn;
    int others = 0;
    for (quint32 band : bands) {
        const QString &name = data.texts[band];
        drawn.bands << name;
        const std::optional<QColor> own = bandColour(name);
        m_colours.insert(name, own.value_or(otherColour(others)));
        others += own ? 0 : 1;
    }
    // Added last, drawn on top: the observer's own points above everyone else's.
    for (bool own : {false, true})
        for (bool fainter : {false, true})
            for (quint32 band : bands)
                if (groups[own][fainter].contains(band))
                    addSeries(data, data.texts[band], own, fainter,
                              std::move(groups[own][fainter][band]));
    drawn.files = int(std::count(fromFile.begin(), fromFile.end(), true));
    legend->setVisible(graphCount() > 0); // an empty frame says nothing
    fit();
    return drawn;
}

void LightCurvePlot::addSeries(const Observations &data, const QString &band, bool own,
                               bool fainter, std::vector<quint32> rows)
{
    const std::vector<Observation> &all = data.observations;
    std::stable_sort(rows.begin(), rows.end(),
                     [&all](quint32 a, quint32 b) { return all[a].jd < all[b].jd; });
    QVector<double> keys, values, errors;
    keys.reserve(qsizetype(rows.size()));
    values.reserve(qsizetype(rows.size()));
    errors.reserve(qsizetype(rows.size()));
    for (quint32 row : rows) {
        keys << all[row].jd - JdOffset;
        values << all[row].magnitude;
        errors << all[row].error;
    }

    const QColor colour = m_colours.value(band);
    QCPGraph *graph = addGraph();
    graph->setName(seriesName(band, own, fainter));
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setPen(QPen(colour));
    graph->setScatterStyle(marker(colour, own, fainter));
    graph->setData(keys, values, true);

    QCPErrorBars *bars = nullptr;
    const bool anyError =
        std::any_of(errors.cbegin(), errors.cend(), [](double e) { return !std::isnan(e); });
    if (!fainter && anyError) { // a fainter-than value has no error to show
        bars = new QCPErrorBars(xAxis, yAxis);
        bars->removeFromLegend();
        bars->setDataPlottable(graph);
        bars->setData(errors);
        bars->setPen(QPen(colour, own ? 1.5 : 1));
        bars->setWhiskerWidth(own ? 6 : 3);
    }
    m_series.push_back({graph, bars, band, std::move(rows)});
}

void LightCurvePlot::clear()
{
    clearPlottables();
    m_series.clear();
    m_colours.clear();
}

void LightCurvePlot::setBandVisible(const QString &band, bool visible)
{
    for (const Series &series : m_series) {
        if (series.band != band)
            continue;
        series.graph->setVisible(visible);
        if (series.errors)
            series.errors->setVisible(visible);
    }
    replot(rpQueuedReplot);
}

void LightCurvePlot::fit()
{
    // With nothing to fit, each click would only widen the view.
    if (std::none_of(m_series.begin(), m_series.end(),
                     [](const Series &series) { return series.graph->visible(); }))
        return;
    rescaleAxes(true);
    xAxis->scaleRange(1.06, xAxis->range().center());
    yAxis->scaleRange(1.12, yAxis->range().center());
    replot(rpQueuedReplot);
}

void LightCurvePlot::clicked(QCPAbstractPlottable *plottable, int dataIndex)
{
    for (const Series &series : m_series) {
        if ((plottable == series.graph || plottable == series.errors) && dataIndex >= 0
            && size_t(dataIndex) < series.rows.size()) {
            emit pointClicked(series.rows[size_t(dataIndex)]);
            return;
        }
    }
}
