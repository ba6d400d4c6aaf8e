#include "lightcurvewindow.h"

#include "ui/fixeddialog.h"
#include "ui/flowlayout.h"
#include "ui/statusstrip.h"
#include "lightcurveplot.h"
#include "plotimage.h"
#include "phasebar.h"
#include "observationsdialog.h"
#include "aavsoweb/downloads.h"
#include "core/juliandate.h"
#include "aavso/log.h"
#include "aavso/logchoice.h"

#include <QAbstractListModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>

#include <cmath>

using Aavso::LightCurve::Observation;

// The stars as the list shows them, set in one go: a million names fill it
// at once, where adding them one by one takes seconds.
class StarList : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setStars(std::vector<Aavso::LightCurve::Star> stars)
    {
        beginResetModel();
        m_stars = std::move(stars);
        endResetModel();
    }
    const Aavso::LightCurve::Star &star(int row) const { return m_stars[size_t(row)]; }
    int row(const QString &key) const
    {
        QString each; // every key in the same room
        const auto found = std::find_if(m_stars.begin(), m_stars.end(), [&](const Aavso::LightCurve::Star &s) {
            Aavso::LightCurve::starKey(s.name, each);
            return each == key;
        });
        return found == m_stars.end() ? -1 : int(found - m_stars.begin());
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_stars.size());
    }
    // The view elides a long name; its tooltip gives it whole.
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        return star(index.row()).name;
    }

private:
    std::vector<Aavso::LightCurve::Star> m_stars;
};

namespace {

const QString Title = QStringLiteral("Curva di luce");
const QString AavsoFiles = AavsoLog::logFilter() + QStringLiteral(";;Tutti i file (*)");

// The band boxes take at most this many rows before they scroll.
constexpr int FilterRows = 3;
// A band's code longer than this, in pixels, is elided on its box.
constexpr int FilterCaptionWidth = 90;

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}



} // namespace

LightCurveWindow::LightCurveWindow(const Services &services, QWidget *parent)
    : QWidget(parent, Qt::Window), m_services(services)
{
    setUpToolWindow(*this, QStringLiteral("Form4"), Title);
    buildControls();
    resize(900, 600);
    showStar(-1);
}

LightCurveWindow::~LightCurveWindow() = default;

void LightCurveWindow::buildControls()
{
    m_open = named(new QPushButton(QStringLiteral("Apri..."), this), "cmdApri");
    connect(m_open, &QPushButton::clicked, this, &LightCurveWindow::openFile);
    m_add = named(new QPushButton(QStringLiteral("Aggiungi..."), this), "cmdAggiungi");
    connect(m_add, &QPushButton::clicked, this, &LightCurveWindow::addFile);
    m_download = named(new QPushButton(QStringLiteral("Scarica dall'AAVSO..."), this), "cmdScarica");
    connect(m_download, &QPushButton::clicked, this, &LightCurveWindow::askObservations);
    auto *starLabel = new QLabel(QStringLiteral("Stella:"), this);
    starLabel->setObjectName(QStringLiteral("lblStella"));
    m_starList = new StarList(this);
    m_stars = new QComboBox(this);
    m_stars->setObjectName(QStringLiteral("cboStella"));
    m_stars->setModel(m_starList);
    // As wide as this many characters, whatever the names: a long one is elided.
    m_stars->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_stars->setMinimumContentsLength(24);
    starLabel->setBuddy(m_stars);
    connect(m_stars, &QComboBox::currentIndexChanged, this, &LightCurveWindow::showStar);
    m_discrepant = new QCheckBox(QStringLiteral("Discrepanti"), this);
    m_discrepant->setObjectName(QStringLiteral("chkDiscrepanti"));
    m_strip.emplace(this, m_reading, "prgLettura");
    connect(&m_reading, &BackgroundJob::finished, this, &LightCurveWindow::loaded);
    auto *fit = named(new QPushButton(QStringLiteral("Adatta"), this), "cmdAdatta");
    auto *save = named(new QPushButton(QStringLiteral("Salva immagine..."), this), "cmdSalva");
    connect(save, &QPushButton::clicked, this, &LightCurveWindow::saveImage);

    auto *controls = new QHBoxLayout;
    controls->addWidget(m_open);
    controls->addWidget(m_add);
    controls->addWidget(m_download);
    controls->addWidget(starLabel);
    controls->addWidget(m_stars);
    controls->addWidget(m_discrepant);
    controls->addStretch();
    controls->addWidget(fit);
    controls->addWidget(save);

    // The band boxes wrap, and scroll past a few rows.
    m_filterArea = new QScrollArea(this);
    m_filterArea->installEventFilter(this);
    m_filterArea->setObjectName(QStringLiteral("filtri"));
    m_filterArea->setWidgetResizable(true);
    m_filterArea->setFrameShape(QFrame::NoFrame);
    m_filterArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *boxes = new QWidget;
    m_filters = new FlowLayout(boxes);
    m_filters->setContentsMargins(0, 0, 0, 0);
    m_filterArea->setWidget(boxes);
    paintSilver(*boxes);

    m_plot = new LightCurvePlot(this);
    connect(fit, &QPushButton::clicked, m_plot, &LightCurvePlot::fit);
    connect(m_plot, &LightCurvePlot::pointClicked, this, &LightCurveWindow::showPoint);
    m_phase = new PhaseBar(m_services, m_plot, this);
    connect(m_discrepant, &QCheckBox::toggled, this, [this](bool shown) {
        m_plot->setDiscrepantVisible(shown);
        m_phase->setCurve(m_data, m_shown, m_shownStar, shown);
        showStatus();
    });
    m_status = m_strip->status;
    m_point = new QLabel(this);
    m_point->setObjectName(QStringLiteral("lblPunto"));
    for (QLabel *label : {m_status, m_point}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // A long star name or note is cut, rather than widening the window.
        label->setMinimumWidth(1);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    // The reading's progress where its outcome will be told.

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_phase);
    layout->addWidget(m_filterArea);
    layout->addWidget(m_plot, 1);
    layout->addLayout(m_strip->row);
    layout->addWidget(m_point);
    setReading(false);
}

void LightCurveWindow::openFile()
{
    const QString path = m_services.dialogs.openFile(QStringLiteral("Apri"), AavsoLog::lastLog(m_services.settings), AavsoFiles);
    if (!path.isEmpty())
        load(path, true);
}

void LightCurveWindow::addFile()
{
    const QString path = m_services.dialogs.openFile(QStringLiteral("Aggiungi"), AavsoLog::lastLog(m_services.settings), AavsoFiles);
    if (path.isEmpty())
        return;
    if (alreadyShown(path))
        warn(AlreadyShown.arg(fileName(path)));
    else
        load(path, false);
}

bool LightCurveWindow::alreadyShown(const QString &path) const
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return !canonical.isEmpty()
        && std::any_of(m_data.files.begin(), m_data.files.end(), [&canonical](const auto &file) {
               return QFileInfo(file.path).canonicalFilePath() == canonical;
           });
}

void LightCurveWindow::load(const QString &path, bool replacing)
{
    // Copied here rather than on the thread, which then shares nothing with the window.
    m_read = {replacing ? Aavso::LightCurve::Observations() : m_data, {}, {}, replacing, {}};
    setReading(true);
    m_reading.start([this, path] {
        m_read.refusal = Aavso::LightCurve::addFile(m_read.data, path, [this](qint64 done, qint64 total) {
            m_reading.tell(total > 0 ? int(done * 100 / total) : 0);
            return !m_reading.cancelled();
        });
        if (m_read.refusal.isEmpty() && !m_reading.cancelled())
            m_read.stars = Aavso::LightCurve::stars(m_read.data);
    });
}

void LightCurveWindow::askObservations()
{
    auto *dialog = new ObservationsDialog(m_shownStar, this);
    connect(dialog, &ObservationsDialog::downloadAsked, this, [this, dialog] { downloadObservations(*dialog); });
    dialog->open();
}

// Fetched and read on the reading thread, beside the files shown; "Annulla"
// keeps nothing, not even the pieces that had come.
void LightCurveWindow::downloadObservations(ObservationsDialog &dialog)
{
    const QString star = dialog.star();
    const QString from = dialog.from();
    const QString to = dialog.to();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString refusal = star.isEmpty() ? NoStarToAsk : AavsoWeb::typedPeriod(from, to, now).problem;
    if (!refusal.isEmpty()) {
        warn(refusal); // the dialog stays, to be put right
        return;
    }
    dialog.accept();
    const AavsoWeb::Addresses at = AavsoWeb::addresses(m_services.settings);
    m_read = {m_data, {}, {}, false, {}};
    setReading(true);
    m_reading.start([this, at, star, from, to, now] {
        const AavsoWeb::ObservationsDownload got =
            AavsoWeb::downloadObservations(at, star, from, to, now, [this](int done, int pieces) {
                m_reading.tell(done * 100 / pieces);
                return !m_reading.cancelled();
            });
        if (got.path.isEmpty()) {
            m_read.refusal = got.problem;
            return;
        }
        const auto &files = m_read.data.files;
        if (std::any_of(files.begin(), files.end(), [&got](const auto &file) { return file.path == got.path; })) {
            m_read.refusal = AlreadyShown.arg(DownloadName.arg(star));
            return;
        }
        const size_t before = m_read.data.observations.size();
        m_read.refusal = Aavso::LightCurve::addFile(m_read.data, got.path);
        if (m_read.refusal.isEmpty() && m_read.data.observations.size() == before)
            m_read.refusal = AavsoWeb::NoObservations.arg(star);
        if (m_read.refusal.isEmpty())
            m_read.stars = Aavso::LightCurve::stars(m_read.data);
        m_read.origin = DownloadName.arg(star) + QStringLiteral(", ")
            + (got.origin == AavsoWeb::FetchedNow ? AavsoWeb::ObservationsFetchedNow : got.origin);
    });
}

void LightCurveWindow::loaded()
{
    setReading(false);
    Read read = std::move(m_read);
    m_read = {};
    // "Annulla" leaves everything as it was, even when the reading had just ended.
    if (m_reading.cancelled())
        return;
    if (!read.refusal.isEmpty()) {
        warn(read.refusal);
        return;
    }
    // Adding a file keeps the star in view when it is still there.
    const QString shown = read.replacing || m_stars->currentIndex() < 0
        ? QString() : Aavso::LightCurve::starKey(m_starList->star(m_stars->currentIndex()).name);
    if (read.replacing)
        m_plot->showEveryBand();
    m_data = std::move(read.data);
    const QSignalBlocker blocker(m_stars);
    m_starList->setStars(std::move(read.stars));
    m_stars->setCurrentIndex(m_starList->rowCount() == 0 ? -1 : std::max(0, m_starList->row(shown)));
    showStar(m_stars->currentIndex());
    if (!read.origin.isEmpty())
        m_status->setText(m_status->text() + QLatin1Char(' ') + read.origin + QLatin1Char('.'));
}

void LightCurveWindow::showOwn(Aavso::LightCurve::Observations data)
{
    m_data = std::move(data);
    const QSignalBlocker blocker(m_stars);
    m_starList->setStars(Aavso::LightCurve::stars(m_data));
    m_stars->setCurrentIndex(m_starList->rowCount() == 0 ? -1 : 0);
    showStar(m_stars->currentIndex());
}

void LightCurveWindow::setReading(bool reading)
{
    m_open->setEnabled(!reading);
    m_add->setEnabled(!reading);
    m_download->setEnabled(!reading);
    m_strip->setRunning(reading);
}

void LightCurveWindow::showStar(int index)
{
    m_point->clear();
    m_shownStar = index < 0 ? QString() : m_starList->star(index).name;
    m_shownCount = index < 0 ? 0 : m_starList->star(index).count;
    m_shown = index < 0 ? Aavso::LightCurve::Curve() : Aavso::LightCurve::curveOf(m_data, Aavso::LightCurve::starKey(m_shownStar));
    m_stars->setToolTip(m_shownStar);
    m_plot->plotCurve(m_data, m_shown);
    m_phase->setCurve(m_data, m_shown, m_shownStar, m_discrepant->isChecked());
    fillFilters(m_shown.bands);
    showStatus();
}

void LightCurveWindow::fillFilters(const std::vector<quint32> &bands)
{
    QWidget *boxes = m_filterArea->widget();
    boxes->setUpdatesEnabled(false);
    while (QLayoutItem *item = m_filters->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (quint32 text : bands) {
        const QString &band = std::as_const(m_data).texts[text];
        auto *box = new QCheckBox(fontMetrics().elidedText(band, Qt::ElideRight, FilterCaptionWidth), boxes);
        box->setObjectName(QStringLiteral("chk") + band);
        box->setToolTip(band);
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, m_plot->colour(band));
        box->setPalette(palette);
        box->setChecked(m_plot->bandVisible(band));
        connect(box, &QCheckBox::toggled, this,
                [this, band](bool checked) { m_plot->setBandVisible(band, checked); });
        m_filters->addWidget(box);
    }
    boxes->setUpdatesEnabled(true);
    fitFilterArea();
    m_filterArea->setVisible(!bands.empty());
}

// As high as the boxes need at the window's width, up to a few rows.
void LightCurveWindow::fitFilterArea()
{
    const QCheckBox *box = m_filterArea->widget()->findChild<QCheckBox *>();
    if (!box)
        return;
    const int limit = FilterRows * box->sizeHint().height() + (FilterRows - 1) * m_filters->spacing();
    m_filterArea->setFixedHeight(std::min(m_filters->heightForWidth(m_filterArea->contentsRect().width()), limit));
}

// The boxes' rows depend on the width the area is given, known only once it is laid out.
bool LightCurveWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filterArea && event->type() == QEvent::Resize)
        fitFilterArea();
    return QWidget::eventFilter(watched, event);
}

void LightCurveWindow::showStatus()
{
    m_status->setText(Aavso::LightCurve::summary(m_data, m_shownStar, m_shownCount, m_shown,
                                          m_discrepant->isChecked()));
}

void LightCurveWindow::showPoint(quint32 observation)
{
    const Aavso::LightCurve::Observations &data = m_data;
    const Observation &o = data.observations[observation];
    QString magnitude = (o.fainter ? QStringLiteral("<") : QString()) + QString::number(o.magnitude);
    if (!std::isnan(o.error))
        magnitude += QStringLiteral(" ± ") + QString::number(o.error);
    QString text = QStringLiteral("JD %1 · %2 UTC · filtro %3 · magnitudine %4 · osservatore %5")
                       .arg(QString::number(o.jd, 'f', 5),
                            JulianDate::toUtc(o.jd).toString(
                                QStringLiteral("dd/MM/yyyy hh:mm:ss")),
                            data.texts[o.band], magnitude, data.texts[o.observer]);
    if (const QString note = data.note(o); !note.isEmpty())
        text += QStringLiteral(" · note: ") + note;
    m_point->setText(text);
}

void LightCurveWindow::saveImage()
{
    const QString start = m_data.files.empty() ? QFileInfo(AavsoLog::lastLog(m_services.settings)).path()
                                               : QFileInfo(m_data.files.back().path).path();
    if (const QString refusal = PlotImage::saveAsked(*m_plot, m_services.dialogs, start).refusal; !refusal.isEmpty())
        warn(refusal);
}

void LightCurveWindow::warn(const QString &text)
{
    m_services.messages.show(Title, MessageIcon::Warning, text);
}
