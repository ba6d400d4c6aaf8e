#include "lightcurveplot.h"

#include "julianaxes.h"
#include "aavso/bands.h"

#include <algorithm>
#include <cmath>

using Aavso::LightCurve::Observation;
using Aavso::LightCurve::Observations;

namespace {

// The fit's curve is drawn through this many points across the view.
constexpr int FitPoints = 2000;

QString seriesName(const QString &band, const Aavso::LightCurve::Series &series)
{
    return band + (series.own ? QStringLiteral(" proprie") : QString())
         + (series.fainter ? QStringLiteral(" (<)") : QString())
         + (series.discrepant ? QStringLiteral(" discrepanti") : QString());
}

QCPScatterStyle shape(const QColor &colour, const Aavso::LightCurve::Series &series)
{
    const bool own = series.own;
    if (series.discrepant)
        return QCPScatterStyle(QCPScatterStyle::ssCross, QPen(colour, own ? 2 : 1.5), Qt::NoBrush,
                               own ? 10 : 7);
    if (series.fainter)
        return QCPScatterStyle(QCPScatterStyle::ssTriangleInverted, QPen(colour, own ? 2 : 1),
                               Qt::NoBrush, own ? 11 : 7);
    if (own)
        return QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::black, 1.5), colour, 10);
    return QCPScatterStyle(QCPScatterStyle::ssDisc, colour, 5);
}

// Drawn once into a picture: copying it is far quicker than painting tens of
// thousands of smooth shapes at every redraw.
QCPScatterStyle marker(const QColor &colour, const Aavso::LightCurve::Series &series)
{
    const QCPScatterStyle style = shape(colour, series);
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

// A single point or a row of equal values still gets a view around it.
QCPRange widened(QCPRange range)
{
    if (range.size() <= 0)
        return QCPRange(range.lower - 0.5, range.upper + 0.5);
    return range;
}

} // namespace

LightCurvePlot::LightCurvePlot(QWidget *parent) : QCustomPlot(parent)
{
    setObjectName(QStringLiteral("plot"));
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    // Whatever the legend holds, the plot never asks the window to grow.
    setMinimumSize(300, 200);

    setJulianDateAxes(*this);
    yAxis->setLabel(QStringLiteral("Magnitudine"));
    yAxis->setRangeReversed(true); // brighter up
    connect(xAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this, [this] {
        if (m_fitGraph && !inPhase())
            drawFit(); // through the new view
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

void LightCurvePlot::plotCurve(const Observations &data, const Aavso::LightCurve::Curve &curve)
{
    clear();
    m_data = &data;
    // Bands without a colour of their own take the automatic ones in the curve's order.
    QStringList uncoloured;
    for (quint32 band : curve.bands) {
        const QString &code = data.texts[band];
        const Aavso::Bands::Band *known = Aavso::Bands::find(code);
        if (known && known->colour != Aavso::Bands::Automatic)
            m_colours.insert(code, QColor::fromRgb(known->colour));
        else
            uncoloured << code;
    }
    const std::vector<quint32> automatic = Aavso::LightCurve::automaticColours(int(uncoloured.size()));
    for (qsizetype i = 0; i < uncoloured.size(); ++i)
        m_colours.insert(uncoloured[i], QColor::fromRgb(automatic[size_t(i)]));
    for (const Aavso::LightCurve::Series &series : curve.series)
        addSeries(data, series);
    if (m_series.size() > size_t(LegendEntries)) {
        m_legendMore = new QCPTextElement(this, LegendMore.arg(qsizetype(m_series.size()) - LegendEntries),
                                          legend->font());
        m_legendMore->setLayer(legend->layer()); // over the legend's frame, not under it
        legend->addElement(m_legendMore);
    }
    legend->setVisible(!m_series.empty()); // an empty frame says nothing
    fit();
}

void LightCurvePlot::addSeries(const Observations &data, const Aavso::LightCurve::Series &series)
{
    const QString &band = data.texts[series.band];
    const QColor colour = m_colours.value(band);
    QCPGraph *graph = addGraph();
    graph->setName(seriesName(band, series));
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setPen(QPen(colour));
    graph->setScatterStyle(marker(colour, series));
    const bool listed = m_series.size() < size_t(LegendEntries);
    if (!listed)
        graph->removeFromLegend();

    QCPErrorBars *bars = nullptr;
    const bool anyError = std::any_of(series.rows.begin(), series.rows.end(),
                                      [&data](quint32 row) { return !std::isnan(data.observations[row].error); });
    if (!series.fainter && anyError) { // a fainter-than value has no error to show
        bars = new QCPErrorBars(xAxis, yAxis);
        bars->removeFromLegend();
        bars->setDataPlottable(graph);
        bars->setPen(QPen(colour, series.own ? 1.5 : 1));
        bars->setWhiskerWidth(series.own ? 6 : 3);
    }
    m_series.push_back({graph, bars, band, series.discrepant, listed, series.rows, {}});
    fillSeries(m_series.back());
    showSeries(m_series.back());
}

// In time, the observations by JD; in phase, each twice, by phase.
void LightCurvePlot::fillSeries(Drawn &series)
{
    const std::vector<Observation> &all = m_data->observations;
    std::vector<std::pair<double, quint32>> points;
    points.reserve(series.rows.size() * (inPhase() ? 2 : 1));
    for (quint32 row : series.rows) {
        if (!inPhase()) {
            points.emplace_back(all[row].jd - ShownJdOffset, row);
            continue;
        }
        for (double at : Period::drawnPhases(Period::phase(all[row].jd, m_period, m_epoch)))
            points.emplace_back(at, row);
    }
    if (inPhase())
        std::stable_sort(points.begin(), points.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
    QVector<double> keys, values, errors;
    series.order.clear();
    for (const auto &[key, row] : points) {
        keys << key;
        values << all[row].magnitude;
        errors << all[row].error;
        series.order.push_back(row);
    }
    series.graph->setData(keys, values, true);
    if (series.errors)
        series.errors->setData(errors);
}

void LightCurvePlot::setPhase(double period, double epoch)
{
    const bool wasInPhase = inPhase();
    m_period = period > 0 ? period : 0;
    m_epoch = epoch;
    for (Drawn &series : m_series)
        fillSeries(series);
    xAxis->setLabel(inPhase() ? QStringLiteral("Fase") : ShownJdLabel);
    xAxis2->setVisible(!inPhase()); // dates say nothing of a phase
    if (m_fitGraph)
        drawFit();
    if (wasInPhase != inPhase())
        fit();
    else
        replot(rpQueuedReplot);
}

void LightCurvePlot::setFit(const Period::FourierFit &fit)
{
    m_fit = fit;
    if (!m_fit.valid()) {
        if (m_fitGraph)
            removeGraph(m_fitGraph);
        m_fitGraph = nullptr;
        replot(rpQueuedReplot);
        return;
    }
    if (!m_fitGraph) {
        m_fitGraph = addGraph();
        m_fitGraph->setName(FitName);
        m_fitGraph->setPen(QPen(Qt::black, 1.5));
    }
    drawFit();
    replot(rpQueuedReplot);
}

void LightCurvePlot::drawFit()
{
    QVector<double> keys, values;
    const QCPRange view = inPhase() ? QCPRange(-0.5, 1.5) : xAxis->range();
    // Over decades the curve would only fill the view with its swings.
    const bool drawn = inPhase() || view.size() <= MostFitCycles * m_fit.period;
    m_fitGraph->setVisible(drawn);
    if (!drawn) {
        m_fitGraph->removeFromLegend();
        m_fitGraph->data()->clear();
        return;
    }
    m_fitGraph->addToLegend();
    for (int i = 0; i <= FitPoints; ++i) {
        const double x = view.lower + view.size() * i / FitPoints;
        const double jd = inPhase() ? m_epoch + x * m_period : x + ShownJdOffset;
        keys << x;
        values << m_fit.magnitudeAt(jd);
    }
    m_fitGraph->setData(keys, values, true);
}

void LightCurvePlot::clear()
{
    clearPlottables();
    m_fitGraph = nullptr;
    m_fit = {};
    m_series.clear();
    m_colours.clear();
    if (m_legendMore)
        legend->remove(m_legendMore);
    m_legendMore = nullptr;
}

void LightCurvePlot::showSeries(const Drawn &series)
{
    const bool visible = bandVisible(series.band) && (m_discrepantVisible || !series.discrepant);
    series.graph->setVisible(visible);
    if (series.errors)
        series.errors->setVisible(visible);
    // Hidden discrepant observations would only lengthen the legend.
    if (series.discrepant && series.listed) {
        if (m_discrepantVisible)
            series.graph->addToLegend();
        else
            series.graph->removeFromLegend();
    }
}

void LightCurvePlot::setBandVisible(const QString &band, bool visible)
{
    if (visible)
        m_hiddenBands.remove(band);
    else
        m_hiddenBands.insert(band);
    for (const Drawn &series : m_series)
        showSeries(series);
    replot(rpQueuedReplot);
}

void LightCurvePlot::setDiscrepantVisible(bool visible)
{
    m_discrepantVisible = visible;
    for (const Drawn &series : m_series)
        showSeries(series);
    replot(rpQueuedReplot);
}

void LightCurvePlot::fit()
{
    QCPRange keys, values;
    bool any = false;
    for (const Drawn &series : m_series) {
        bool found = false;
        const QCPRange seriesKeys = series.graph->getKeyRange(found);
        if (!series.graph->visible() || !found)
            continue;
        const QCPRange seriesValues = series.graph->getValueRange(found);
        keys = any ? keys.expanded(seriesKeys) : seriesKeys;
        values = any ? values.expanded(seriesValues) : seriesValues;
        any = true;
    }
    // With nothing to fit, each click would only widen the view.
    if (!any)
        return;
    xAxis->setRange(inPhase() ? QCPRange(-0.5, 1.5) : widened(keys));
    yAxis->setRange(widened(values));
    if (!inPhase())
        xAxis->scaleRange(1.06, xAxis->range().center());
    yAxis->scaleRange(1.12, yAxis->range().center());
    replot(rpQueuedReplot);
}

void LightCurvePlot::clicked(QCPAbstractPlottable *plottable, int dataIndex)
{
    for (const Drawn &series : m_series) {
        if ((plottable == series.graph || plottable == series.errors) && dataIndex >= 0
            && size_t(dataIndex) < series.order.size()) {
            emit pointClicked(series.order[size_t(dataIndex)]);
            return;
        }
    }
}
