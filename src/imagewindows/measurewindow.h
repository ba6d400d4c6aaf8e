#pragma once

#include "calibration/setup.h"
#include "core/commandtable.h"
#include "measurement/session.h"
#include "serieswindow.h"
#include "ui/backgroundjob.h"

#include <QPointer>
#include <QWidget>

class CalibrationWindow;
#include <memory>

class ImageView;
class QButtonGroup;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class TransformPanel;

// "Misura su immagine": a calibrated FITS image, on which the observer
// clicks the variable, the three comparison stars and a check star, or on
// which an AAVSO comparison sequence places them when the image has a WCS;
// their counts, the date and the filter, and what the sequence says of
// them, then go into the sheet.
class MeasureWindow : public QWidget
{
    Q_OBJECT
public:
    // What `context` refers to (the services and the sheet) must outlive the window.
    explicit MeasureWindow(const Context &context, QWidget *parent = nullptr);
    // Stops a series being measured and waits for it.
    ~MeasureWindow() override;

    static inline const QString SequenceTitle = QStringLiteral("Apri sequenza");
    static inline const QString SequenceFiles =
        QStringLiteral("Sequenze AAVSO (*.json *.csv *.txt);;Tutti i file (*)");
    // %1: the chart, %2: the sequence's stars, %3: those on the image.
    static inline const QString SequenceSummary = QStringLiteral("Sequenza %1: %2 stelle (%3 sull'immagine)");
    static inline const QString NoSequence = QStringLiteral("Nessuna sequenza");
    static inline const QString Discordant = QStringLiteral("discorde");
    // What "Scarica sequenza" refuses before asking the AAVSO.
    static inline const QString NoStarToAsk = QStringLiteral("Scrivere il nome della stella o l'ID della carta.");
    static inline const QString BadField = QStringLiteral("Campo: scrivere i primi d'arco, un numero maggiore di zero.");
    static inline const QString BadLimit = QStringLiteral("Magnitudine limite: scrivere un numero maggiore di zero.");
    // Finding the sky of an image without it.
    static inline const QString SaveWcsTitle = QStringLiteral("Salva con coordinate");
    static inline const QString Solving = QStringLiteral("Ricerca delle coordinate celesti con astrometry.net...");
    static inline const QString BadScale =
        QStringLiteral("Scala: scrivere i secondi d'arco per pixel, per esempio \"1,8\", o lasciare vuoto.");

protected:
    // The sheet's catalogue magnitudes may have changed while another window was active.
    void changeEvent(QEvent *event) override;

private:
    void buildControls();
    QWidget *buildPanel();
    void buildTable();
    void openImage();
    void showDetector();
    void place(const QPointF &imagePoint);
    void placeTyped();
    void radiiChanged();
    void radiiFromFwhm();
    void detectorEdited();
    void remeasure();
    void refresh();
    void fillRow(Imaging::Role role);
    void toSheet();
    void measureSeries();
    void showPixel(const QPointF &imagePoint, bool inside);
    void openSequence();
    void askSequence();
    void downloadSequence(class SequenceDialog &dialog);
    void showSequence();
    Imaging::Aperture aperture() const;
    Imaging::Role currentRole() const;
    void warn(const QString &text);
    void siteEdited();
    void showCalibration();
    // The calibration every image opened now goes through.
    Measurement::PixelStep calibrationStep();
    void buildSkyFinding(QWidget *panel, QFormLayout *form);
    bool readScale();
    void solve(bool asked);
    void solved();
    void saveWithWcs();
    void listSequenceToAlign();
    std::optional<std::size_t> selectedSequenceStar() const;
    void showSkyFinding();

    const Context m_context;
    Measurement::Session m_session;
    Calibration::Setup m_calibration;
    QPointer<CalibrationWindow> m_calibrationWindow;
    bool m_toldCalibrationProblem = false;

    QLabel *m_description = nullptr;
    ImageView *m_view = nullptr;
    QLabel *m_pixel = nullptr;
    QButtonGroup *m_roles = nullptr;
    QLineEdit *m_position = nullptr;
    QDoubleSpinBox *m_radius = nullptr;
    QDoubleSpinBox *m_innerRadius = nullptr;
    QDoubleSpinBox *m_outerRadius = nullptr;
    QLineEdit *m_gain = nullptr;
    QLineEdit *m_readNoise = nullptr;
    QLineEdit *m_saturation = nullptr;
    QLineEdit *m_site = nullptr;
    QLineEdit *m_chart = nullptr;
    QLineEdit *m_checkName = nullptr;
    QLineEdit *m_checkCatalogue = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_sequenceSummary = nullptr;
    QTableWidget *m_sequenceTable = nullptr;
    QLabel *m_status = nullptr;
    TransformPanel *m_transform = nullptr;
    QString m_sequenceOrigin; // of a sequence downloaded: AavsoWeb::FetchedNow or FromCopy
    QLineEdit *m_scale = nullptr;
    QPushButton *m_solve = nullptr;
    QPushButton *m_saveWcs = nullptr;
    QProgressBar *m_solving = nullptr;
    QPushButton *m_cancelSolving = nullptr;

    std::shared_ptr<Astrometry::Solution> m_solution; // the engine's, written by its job
    BackgroundJob m_solver; // before the series: see BackgroundJob
    SeriesLaunch m_series; // last: see BackgroundJob
};
