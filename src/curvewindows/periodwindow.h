#pragma once

#include "period/periodogram.h"
#include "core/commandtable.h"
#include "ui/statusstrip.h"

#include <QWidget>

#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QCPAbstractPlottable;
class QCPGraph;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The period search on one band of a star's light curve ("Periodo di <star>"):
// the periodogram, computed off the window's thread, its highest peaks and
// the period chosen among them.
class PeriodWindow : public QWidget
{
    Q_OBJECT
public:
    struct Band
    {
        QString code;
        Period::Points points;
    };

    // `bands` as the light curve shows them; the most observed is searched
    // first, at once. What `services` refers to must outlive the window.
    PeriodWindow(const Services &services, const QString &star, std::vector<Band> bands,
                 QWidget *parent = nullptr);
    // Stops a search under way and waits for it.
    ~PeriodWindow() override;

    static inline const QString Caption = QStringLiteral("Periodo di %1");
    static inline const QString TooFew =
        QStringLiteral("Troppo poche osservazioni per cercare un periodo: %1 (ne servono almeno %2).");
    static inline const QString BadRange =
        QStringLiteral("Intervallo non valido: i periodi devono essere positivi, il primo minore del secondo.");
    static inline const QString Stopped = QStringLiteral("Calcolo annullato.");
    static inline const QString Alias = QStringLiteral("alias");

signals:
    // A peak was chosen: its period, in days, of `band` weighted or not.
    void periodChosen(const QString &band, bool weighted, double period);

private:
    // A search's input and outcome.
    struct Job
    {
        Period::Series series;
        Period::Grid grid;
        Period::Search found;
    };

    void buildControls();
    void bandChosen();
    void search();
    void searched();
    void stop();
    void setSearching(bool searching);
    void showPower();
    void markChosen();
    void fillPeaks();
    void choose(const Period::Peak &peak);
    void plotClicked(QCPAbstractPlottable *plottable, int dataIndex);
    void saveCsv();
    void saveImage();
    void warn(const QString &text);

    const Services m_services;
    const std::vector<Band> m_bands;
    Job m_running; // the thread's alone until it ends
    Job m_shown;
    Period::Peak m_chosen;

    QComboBox *m_band = nullptr;
    QCheckBox *m_weighted = nullptr;
    QLineEdit *m_shortest = nullptr;
    QLineEdit *m_longest = nullptr;
    QCheckBox *m_byFrequency = nullptr;
    QLabel *m_frequencies = nullptr;
    QLabel *m_choice = nullptr;
    QCustomPlot *m_plot = nullptr;
    QCPGraph *m_power = nullptr;
    QCPGraph *m_marked = nullptr;
    QTableWidget *m_peaks = nullptr;
    std::optional<StatusStrip> m_strip;
    QLabel *m_status = nullptr;
    BackgroundJob m_searching; // last: see BackgroundJob
};
