#pragma once

#include "aavso/curve.h"
#include "period/fourierfit.h"
#include "core/commandtable.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class LightCurvePlot;
class PeriodWindow;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// The light curve's row for periods: "Periodo..." opens the search on the
// star shown; the phase plot of a period and epoch; the Fourier fit of that
// period drawn over the points, in phase or in time.
class PhaseBar : public QWidget
{
    Q_OBJECT
public:
    // What `services` and `plot` refer to must outlive the bar.
    PhaseBar(const Services &services, LightCurvePlot *plot, QWidget *parent);

    // The star the plot shows (empty `star`: none), `data` and `curve` kept
    // unchanged until the next call; discrepant observations count when shown.
    void setCurve(const Aavso::LightCurve::Observations &data, const Aavso::LightCurve::Curve &curve, const QString &star,
                  bool discrepant);

    static inline const QString FitText =
        QStringLiteral("Fourier (%1, %2 punti): media %3 · semiampiezza %4 · σ residui %5");
    static inline const QString NoFit =
        QStringLiteral("Nessuna serie di Fourier: troppo poche osservazioni in %1 per %2 armoniche.");

private:
    void openSearch();
    void periodChosen(const QString &band, bool weighted, double period);
    void refit();
    void showPhase();
    std::optional<quint32> fitBand() const;

    const Services m_services;
    LightCurvePlot *m_plot;
    const Aavso::LightCurve::Observations *m_data = nullptr;
    const Aavso::LightCurve::Curve *m_curve = nullptr;
    QString m_star;
    bool m_discrepant = false;
    QString m_band; // the fit's band; empty: the most observed shown
    bool m_weighted = false;
    QPointer<PeriodWindow> m_search;

    QCheckBox *m_inPhase = nullptr;
    QLineEdit *m_period = nullptr;
    QLineEdit *m_epoch = nullptr;
    QSpinBox *m_harmonics = nullptr;
    QLabel *m_fit = nullptr;
};
