#pragma once

#include "aavso/curve.h"
#include "core/commandtable.h"
#include "ui/statusstrip.h"

#include <QWidget>

#include <memory>
#include <optional>

class LightCurvePlot;
class PhaseBar;
class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QPushButton;
class QScrollArea;
class StarList;

// The light-curve window: AAVSO files (the observer's own log and downloads
// of the AAVSO database) drawn together, one star at a time. Files are read
// off the window's thread, so that a large one can be watched and cancelled.
class LightCurveWindow : public QWidget
{
    Q_OBJECT
public:
    // What `services` refers to must outlive the window.
    explicit LightCurveWindow(const Services &services, QWidget *parent = nullptr);
    // Stops a reading under way and waits for it.
    ~LightCurveWindow() override;

    // Shows `data` in place of any file: the observer's own points of a series of images.
    void showOwn(Aavso::LightCurve::Observations data);

    static inline const QString AlreadyShown =
        QStringLiteral("Il file \"%1\" è già nella curva di luce.");
    // What "Scarica dall'AAVSO..." refuses before asking; the name its
    // download has in the status line (%1: the star).
    static inline const QString NoStarToAsk = QStringLiteral("Scrivere il nome della stella.");
    static inline const QString DownloadName = QStringLiteral("AAVSO: %1");

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What the reading thread hands back.
    struct Read
    {
        Aavso::LightCurve::Observations data;
        std::vector<Aavso::LightCurve::Star> stars;
        QString refusal;
        bool replacing = false;
        QString origin; // of observations downloaded: where they came from
    };

    void buildControls();
    void openFile();
    void addFile();
    void askObservations();
    void downloadObservations(class ObservationsDialog &dialog);
    bool alreadyShown(const QString &path) const;
    void load(const QString &path, bool replacing);
    void loaded();
    void setReading(bool reading);
    void showStar(int index);
    void fillFilters(const std::vector<quint32> &bands);
    void fitFilterArea();
    void showStatus();
    void showPoint(quint32 observation);
    void saveImage();
    void warn(const QString &text);

    const Services m_services;
    Aavso::LightCurve::Observations m_data;
    QString m_shownStar;          // as listed
    qsizetype m_shownCount = 0;
    Aavso::LightCurve::Curve m_shown;

    Read m_read; // the reading thread's alone until it ends

    StarList *m_starList = nullptr;
    QComboBox *m_stars = nullptr;
    QCheckBox *m_discrepant = nullptr;
    QScrollArea *m_filterArea = nullptr;
    QLayout *m_filters = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_download = nullptr;
    std::optional<StatusStrip> m_strip;
    LightCurvePlot *m_plot = nullptr;
    PhaseBar *m_phase = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_point = nullptr;
    BackgroundJob m_reading; // last: see BackgroundJob
};
