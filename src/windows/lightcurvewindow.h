#pragma once

#include "aavso/observations.h"
#include "core/commandtable.h"

#include <QSet>
#include <QWidget>

class LightCurvePlot;
class QComboBox;
class QHBoxLayout;
class QLabel;

// The light-curve window: AAVSO files (the observer's own log and downloads
// of the AAVSO database) drawn together, one star at a time.
class LightCurveWindow : public QWidget
{
    Q_OBJECT
public:
    // What `services` refers to must outlive the window.
    explicit LightCurveWindow(const Services &services, QWidget *parent = nullptr);

private:
    void buildControls();
    void openFile();
    void addFile();
    void load(const QString &path, bool replacing);
    void showStar(int index);
    void fillFilters(const QStringList &bands);
    void showStatus(const QString &star, qsizetype count, int files);
    void showPoint(quint32 observation);
    void saveImage();
    void warn(const QString &text);

    const Services m_services;
    LightCurve::Observations m_data;
    QSet<QString> m_hiddenBands;
    QComboBox *m_stars = nullptr;
    QHBoxLayout *m_filters = nullptr;
    LightCurvePlot *m_plot = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_point = nullptr;
};
