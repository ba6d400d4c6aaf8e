#include "measurewindow.h"

#include "ui/fixeddialog.h"
#include "calibrationwindow.h"
#include "imageview.h"
#include "serieswindow.h"
#include "transformpanel.h"
#include "sequencedialog.h"
#include "aavsoweb/downloads.h"
#include "aavso/bands.h"
#include "aavso/imagemeasurement.h"
#include "aavso/sequence.h"
#include "core/names.h"
#include "core/numberrules.h"
#include "core/skyposition.h"
#include "measurement/seriestable.h"
#include "imaging/stretch.h"
#include "photometry/magnitude.h"
#include "measurement/skylabel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
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

const QString NoImage = QStringLiteral("Nessuna immagine: aprirne una con \"Apri immagine...\".");
const QString PixelValue = QStringLiteral("x %1 y %2: %3");
const QString PixelSky = QStringLiteral(" · α %1 δ %2");
const QString InvalidPixel = QStringLiteral("non valido");
const QString BadPosition = QStringLiteral("Posizione: scrivere x e y in pixel FITS, per esempio \"512.3 640.8\".");
const QString Saturated = QStringLiteral("saturata");
const QString CheckWithCatalogue = QStringLiteral("%1 (catalogo %2, differenza %3)");
const QStringList Columns = {QStringLiteral("x"),           QStringLiteral("y"),
                             QStringLiteral("FWHM"),        QStringLiteral("Netto (ADU)"),
                             QStringLiteral("Cielo/pixel"), QStringLiteral("S/N"),
                             QStringLiteral("Errore mag."), QStringLiteral("Picco"),
                             QStringLiteral("Magnitudine"), QStringLiteral("Note")};
enum Column { X, Y, Fwhm, Net, SkyLevel, SignalToNoise, MagnitudeError, Peak, Magnitude, Note };

// The catalogue's column, with its band once known.
const QString CatalogueNoBand = QStringLiteral("Catalogo");
const QString CatalogueInBand = QStringLiteral("Catalogo %1");
const QStringList SequenceColumns = {QStringLiteral("Etichetta"), QStringLiteral("AUID"),
                                     CatalogueNoBand, QStringLiteral("Misurata"),
                                     QStringLiteral("Differenza"), QStringLiteral("Note")};
enum SequenceColumn { StarLabel, StarAuid, CatalogueMagnitude, MeasuredMagnitude, Difference, Reason };
const QColor SequenceStarColour(120, 230, 120);

// Each role's colour on the picture, by Role; refused stars are red.
const QColor RoleColours[RoleCount] = {QColor(255, 215, 0), QColor(0, 220, 255),
                                       QColor(0, 220, 255), QColor(0, 220, 255),
                                       QColor(255, 110, 255)};
const QColor Problem(230, 30, 30);

constexpr double DefaultRadii[3] = {6, 10, 15};
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
    : QWidget(parent, Qt::Window), m_context(context), m_session(m_context.sheet), m_calibration(m_context.settings),
      m_series(m_context, *this)
{
    setUpToolWindow(*this, QStringLiteral("Form5"), Title);
    buildControls();
    resize(1180, 820);
    refresh();
}

// The calibration window works on this window's setup: it goes first.
MeasureWindow::~MeasureWindow()
{
    delete m_calibrationWindow;
}

void MeasureWindow::buildControls()
{
    auto *open = named(new QPushButton(QStringLiteral("Apri immagine..."), this), "cmdApri");
    connect(open, &QPushButton::clicked, this, &MeasureWindow::openImage);
    m_description = named(new QLabel(NoImage, this), "lblImmagine");
    m_description->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_description->setWordWrap(true); // with the airmass and the HJD it outgrows the row
    auto *sequence = named(new QPushButton(QStringLiteral("Sequenza..."), this), "cmdSequenza");
    connect(sequence, &QPushButton::clicked, this, &MeasureWindow::openSequence);
    auto *download = named(new QPushButton(QStringLiteral("Scarica sequenza..."), this), "cmdScaricaSequenza");
    connect(download, &QPushButton::clicked, this, &MeasureWindow::askSequence);
    auto *series = named(new QPushButton(QStringLiteral("Misura serie..."), this), "cmdSerie");
    connect(series, &QPushButton::clicked, this, &MeasureWindow::measureSeries);
    auto *calibration = named(new QPushButton(QStringLiteral("Calibrazione..."), this), "cmdCalibrazione");
    connect(calibration, &QPushButton::clicked, this, &MeasureWindow::showCalibration);
    auto *top = new QHBoxLayout;
    top->addWidget(open);
    top->addWidget(sequence);
    top->addWidget(download);
    top->addWidget(series);
    top->addWidget(calibration);
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
    // A row is chosen to align an image without sky coordinates.
    m_sequenceTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sequenceTable->setSelectionBehavior(QAbstractItemView::SelectRows);
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

    m_gain = named(new QLineEdit(NumberRules::write(m_session.detector().gain), panel), "txtGuadagno");
    m_readNoise = named(new QLineEdit(NumberRules::write(m_session.detector().readNoise), panel), "txtRumore");
    m_saturation = named(new QLineEdit(panel), "txtSaturazione");
    m_saturation->setPlaceholderText(Measurement::SessionText::NoSaturation);
    m_gain->setAccessibleName(Measurement::SessionText::GainBox);
    m_readNoise->setAccessibleName(Measurement::SessionText::ReadNoiseBox);
    m_saturation->setAccessibleName(Measurement::SessionText::SaturationBox);
    for (QLineEdit *box : {m_gain, m_readNoise, m_saturation})
        connect(box, &QLineEdit::editingFinished, this, &MeasureWindow::detectorEdited);
    form->addRow(captioned(QStringLiteral("Guadagno (e-/ADU):"), m_gain, panel), m_gain);
    form->addRow(captioned(QStringLiteral("Rumore di lettura (e-):"), m_readNoise, panel), m_readNoise);
    form->addRow(captioned(QStringLiteral("Saturazione (ADU):"), m_saturation, panel), m_saturation);
    m_site = named(new QLineEdit(panel), "txtSito");
    m_site->setPlaceholderText(QStringLiteral("45.46 9.19 120"));
    m_site->setAccessibleName(Measurement::Reason::SiteBox);
    m_site->setText(m_context.settings.value(SiteKey));
    m_session.setTypedSite(m_site->text());
    connect(m_site, &QLineEdit::editingFinished, this, &MeasureWindow::siteEdited);
    form->addRow(captioned(Measurement::Reason::SiteBox, m_site, panel), m_site);

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
    buildSkyFinding(panel, form);
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
    m_solver.stop(); // its solution is the last image's
    showSkyFinding();
    // A 4096 x 4096 frame loads and stretches in a few tenths of a second:
    // not worth a thread, which the window would then have to wait for.
    m_session.setPixelStep(calibrationStep());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Measurement::Session::Opening opening = m_session.open(path, aperture());
    QApplication::restoreOverrideCursor();
    if (!opening.problem.isEmpty()) {
        warn(opening.problem);
        return;
    }
    const Imaging::FitsImage &image = *m_session.image();
    // Drawn straight into the picture shown, top row first.
    QImage picture(image.width, image.height, QImage::Format_Grayscale8);
    const qsizetype rowBytes = picture.bytesPerLine();
    if (!picture.isNull())
        Imaging::drawPicture(image, Imaging::stretchLimits(image), picture.bits() + (image.height - 1) * rowBytes,
                             -rowBytes);
    m_view->setPicture(picture);
    showDetector();
    showSequence();
    refresh();
    m_status->setText(opening.status);
    solve(false);
}

void MeasureWindow::showDetector()
{
    const Measurement::DetectorTexts texts = m_session.detectorTexts();
    m_gain->setText(texts.gain);
    m_readNoise->setText(texts.readNoise);
    m_saturation->setText(texts.saturation);
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
    if (m_session.aligning() && !m_solver.running()) {
        m_status->setText(m_session.alignmentClick(imagePoint, selectedSequenceStar(), aperture()));
        showSequence();
        refresh();
        return;
    }
    const Role role = currentRole();
    const QString refusal = m_session.place(role, imagePoint, aperture());
    m_status->setText(refusal);
    if (refusal.isEmpty())
        m_roles->button((int(role) + 1) % RoleCount)->setChecked(true);
    refresh();
}

void MeasureWindow::placeTyped()
{
    if (const std::optional<QPointF> at = Measurement::typedPosition(m_position->text()))
        place(*at);
    else
        m_status->setText(Measurement::SessionText::BadPosition);
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
    const std::optional<double> fwhm = m_session.meanFwhm();
    if (!fwhm) {
        m_status->setText(Measurement::SessionText::NoFwhm);
        return;
    }
    const Imaging::Aperture radii = Measurement::apertureForFwhm(*fwhm);
    {
        const QSignalBlocker a(m_radius), b(m_innerRadius), c(m_outerRadius);
        m_innerRadius->setMinimum(SmallestRadius);
        m_outerRadius->setMinimum(SmallestRadius);
        m_radius->setValue(radii.radius);
        m_innerRadius->setValue(radii.innerRadius);
        m_outerRadius->setValue(radii.outerRadius);
    }
    radiiChanged();
}

void MeasureWindow::detectorEdited()
{
    Measurement::DetectorTexts typed{m_gain->text(), m_readNoise->text(), m_saturation->text()};
    const QStringList refused = m_session.setDetector(typed);
    for (auto [box, text] : {std::pair{m_gain, typed.gain}, {m_readNoise, typed.readNoise},
                             {m_saturation, typed.saturation}}) {
        if (box->text() != text)
            box->setText(text);
    }
    m_status->setText(refused.join(QLatin1Char(' ')));
    remeasure();
}

void MeasureWindow::remeasure()
{
    m_session.remeasure(aperture());
    refresh();
}

void MeasureWindow::refresh()
{
    QList<ImageView::Marker> markers;
    for (int role = 0; role < RoleCount; ++role) {
        fillRow(Role(role));
        QString header = Imaging::roleName(Role(role));
        if (const auto star = m_session.sequenceStar(Role(role)))
            header += QLatin1Char(' ') + m_session.sequence()->stars[*star].label;
        m_table->verticalHeaderItem(role)->setText(header);
        const auto &star = m_session.measured()[std::size_t(role)];
        if (const auto &at = m_session.positions()[std::size_t(role)]) {
            const bool problem = star->refusal != Imaging::Refusal::None || star->saturated;
            markers << ImageView::Marker{*at, Imaging::roleName(Role(role)),
                                         problem ? Problem : RoleColours[role]};
        }
    }
    m_view->setMarkers(markers, m_radius->value(), m_innerRadius->value(), m_outerRadius->value());
    m_description->setText(m_session.image() ? m_session.description() : NoImage);
    showSkyFinding();
}

void MeasureWindow::fillRow(Role role)
{
    const int row = int(role);
    const auto &star = m_session.measured()[std::size_t(role)];
    const auto &at = m_session.positions()[std::size_t(role)];
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
    if (role == Role::Check) {
        const Measurement::CheckRow check = m_session.checkRow(m_checkCatalogue->text());
        checkProblem = check.problem;
        if (check.difference)
            cells[Magnitude] = CheckWithCatalogue.arg(shown(*check.magnitude, 3), shown(*check.catalogue, 3),
                                                      signedShown(*check.difference, 3));
        else if (check.magnitude)
            cells[Magnitude] = shown(*check.magnitude, 3);
        else if (!check.problem.isEmpty())
            cells[Magnitude] = Measurement::SessionText::Unknown;
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
    const Measurement::SheetWrite written = m_session.toSheet(m_context.settings, m_checkName->text(), m_chart->text());
    if (!written.problem.isEmpty()) {
        warn(written.problem);
        return;
    }
    if (written.chart)
        m_chart->setText(*written.chart);
    if (written.checkName)
        m_checkName->setText(*written.checkName);
    if (written.checkCatalogue)
        m_checkCatalogue->setText(*written.checkCatalogue);
    if (written.band)
        m_transform->measured(*written.band);
    m_status->setText(written.status);
    refresh();
}

void MeasureWindow::measureSeries()
{
    if (m_series.running())
        return; // one series at a time
    const SkyTime::Outcome<Measurement::SeriesTemplate> placed = m_session.seriesTemplate(aperture());
    if (!placed.value) {
        if (m_session.image())
            warn(placed.problem);
        else
            m_status->setText(placed.problem);
        return;
    }
    const QStringList paths = m_context.dialogs.openFiles(SeriesLaunch::Title, m_context.settings.value(FolderKey), FitsFiles);
    if (paths.isEmpty())
        return;
    m_context.settings.setValue(FolderKey, QFileInfo(paths.first()).absolutePath());
    m_series.start(paths, *placed.value, m_checkName->text(), m_chart->text(), m_session.skyHints(), calibrationStep());
}

void MeasureWindow::showPixel(const QPointF &imagePoint, bool inside)
{
    const std::optional<Imaging::FitsImage> &image = m_session.image();
    const int x = int(std::lround(imagePoint.x())), y = int(std::lround(imagePoint.y()));
    if (!inside || !image || !image->contains(x, y)) {
        m_pixel->clear();
        return;
    }
    const float value = image->at(x, y);
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = PixelValue.arg(QString::number(x + 1), QString::number(y + 1),
                                  std::isnan(value) ? InvalidPixel : locale.toString(value, 'g', 7));
    if (const std::optional<Imaging::SkyFrame> &frame = m_session.frame()) {
        if (const std::optional<Sky::Position> sky = frame->toSky(imagePoint))
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
    m_sequenceOrigin.clear();
    m_status->setText(m_session.setSequence(std::move(*read.sequence), aperture()));
    showSequence();
    refresh();
}

void MeasureWindow::askSequence()
{
    const std::optional<double> diagonal = m_session.diagonalArcmin();
    auto *dialog = new SequenceDialog(m_session.starToAsk(), diagonal.value_or(SequenceDialog::DefaultField), this);
    connect(dialog, &SequenceDialog::downloadAsked, this, [this, dialog] { downloadSequence(*dialog); });
    dialog->open();
}

// Read as "Sequenza..." reads a file: a refusal leaves the sequence shown.
void MeasureWindow::downloadSequence(SequenceDialog &dialog)
{
    const QString star = dialog.star();
    const double field = dialog.fieldArcmin();
    const double limit = dialog.magnitudeLimit();
    const QString refusal = star.isEmpty()        ? NoStarToAsk
                          : std::isnan(field) ? BadField
                          : std::isnan(limit) ? BadLimit
                                              : QString();
    if (!refusal.isEmpty()) {
        warn(refusal); // the dialog stays, to be put right
        return;
    }
    dialog.accept(); // and gone: nothing of it is read after this
    QApplication::setOverrideCursor(Qt::WaitCursor);
    AavsoWeb::SequenceDownload got =
        AavsoWeb::downloadSequence(AavsoWeb::addresses(m_context.settings), star, field, limit);
    QApplication::restoreOverrideCursor();
    if (!got.sequence) {
        warn(got.problem);
        return;
    }
    m_sequenceOrigin = got.origin;
    m_status->setText(m_session.setSequence(std::move(*got.sequence), aperture()));
    showSequence();
    refresh();
}

void MeasureWindow::showSequence()
{
    const QString filter = m_session.filterCode();
    const QString band = Aavso::Bands::sequenceBands(filter).value(0, filter);
    m_sequenceTable->setHorizontalHeaderItem(CatalogueMagnitude, new QTableWidgetItem(band.isEmpty()
                                                                                          ? CatalogueNoBand
                                                                                          : CatalogueInBand.arg(band)));
    QList<ImageView::Marker> labels;
    m_sequenceTable->setRowCount(0);
    for (const Measurement::FieldStar &row : m_session.field().rows) {
        if (!row.pixel)
            continue;
        const Aavso::SequenceStar &star = m_session.sequence()->stars[row.star];
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
    if (m_session.aligning())
        listSequenceToAlign();
    const std::optional<Aavso::Sequence> &sequence = m_session.sequence();
    if (!sequence)
        m_sequenceSummary->setText(NoSequence);
    else if (m_session.sequenceOfAnotherField())
        m_sequenceSummary->setText(Measurement::SessionText::OtherField.arg(sequence->chartId));
    else
        m_sequenceSummary->setText(SequenceSummary.arg(sequence->chartId).arg(sequence->stars.size()).arg(labels.size())
                                   + (m_sequenceOrigin.isEmpty() ? QString() : QStringLiteral(", ") + m_sequenceOrigin));
}

void MeasureWindow::warn(const QString &text)
{
    m_context.messages.show(Title, MessageIcon::Warning, text);
}

void MeasureWindow::siteEdited()
{
    if (m_site->text().trimmed() == m_context.settings.value(SiteKey))
        return; // left without a change
    const QString problem = m_session.setTypedSite(m_site->text());
    if (!problem.isEmpty()) {
        // Refused: the site accepted last stays, in the box too.
        m_site->setText(m_context.settings.value(SiteKey));
        m_status->setText(problem);
        return;
    }
    m_context.settings.setValue(SiteKey, m_site->text().trimmed());
    m_status->setText(m_session.skyProblem());
    refresh();
}

void MeasureWindow::showCalibration()
{
    if (!m_calibrationWindow)
        m_calibrationWindow = new CalibrationWindow(m_context, m_calibration, this);
    m_calibrationWindow->show();
    m_calibrationWindow->raise();
    m_calibrationWindow->activateWindow();
}

Measurement::PixelStep MeasureWindow::calibrationStep()
{
    const std::shared_ptr<const Calibration::MasterSet> masters = m_calibration.applied();
    // Masters remembered but gone are told once, not at every image.
    if (m_calibration.applies() && !masters && !m_calibration.restoreProblem().isEmpty() && !m_toldCalibrationProblem) {
        m_toldCalibrationProblem = true;
        warn(m_calibration.restoreProblem());
    }
    return Measurement::calibrationStep(masters);
}

// Sky coordinates for an image without them: the scale, "Risolvi" with its
// progress and "Annulla", and the copy that keeps them.
void MeasureWindow::buildSkyFinding(QWidget *panel, QFormLayout *form)
{
    m_scale = named(new QLineEdit(panel), "txtScala");
    m_scale->setPlaceholderText(QStringLiteral("dall'intestazione"));
    connect(m_scale, &QLineEdit::editingFinished, this, &MeasureWindow::readScale);
    form->addRow(captioned(QStringLiteral("Scala (″/pixel):"), m_scale, panel), m_scale);
    m_solve = named(new QPushButton(QStringLiteral("Risolvi"), panel), "cmdRisolvi");
    connect(m_solve, &QPushButton::clicked, this, [this] { solve(true); });
    m_saveWcs = named(new QPushButton(QStringLiteral("Salva con coordinate..."), panel), "cmdSalvaWcs");
    connect(m_saveWcs, &QPushButton::clicked, this, &MeasureWindow::saveWithWcs);
    m_solving = named(new QProgressBar(panel), "prgRisolvi");
    m_solving->setRange(0, 0); // the engine tells nothing of its progress
    m_solving->setTextVisible(false);
    m_cancelSolving = named(new QPushButton(QStringLiteral("Annulla"), panel), "cmdAnnullaRisolvi");
    connect(m_cancelSolving, &QPushButton::clicked, &m_solver, &BackgroundJob::cancel);
    connect(&m_solver, &BackgroundJob::finished, this, &MeasureWindow::solved);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_solve);
    buttons->addWidget(m_solving, 1);
    buttons->addWidget(m_cancelSolving);
    buttons->addWidget(m_saveWcs);
    form->addRow(QString(), buttons);
}

void MeasureWindow::showSkyFinding()
{
    const bool running = m_solver.running();
    m_solve->setEnabled(m_session.lacksSkyCoordinates() && !running);
    m_saveWcs->setEnabled(!m_session.foundCards().isEmpty() && !running);
    m_solving->setVisible(running);
    m_cancelSolving->setVisible(running);
}

bool MeasureWindow::readScale()
{
    const QString text = m_scale->text().trimmed();
    const std::optional<double> scale = NumberRules::readTyped(text);
    if (!text.isEmpty() && (!scale || !(*scale > 0))) {
        m_status->setText(BadScale);
        return false;
    }
    m_session.setTypedScale(text.isEmpty() ? std::nullopt : scale);
    return true;
}

// Asked: "Risolvi"; else an image just opened, solved only when its field is wide enough.
void MeasureWindow::solve(bool asked)
{
    if (m_solver.running() || !m_session.lacksSkyCoordinates() || !readScale())
        return;
    QString narrow;
    const Astrometry::SolveRequest request = m_session.solveRequest(narrow);
    if (!narrow.isEmpty()) {
        // On opening, the sequence's request to click its stars says more.
        if (asked || !m_session.sequence())
            m_status->setText(narrow);
        return;
    }
    if (!asked && !request.scale)
        return; // tried over every scale, the engine may take its whole limit
    auto solution = m_solution = std::make_shared<Astrometry::Solution>();
    BackgroundJob *job = &m_solver;
    m_solver.start([request, solution, job] { *solution = Astrometry::solve(request, [job] { return job->cancelled(); }); });
    m_status->setText(Solving);
    showSkyFinding();
}

void MeasureWindow::solved()
{
    m_status->setText(m_session.adoptSolution(*m_solution, aperture()));
    showSequence();
    refresh();
}

void MeasureWindow::saveWithWcs()
{
    const QString path = m_context.dialogs.saveFile(SaveWcsTitle, m_context.settings.value(FolderKey), FitsFiles, false);
    if (path.isEmpty())
        return;
    m_status->setText(m_session.saveWithFoundCards(path));
}

// Every star of the sequence, for choosing the one to click: the image has no place for them yet.
void MeasureWindow::listSequenceToAlign()
{
    const std::vector<Aavso::SequenceStar> &stars = m_session.sequence()->stars;
    m_sequenceTable->setRowCount(int(stars.size()));
    for (std::size_t i = 0; i < stars.size(); ++i) {
        const Aavso::SequenceMagnitude *magnitude = Aavso::magnitudeFor(stars[i], m_session.filterCode());
        const QStringList cells{stars[i].label, stars[i].auid, magnitude ? shown(magnitude->magnitude, 3) : QString()};
        for (int column = 0; column < int(SequenceColumns.size()); ++column) {
            auto *item = new QTableWidgetItem(cells.value(column));
            item->setData(Qt::UserRole, qulonglong(i));
            m_sequenceTable->setItem(int(i), column, item);
        }
    }
}

std::optional<std::size_t> MeasureWindow::selectedSequenceStar() const
{
    const QList<QTableWidgetItem *> selected = m_sequenceTable->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return std::size_t(selected.first()->data(Qt::UserRole).toULongLong());
}
