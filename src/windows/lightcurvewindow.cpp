#include "lightcurvewindow.h"

#include "fixeddialog.h"
#include "lightcurveplot.h"
#include "core/juliandate.h"
#include "aavso/export.h"
#include "files/textfile.h"
#include "ui/appsetup.h"
#include "ui/look.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTemporaryFile>

#include <cmath>

using LightCurve::Observation;

namespace {

const QString Title = QStringLiteral("Curva di luce");
const QString AavsoFiles = QStringLiteral("File AAVSO (*.txt *.csv *.tsv);;Tutti i file (*)");

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

// The plot as shown, PNG or (for a name ending in .pdf) PDF. QCustomPlot
// writes to a name, not a device, so it writes a draft first: the target is
// replaced only by a complete image, and only when it is a plain file.
bool writeImage(QCustomPlot &plot, const QString &path)
{
    QTemporaryFile draft;
    if (!draft.open())
        return false;
    const bool pdf = QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    if (!(pdf ? plot.savePdf(draft.fileName()) : plot.savePng(draft.fileName())))
        return false;
    const QByteArray bytes = draft.readAll();
    return !bytes.isEmpty() && Files::replaceFile(path, {bytes});
}

QPushButton *button(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

LightCurveWindow::LightCurveWindow(const Services &services, QWidget *parent)
    : QWidget(parent, Qt::Window), m_services(services)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(Title);
    setWindowIcon(appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(Look::face(QStringLiteral("Tahoma"), 8.25)); // the sheet's face
    paintSilver(*this);
    buildControls();
    resize(900, 600);
    showStar(-1);
}

void LightCurveWindow::buildControls()
{
    auto *open = button("cmdApri", QStringLiteral("Apri..."), this);
    connect(open, &QPushButton::clicked, this, &LightCurveWindow::openFile);
    auto *add = button("cmdAggiungi", QStringLiteral("Aggiungi..."), this);
    connect(add, &QPushButton::clicked, this, &LightCurveWindow::addFile);
    auto *starLabel = new QLabel(QStringLiteral("Stella:"), this);
    starLabel->setObjectName(QStringLiteral("lblStella"));
    m_stars = new QComboBox(this);
    m_stars->setObjectName(QStringLiteral("cboStella"));
    m_stars->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_stars->setMinimumContentsLength(12);
    starLabel->setBuddy(m_stars);
    connect(m_stars, &QComboBox::currentIndexChanged, this, &LightCurveWindow::showStar);
    auto *fit = button("cmdAdatta", QStringLiteral("Adatta"), this);
    auto *save = button("cmdSalva", QStringLiteral("Salva immagine..."), this);
    connect(save, &QPushButton::clicked, this, &LightCurveWindow::saveImage);

    m_filters = new QHBoxLayout;
    auto *controls = new QHBoxLayout;
    controls->addWidget(open);
    controls->addWidget(add);
    controls->addWidget(starLabel);
    controls->addWidget(m_stars);
    controls->addLayout(m_filters);
    controls->addStretch();
    controls->addWidget(fit);
    controls->addWidget(save);

    m_plot = new LightCurvePlot(this);
    connect(fit, &QPushButton::clicked, m_plot, &LightCurvePlot::fit);
    connect(m_plot, &LightCurvePlot::pointClicked, this, &LightCurveWindow::showPoint);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStato"));
    m_point = new QLabel(this);
    m_point->setObjectName(QStringLiteral("lblPunto"));
    for (QLabel *label : {m_status, m_point})
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_plot, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_point);
}

void LightCurveWindow::openFile()
{
    const QString path = m_services.dialogs.openFile(QStringLiteral("Apri"), Aavso::lastLog(m_services.settings), AavsoFiles);
    if (!path.isEmpty())
        load(path, true);
}

void LightCurveWindow::addFile()
{
    const QString path = m_services.dialogs.openFile(QStringLiteral("Aggiungi"), Aavso::lastLog(m_services.settings), AavsoFiles);
    if (!path.isEmpty())
        load(path, false);
}

void LightCurveWindow::load(const QString &path, bool replacing)
{
    LightCurve::Observations fresh;
    const QString refusal = LightCurve::addFile(replacing ? fresh : m_data, path);
    if (!refusal.isEmpty()) {
        warn(refusal);
        return;
    }
    // Adding a file keeps the star in view when it is still there.
    const QString shown = replacing ? QString() : m_stars->currentData().toString();
    if (replacing) {
        m_data = std::move(fresh);
        m_hiddenBands.clear();
    }
    const QSignalBlocker blocker(m_stars);
    m_stars->clear();
    for (const LightCurve::Star &star : LightCurve::stars(m_data)) {
        m_stars->addItem(star.name, LightCurve::starKey(star.name));
        m_stars->setItemData(m_stars->count() - 1, qlonglong(star.count), Qt::UserRole + 1);
    }
    m_stars->setCurrentIndex(std::max(0, m_stars->findData(shown)));
    showStar(m_stars->currentIndex());
}

void LightCurveWindow::showStar(int index)
{
    m_point->clear();
    if (index < 0) {
        m_plot->plotStar({}, QString());
        fillFilters({});
        showStatus(QString(), 0, 0);
        return;
    }
    const LightCurvePlot::Drawn drawn =
        m_plot->plotStar(m_data, m_stars->itemData(index).toString());
    fillFilters(drawn.bands);
    showStatus(m_stars->itemText(index),
               m_stars->itemData(index, Qt::UserRole + 1).toLongLong(), drawn.files);
}

void LightCurveWindow::fillFilters(const QStringList &bands)
{
    while (QLayoutItem *item = m_filters->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString &band : bands) {
        auto *box = new QCheckBox(band, this);
        box->setObjectName(QStringLiteral("chk") + band);
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, m_plot->colour(band));
        box->setPalette(palette);
        box->setChecked(!m_hiddenBands.contains(band));
        m_plot->setBandVisible(band, box->isChecked());
        connect(box, &QCheckBox::toggled, this, [this, band](bool checked) {
            if (checked)
                m_hiddenBands.remove(band);
            else
                m_hiddenBands.insert(band);
            m_plot->setBandVisible(band, checked);
        });
        m_filters->addWidget(box);
    }
}

void LightCurveWindow::showStatus(const QString &star, qsizetype count, int files)
{
    QString text;
    if (!star.isEmpty())
        text = QStringLiteral("Osservazioni di %1: %2 da %3 file.")
                   .arg(star, QString::number(count), QString::number(files));
    else if (!m_data.files.empty())
        text = QStringLiteral("Nessuna osservazione in %1 file.").arg(m_data.files.size());
    if (!m_data.skipped.empty()) {
        const LightCurve::SkippedLine &first = m_data.skipped.front();
        text += QStringLiteral(" Righe ignorate: %1 (la prima: riga %2 di %3: %4).")
                    .arg(QString::number(m_data.skipped.size()), QString::number(first.line),
                         fileName(m_data.files[first.file].path), first.reason);
    }
    m_status->setText(text);
}

void LightCurveWindow::showPoint(quint32 observation)
{
    const Observation &o = m_data.observations[observation];
    QString magnitude = (o.fainter ? QStringLiteral("<") : QString()) + QString::number(o.magnitude);
    if (!std::isnan(o.error))
        magnitude += QStringLiteral(" ± ") + QString::number(o.error);
    QString text = QStringLiteral("JD %1 · %2 UTC · filtro %3 · magnitudine %4 · osservatore %5")
                       .arg(QString::number(o.jd, 'f', 5),
                            JulianDate::toUtc(o.jd).toString(
                                QStringLiteral("dd/MM/yyyy hh:mm:ss")),
                            m_data.texts[o.band], magnitude, m_data.texts[o.observer]);
    if (!m_data.texts[o.notes].isEmpty())
        text += QStringLiteral(" · note: ") + m_data.texts[o.notes];
    m_point->setText(text);
}

void LightCurveWindow::saveImage()
{
    const QString start = m_data.files.empty() ? QFileInfo(Aavso::lastLog(m_services.settings)).path()
                                               : QFileInfo(m_data.files.back().path).path();
    const QString path = m_services.dialogs.saveFile(
        QStringLiteral("Salva immagine"), start,
        QStringLiteral("Immagine PNG (*.png);;Documento PDF (*.pdf)"), false);
    if (!path.isEmpty() && !writeImage(*m_plot, path))
        warn(QStringLiteral("Impossibile salvare l'immagine \"%1\".")
                 .arg(QDir::toNativeSeparators(path)));
}

void LightCurveWindow::warn(const QString &text)
{
    m_services.messages.show(Title, MessageIcon::Warning, text);
}
