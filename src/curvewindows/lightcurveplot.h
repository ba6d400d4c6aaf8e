#pragma once
// One star's light curve drawn with QCustomPlot: one graph per series of
// Aavso::LightCurve::curveOf(), never one per point, so that panning through a
// hundred thousand points stays fluid.

#include "aavso/curve.h"
#include "period/fourierfit.h"

#include <qcustomplot.h>

#include <QSet>

#include <vector>

class LightCurvePlot : public QCustomPlot
{
    Q_OBJECT
public:
    explicit LightCurvePlot(QWidget *parent = nullptr);

    // Draws `curve` in place of what was drawn, and fits the view to it.
    // `data`, which its rows index, must stay unchanged while it is shown.
    void plotCurve(const Aavso::LightCurve::Observations &data, const Aavso::LightCurve::Curve &curve);

    QColor colour(const QString &band) const { return m_colours.value(band); }
    bool bandVisible(const QString &band) const { return !m_hiddenBands.contains(band); }
    // Kept from one curve to the next.
    void setBandVisible(const QString &band, bool visible);
    void showEveryBand() { m_hiddenBands.clear(); }
    // Discrepant observations are hidden until shown here.
    void setDiscrepantVisible(bool visible);
    // Both axes around the visible points; their error bars count for nothing.
    // In phase, the whole of −0.5 to 1.5.
    void fit();

    // The x axis in phase of `period` days from `epoch` (JD), each point
    // drawn twice, or back in time with a period of 0.
    void setPhase(double period, double epoch);
    bool inPhase() const { return m_period > 0; }
    // Draws `fit` over the points, or nothing when it is invalid; in time,
    // only while the view spans at most MostFitCycles of its period.
    void setFit(const Period::FourierFit &fit);
    static constexpr double MostFitCycles = 50;
    static inline const QString FitName = QStringLiteral("Serie di Fourier");

    // The legend lists this many series at most, then how many it leaves out.
    static constexpr int LegendEntries = 16;
    static inline const QString LegendMore = QStringLiteral("… e altre %1 serie");

signals:
    // A drawn point was clicked: its index in the observations.
    void pointClicked(quint32 observation);

private:
    struct Drawn
    {
        QCPGraph *graph;
        QCPErrorBars *errors; // null where no point has an error
        QString band;
        bool discrepant;
        bool listed; // within the legend's entries
        std::vector<quint32> rows;  // the observations, by JD
        std::vector<quint32> order; // the observation of each of the graph's points
    };

    void clear();
    void addSeries(const Aavso::LightCurve::Observations &data, const Aavso::LightCurve::Series &series);
    void showSeries(const Drawn &series);
    void fillSeries(Drawn &series);
    void drawFit();
    void clicked(QCPAbstractPlottable *plottable, int dataIndex);

    std::vector<Drawn> m_series;
    QHash<QString, QColor> m_colours;
    QSet<QString> m_hiddenBands;
    bool m_discrepantVisible = false;
    QCPTextElement *m_legendMore = nullptr;
    const Aavso::LightCurve::Observations *m_data = nullptr;
    double m_period = 0; // 0: in time
    double m_epoch = 0;
    Period::FourierFit m_fit;
    QCPGraph *m_fitGraph = nullptr;
};
