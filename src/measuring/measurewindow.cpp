#include "measurewindow.h"

#include "ui/fixeddialog.h"
#include "imageview.h"
#include "serieswindow.h"
#include "transformpanel.h"
#include "aavso/bands.h"
#include "aavso/imagemeasurement.h"
#include "aavso/sequence.h"
#include "core/names.h"
#include "core/numberrules.h"
#include "core/skyposition.h"
#include "measurement/seriestable.h"
#include "imaging/stretch.h"
#include "photometry/magnitude.h"
#include "skytime/label.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>
#include <cmath>
#include <limits>

using Imaging::Role;
using Imaging::RoleCount;

namespace {

const QString Title = QStringLiteral("Misura su immagine");
const QString OpenTitle = QStringLiteral("Apri immagine");
const QString FitsFiles = QStringLiteral("Immagini FITS (*.fits *.fit *.fts *.fz);;Tutti i file (*)");

const QString FolderKey = QStringLiteral("measure/folder");
const QString SequenceFolderKey = QStringLiteral("measure/sequenceFolder");
const QString SiteKey = QStringLiteral("measure/site");

const QString Description = QStringLiteral("%1: %2 × %3 pixel, posa %4 s, filtro %5, %6 UTC (JD medio %7)");
const QString FirstPlaneOnly = QStringLiteral(" (solo il primo piano del cubo)");
const QString NoImage = QStringLiteral("Nessuna immagine: aprirne una con \"Apri immagine...\".");
const QString Unknown = QStringLiteral("?");
const QString PixelValue = QStringLiteral("x %1 y %2: %3");
const QString PixelSky = QStringLiteral(" · α %1 δ %2");
const QString InvalidPixel = QStringLiteral("non valido");
const QString NotPlaced = QStringLiteral("%1 non posizionata. %2.");
const QString OpenFirst = QStringLiteral("Aprire prima un'immagine.");
const QString PlaceFirst = QStringLiteral(
    "Misura serie: indicare prima le stelle su questa immagine, che fa da modello per le altre. %1");
const QString CheckFirst = QStringLiteral(
    "Misura serie: la stella di controllo non si può misurare su questa immagine. Indicarla di nuovo "
    "o toglierla.");
const QString BadPosition = QStringLiteral("Posizione: scrivere x e y in pixel FITS, per esempio \"512.3 640.8\".");
const QString NoFwhm = QStringLiteral("Nessuna stella misurata da cui prendere la FWHM.");
const QString Saturated = QStringLiteral("saturata");
const QString NoSaturation = QStringLiteral("nessuna");
const QString CheckWithCatalogue = QStringLiteral("%1 (catalogo %2, differenza %3)");
const QString Written = QStringLiteral("Scritti nel foglio: conteggi di C1, C2, C3 e variabile");
const QString WrittenDate = QStringLiteral(", data e JD");
const QString WrittenFilter = QStringLiteral(", filtro %1");

const QStringList Columns = {QStringLiteral("x"),           QStringLiteral("y"),
                             QStringLiteral("FWHM"),        QStringLiteral("Netto (ADU)"),
                             QStringLiteral("Cielo/pixel"), QStringLiteral("S/N"),
                             QStringLiteral("Errore mag."), QStringLiteral("Picco"),
                             QStringLiteral("Magnitudine"), QStringLiteral("Note")};
enum Column { X, Y, Fwhm, Net, SkyLevel, SignalToNoise, MagnitudeError, Peak, Magnitude, Note };

// %1 of the catalogue's column: the band.
const QStringList SequenceColumns = {QStringLiteral("Etichetta"), QStringLiteral("AUID"),
                                     QStringLiteral("Catalogo %1"), QStringLiteral("Misurata"),
                                     QStringLiteral("Differenza"), QStringLiteral("Note")};
enum SequenceColumn { StarLabel, StarAuid, CatalogueMagnitude, MeasuredMagnitude, Difference, Reason };
const QColor SequenceStarColour(120, 230, 120);
const char *const CatalogueFields[3] = {Field::MagnitudeC1, Field::MagnitudeC2, Field::MagnitudeC3};

// Each role's colour on the picture, by Role; refused stars are red.
const QColor RoleColours[RoleCount] = {QColor(255, 215, 0), QColor(0, 220, 255),
                                       QColor(0, 220, 255), QColor(0, 220, 255),
                                       QColor(255, 110, 255)};
const QColor Problem(230, 30, 30);

constexpr double DefaultRadii[3] = {6, 10, 15};
constexpr double FwhmMultiples[3] = {2, 3, 5};
constexpr double SmallestRadius = 0.5;
constexpr double LargestRadius = 500;
constexpr double NarrowestAnnulus = 1; // pixels between the annulus's edges
constexpr int SideWidth = 430; // wide enough for the sequence's table

QString shown(double value, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

QString signedShown(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale + 0.0; // no "-0.000"
    return (rounded >= 0 ? QStringLiteral("+") : QString()) + shown(rounded, decimals);
}

const char *const RoleButtons[RoleCount] = {"optVariabile", "optC1", "optC2", "optC3", "optControllo"};

// The positive number in the box (zero too when `zeroAllowed`); none otherwise.
std::optional<double> boxValue(const QLineEdit *box, bool zeroAllowed)
{
    const std::optional<double> value = NumberRules::readTyped(box->text());
    if (!value || *value < 0 || (*value == 0 && !zeroAllowed))
        return std::nullopt;
    return value;
}

QLabel *captioned(const QString &caption, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}


QDoubleSpinBox *radiusBox(const char *name, double value, QWidget *parent)
{
    auto *box = named(new QDoubleSpinBox(parent), name);
    box->setRange(SmallestRadius, LargestRadius);
    box->setDecimals(2);
    box->setSingleStep(0.5);
    box->setValue(value);
    box->setKeyboardTracking(false); // once the number is typed, not at every digit
    return box;
}

} // namespace

MeasureWindow::MeasureWindow(const Context &context, QWidget *parent)
    : QWidget(parent, Qt::Window), m_context(context), m_series(m_context, *this)
{
    setUpToolWindow(*this, QStringLiteral("Form5"), Title);
    buildControls();
    resize(1180, 820);
    refresh();
}

MeasureWindow::~MeasureWindow() = default;

void MeasureWindow::buildControls()
{
    auto *open = named(new QPushButton(QStringLiteral("Apri immagine..."), this), "cmdApri");
    connect(open, &QPushButton::clicked, this, &MeasureWindow::openImage);
    m_description = named(new QLabel(NoImage, this), "lblImmagine");
    m_description->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_description->setWordWrap(true); // with the airmass and the HJD it outgrows the row
    auto *sequence = named(new QPushButton(QStringLiteral("Sequenza..."), this), "cmdSequenza");
    connect(sequence, &QPushButton::clicked, this, &MeasureWindow::openSequence);
    auto *series = named(new QPushButton(QStringLiteral("Misura serie..."), this), "cmdSerie");
    connect(series, &QPushButton::clicked, this, &MeasureWindow::measureSeries);
    auto *top = new QHBoxLayout;
    top->addWidget(open);
    top->addWidget(sequence);
    top->addWidget(series);
    top->addWidget(m_description, 1);

    m_view = named(new ImageView(this), "immagine");
    connect(m_view, &ImageView::clicked, this, &MeasureWindow::place);
    connect(m_view, &ImageView::pointed, this, &MeasureWindow::showPixel);
    m_pixel = named(new QLabel(this), "lblPixel");
    auto *picture = new QVBoxLayout;
    picture->addWidget(m_view, 1);
    picture->addWidget(m_pixel);
    QWidget *panel = buildPanel();
    m_sequenceSummary = named(new QLabel(NoSequence, this), "lblSequenza");
    m_sequenceSummary->setWordWrap(true);
    m_sequenceTable = named(new QTableWidget(0, int(SequenceColumns.size()), this), "tblSequenza");
    m_sequenceTable->setHorizontalHeaderLabels(SequenceColumns);
    m_sequenceTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sequenceTable->setSelectionMode(QAbstractItemView::NoSelection);
    m_sequenceTable->verticalHeader()->hide();
    m_sequenceTable->verticalHeader()->setDefaultSectionSize(m_sequenceTable->fontMetrics().height() + 6);
    m_sequenceTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_sequenceTable->horizontalHeader()->setSectionResizeMode(Reason, QHeaderView::Stretch);
    auto *side = new QVBoxLayout;
    side->addWidget(panel);
    side->addWidget(m_sequenceSummary);
    side->addWidget(m_sequenceTable, 1);
    m_transform = new TransformPanel(m_context, this);
    side->addWidget(m_transform);
    auto *middle = new QHBoxLayout;
    middle->addLayout(picture, 1);
    middle->addLayout(side);

    buildTable();
    auto *toSheet = named(new QPushButton(QStringLiteral("Al foglio"), this), "cmdFoglio");
    connect(toSheet, &QPushButton::clicked, this, &MeasureWindow::toSheet);
    m_status = named(new QLabel(this), "lblStato");
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(toSheet, 0, Qt::AlignTop);
    bottom->addWidget(m_status, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addWidget(m_table);
    layout->addLayout(bottom);
}

QWidget *MeasureWindow::buildPanel()
{
    auto *panel = new QWidget(this);
    auto *form = new QFormLayout(panel);
    form->setContentsMargins(0, 0, 0, 0);

    m_roles = new QButtonGroup(this);
    auto *roles = new QVBoxLayout;
    for (int role = 0; role < RoleCount; ++role) {
        auto *button = named(new QRadioButton(Imaging::roleName(Role(role)), panel), RoleButtons[role]);
        m_roles->addButton(button, role);
        roles->addWidget(button);
    }
    m_roles->button(int(Role::Variable))->setChecked(true);
    form->addRow(new QLabel(QStringLiteral("Stella da indicare:"), panel), roles);

    m_position = named(new QLineEdit(panel), "txtPosizione");
    m_position->setPlaceholderText(QStringLiteral("x y"));
    connect(m_position, &QLineEdit::returnPressed, this, &MeasureWindow::placeTyped);
    form->addRow(captioned(QStringLiteral("Posizione (x y):"), m_position, panel), m_position);

    m_radius = radiusBox("spnApertura", DefaultRadii[0], panel);
    m_innerRadius = radiusBox("spnCieloDa", DefaultRadii[1], panel);
    m_outerRadius = radiusBox("spnCieloA", DefaultRadii[2], panel);
    for (QDoubleSpinBox *box : {m_radius, m_innerRadius, m_outerRadius})
        connect(box, &QDoubleSpinBox::valueChanged, this, &MeasureWindow::radiiChanged);
    auto *fromFwhm = named(new QPushButton(QStringLiteral("Da FWHM"), panel), "cmdFwhm");
    connect(fromFwhm, &QPushButton::clicked, this, &MeasureWindow::radiiFromFwhm);
    form->addRow(captioned(QStringLiteral("Apertura:"), m_radius, panel), m_radius);
    auto *sky = new QHBoxLayout;
    sky->addWidget(m_innerRadius);
    sky->addWidget(captioned(QStringLiteral("a"), m_outerRadius, panel));
    sky->addWidget(m_outerRadius);
    form->addRow(captioned(QStringLiteral("Cielo da:"), m_innerRadius, panel), sky);
    form->addRow(QString(), fromFwhm);

    m_gain = named(new QLineEdit(NumberRules::write(m_detector.gain), panel), "txtGuadagno");
    m_readNoise = named(new QLineEdit(NumberRules::write(m_detector.readNoise), panel), "txtRumore");
    m_saturation = named(new QLineEdit(panel), "txtSaturazione");
    m_saturation->setPlaceholderText(NoSaturation);
    m_gain->setAccessibleName(QStringLiteral("Guadagno"));
    m_readNoise->setAccessibleName(QStringLiteral("Rumore di lettura"));
    m_saturation->setAccessibleName(QStringLiteral("Saturazione"));
    for (QLineEdit *box : {m_gain, m_readNoise, m_saturation})
        connect(box, &QLineEdit::editingFinished, this, &MeasureWindow::detectorEdited);
    form->addRow(captioned(QStringLiteral("Guadagno (e-/ADU):"), m_gain, panel), m_gain);
    form->addRow(captioned(QStringLiteral("Rumore di lettura (e-):"), m_readNoise, panel), m_readNoise);
    form->addRow(captioned(QStringLiteral("Saturazione (ADU):"), m_saturation, panel), m_saturation);
    m_site = named(new QLineEdit(panel), "txtSito");
    m_site->setPlaceholderText(QStringLiteral("45.46 9.19 120"));
    m_site->setAccessibleName(SkyTime::Reason::SiteBox);
    m_site->setText(m_context.settings.value(SiteKey));
    m_typedSite = SkyTime::parseTypedSite(m_site->text()).value;
    connect(m_site, &QLineEdit::editingFinished, this, &MeasureWindow::siteEdited);
    form->addRow(captioned(SkyTime::Reason::SiteBox, m_site, panel), m_site);

    Settings &settings = m_context.settings;
    m_chart = named(new QLineEdit(settings.value(Aavso::ChartKey), panel), "txtCarta");
    connect(m_chart, &QLineEdit::textChanged, this,
            [&settings](const QString &text) { settings.setValue(Aavso::ChartKey, text); });
    m_checkName = named(new QLineEdit(settings.value(Aavso::CheckNameKey), panel), "txtNomeControllo");
    connect(m_checkName, &QLineEdit::textChanged, this,
            [&settings](const QString &text) { settings.setValue(Aavso::CheckNameKey, text); });
    m_checkCatalogue = named(new QLineEdit(panel), "txtMagControllo");
    keepToNumbers(*m_checkCatalogue, QStringLiteral("Mag. catalogo controllo"), true,
                  [this](const QString &refusal) { m_status->setText(refusal); });
    connect(m_checkCatalogue, &QLineEdit::textChanged, this, &MeasureWindow::refresh);
    form->addRow(captioned(Aavso::ChartBox, m_chart, panel), m_chart);
    form->addRow(captioned(Aavso::CheckNameBox, m_checkName, panel), m_checkName);
    form->addRow(captioned(QStringLiteral("Mag. catalogo controllo:"), m_checkCatalogue, panel),
                 m_checkCatalogue);
    panel->setFixedWidth(std::max(panel->sizeHint().width() + 40, SideWidth));
    return panel;
}

void MeasureWindow::buildTable()
{
    m_table = named(new QTableWidget(RoleCount, int(Columns.size()), this), "tblStelle");
    m_table->setHorizontalHeaderLabels(Columns);
    QStringList roles;
    for (int role = 0; role < RoleCount; ++role)
        roles << Imaging::roleName(Role(role));
    m_table->setVerticalHeaderLabels(roles);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int row = 0; row < RoleCount; ++row) {
        for (int column = 0; column < int(Columns.size()); ++column) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(column == Note ? Qt::AlignLeft | Qt::AlignVCenter
                                                  : Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, column, item);
        }
    }
    m_table->resizeRowsToContents();
    m_table->setFixedHeight(m_table->horizontalHeader()->sizeHint().height()
                            + RoleCount * m_table->verticalHeader()->sectionSize(0) + 4);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void MeasureWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
}

void MeasureWindow::openImage()
{
    const QString path =
        m_context.dialogs.openFile(OpenTitle, m_context.settings.value(FolderKey), FitsFiles);
    if (path.isEmpty())
        return;
    m_context.settings.setValue(FolderKey, QFileInfo(path).absolutePath());
    // A 4096 x 4096 frame loads and stretches in a few tenths of a second:
    // not worth a thread, which the window would then have to wait for.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Imaging::FitsLoad load = Imaging::loadFits(path);
    QApplication::restoreOverrideCursor();
    if (!load.image) {
        warn(load.problem);
        return;
    }
    showImage(std::move(*load.image), path);
}

void MeasureWindow::showImage(Imaging::FitsImage image, const QString &path)
{
    const Imaging::ImageHeader &header = image.header;
    if (header.gain) {
        m_detector.gain = *header.gain;
        m_gain->setText(NumberRules::write(*header.gain));
    }
    if (header.readNoise) {
        m_detector.readNoise = *header.readNoise;
        m_readNoise->setText(NumberRules::write(*header.readNoise));
    }
    m_saturation->setText(std::isfinite(image.saturation) ? NumberRules::write(image.saturation)
                                                          : QString());

    const std::vector<quint8> grey = Imaging::displayPicture(image, Imaging::stretchLimits(image));
    QImage picture(grey.data(), image.width, image.height, image.width, QImage::Format_Grayscale8);
    m_view->setPicture(picture); // copies it, flipped
    m_frame = Imaging::SkyFrame::read(image.headerCards, image.width, image.height).frame;
    m_image = std::move(image);
    describeImage(path);
    m_status->clear();
    remeasure(); // the stars placed on the last image, found again on this one
    laySequence();
    if (const QString problem = showSky(); !problem.isEmpty())
        m_status->setText(QStringList{m_status->text(), problem}.join(QLatin1Char(' ')).trimmed());
}

void MeasureWindow::describeImage(const QString &path)
{
    const Imaging::ImageHeader &h = m_image->header;
    QString text = Description.arg(
        QFileInfo(path).fileName(), QString::number(m_image->width), QString::number(m_image->height),
        h.exposure ? QLocale().toString(*h.exposure) : Unknown, h.filter.isEmpty() ? Unknown : h.filter,
        h.start ? h.start->toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) : Unknown,
        h.julianDate ? Measurement::sheetJulianDate(*h.julianDate) : Unknown);
    if (m_image->firstPlaneOnly)
        text += FirstPlaneOnly;
    m_imageText = text;
    showSky();
}

Role MeasureWindow::currentRole() const
{
    return Role(m_roles->checkedId());
}

Imaging::Aperture MeasureWindow::aperture() const
{
    return {m_radius->value(), m_innerRadius->value(), m_outerRadius->value()};
}

void MeasureWindow::place(const QPointF &imagePoint)
{
    if (!m_image) {
        m_status->setText(OpenFirst);
        return;
    }
    const Role role = currentRole();
    const Imaging::StarMeasurement star =
        Imaging::measureStar(*m_image, imagePoint.x(), imagePoint.y(), aperture(), m_detector);
    if (star.refusal != Imaging::Refusal::None) {
        // Where the role's star was placed before, it stays.
        m_status->setText(NotPlaced.arg(Imaging::roleName(role), Imaging::refusalText(star.refusal)));
        return;
    }
    m_status->clear();
    setRole(role, star);
    m_roles->button((int(role) + 1) % RoleCount)->setChecked(true);
    refresh();
}

void MeasureWindow::placeTyped()
{
    const QStringList parts =
        m_position->text().split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts);
    double fits[2];
    bool ok = parts.size() == 2;
    for (int i = 0; ok && i < 2; ++i)
        if (const std::optional<double> typed = NumberRules::readTyped(parts[i]))
            fits[i] = *typed;
        else
            ok = false;
    if (!ok) {
        m_status->setText(BadPosition);
        return;
    }
    place(QPointF(Imaging::fromFits(fits[0]), Imaging::fromFits(fits[1])));
}

void MeasureWindow::radiiChanged()
{
    {
        // The annulus lies outside the aperture and has a width.
        const QSignalBlocker inner(m_innerRadius), outer(m_outerRadius);
        m_innerRadius->setMinimum(m_radius->value());
        m_outerRadius->setMinimum(m_innerRadius->value() + NarrowestAnnulus);
    }
    remeasure();
}

void MeasureWindow::radiiFromFwhm()
{
    double sum = 0;
    int count = 0;
    for (const auto &star : m_measured) {
        if (star && star->refusal == Imaging::Refusal::None && star->fwhm > 0) {
            sum += star->fwhm;
            ++count;
        }
    }
    if (count == 0) {
        m_status->setText(NoFwhm);
        return;
    }
    const double fwhm = sum / count;
    {
        const QSignalBlocker a(m_radius), b(m_innerRadius), c(m_outerRadius);
        m_innerRadius->setMinimum(SmallestRadius);
        m_outerRadius->setMinimum(SmallestRadius);
        m_radius->setValue(FwhmMultiples[0] * fwhm);
        m_innerRadius->setValue(FwhmMultiples[1] * fwhm);
        m_outerRadius->setValue(FwhmMultiples[2] * fwhm);
    }
    radiiChanged();
}

void MeasureWindow::detectorEdited()
{
    const std::optional<double> gain = boxValue(m_gain, false);
    const std::optional<double> noise = boxValue(m_readNoise, true);
    // An empty box: no level counts as saturated.
    const std::optional<double> saturation = m_saturation->text().trimmed().isEmpty()
        ? std::numeric_limits<double>::infinity()
        : boxValue(m_saturation, false);
    QStringList refused;
    const auto keep = [&refused](QLineEdit *box, const QString &kept) {
        refused << RefusedNumber.arg(box->accessibleName(), kept.isEmpty() ? NoSaturation : kept);
        box->setText(kept);
    };
    if (gain)
        m_detector.gain = *gain;
    else
        keep(m_gain, NumberRules::write(m_detector.gain));
    if (noise)
        m_detector.readNoise = *noise;
    else
        keep(m_readNoise, NumberRules::write(m_detector.readNoise));
    // Without an image, the next one's header gives the level.
    if (m_image && saturation)
        m_image->saturation = *saturation;
    else if (!saturation)
        keep(m_saturation, m_image && std::isfinite(m_image->saturation) ? NumberRules::write(m_image->saturation)
                                                                        : QString());
    m_status->setText(refused.join(QLatin1Char(' ')));
    remeasure();
}

void MeasureWindow::remeasure()
{
    if (m_image) {
        for (int role = 0; role < RoleCount; ++role) {
            std::optional<QPointF> &at = m_positions[std::size_t(role)];
            if (!at)
                continue;
            const Imaging::StarMeasurement star =
                Imaging::measureStar(*m_image, at->x(), at->y(), aperture(), m_detector);
            // A star not found keeps its place, to be looked for on the next image.
            if (star.refusal == Imaging::Refusal::None)
                at = QPointF(star.x, star.y);
            m_measured[std::size_t(role)] = star;
        }
    }
    refresh();
}

void MeasureWindow::refresh()
{
    QList<ImageView::Marker> markers;
    for (int role = 0; role < RoleCount; ++role) {
        fillRow(Role(role));
        QString header = Imaging::roleName(Role(role));
        if (const auto &star = m_sequenceStar[std::size_t(role)])
            header += QLatin1Char(' ') + m_sequence->stars[*star].label;
        m_table->verticalHeaderItem(role)->setText(header);
        const auto &star = m_measured[std::size_t(role)];
        if (const auto &at = m_positions[std::size_t(role)]) {
            const bool problem = star->refusal != Imaging::Refusal::None || star->saturated;
            markers << ImageView::Marker{*at, Imaging::roleName(Role(role)),
                                         problem ? Problem : RoleColours[role]};
        }
    }
    m_view->setMarkers(markers, m_radius->value(), m_innerRadius->value(), m_outerRadius->value());
    showSky(); // the variable placed is the target
}

void MeasureWindow::fillRow(Role role)
{
    const int row = int(role);
    const auto &star = m_measured[std::size_t(role)];
    const auto &at = m_positions[std::size_t(role)];
    QStringList cells(int(Columns.size()));
    bool problem = false;
    if (at) {
        cells[X] = shown(Imaging::toFits(at->x()), 2);
        cells[Y] = shown(Imaging::toFits(at->y()), 2);
    }
    if (star && star->refusal != Imaging::Refusal::None) {
        cells[Note] = Imaging::refusalText(star->refusal);
        problem = true;
    } else if (star) {
        cells[Fwhm] = shown(star->fwhm, 2);
        cells[Net] = shown(star->net, 1);
        cells[SkyLevel] = shown(star->sky.level, 1);
        cells[SignalToNoise] = shown(star->signalToNoise, 1);
        cells[MagnitudeError] = shown(star->magnitudeError, 3);
        cells[Peak] = shown(star->peak, 0);
        if (star->saturated) {
            cells[Note] = Saturated;
            problem = true;
        }
    }
    QString checkProblem;
    if (role == Role::Check && star && star->refusal == Imaging::Refusal::None) {
        const Photometry::CheckMagnitude check = Measurement::checkMagnitude(m_measured, m_context.sheet);
        checkProblem = check.problem;
        if (check.value) {
            cells[Magnitude] = shown(*check.value, 3);
            if (const std::optional<double> catalogue = boxValue(m_checkCatalogue, true)) {
                const double difference = *check.value - *catalogue;
                cells[Magnitude] = CheckWithCatalogue.arg(
                    cells[Magnitude], shown(*catalogue, 3),
                    signedShown(difference, 3));
            }
        } else if (!check.problem.isEmpty()) {
            cells[Magnitude] = Unknown;
        }
    }
    for (int column = 0; column < int(Columns.size()); ++column) {
        QTableWidgetItem *item = m_table->item(row, column);
        item->setText(cells[column]);
        item->setForeground(column == Note && problem ? QBrush(Problem) : QBrush());
    }
    m_table->item(row, Magnitude)->setToolTip(checkProblem);
}

void MeasureWindow::toSheet()
{
    const Imaging::ImageHeader header = m_image ? m_image->header : Imaging::ImageHeader();
    const QString filter = Aavso::Bands::fitsFilterCode(header.filter);
    const Measurement::SheetEntry entry = Measurement::sheetEntry(m_measured, header, filter);
    if (!entry.problem.isEmpty()) {
        warn(entry.problem);
        return;
    }
    for (const auto &[field, text] : entry.fields)
        m_context.sheet.setText(field, text);
    sequenceToSheet();

    // A saturated check star's magnitude would mislead whoever reads the record.
    const auto &check = m_measured[std::size_t(Role::Check)];
    const bool checkUsable = check && !check->saturated && check->refusal == Imaging::Refusal::None;
    const Aavso::ImageMeasurement image = Aavso::imageMeasurement(
        entry.counts, checkUsable ? std::optional(check->net) : std::nullopt,
        Measurement::usedAirmass(header, m_sky), m_checkName->text(), m_chart->text());
    Aavso::remember(m_context.settings, image);
    keepForTransform(image);

    QString status = Written;
    if (header.julianDate)
        status += WrittenDate;
    if (!filter.isEmpty())
        status += WrittenFilter.arg(filter);
    m_status->setText(QStringList(QStringList{status + QLatin1Char('.')} + entry.notes).join(QLatin1Char(' ')));
    refresh();
}

void MeasureWindow::measureSeries()
{
    if (m_series.running())
        return; // one series at a time
    if (!m_image) {
        m_status->setText(OpenFirst);
        return;
    }
    // The same stars "Al foglio" needs, measured here; a check star placed must be measurable too.
    const Measurement::SheetEntry entry = Measurement::sheetEntry(m_measured, m_image->header, QString());
    if (!entry.problem.isEmpty()) {
        warn(PlaceFirst.arg(entry.problem));
        return;
    }
    const auto &check = m_measured[std::size_t(Role::Check)];
    if (check && check->refusal != Imaging::Refusal::None) {
        warn(CheckFirst);
        return;
    }
    const Sheet &sheet = m_context.sheet;
    for (const char *field : {Field::MagnitudeC1, Field::MagnitudeC2, Field::MagnitudeC3}) {
        if (sheet.text(QLatin1String(field)).trimmed().isEmpty()) {
            warn(Photometry::MagnitudeWarning);
            return;
        }
    }
    const QStringList paths = m_context.dialogs.openFiles(SeriesLaunch::Title, m_context.settings.value(FolderKey), FitsFiles);
    if (paths.isEmpty())
        return;
    m_context.settings.setValue(FolderKey, QFileInfo(paths.first()).absolutePath());

    Imaging::SeriesTemplate placed{{}, aperture(), m_detector, 0, {}};
    for (int role = 0; role < RoleCount; ++role) {
        if (m_measured[std::size_t(role)])
            placed.positions[std::size_t(role)] = m_positions[std::size_t(role)];
    }
    placed.comparisonNet = Imaging::comparisonNet(m_measured);
    // With a sequence the stars are where the sky says on every image that has a WCS.
    if (m_sequence && m_frame) {
        bool everyStar = true;
        for (std::size_t role = 0; role < placed.sky.size(); ++role) {
            if (const auto &at = placed.positions[role]) {
                placed.sky[role] = m_frame->toSky(*at);
                everyStar = everyStar && placed.sky[role];
            }
        }
        if (!everyStar)
            placed.sky = {};
    }

    m_series.start(paths, placed, m_checkName->text(), m_chart->text(), skyHints());
}

void MeasureWindow::showPixel(const QPointF &imagePoint, bool inside)
{
    if (!inside || !m_image) {
        m_pixel->clear();
        return;
    }
    const int x = int(std::lround(imagePoint.x())), y = int(std::lround(imagePoint.y()));
    if (!m_image->contains(x, y)) {
        m_pixel->clear();
        return;
    }
    const float value = m_image->at(x, y);
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = PixelValue.arg(QString::number(x + 1), QString::number(y + 1),
                                  std::isnan(value) ? InvalidPixel : locale.toString(value, 'g', 7));
    if (m_frame) {
        if (const std::optional<Sky::Position> sky = m_frame->toSky(imagePoint))
            text += PixelSky.arg(Sky::formatRightAscension(sky->ra), Sky::formatDeclination(sky->dec));
    }
    m_pixel->setText(text);
}

void MeasureWindow::openSequence()
{
    const QString path = m_context.dialogs.openFile(SequenceTitle, m_context.settings.value(SequenceFolderKey),
                                                    SequenceFiles);
    if (path.isEmpty())
        return;
    m_context.settings.setValue(SequenceFolderKey, QFileInfo(path).absolutePath());
    Aavso::SequenceRead read = Aavso::readSequence(path);
    if (!read.sequence) {
        warn(read.problem); // the sequence shown stays
        return;
    }
    m_sequence = std::move(read.sequence);
    m_status->clear();
    laySequence();
}

// Places the variable and the chosen comparison and check stars as clicks
// on them would; a role the sequence cannot fill stays where it was.
void MeasureWindow::laySequence()
{
    m_field = {};
    m_sequenceStar = {};
    if (m_sequence && m_image && !m_frame)
        m_status->setText(NoSkyCoordinates);
    if (m_sequence && m_image && m_frame) {
        Aavso::Sequence sequence = *m_sequence;
        // A CSV table does not say where the variable is: where it was placed, then.
        const auto &variable = m_positions[std::size_t(Role::Variable)];
        if (!sequence.variablePosition && variable)
            sequence.variablePosition = m_frame->toSky(*variable);
        const auto measure = [this](double x, double y) {
            return Imaging::measureStar(*m_image, x, y, aperture(), m_detector);
        };
        m_field = Measurement::placeSequence(sequence, filterCode(), *m_frame, m_image->width, m_image->height,
                                             measure);
        if (m_field.variable && m_field.variable->refusal == Imaging::Refusal::None)
            setRole(Role::Variable, *m_field.variable);
        for (std::size_t i = 0; i < m_field.chosen.size(); ++i) {
            if (const auto &row = m_field.chosen[i])
                setRole(Role(int(i) + 1), *m_field.rows[*row].measurement);
        }
    }
    showSequence();
    refresh();
}

void MeasureWindow::setRole(Role role, const Imaging::StarMeasurement &star)
{
    const QPointF centre(star.x, star.y);
    m_positions[std::size_t(role)] = centre;
    m_measured[std::size_t(role)] = star;
    m_sequenceStar[std::size_t(role)] = sequenceStarAt(centre);
}

// The sequence star within the aperture of `centre`, the nearest if several.
std::optional<std::size_t> MeasureWindow::sequenceStarAt(const QPointF &centre) const
{
    std::optional<std::size_t> nearest;
    double nearestDistance = m_radius->value();
    for (const Measurement::FieldStar &row : m_field.rows) {
        if (!row.pixel)
            continue;
        const double distance = std::hypot(row.pixel->x() - centre.x(), row.pixel->y() - centre.y());
        if (distance <= nearestDistance) {
            nearest = row.star;
            nearestDistance = distance;
        }
    }
    return nearest;
}

const Aavso::SequenceMagnitude *MeasureWindow::catalogueOf(Role role) const
{
    const auto &star = m_sequenceStar[std::size_t(role)];
    return star ? Aavso::magnitudeFor(m_sequence->stars[*star], filterCode()) : nullptr;
}

// The image's band, or the sheet's when the header names none.
QString MeasureWindow::filterCode() const
{
    const QString code = m_image ? Aavso::Bands::fitsFilterCode(m_image->header.filter) : QString();
    return code.isEmpty() ? m_context.sheet.text(QLatin1String(Field::Filter)).trimmed() : code;
}

void MeasureWindow::showSequence()
{
    const QString band = Aavso::Bands::sequenceBands(filterCode()).value(0, filterCode());
    m_sequenceTable->setHorizontalHeaderItem(CatalogueMagnitude,
                                             new QTableWidgetItem(SequenceColumns[CatalogueMagnitude].arg(band)));
    QList<ImageView::Marker> labels;
    m_sequenceTable->setRowCount(0);
    for (const Measurement::FieldStar &row : m_field.rows) {
        if (!row.pixel)
            continue;
        const Aavso::SequenceStar &star = m_sequence->stars[row.star];
        labels << ImageView::Marker{*row.pixel, star.label, SequenceStarColour};
        QStringList cells(int(SequenceColumns.size()));
        cells[StarLabel] = star.label;
        cells[StarAuid] = star.auid;
        if (row.catalogue)
            cells[CatalogueMagnitude] = shown(row.catalogue->magnitude, 3);
        if (row.measured)
            cells[MeasuredMagnitude] = shown(*row.measured, 3);
        if (row.difference)
            cells[Difference] = signedShown(*row.difference, 3);
        cells[Reason] = row.discordant ? Discordant : row.reason;
        const int at = m_sequenceTable->rowCount();
        m_sequenceTable->insertRow(at);
        for (int column = 0; column < int(SequenceColumns.size()); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            const bool text = column == StarLabel || column == StarAuid || column == Reason;
            item->setTextAlignment(text ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (column == Reason && row.discordant)
                item->setForeground(Problem);
            m_sequenceTable->setItem(at, column, item);
        }
    }
    m_view->setStarLabels(labels);
    m_sequenceSummary->setText(m_sequence ? SequenceSummary.arg(m_sequence->chartId)
                                                .arg(m_sequence->stars.size())
                                                .arg(labels.size())
                                          : NoSequence);
}

// What the sequence says of the placed stars, into the sheet and the boxes
// the AAVSO record reads.
void MeasureWindow::sequenceToSheet()
{
    if (!m_sequence)
        return;
    for (int i = 0; i < 3; ++i) {
        if (const Aavso::SequenceMagnitude *magnitude = catalogueOf(Role(i + 1)))
            m_context.sheet.setText(QLatin1String(CatalogueFields[i]), NumberRules::write(magnitude->magnitude));
    }
    m_chart->setText(m_sequence->chartId);
    if (const auto &check = m_sequenceStar[std::size_t(Role::Check)]) {
        const Aavso::SequenceStar &star = m_sequence->stars[*check];
        m_checkName->setText(star.auid.isEmpty() ? star.label : star.auid);
        const Aavso::SequenceMagnitude *magnitude = catalogueOf(Role::Check);
        m_checkCatalogue->setText(magnitude ? NumberRules::write(magnitude->magnitude) : QString());
    }
    const QString object = QLatin1String(Field::Object);
    if (m_context.sheet.text(object).trimmed().isEmpty())
        m_context.sheet.setText(object, m_sequence->variable.isEmpty() && m_image ? m_image->header.object
                                                                                   : m_sequence->variable);
}

void MeasureWindow::warn(const QString &text)
{
    m_context.messages.show(Title, MessageIcon::Warning, text);
}

// An image whose comparison stars are the sequence's, kept as its filter's
// last for the transformation.
void MeasureWindow::keepForTransform(const Aavso::ImageMeasurement &image)
{
    if (!m_sequence || !m_image || !m_image->header.julianDate)
        return;
    Transform::BandMeasurement band{filterCode(), m_sequence->chartId, {}, {},
                                    Measurement::sheetJulianDate(*m_image->header.julianDate), image};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto &star = m_sequenceStar[i + 1];
        const Aavso::SequenceMagnitude *catalogue = catalogueOf(Role(i + 1));
        if (!star || !catalogue)
            return;
        band.comparisons[i] = m_sequence->stars[*star].auid;
        band.input.comparisonCounts[i] = m_measured[i + 1]->net;
        band.input.comparisonMagnitudes[i] = catalogue->magnitude;
    }
    const auto measured = [](const std::optional<Imaging::StarMeasurement> &star) {
        return star ? Transform::Measured{star->net, star->magnitudeError} : Transform::Measured{};
    };
    band.input.variable = measured(m_measured[std::size_t(Role::Variable)]);
    band.input.check = image.checkCounts.isEmpty() ? Transform::Measured{} : measured(m_measured[std::size_t(Role::Check)]);
    if (const Aavso::SequenceMagnitude *check = catalogueOf(Role::Check))
        band.input.checkMagnitude = check->magnitude;
    m_transform->measured(band);
}

void MeasureWindow::siteEdited()
{
    if (m_site->text().trimmed() == m_context.settings.value(SiteKey))
        return; // left without a change
    const SkyTime::Outcome<SkyTime::Site> typed = SkyTime::parseTypedSite(m_site->text());
    if (!typed.problem.isEmpty()) {
        // Refused: the site accepted last stays, in the box too.
        m_site->setText(m_context.settings.value(SiteKey));
        m_status->setText(typed.problem);
        return;
    }
    m_typedSite = typed.value;
    m_context.settings.setValue(SiteKey, m_site->text().trimmed());
    m_status->setText(showSky());
}

Measurement::SkyHints MeasureWindow::skyHints() const
{
    Measurement::SkyHints hints{m_typedSite, std::nullopt};
    std::optional<Sky::Position> variable;
    if (const auto &at = m_positions[std::size_t(Role::Variable)]; at && m_frame)
        variable = m_frame->toSky(*at);
    if (!variable && m_sequence)
        variable = m_sequence->variablePosition;
    if (variable)
        hints.variable = SkyTime::Target{variable->ra, variable->dec};
    return hints;
}

QString MeasureWindow::showSky()
{
    m_sky.reset();
    if (!m_image)
        return QString();
    const Imaging::ImageHeader &header = m_image->header;
    const SkyTime::Outcome<Measurement::SkyPlace> place = Measurement::skyPlace(header, skyHints());
    SkyTime::Outcome<SkyTime::Sky> sky{std::nullopt, place.problem};
    if (place.value)
        sky = Measurement::exposureSky(*place.value, header);
    m_sky = sky.value;
    const bool reversed = place.value && place.value->longitudeReversed;
    m_description->setText(m_imageText
                           + SkyTime::airmassLabel(header.airmass, m_sky ? m_sky->airmass : std::nullopt, reversed)
                           + SkyTime::hjdLabel(m_sky ? std::optional(m_sky->hjd) : std::nullopt));
    return sky.value ? QString() : Measurement::SkyNote::NotComputed.arg(sky.problem);
}
