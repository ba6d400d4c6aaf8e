#include "phasebar.h"

#include "ui/fixeddialog.h"
#include "lightcurveplot.h"
#include "periodwindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <cmath>

namespace {

constexpr int DefaultHarmonics = 2;


// Shown from its first digit, as the user would read it.
void fill(QLineEdit *field, const QString &text)
{
    field->setText(text);
    field->setCursorPosition(0);
}

} // namespace

PhaseBar::PhaseBar(const Services &services, LightCurvePlot *plot, QWidget *parent)
    : QWidget(parent), m_services(services), m_plot(plot)
{
    auto *search = new QPushButton(QStringLiteral("Periodo..."), this);
    search->setObjectName(QStringLiteral("cmdPeriodo"));
    connect(search, &QPushButton::clicked, this, &PhaseBar::openSearch);
    m_inPhase = new QCheckBox(QStringLiteral("Fase"), this);
    m_inPhase->setObjectName(QStringLiteral("chkFase"));
    connect(m_inPhase, &QCheckBox::toggled, this, &PhaseBar::showPhase);
    auto *periodLabel = new QLabel(QStringLiteral("Periodo (d)"), this);
    m_period = new QLineEdit(this);
    m_period->setObjectName(QStringLiteral("txtPeriodo"));
    auto *epochLabel = new QLabel(QStringLiteral("Epoca (JD)"), this);
    m_epoch = new QLineEdit(this);
    m_epoch->setObjectName(QStringLiteral("txtEpoca"));
    const auto refused = [this](const QString &refusal) {
        m_services.messages.show(window()->windowTitle(), MessageIcon::Warning, refusal);
    };
    keepToNumbers(*m_period, periodLabel->text(), true, refused);
    keepToNumbers(*m_epoch, epochLabel->text(), true, refused);
    periodLabel->setBuddy(m_period);
    epochLabel->setBuddy(m_epoch);
    m_period->setFixedWidth(90);
    m_epoch->setFixedWidth(110);
    connect(m_period, &QLineEdit::editingFinished, this, &PhaseBar::refit);
    connect(m_epoch, &QLineEdit::editingFinished, this, &PhaseBar::showPhase);
    auto *harmonicsLabel = new QLabel(QStringLiteral("Armoniche"), this);
    m_harmonics = new QSpinBox(this);
    m_harmonics->setObjectName(QStringLiteral("spnArmoniche"));
    m_harmonics->setRange(1, Period::MostHarmonics);
    m_harmonics->setValue(DefaultHarmonics);
    harmonicsLabel->setBuddy(m_harmonics);
    connect(m_harmonics, &QSpinBox::valueChanged, this, &PhaseBar::refit);
    m_fit = new QLabel(this);
    m_fit->setObjectName(QStringLiteral("lblAdattamento"));
    m_fit->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_fit->setMinimumWidth(1);
    m_fit->setWordWrap(true); // a narrow window shows it on two lines rather than cut
    m_fit->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget *widget : std::initializer_list<QWidget *>{search, m_inPhase, periodLabel, m_period, epochLabel,
                                                           m_epoch, harmonicsLabel, m_harmonics})
        layout->addWidget(widget);
    layout->addWidget(m_fit, 1);
}

void PhaseBar::setCurve(const Aavso::LightCurve::Observations &data, const Aavso::LightCurve::Curve &curve, const QString &star,
                        bool discrepant)
{
    if (Aavso::LightCurve::starKey(star) != Aavso::LightCurve::starKey(m_star)) {
        if (m_search)
            m_search->close(); // it searched another star
        m_band.clear();
        m_weighted = false;
    }
    m_data = &data;
    m_curve = &curve;
    m_star = star;
    m_discrepant = discrepant;
    refit();
}

void PhaseBar::openSearch()
{
    if (!m_data || m_star.isEmpty())
        return;
    std::vector<PeriodWindow::Band> bands;
    for (quint32 band : m_curve->bands) {
        const QString &code = m_data->texts[band];
        Period::Points points = Period::pointsOf(*m_data, *m_curve, band, m_discrepant);
        if (m_plot->bandVisible(code) && !points.jd.empty())
            bands.push_back({code, std::move(points)});
    }
    if (bands.empty())
        return;
    if (m_search)
        m_search->close();
    m_search = new PeriodWindow(m_services, m_star, std::move(bands), window());
    connect(m_search, &PeriodWindow::periodChosen, this, &PhaseBar::periodChosen);
    m_search->show();
}

void PhaseBar::periodChosen(const QString &band, bool weighted, double period)
{
    m_band = band;
    m_weighted = weighted;
    fill(m_period, QString::number(period, 'g', 9));
    refit();
    m_inPhase->setChecked(true);
}

// The band searched, else the most observed of those shown.
std::optional<quint32> PhaseBar::fitBand() const
{
    std::optional<quint32> chosen;
    size_t most = 0;
    for (quint32 band : m_curve->bands) {
        const QString &code = m_data->texts[band];
        if (code == m_band)
            return band;
        const size_t count = Period::pointsOf(*m_data, *m_curve, band, m_discrepant).jd.size();
        if (m_band.isEmpty() && m_plot->bandVisible(code) && count > most) {
            most = count;
            chosen = band;
        }
    }
    return chosen;
}

// The fit of the typed period, its maximum the new epoch.
void PhaseBar::refit()
{
    const double period = typedNumber(*m_period);
    const std::optional<quint32> band = m_data && period > 0 ? fitBand() : std::nullopt;
    if (!band) {
        m_plot->setFit({});
        m_fit->clear();
        showPhase();
        return;
    }
    const Period::Series series = Period::seriesOf(Period::pointsOf(*m_data, *m_curve, *band, m_discrepant), m_weighted);
    const Period::FourierFit fit = Period::fourierFit(series, period, m_harmonics->value());
    m_plot->setFit(fit);
    const QString &code = m_data->texts[*band];
    if (fit.valid()) {
        fill(m_epoch, QString::number(fit.epoch, 'f', 5));
        m_fit->setText(FitText.arg(code).arg(series.size()).arg(fit.mean, 0, 'f', 3)
                           .arg(fit.semiAmplitude, 0, 'f', 3).arg(fit.residualSigma, 0, 'f', 3));
    } else {
        m_fit->setText(NoFit.arg(code).arg(m_harmonics->value()));
    }
    showPhase();
}

void PhaseBar::showPhase()
{
    const double period = typedNumber(*m_period), epoch = typedNumber(*m_epoch);
    const bool inPhase = m_inPhase->isChecked() && period > 0 && std::isfinite(epoch);
    m_plot->setPhase(inPhase ? period : 0, inPhase ? epoch : 0);
}
