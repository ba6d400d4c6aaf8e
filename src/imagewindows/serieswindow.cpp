#include "serieswindow.h"

#include "ui/fixeddialog.h"
#include "curvewindows/julianaxes.h"
#include "curvewindows/plotimage.h"
#include "curvewindows/lightcurvewindow.h"
#include "aavso/log.h"
#include "aavso/logchoice.h"
#include "core/numberrules.h"
#include "files/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QProgressDialog>
#include <QTableWidget>

using Measurement::SeriesRow;
namespace Column = Measurement::SeriesColumn;

namespace {

const QString TableTitle = QStringLiteral("Salva tabella");
const QString CsvFiles = QStringLiteral("Tabella CSV (*.csv);;Tutti i file (*)");
const QString FolderKey = QStringLiteral("series/folder");
const QString Point = QStringLiteral("%1: JD %2, magnitudine %3 ± %4, controllo %5");
const QString TableSaved = QStringLiteral("Tabella salvata in %1.");

const QColor VariableColour(200, 30, 30);
const QColor CheckColour(30, 90, 200);


} // namespace

SeriesWindow::SeriesWindow(const Services &services, std::vector<SeriesRow> rows, const QString &object,
                           const QString &skyNote, QWidget *parent)
    : QWidget(parent, Qt::Window), m_services(services), m_rows(std::move(rows)), m_object(object)
{
    setUpToolWindow(*this, QStringLiteral("Form6"), Title.arg(object));

    buildTable();
    m_plot = new QCustomPlot(this);
    m_plot->setObjectName(QStringLiteral("plot"));
    m_plot->setMinimumSize(300, 200);
    plotSeries();
    m_point = new QLabel(this);
    m_point->setObjectName(QStringLiteral("lblPunto"));
    m_point->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *sky = new QLabel(skyNote, this);
    sky->setObjectName(QStringLiteral("lblCielo"));
    sky->setWordWrap(true);
    sky->setVisible(!skyNote.isEmpty());

    auto *csv = named(new QPushButton(QStringLiteral("Salva tabella..."), this), "cmdCsv");
    auto *image = named(new QPushButton(QStringLiteral("Salva immagine..."), this), "cmdImmagine");
    auto *aavso = named(new QPushButton(QStringLiteral("Esporta AAVSO..."), this), "cmdAavso");
    auto *curve = named(new QPushButton(QStringLiteral("Curva di luce"), this), "cmdCurva");
    connect(csv, &QPushButton::clicked, this, &SeriesWindow::saveTable);
    connect(image, &QPushButton::clicked, this, &SeriesWindow::saveImage);
    connect(aavso, &QPushButton::clicked, this, &SeriesWindow::exportAavso);
    connect(curve, &QPushButton::clicked, this, &SeriesWindow::showCurve);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {csv, image, aavso, curve})
        buttons->addWidget(b);
    buttons->addStretch(1);

    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_plot);
    split->addWidget(m_table);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(m_point);
    layout->addWidget(sky);
    layout->addLayout(buttons);
    resize(1000, 760);
}

void SeriesWindow::buildTable()
{
    m_table = new QTableWidget(int(m_rows.size()), int(Column::Titles.size()), this);
    m_table->setObjectName(QStringLiteral("tblSerie"));
    m_table->setHorizontalHeaderLabels(Column::Titles);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int row = 0; row < int(m_rows.size()); ++row) {
        for (int column = 0; column < int(Column::Titles.size()); ++column) {
            auto *item = new QTableWidgetItem(Measurement::seriesCell(m_rows[std::size_t(row)], Column::Column(column)));
            const bool text = column == Column::File || column == Column::Problem;
            item->setTextAlignment(text ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (column == Column::Problem)
                item->setForeground(VariableColour);
            m_table->setItem(row, column, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int row) { showPoint(row); });
}

void SeriesWindow::plotSeries()
{
    setJulianDateAxes(*m_plot);
    m_plot->yAxis->setLabel(QStringLiteral("Magnitudine"));
    m_plot->yAxis->setRangeReversed(true); // brighter up
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    m_plot->axisRect()->setMinimumMargins(QMargins(15, 15, 40, 15));

    QVector<double> jd, magnitude, error, checkJd, check;
    for (int row = 0; row < int(m_rows.size()); ++row) {
        const SeriesRow &r = m_rows[std::size_t(row)];
        const std::optional<Measurement::SeriesPoint> point = Measurement::seriesPoint(r);
        if (!point)
            continue;
        m_plotted.push_back(row);
        jd << point->julianDate - ShownJdOffset;
        magnitude << point->magnitude;
        error << point->error.value_or(0);
        if (r.checkMagnitude) {
            checkJd << jd.last();
            check << *r.checkMagnitude;
        }
    }
    QCPGraph *variable = m_plot->addGraph();
    variable->setName(QStringLiteral("Variabile"));
    variable->setLineStyle(QCPGraph::lsNone);
    variable->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, VariableColour, 6));
    variable->setPen(QPen(VariableColour));
    variable->setData(jd, magnitude, true);
    auto *bars = new QCPErrorBars(m_plot->xAxis, m_plot->yAxis);
    bars->setDataPlottable(variable);
    bars->setData(error);
    bars->setPen(QPen(VariableColour));
    bars->removeFromLegend();
    QCPGraph *checkStar = m_plot->addGraph();
    checkStar->setName(QStringLiteral("Controllo"));
    checkStar->setLineStyle(QCPGraph::lsNone);
    checkStar->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, CheckColour, 5));
    checkStar->setPen(QPen(CheckColour));
    checkStar->setData(checkJd, check, true);
    m_plot->legend->setVisible(true);
    // The check star, usually brighter, runs along the top; the variable's minimum is near the middle.
    m_plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignBottom | Qt::AlignRight);
    m_plot->rescaleAxes();
    for (QCPAxis *axis : {m_plot->xAxis, m_plot->yAxis}) {
        const QCPRange range = axis->range();
        const double margin = range.size() > 0 ? range.size() * 0.05 : 0.5;
        axis->setRange(range.lower - margin, range.upper + margin);
    }
    m_plot->setInteraction(QCP::iSelectPlottables, false);
    connect(m_plot, &QCustomPlot::plottableClick, this, [this, variable](QCPAbstractPlottable *plottable, int index) {
        if (plottable == variable && index >= 0 && index < int(m_plotted.size()))
            m_table->setCurrentCell(m_plotted[std::size_t(index)], 0);
    });
    m_plot->replot();
}

void SeriesWindow::showPoint(int row)
{
    if (row < 0 || row >= int(m_rows.size())) {
        m_point->clear();
        return;
    }
    const SeriesRow &r = m_rows[std::size_t(row)];
    const auto cell = [&r](Column::Column column) {
        const QString text = Measurement::seriesCell(r, column);
        return text.isEmpty() ? QStringLiteral("?") : text;
    };
    m_point->setText(r.problem.isEmpty()
                         ? Point.arg(r.file, cell(Column::JulianDate), cell(Column::Magnitude), cell(Column::Error),
                                     cell(Column::Check))
                         : r.file + QStringLiteral(": ") + r.problem);
}

void SeriesWindow::saveTable()
{
    const QString path = m_services.dialogs.saveFile(TableTitle, m_services.settings.value(FolderKey), CsvFiles, false);
    if (path.isEmpty())
        return;
    m_services.settings.setValue(FolderKey, QFileInfo(path).absolutePath());
    if (!Files::replaceFile(path, {Measurement::seriesCsv(m_rows)}))
        warn(TableFailed.arg(QDir::toNativeSeparators(path)));
    else
        m_point->setText(TableSaved.arg(QDir::toNativeSeparators(path)));
}

void SeriesWindow::saveImage()
{
    const PlotImage::Saved saved =
        PlotImage::saveAsked(*m_plot, m_services.dialogs, m_services.settings.value(FolderKey));
    if (!saved.path.isEmpty())
        m_services.settings.setValue(FolderKey, QFileInfo(saved.path).absolutePath());
    if (!saved.refusal.isEmpty())
        warn(saved.refusal);
}

void SeriesWindow::exportAavso()
{
    QString problem;
    const QList<Aavso::Record> records = Measurement::seriesRecords(m_rows, problem);
    if (!problem.isEmpty()) {
        m_services.messages.show(Aavso::Title, MessageIcon::Warning, problem);
        return;
    }
    const QString path = AavsoLog::askLog(m_services);
    if (path.isEmpty())
        return;
    if (Aavso::exportSeries(records, m_services.messages, path))
        AavsoLog::rememberLog(m_services.settings, path);
}

void SeriesWindow::showCurve()
{
    auto *window = new LightCurveWindow(m_services);
    window->showOwn(Measurement::seriesObservations(m_rows, m_object));
    window->show();
}

void SeriesWindow::warn(const QString &text)
{
    m_services.messages.show(windowTitle(), MessageIcon::Warning, text);
}

SeriesLaunch::SeriesLaunch(const Context &context, QWidget &owner) : m_context(context), m_owner(owner)
{
    connect(&m_job, &BackgroundJob::finished, this, &SeriesLaunch::measured);
}

void SeriesLaunch::start(const QStringList &paths, const Measurement::SeriesTemplate &placed, const QString &checkName,
                         const QString &chart, const Measurement::SkyHints &hints,
                         const Measurement::PixelStep &pixelStep)
{
    m_checkName = checkName;
    m_chart = chart;
    m_hints = hints;
    const int total = int(paths.size());
    m_progress = new QProgressDialog(Progress.arg(1).arg(total), QStringLiteral("Annulla"), 0, total, &m_owner);
    m_progress->setWindowTitle(Title);
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(0);
    m_progress->setAutoReset(false);
    m_progress->setAutoClose(false);
    connect(m_progress, &QProgressDialog::canceled, &m_job, &BackgroundJob::cancel);
    QProgressDialog *progress = m_progress;
    connect(&m_job, &BackgroundJob::progressed, progress, [progress, total](int measured) {
        progress->setValue(measured);
        progress->setLabelText(Progress.arg(std::min(measured + 1, total)).arg(total));
    });
    m_job.start([this, paths, placed, pixelStep] {
        const auto progressed = [this](int measured, int) {
            m_job.tell(measured);
            return !m_job.cancelled();
        };
        m_images = Measurement::measureSeries(paths, placed, progressed, pixelStep);
    });
    m_progress->show();
}

void SeriesLaunch::measured()
{
    if (m_progress)
        m_progress->deleteLater();
    std::vector<Measurement::SeriesImage> images = std::move(m_images);
    m_images.clear();
    if (images.empty())
        return;
    QString skyNote;
    std::vector<Measurement::SeriesRow> rows =
        Measurement::seriesRows(images, m_context.sheet, m_checkName, m_chart, m_hints, &skyNote);
    const QString object = Measurement::seriesObject(rows, m_context.sheet);
    auto *window = new SeriesWindow(m_context, std::move(rows), object, skyNote);
    window->show();
}
