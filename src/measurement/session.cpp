#include "session.h"

#include "aavso/bands.h"
#include "astrometry/alignment.h"
#include "astrometry/wcscopy.h"
#include "core/names.h"
#include "core/numberrules.h"
#include "measurement/skylabel.h"
#include "photometry/magnitude.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Measurement {

using Imaging::Role;
using Imaging::RoleCount;

namespace {

const char *const CatalogueFields[3] = {Field::MagnitudeC1, Field::MagnitudeC2, Field::MagnitudeC3};

// The positive number typed (zero too when `zeroAllowed`); none otherwise.
std::optional<double> positiveTyped(const QString &text, bool zeroAllowed)
{
    const std::optional<double> value = NumberRules::readTyped(text);
    if (!value || *value < 0 || (*value == 0 && !zeroAllowed))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<QPointF> typedPosition(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s;]+"));
    const QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return std::nullopt;
    const std::optional<double> x = NumberRules::readTyped(parts[0]);
    const std::optional<double> y = NumberRules::readTyped(parts[1]);
    if (!x || !y)
        return std::nullopt;
    return QPointF(Imaging::fromFits(*x), Imaging::fromFits(*y));
}

Imaging::Aperture apertureForFwhm(double fwhm)
{
    return {FwhmMultiples[0] * fwhm, FwhmMultiples[1] * fwhm, FwhmMultiples[2] * fwhm};
}

Session::Session(Sheet &sheet) : m_sheet(sheet) {}

Session::Opening Session::open(const QString &path, const Imaging::Aperture &aperture)
{
    OpenedImage opened = openImage({path, {}, m_pixelStep, std::nullopt});
    if (!opened.image)
        return {opened.problem, QString()};
    const Imaging::ImageHeader &header = opened.image->header;
    if (header.gain)
        m_detector.gain = *header.gain;
    if (header.readNoise)
        m_detector.readNoise = *header.readNoise;
    m_path = path;
    m_opened = std::move(opened);
    forgetFoundSky();
    remeasure(aperture); // the stars placed on the last image, found again on this one
    QStringList status;
    if (!m_opened.frameProblem.isEmpty())
        status << QString::fromUtf8(Imaging::SkyProblem::Unreadable).arg(m_opened.frameProblem);
    status << laySequence(aperture) << skyProblem();
    return {QString(), status.join(QLatin1Char(' ')).trimmed()};
}

QString Session::description() const
{
    if (!m_opened.image)
        return QString();
    const Imaging::ImageHeader &h = m_opened.image->header;
    QString text = SessionText::Description.arg(
        QFileInfo(m_path).fileName(), QString::number(m_opened.image->width), QString::number(m_opened.image->height),
        exposureLabel(h.exposure, QLocale()),
        h.filter.isEmpty() ? SessionText::Unknown : h.filter,
        h.start ? h.start->toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) : SessionText::Unknown,
        h.julianDate ? sheetJulianDate(*h.julianDate) : SessionText::Unknown);
    if (m_opened.image->firstPlaneOnly)
        text += SessionText::FirstPlaneOnly;
    const std::optional<SkyTime::Sky> &sky = m_opened.sky.value;
    const bool reversed = m_opened.place.value && m_opened.place.value->longitudeReversed;
    text += airmassLabel(h.airmass, sky, reversed) + hjdLabel(sky ? std::optional(sky->hjd) : std::nullopt);
    if (!m_opened.pixelsDone.isEmpty())
        text += QLatin1String("; ") + m_opened.pixelsDone;
    return text;
}

QString Session::skyProblem() const
{
    return m_opened.image && !m_opened.sky.value ? SkyNote::NotComputed.arg(m_opened.sky.problem) : QString();
}

QString Session::place(Role role, const QPointF &point, const Imaging::Aperture &aperture)
{
    if (!m_opened.image)
        return SessionText::OpenFirst;
    const Imaging::StarMeasurement star = Imaging::measureStar(*m_opened.image, point.x(), point.y(), aperture, m_detector);
    if (star.refusal != Imaging::Refusal::None)
        return SessionText::NotPlaced.arg(Imaging::roleName(role), Imaging::refusalText(star.refusal));
    setRole(role, star, aperture.radius);
    workOutSky(); // the variable placed is the target
    return QString();
}

void Session::remeasure(const Imaging::Aperture &aperture)
{
    if (m_opened.image) {
        for (std::size_t role = 0; role < std::size_t(RoleCount); ++role) {
            std::optional<QPointF> &at = m_positions[role];
            if (!at)
                continue;
            const Imaging::StarMeasurement star = Imaging::measureStar(*m_opened.image, at->x(), at->y(), aperture, m_detector);
            // A star not found keeps its place, to be looked for on the next image.
            if (star.refusal == Imaging::Refusal::None)
                at = QPointF(star.x, star.y);
            m_measured[role] = star;
        }
    }
    workOutSky();
}

std::optional<double> Session::meanFwhm() const
{
    double sum = 0;
    int count = 0;
    for (const auto &star : m_measured) {
        if (star && star->refusal == Imaging::Refusal::None && star->fwhm > 0) {
            sum += star->fwhm;
            ++count;
        }
    }
    return count > 0 ? std::optional(sum / count) : std::nullopt;
}

CheckRow Session::checkRow(const QString &catalogueText) const
{
    CheckRow row;
    const auto &check = m_measured[std::size_t(Role::Check)];
    if (!check || check->refusal != Imaging::Refusal::None)
        return row;
    const Photometry::CheckMagnitude magnitude = checkMagnitude(m_measured, m_sheet);
    row.magnitude = magnitude.value;
    row.problem = magnitude.problem;
    row.catalogue = positiveTyped(catalogueText, true);
    if (row.magnitude && row.catalogue)
        row.difference = *row.magnitude - *row.catalogue;
    return row;
}

DetectorTexts Session::detectorTexts() const
{
    return {NumberRules::write(m_detector.gain), NumberRules::write(m_detector.readNoise),
            m_opened.image && std::isfinite(m_opened.image->saturation) ? NumberRules::write(m_opened.image->saturation) : QString()};
}

QStringList Session::setDetector(DetectorTexts &typed)
{
    const std::optional<double> gain = positiveTyped(typed.gain, false);
    const std::optional<double> noise = positiveTyped(typed.readNoise, true);
    // An empty box: no level counts as saturated.
    const std::optional<double> saturation = typed.saturation.trimmed().isEmpty()
        ? std::numeric_limits<double>::infinity()
        : positiveTyped(typed.saturation, false);
    const DetectorTexts kept = detectorTexts();
    QStringList refused;
    const auto keep = [&refused](QString &text, const QString &caption, const QString &value) {
        refused << RefusedNumber.arg(caption, value.isEmpty() ? SessionText::NoSaturation : value);
        text = value;
    };
    if (gain)
        m_detector.gain = *gain;
    else
        keep(typed.gain, SessionText::GainBox, kept.gain);
    if (noise)
        m_detector.readNoise = *noise;
    else
        keep(typed.readNoise, SessionText::ReadNoiseBox, kept.readNoise);
    // Without an image, the next one's header gives the level.
    if (m_opened.image && saturation)
        m_opened.image->saturation = *saturation;
    else if (!saturation)
        keep(typed.saturation, SessionText::SaturationBox, kept.saturation);
    return refused;
}

QString Session::setTypedSite(const QString &text)
{
    const SkyTime::Outcome<SkyTime::Site> typed = parseTypedSite(text);
    if (!typed.problem.isEmpty())
        return typed.problem;
    m_typedSite = typed.value;
    workOutSky();
    return QString();
}

QString Session::setSequence(Aavso::Sequence sequence, const Imaging::Aperture &aperture)
{
    m_sequence = std::move(sequence);
    return laySequence(aperture);
}

// Places the variable and the chosen comparison and check stars as clicks
// on them would; a role the sequence cannot fill stays where it was.
QString Session::laySequence(const Imaging::Aperture &aperture)
{
    m_field = {};
    m_sequenceStar = {};
    QString problem;
    if (m_sequence && m_opened.image && !m_opened.frame)
        problem = SessionText::NoSkyCoordinates;
    if (m_sequence && m_opened.image && m_opened.frame) {
        Aavso::Sequence sequence = *m_sequence;
        // A CSV table does not say where the variable is: where it was placed, then.
        const auto &variable = m_positions[std::size_t(Role::Variable)];
        if (!sequence.variablePosition && variable)
            sequence.variablePosition = m_opened.frame->toSky(*variable);
        const auto measure = [this, &aperture](double x, double y) {
            return Imaging::measureStar(*m_opened.image, x, y, aperture, m_detector);
        };
        m_field = placeSequence(sequence, filterCode(), *m_opened.frame, m_opened.image->width, m_opened.image->height, measure);
        if (m_field.variable && m_field.variable->refusal == Imaging::Refusal::None)
            setRole(Role::Variable, *m_field.variable, aperture.radius);
        for (std::size_t i = 0; i < m_field.chosen.size(); ++i) {
            if (const auto &row = m_field.chosen[i])
                setRole(Role(int(i) + 1), *m_field.rows[*row].measurement, aperture.radius);
        }
    }
    workOutSky();
    return problem;
}

void Session::setRole(Role role, const Imaging::StarMeasurement &star, double radius)
{
    const QPointF centre(star.x, star.y);
    m_positions[std::size_t(role)] = centre;
    m_measured[std::size_t(role)] = star;
    m_sequenceStar[std::size_t(role)] = sequenceStarAt(centre, radius);
}

// The sequence star within the aperture of `centre`, the nearest if several.
std::optional<std::size_t> Session::sequenceStarAt(const QPointF &centre, double radius) const
{
    std::optional<std::size_t> nearest;
    double nearestDistance = radius;
    for (const FieldStar &row : m_field.rows) {
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

const Aavso::SequenceMagnitude *Session::catalogueOf(Role role) const
{
    const auto &star = m_sequenceStar[std::size_t(role)];
    return star ? Aavso::magnitudeFor(m_sequence->stars[*star], filterCode()) : nullptr;
}

bool Session::sequenceOfAnotherField() const
{
    return m_sequence && m_opened.image && m_opened.frame
        && std::none_of(m_field.rows.cbegin(), m_field.rows.cend(), [](const FieldStar &row) { return row.pixel; });
}

QString Session::filterCode() const
{
    const QString code = m_opened.image ? Aavso::Bands::fitsFilterCode(m_opened.image->header.filter) : QString();
    return code.isEmpty() ? m_sheet.text(QLatin1String(Field::Filter)).trimmed() : code;
}

SheetWrite Session::toSheet(Settings &settings, const QString &checkName, const QString &chart)
{
    const Imaging::ImageHeader header = m_opened.image ? m_opened.image->header : Imaging::ImageHeader();
    const QString filter = Aavso::Bands::fitsFilterCode(header.filter);
    const SheetEntry entry = sheetEntry(m_measured, header, filter);
    if (!entry.problem.isEmpty())
        return {entry.problem, {}, {}, {}, {}, {}};
    for (const auto &[field, text] : entry.fields)
        m_sheet.setText(field, text);

    SheetWrite written;
    QString usedCheckName = checkName;
    QString usedChart = chart;
    if (m_sequence) {
        // What the sequence says of the placed stars, into the sheet and the boxes the record reads.
        for (int i = 0; i < 3; ++i) {
            if (const Aavso::SequenceMagnitude *magnitude = catalogueOf(Role(i + 1)))
                m_sheet.setText(QLatin1String(CatalogueFields[i]), NumberRules::write(magnitude->magnitude));
        }
        written.chart = usedChart = m_sequence->chartId;
        if (const auto &check = m_sequenceStar[std::size_t(Role::Check)]) {
            const Aavso::SequenceStar &star = m_sequence->stars[*check];
            written.checkName = usedCheckName = star.auid.isEmpty() ? star.label : star.auid;
            const Aavso::SequenceMagnitude *magnitude = catalogueOf(Role::Check);
            written.checkCatalogue = magnitude ? NumberRules::write(magnitude->magnitude) : QString();
        }
        const QString object = QLatin1String(Field::Object);
        if (m_sheet.text(object).trimmed().isEmpty())
            m_sheet.setText(object, m_sequence->variable.isEmpty() && m_opened.image ? m_opened.image->header.object
                                                                               : m_sequence->variable);
    }

    // A saturated check star's magnitude would mislead whoever reads the record.
    const auto &check = m_measured[std::size_t(Role::Check)];
    const bool checkUsable = check && !check->saturated && check->refusal == Imaging::Refusal::None;
    const Aavso::ImageMeasurement image =
        Aavso::imageMeasurement(entry.counts, checkUsable ? std::optional(check->net) : std::nullopt,
                                usedAirmass(header, m_opened.sky.value), usedCheckName, usedChart);
    Aavso::remember(settings, image);
    written.band = bandOf(image);

    written.status = SessionText::Written;
    if (header.julianDate)
        written.status += SessionText::WrittenDate;
    if (!filter.isEmpty())
        written.status += SessionText::WrittenFilter.arg(filter);
    written.status = QStringList(QStringList{written.status + QLatin1Char('.')} + entry.notes).join(QLatin1Char(' '));
    return written;
}

// An image whose comparison stars are the sequence's, kept as its filter's
// last for the transformation.
std::optional<Transform::BandMeasurement> Session::bandOf(const Aavso::ImageMeasurement &image) const
{
    if (!m_sequence || !m_opened.image || !m_opened.image->header.julianDate)
        return std::nullopt;
    Transform::BandMeasurement band{filterCode(), m_sequence->chartId, {}, {},
                                    sheetJulianDate(*m_opened.image->header.julianDate), image};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto &star = m_sequenceStar[i + 1];
        const Aavso::SequenceMagnitude *catalogue = catalogueOf(Role(i + 1));
        if (!star || !catalogue)
            return std::nullopt;
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
    return band;
}

SkyTime::Outcome<SeriesTemplate> Session::seriesTemplate(const Imaging::Aperture &aperture) const
{
    if (!m_opened.image)
        return {std::nullopt, SessionText::OpenFirst};
    // The same stars "Al foglio" needs, measured here; a check star placed must be measurable too.
    const SheetEntry entry = sheetEntry(m_measured, m_opened.image->header, QString());
    if (!entry.problem.isEmpty())
        return {std::nullopt, SessionText::PlaceFirst.arg(entry.problem)};
    const auto &check = m_measured[std::size_t(Role::Check)];
    if (check && check->refusal != Imaging::Refusal::None)
        return {std::nullopt, SessionText::CheckFirst};
    for (const char *field : CatalogueFields) {
        if (m_sheet.text(QLatin1String(field)).trimmed().isEmpty())
            return {std::nullopt, Photometry::MagnitudeWarning};
    }
    SeriesTemplate placed{{}, aperture, m_detector, 0, {}};
    for (std::size_t role = 0; role < std::size_t(RoleCount); ++role) {
        if (m_measured[role])
            placed.positions[role] = m_positions[role];
    }
    placed.comparisonNet = Imaging::comparisonNet(m_measured);
    // With a sequence the stars are where the sky says on every image that has a WCS.
    if (m_sequence && m_opened.frame) {
        bool everyStar = true;
        for (std::size_t role = 0; role < placed.sky.size(); ++role) {
            if (const auto &at = placed.positions[role]) {
                placed.sky[role] = m_opened.frame->toSky(*at);
                everyStar = everyStar && placed.sky[role];
            }
        }
        if (!everyStar)
            placed.sky = {};
    }
    return {placed, QString()};
}

SkyHints Session::skyHints() const
{
    SkyHints hints{m_typedSite, std::nullopt};
    std::optional<Sky::Position> variable;
    if (const auto &at = m_positions[std::size_t(Role::Variable)]; at && m_opened.frame)
        variable = m_opened.frame->toSky(*at);
    if (!variable && m_sequence && !sequenceOfAnotherField())
        variable = m_sequence->variablePosition;
    if (variable)
        hints.variable = SkyTime::Target{variable->ra, variable->dec};
    return hints;
}

void Session::forgetFoundSky()
{
    m_found.reset();
    m_firstClick.reset();
    m_foundCards.clear();
}

std::optional<double> Session::pixelScale() const
{
    if (m_typedScale || !m_opened.image)
        return m_typedScale;
    return Astrometry::headerScale(m_opened.image->header.keys);
}

const std::vector<Astrometry::FoundStar> &Session::foundStars()
{
    if (!m_found)
        m_found = Astrometry::findStars(*m_opened.image);
    return *m_found;
}

Astrometry::SolveRequest Session::solveRequest(QString &narrow)
{
    const std::optional<double> scale = pixelScale();
    narrow = scale ? Astrometry::narrowField(m_opened.image->width, m_opened.image->height, *scale) : QString();
    const auto &target = m_opened.image->header.target.value;
    return {foundStars(), m_opened.image->width, m_opened.image->height, scale,
            target ? std::optional(Sky::Position{target->ra, target->dec}) : std::nullopt};
}

QString Session::adoptSolution(const Astrometry::Solution &solution, const Imaging::Aperture &aperture)
{
    if (solution.cards.isEmpty())
        return solution.problem;
    return QStringList{Astrometry::solvedText(solution), adoptCards(solution.cards, aperture)}.join(QLatin1Char(' ')).trimmed();
}

QString Session::adoptCards(const QByteArray &cards, const Imaging::Aperture &aperture)
{
    Imaging::SkyFrameRead read = Imaging::SkyFrame::read(cards, m_opened.image->width, m_opened.image->height);
    m_opened.frame = std::move(read.frame);
    m_opened.frameProblem.clear();
    m_foundCards = cards;
    m_firstClick.reset();
    return laySequence(aperture);
}

QString Session::alignmentClick(const QPointF &point, std::optional<std::size_t> row, const Imaging::Aperture &aperture)
{
    const Imaging::StarPosition star = Imaging::findStar(*m_opened.image, point.x(), point.y(), aperture);
    const Role role = m_firstClick ? Role::C1 : Role::Variable;
    if (star.refusal != Imaging::Refusal::None)
        return SessionText::NotPlaced.arg(Imaging::roleName(role), Imaging::refusalText(star.refusal));
    const QPointF at(star.x, star.y);
    const auto rowSky = [this, &row]() -> std::optional<Sky::Position> {
        return row && *row < m_sequence->stars.size() ? std::optional(m_sequence->stars[*row].position) : std::nullopt;
    };
    if (!m_firstClick) {
        // A CSV table does not say where the variable is: its row selected.
        const std::optional<Sky::Position> variable = m_sequence->variablePosition ? m_sequence->variablePosition : rowSky();
        if (!variable)
            return SkyFinding::ChooseRow;
        m_firstClick = {*variable, at};
        place(Role::Variable, at, aperture);
        return SkyFinding::SecondStar;
    }
    const std::optional<Sky::Position> second = rowSky();
    if (!second)
        return SkyFinding::ChooseRow;
    Astrometry::AlignInput input{m_firstClick->first, *second, m_firstClick->second, at, {}, foundStars(),
                                 m_opened.image->width, m_opened.image->height, pixelScale()};
    if (m_sequence->variablePosition)
        input.sequence.push_back(*m_sequence->variablePosition);
    for (const Aavso::SequenceStar &sequenceStar : m_sequence->stars)
        input.sequence.push_back(sequenceStar.position);
    const Astrometry::Alignment alignment = Astrometry::alignToSequence(input);
    if (!alignment.wcs) {
        m_firstClick.reset();
        return alignment.problem;
    }
    const QString aligned = Astrometry::AlignText::Aligned.arg(alignment.matched).arg(alignment.onImage).arg(
        QLocale().toString(alignment.meanMiss, 'f', 2));
    return QStringList{aligned, adoptCards(Astrometry::wcsCards(*alignment.wcs), aperture)}.join(QLatin1Char(' ')).trimmed();
}

QString Session::saveWithFoundCards(const QString &target) const
{
    const QString problem = Astrometry::saveWithWcs(m_path, target, m_foundCards);
    return problem.isEmpty() ? SkyFinding::Saved.arg(QFileInfo(target).fileName()) : problem;
}

void Session::workOutSky()
{
    placeOnSky(m_opened, skyHints());
}

QString Session::starToAsk() const
{
    if (m_opened.image && !m_opened.image->header.object.trimmed().isEmpty())
        return m_opened.image->header.object.trimmed();
    return m_sheet.text(QLatin1String(Field::Object)).trimmed();
}

std::optional<double> Session::diagonalArcmin() const
{
    if (!m_opened.image || !m_opened.frame)
        return std::nullopt;
    // From the outer edge of the first pixel to that of the last.
    const auto a = m_opened.frame->toSky(QPointF(-0.5, -0.5));
    const auto b = m_opened.frame->toSky(QPointF(m_opened.image->width - 0.5, m_opened.image->height - 0.5));
    if (!a || !b)
        return std::nullopt;
    // The haversine: exact for small angles, where the cosine rule loses digits.
    const double radian = M_PI / 180;
    const double dDec = (b->dec - a->dec) * radian;
    const double dRa = (b->ra - a->ra) * radian;
    const double h = std::pow(std::sin(dDec / 2), 2)
        + std::cos(a->dec * radian) * std::cos(b->dec * radian) * std::pow(std::sin(dRa / 2), 2);
    return 2 * std::asin(std::min(1.0, std::sqrt(h))) / radian * 60;
}

} // namespace Measurement
