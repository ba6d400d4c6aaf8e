#pragma once
// One star's light curve drawn with QCustomPlot. Points go into a few graphs
// per filter (the other observers' and the observer's own, measured and
// fainter-than), never one graph per point, so that panning through a hundred
// thousand points stays fluid.

#include "aavso/observations.h"

#include <qcustomplot.h>

#include <vector>

class LightCurvePlot : public QCustomPlot
{
    Q_OBJECT
public:
    explicit LightCurvePlot(QWidget *parent = nullptr);

    struct Drawn
    {
        QStringList bands; // U B V R I, visual, then the other codes alphabetically
        int files = 0;     // files the points come from
    };
    // Draws the observations of the star whose starKey() is `key` in place of
    // what was drawn. `data` must stay unchanged while it is shown.
    Drawn plotStar(const LightCurve::Observations &data, const QString &key);

    QColor colour(const QString &band) const { return m_colours.value(band); }
    void setBandVisible(const QString &band, bool visible);
    // Both axes around the visible points.
    void fit();

signals:
    // A drawn point was clicked: its index in the observations.
    void pointClicked(quint32 observation);

private:
    struct Series
    {
        QCPGraph *graph;
        QCPErrorBars *errors; // null where no point has an error
        QString band;
        std::vector<quint32> rows; // the observations, in the graph's order
    };

    void clear();
    void addSeries(const LightCurve::Observations &data, const QString &band, bool own,
                   bool fainter, std::vector<quint32> rows);
    void clicked(QCPAbstractPlottable *plottable, int dataIndex);

    std::vector<Series> m_series;
    QHash<QString, QColor> m_colours;
};
