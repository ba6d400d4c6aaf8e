#pragma once

#include "files/observations.h"
#include "core/sheet.h"

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
    // `messages` must outlive the window.
    explicit LightCurveWindow(Messages &messages, QWidget *parent = nullptr);

protected:
    enum class Question { Open, Add, SaveImage };
    // The file the user chooses in the usual dialog, starting at `start`;
    // empty when the dialog was cancelled.
    virtual QString askFile(Question question, const QString &start);

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

    Messages &m_messages;
    LightCurve::Observations m_data;
    QSet<QString> m_hiddenBands;
    QComboBox *m_stars = nullptr;
    QHBoxLayout *m_filters = nullptr;
    LightCurvePlot *m_plot = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_point = nullptr;
};
