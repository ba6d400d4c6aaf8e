#pragma once

#include "core/commandtable.h"
#include "imaging/series.h"
#include "serieswindow.h"

#include <QWidget>

#include <memory>
#include <optional>

class ImageView;
class QButtonGroup;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QTableWidget;

// "Misura su immagine": a calibrated FITS image, on which the observer
// clicks the variable, the three comparison stars and a check star; their
// counts, the date and the filter then go into the sheet.
class MeasureWindow : public QWidget
{
    Q_OBJECT
public:
    // What `context` refers to (the services and the sheet) must outlive the window.
    explicit MeasureWindow(const Context &context, QWidget *parent = nullptr);
    // Stops a series being measured and waits for it.
    ~MeasureWindow() override;


protected:
    // The sheet's catalogue magnitudes may have changed while another window was active.
    void changeEvent(QEvent *event) override;

private:
    void buildControls();
    QWidget *buildPanel();
    void buildTable();
    void openImage();
    void showImage(Imaging::FitsImage image, const QString &path);
    void describeImage(const QString &path);
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
    Imaging::Aperture aperture() const;
    Imaging::Role currentRole() const;
    void warn(const QString &text);

    const Context m_context;
    std::optional<Imaging::FitsImage> m_image;
    std::array<std::optional<QPointF>, Imaging::RoleCount> m_positions; // the image's coordinates
    Imaging::Measurements m_measured;
    Imaging::Detector m_detector;

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
    QLineEdit *m_chart = nullptr;
    QLineEdit *m_checkName = nullptr;
    QLineEdit *m_checkCatalogue = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_status = nullptr;

    SeriesLaunch m_series; // last: see BackgroundJob
};
