#pragma once

#include "core/commandtable.h"
#include "measurement/seriestable.h"

#include <QWidget>

class QCustomPlot;
class QLabel;
class QTableWidget;

// "Serie: <oggetto>": a night measured by "Misura serie...", image by image
// in a table and as a curve, the variable beside the check star; saved as a
// table or a picture, added to the AAVSO log, shown in the light curve.
class SeriesWindow : public QWidget
{
    Q_OBJECT
public:
    // What `services` refers to must outlive the window.
    SeriesWindow(const Services &services, std::vector<Measurement::SeriesRow> rows, const QString &object,
                 QWidget *parent = nullptr);

    // %1: the object.
    static inline const QString Title = QStringLiteral("Serie: %1");
    static inline const QString TableFailed = QStringLiteral("Impossibile salvare la tabella \"%1\".");

private:
    void buildTable();
    void plotSeries();
    void showPoint(int row);
    void saveTable();
    void saveImage();
    void exportAavso();
    void showCurve();
    void warn(const QString &text);

    const Services m_services;
    const std::vector<Measurement::SeriesRow> m_rows;
    const QString m_object;
    std::vector<int> m_plotted; // rows of the drawn points, in their order
    QTableWidget *m_table = nullptr;
    QCustomPlot *m_plot = nullptr;
    QLabel *m_point = nullptr;
};
