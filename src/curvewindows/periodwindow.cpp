#include "periodwindow.h"

#include "ui/fixeddialog.h"
#include "ui/statusstrip.h"
#include "plotimage.h"
#include "aavso/log.h"
#include "aavso/logchoice.h"
#include "files/textfile.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

#include <cmath>

namespace {

const QString Title = QStringLiteral("Periodo");
const QString CsvFiles = QStringLiteral("File CSV (*.csv);;Tutti i file (*)");
const QString Frequencies = QStringLiteral("%1 frequenze, passo %2 cicli/giorno");
const QString Chosen =
    QStringLiteral("Periodo %1 ± %2 d · frequenza %3 cicli/giorno · potenza %4 · falso allarme %5");
// Where the peak gives no uncertainty.
const QString ChosenWithoutError =
    QStringLiteral("Periodo %1 d · frequenza %2 cicli/giorno · potenza %3 · falso allarme %4");
const QString PeriodAxis = QStringLiteral("Periodo (d)");
const QString FrequencyAxis = QStringLiteral("Frequenza (cicli/giorno)");
const QStringList PeakColumns = {QStringLiteral("Periodo (d)"), QStringLiteral("Frequenza"),
                                 QStringLiteral("Potenza"), QStringLiteral("Semiampiezza"), QString()};

// `value` to the place of the second significant digit of `error`.
QString withError(double value, double error)
{
    const int decimals = error > 0 ? std::clamp(1 - int(std::floor(std::log10(error))), 0, 9) : 6;
    return QString::number(value, 'f', decimals);
}

QString typed(double value)
{
    return QString::number(value, 'g', 6);
}



} // namespace

PeriodWindow::PeriodWindow(const Services &services, const QString &star, std::vector<Band> bands,
                           QWidget *parent)
    : QWidget(parent, Qt::Window), m_services(services), m_bands(std::move(bands))
{
    setUpToolWindow(*this, QStringLiteral("Form7"), Caption.arg(star));
    buildControls();
    resize(1000, 620);
    // The most observed band first.
    const auto most = std::max_element(m_bands.begin(), m_bands.end(), [](const Band &a, const Band &b) {
        return a.points.jd.size() < b.points.jd.size();
    });
    {
        const QSignalBlocker blocker(m_band);
        for (const Band &band : m_bands)
            m_band->addItem(QStringLiteral("%1 (%2)").arg(band.code).arg(band.points.jd.size()));
        m_band->setCurrentIndex(int(most - m_bands.begin()));
    }
    bandChosen();
}

PeriodWindow::~PeriodWindow() = default;

void PeriodWindow::buildControls()
{
    auto *bandLabel = named(new QLabel(QStringLiteral("Banda:"), this), "lblBanda");
    m_band = named(new QComboBox(this), "cboBanda");
    bandLabel->setBuddy(m_band);
    connect(m_band, &QComboBox::currentIndexChanged, this, &PeriodWindow::bandChosen);
    m_weighted = named(new QCheckBox(QStringLiteral("Pesa con gli errori"), this), "chkPesi");
    connect(m_weighted, &QCheckBox::toggled, this, &PeriodWindow::search);
    auto *fromLabel = named(new QLabel(QStringLiteral("Periodo da"), this), "lblPeriodoMin");
    m_shortest = named(new QLineEdit(this), "txtPeriodoMin");
    auto *toLabel = named(new QLabel(QStringLiteral("a"), this), "lblPeriodoMax");
    m_longest = named(new QLineEdit(this), "txtPeriodoMax");
    keepToNumbers(*m_shortest, fromLabel->text(), false, [this](const QString &refusal) { warn(refusal); });
    keepToNumbers(*m_longest, QStringLiteral("Periodo a"), false, [this](const QString &refusal) { warn(refusal); });
    for (QLineEdit *field : {m_shortest, m_longest}) {
        field->setFixedWidth(80);
        connect(field, &QLineEdit::returnPressed, this, &PeriodWindow::search);
    }
    fromLabel->setBuddy(m_shortest);
    toLabel->setBuddy(m_longest);
    auto *days = new QLabel(QStringLiteral("d"), this);
    auto *compute = named(new QPushButton(QStringLiteral("Calcola"), this), "cmdCalcola");
    connect(compute, &QPushButton::clicked, this, &PeriodWindow::search);
    m_byFrequency = named(new QCheckBox(QStringLiteral("Frequenza"), this), "chkFrequenza");
    connect(m_byFrequency, &QCheckBox::toggled, this, &PeriodWindow::showPower);
    auto *saveData = named(new QPushButton(QStringLiteral("Salva CSV..."), this), "cmdSalvaDati");
    connect(saveData, &QPushButton::clicked, this, &PeriodWindow::saveCsv);
    auto *saveImage = named(new QPushButton(QStringLiteral("Salva immagine..."), this), "cmdSalvaImmagine");
    connect(saveImage, &QPushButton::clicked, this, &PeriodWindow::saveImage);

    auto *controls = new QHBoxLayout;
    for (QWidget *widget : std::initializer_list<QWidget *>{bandLabel, m_band, m_weighted, fromLabel, m_shortest,
                                                           toLabel, m_longest, days, compute, m_byFrequency})
        controls->addWidget(widget);
    controls->addStretch();
    controls->addWidget(saveData);
    controls->addWidget(saveImage);

    m_frequencies = named(new QLabel(this), "lblFrequenze");
    m_choice = named(new QLabel(this), "lblScelto");
    m_choice->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_plot = named(new QCustomPlot(this), "periodogramma");
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    m_plot->setMinimumSize(300, 200);
    m_plot->yAxis->setLabel(QStringLiteral("Potenza DCDFT"));
    m_plot->axisRect()->setMinimumMargins(QMargins(15, 15, 25, 15));
    m_power = m_plot->addGraph();
    m_power->setPen(QPen(QColor(0, 0, 160)));
    m_marked = m_plot->addGraph();
    m_marked->setLineStyle(QCPGraph::lsNone);
    m_marked->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::red, 2), Qt::NoBrush, 12));
    connect(m_plot, &QCustomPlot::plottableClick, this,
            [this](QCPAbstractPlottable *plottable, int index) { plotClicked(plottable, index); });

    m_peaks = named(new QTableWidget(0, int(PeakColumns.size()), this), "tblPicchi");
    m_peaks->setHorizontalHeaderLabels(PeakColumns);
    m_peaks->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_peaks->setSelectionMode(QAbstractItemView::SingleSelection);
    m_peaks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_peaks->verticalHeader()->setVisible(false);
    m_peaks->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_peaks->setMinimumWidth(400);
    connect(m_peaks, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0 && size_t(row) < m_shown.found.peaks.size())
            choose(m_shown.found.peaks[size_t(row)]);
    });

    auto *middle = new QHBoxLayout;
    middle->addWidget(m_plot, 1);
    middle->addWidget(m_peaks);

    m_strip.emplace(this, m_searching, "prgCalcolo");
    m_status = m_strip->status;
    connect(&m_searching, &BackgroundJob::finished, this, &PeriodWindow::searched);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_frequencies);
    layout->addLayout(middle, 1);
    layout->addWidget(m_choice);
    layout->addLayout(m_strip->row);
    setSearching(false);
}

// A band's own range: from its span.
void PeriodWindow::bandChosen()
{
    const Period::Series series = Period::seriesOf(m_bands[size_t(m_band->currentIndex())].points, false);
    const Period::Range range = Period::defaultRange(series.span);
    m_shortest->setText(typed(range.shortest));
    m_longest->setText(typed(range.longest));
    search();
}

void PeriodWindow::search()
{
    stop();
    const Period::Series series =
        Period::seriesOf(m_bands[size_t(m_band->currentIndex())].points, m_weighted->isChecked());
    const Period::Grid grid = Period::gridOf({typedNumber(*m_shortest), typedNumber(*m_longest)}, series.span);
    m_status->clear();
    if (series.size() < Period::MinimumPoints) {
        m_status->setText(TooFew.arg(series.size()).arg(Period::MinimumPoints));
        return;
    }
    if (grid.count <= 0) {
        m_status->setText(BadRange);
        return;
    }
    m_frequencies->setText(Frequencies.arg(grid.count).arg(grid.step, 0, 'g', 3));
    m_running = {series, grid, {}};
    setSearching(true);
    m_searching.start([this] {
        m_running.found = Period::search(m_running.series, m_running.grid, [this](double done) {
            m_searching.tell(int(done * 100));
            return !m_searching.cancelled();
        });
    });
}

void PeriodWindow::stop()
{
    if (!m_searching.running())
        return;
    m_searching.stop();
    setSearching(false);
}

void PeriodWindow::searched()
{
    setSearching(false);
    using Outcome = Period::Search::Outcome;
    const Outcome outcome = m_running.found.outcome;
    if (outcome == Outcome::TooManyFrequencies || outcome == Outcome::OutOfMemory) {
        // The last result stays shown.
        m_services.messages.show(Title, MessageIcon::Warning, m_running.found.message);
        return;
    }
    if (m_searching.cancelled() || (outcome != Outcome::Found && outcome != Outcome::NoVariation)) {
        m_status->setText(Stopped);
        return;
    }
    if (outcome == Outcome::NoVariation)
        m_status->setText(Period::NoVariation);
    m_shown = std::move(m_running);
    m_running = {};
    showPower();
    fillPeaks();
    if (!m_shown.found.peaks.empty())
        m_peaks->setCurrentCell(0, 0); // chooses the highest
}

void PeriodWindow::setSearching(bool searching)
{
    m_strip->setRunning(searching);
}

void PeriodWindow::showPower()
{
    const bool byFrequency = m_byFrequency->isChecked();
    const Period::Grid &grid = m_shown.grid;
    QVector<double> keys, values;
    keys.reserve(grid.count);
    values.reserve(grid.count);
    for (qsizetype k = 0; k < qsizetype(m_shown.found.power.size()); ++k) {
        // Periods grow as frequencies fall: the graph takes its keys in order.
        const qsizetype index = byFrequency ? k : grid.count - 1 - k;
        const double f = grid.frequency(index);
        keys << (byFrequency ? f : 1 / f);
        values << m_shown.found.power[size_t(index)];
    }
    m_power->setData(keys, values, true);
    QCPAxis *x = m_plot->xAxis;
    x->setLabel(byFrequency ? FrequencyAxis : PeriodAxis);
    x->setScaleType(byFrequency ? QCPAxis::stLinear : QCPAxis::stLogarithmic);
    if (byFrequency)
        x->setTicker(QSharedPointer<QCPAxisTicker>::create());
    else
        x->setTicker(QSharedPointer<QCPAxisTickerLog>::create());
    m_plot->rescaleAxes();
    m_plot->yAxis->setRangeLower(0);
    m_plot->yAxis->scaleRange(1.05, m_plot->yAxis->range().lower);
    markChosen();
}

void PeriodWindow::markChosen()
{
    const double x = m_byFrequency->isChecked() ? m_chosen.frequency : m_chosen.period();
    m_marked->setData({x}, {m_chosen.power});
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void PeriodWindow::fillPeaks()
{
    const QSignalBlocker blocker(m_peaks);
    m_peaks->setRowCount(int(m_shown.found.peaks.size()));
    for (int row = 0; row < m_peaks->rowCount(); ++row) {
        const Period::Peak &peak = m_shown.found.peaks[size_t(row)];
        const QStringList texts = {withError(peak.period(), peak.periodError()),
                                   withError(peak.frequency, peak.halfWidth),
                                   QString::number(peak.power, 'f', 1),
                                   QString::number(peak.semiAmplitude, 'f', 3), peak.alias ? Alias : QString()};
        for (int column = 0; column < int(texts.size()); ++column)
            m_peaks->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
}

void PeriodWindow::choose(const Period::Peak &peak)
{
    m_chosen = peak;
    Period::markAliases(m_shown.found.peaks, peak, m_shown.series.span);
    for (int row = 0; row < m_peaks->rowCount(); ++row)
        m_peaks->item(row, int(PeakColumns.size()) - 1)->setText(m_shown.found.peaks[size_t(row)].alias ? Alias : QString());
    const double chance = Period::falseAlarm(peak.power, m_shown.series.size(), m_shown.grid, m_shown.series.span);
    const double periodError = peak.periodError();
    const QString rest = std::isnan(periodError) ? ChosenWithoutError.arg(withError(peak.period(), periodError))
                                                 : Chosen.arg(withError(peak.period(), periodError),
                                                              QString::number(periodError, 'g', 2));
    m_choice->setText(rest.arg(withError(peak.frequency, peak.halfWidth), QString::number(peak.power, 'f', 1),
                               QString::number(chance, 'g', 2)));
    markChosen();
    emit periodChosen(m_bands[size_t(m_band->currentIndex())].code, m_weighted->isChecked(), peak.period());
}

void PeriodWindow::plotClicked(QCPAbstractPlottable *plottable, int dataIndex)
{
    if (plottable != m_power || dataIndex < 0 || dataIndex >= m_shown.grid.count)
        return;
    const Period::Grid &grid = m_shown.grid;
    const qsizetype index = m_byFrequency->isChecked() ? dataIndex : grid.count - 1 - dataIndex;
    const Period::Peak peak = Period::peakNear(m_shown.series, grid, m_shown.found.power, index);
    // A listed peak is chosen through its row.
    for (size_t row = 0; row < m_shown.found.peaks.size(); ++row) {
        if (std::abs(m_shown.found.peaks[row].frequency - peak.frequency) < grid.step) {
            m_peaks->setCurrentCell(int(row), 0);
            return;
        }
    }
    m_peaks->setCurrentCell(-1, -1);
    choose(peak);
}

void PeriodWindow::saveCsv()
{
    const QString path = m_services.dialogs.saveFile(QStringLiteral("Salva periodogramma"),
                                                     QFileInfo(AavsoLog::lastLog(m_services.settings)).path(),
                                                     CsvFiles, false);
    if (!path.isEmpty() && !Files::replaceFile(path, {Period::csv(m_shown.grid, m_shown.found.power)}))
        warn(QStringLiteral("Impossibile salvare il periodogramma \"%1\".").arg(QDir::toNativeSeparators(path)));
}

void PeriodWindow::saveImage()
{
    const QString start = QFileInfo(AavsoLog::lastLog(m_services.settings)).path();
    if (const QString refusal = PlotImage::saveAsked(*m_plot, m_services.dialogs, start).refusal; !refusal.isEmpty())
        warn(refusal);
}

void PeriodWindow::warn(const QString &text)
{
    m_services.messages.show(Title, MessageIcon::Warning, text);
}
