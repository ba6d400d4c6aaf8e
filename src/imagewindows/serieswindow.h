#pragma once

#include "core/commandtable.h"
#include "measurement/series.h"
#include "measurement/seriestable.h"
#include "ui/backgroundjob.h"

#include <QPointer>
#include <QWidget>

class QCustomPlot;
class QProgressDialog;
class QLabel;
class QTableWidget;

// "Serie: <oggetto>": a night measured by "Misura serie...", image by image
// in a table and as a curve, the variable beside the check star; saved as a
// table or a picture, added to the AAVSO log, shown in the light curve.
class SeriesWindow : public QWidget
{
    Q_OBJECT
public:
    // What `services` refers to must outlive the window. `skyNote`, when not
    // empty, is said under the table.
    SeriesWindow(const Services &services, std::vector<Measurement::SeriesRow> rows, const QString &object,
                 const QString &skyNote = QString(), QWidget *parent = nullptr);

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

// A series being measured for the window `owner`: its images on threads of
// their own behind a progress box with "Annulla", then the series window.
// The owner keeps it as its last member (see BackgroundJob).
class SeriesLaunch : public QObject
{
    Q_OBJECT
public:
    // What `context` refers to must outlive the launch.
    SeriesLaunch(const Context &context, QWidget &owner);

    static inline const QString Title = QStringLiteral("Misura serie");
    // %1: the image being measured, %2: how many.
    static inline const QString Progress = QStringLiteral("Immagine %1 di %2");

    bool running() const { return m_job.running(); }
    // `checkName`, `chart`, `hints` and the pixel step as the measuring window has them.
    void start(const QStringList &paths, const Measurement::SeriesTemplate &placed, const QString &checkName,
               const QString &chart, const Measurement::SkyHints &hints, const Measurement::PixelStep &pixelStep);

private:
    void measured();

    const Context &m_context;
    QWidget &m_owner;
    QString m_checkName;
    QString m_chart;
    Measurement::SkyHints m_hints;
    std::vector<Measurement::SeriesImage> m_images; // the measuring thread's alone until it ends
    QPointer<QProgressDialog> m_progress;
    BackgroundJob m_job; // last: see BackgroundJob
};
