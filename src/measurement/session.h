#pragma once
// "Misura su immagine" without its window: the image open, the stars placed
// on it by role and measured, the detector's values last accepted, the
// comparison sequence laid on the image, the site typed, and what goes from
// them to the sheet, the series and the transformation. The window shows
// this state and passes on what the user does.

#include "aavso/imagemeasurement.h"
#include "astrometry/solver.h"
#include "aavso/sequence.h"
#include "core/sheet.h"
#include "measurement/imagepipeline.h"
#include "measurement/sequencefield.h"
#include "measurement/series.h"
#include "measurement/sheetentry.h"
#include "transform/bandpair.h"

#include <QPointF>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace Measurement {

namespace SessionText {
// %4: the exposure (skylabel.h's exposureLabel).
inline const QString Description = QStringLiteral("%1: %2 × %3 pixel, %4, filtro %5, %6 UTC (JD medio %7)");
inline const QString FirstPlaneOnly = QStringLiteral(" (solo il primo piano del cubo)");
inline const QString Unknown = QStringLiteral("?");
inline const QString NotPlaced = QStringLiteral("%1 non posizionata. %2.");
inline const QString OpenFirst = QStringLiteral("Aprire prima un'immagine.");
inline const QString PlaceFirst = QStringLiteral(
    "Misura serie: indicare prima le stelle su questa immagine, che fa da modello per le altre. %1");
inline const QString CheckFirst = QStringLiteral(
    "Misura serie: la stella di controllo non si può misurare su questa immagine. Indicarla di nuovo "
    "o toglierla.");
// %1: the sequence's chart.
inline const QString OtherField =
    QStringLiteral("nessuna stella della sequenza %1 è su questa immagine: è di un altro campo?");
inline const QString BadPosition = QStringLiteral("Posizione: scrivere x e y in pixel FITS, per esempio \"512.3 640.8\".");
inline const QString NoFwhm = QStringLiteral("Nessuna stella misurata da cui prendere la FWHM.");
inline const QString NoSkyCoordinates =
    QStringLiteral("Indicare sull'immagine due stelle della sequenza: la variabile e un'altra");
inline const QString Written = QStringLiteral("Scritti nel foglio: conteggi di C1, C2, C3 e variabile");
inline const QString WrittenDate = QStringLiteral(", data e JD");
inline const QString WrittenFilter = QStringLiteral(", filtro %1");
// The detector's boxes, as their refusals name them.
inline const QString GainBox = QStringLiteral("Guadagno");
inline const QString ReadNoiseBox = QStringLiteral("Rumore di lettura");
inline const QString SaturationBox = QStringLiteral("Saturazione");
// What the saturation box stands for when empty.
inline const QString NoSaturation = QStringLiteral("nessuna");
} // namespace SessionText

// Giving an image without sky coordinates those of astrometry.net or of its sequence.
namespace SkyFinding {
inline const QString SecondStar = QStringLiteral(
    "Variabile indicata. Scegliere nella tabella della sequenza la riga di un'altra stella, poi indicarla "
    "sull'immagine.");
inline const QString ChooseRow = QStringLiteral(
    "Scegliere prima nella tabella della sequenza la riga della stella da indicare.");
// %1: the file's name.
inline const QString Saved = QStringLiteral("Salvata con le coordinate celesti: %1");
} // namespace SkyFinding

// The FITS pixel position typed as "x y" (blanks or ";" between), in the
// image's coordinates; none for anything else.
std::optional<QPointF> typedPosition(const QString &text);

// The aperture and sky annulus as multiples of a star's FWHM.
constexpr double FwhmMultiples[3] = {2, 3, 5};
Imaging::Aperture apertureForFwhm(double fwhm);

// The check star's magnitude as its row shows it.
struct CheckRow
{
    std::optional<double> magnitude;
    std::optional<double> catalogue;  // typed in its box
    std::optional<double> difference; // magnitude - catalogue
    QString problem;                  // why there is no magnitude
};

// The detector's boxes as typed: the values they keep, and why any was refused.
struct DetectorTexts
{
    QString gain;
    QString readNoise;
    QString saturation; // empty: no level counts as saturated
};

// What "Al foglio" gives beyond the sheet's fields, for the window's boxes.
struct SheetWrite
{
    QString problem; // nothing was written
    QString status;  // what was
    std::optional<QString> chart;
    std::optional<QString> checkName;
    std::optional<QString> checkCatalogue;
    // Kept for the transformation when the comparison stars are the sequence's.
    std::optional<Transform::BandMeasurement> band;
};

class Session
{
public:
    explicit Session(Sheet &sheet);

    // Opens `path` the one way every image is opened, finds the stars
    // placed on the image before and lays the sequence on it.
    struct Opening
    {
        QString problem; // the image cannot be opened: the one before stays
        QString status;  // what the user should know of the image opened
    };
    Opening open(const QString &path, const Imaging::Aperture &aperture);
    // What changes the pixels of every image opened from now on (calibration).
    void setPixelStep(PixelStep step) { m_pixelStep = std::move(step); }
    const std::optional<Imaging::FitsImage> &image() const { return m_opened.image; }
    const std::optional<Imaging::SkyFrame> &frame() const { return m_opened.frame; }
    // "file: w × h pixel, posa ..., filtro ..., ... UTC (JD medio ...)", then
    // its sky and what the pixel step did.
    QString description() const;
    // Why the sky could not be worked out; empty when it was or there is no image.
    QString skyProblem() const;
    const std::optional<SkyTime::Sky> &sky() const { return m_opened.sky.value; }

    // A click (or a typed position) for `role`: the refusal, when the star
    // cannot be measured there (where it was before, it stays).
    QString place(Imaging::Role role, const QPointF &point, const Imaging::Aperture &aperture);
    // Every placed star measured again where it is (a new aperture, image or detector).
    void remeasure(const Imaging::Aperture &aperture);
    const std::array<std::optional<QPointF>, Imaging::RoleCount> &positions() const { return m_positions; }
    const Imaging::Measurements &measured() const { return m_measured; }
    // The mean FWHM of the stars measured; none without one.
    std::optional<double> meanFwhm() const;
    // From C1-C3 and the sheet's catalogue magnitudes, beside the catalogue
    // magnitude typed (`catalogueText`, positive or zero).
    CheckRow checkRow(const QString &catalogueText) const;

    const Imaging::Detector &detector() const { return m_detector; }
    // The boxes' texts: each value that reads is kept, each that does not
    // is refused (the box then holds the value kept). Empty saturation text: none.
    QStringList setDetector(DetectorTexts &typed);
    DetectorTexts detectorTexts() const;

    // The site box: refused with its reason (the site before stays).
    QString setTypedSite(const QString &text);

    // A sequence read from a file (or a download), laid on the image; the
    // problem when it cannot place its stars.
    QString setSequence(Aavso::Sequence sequence, const Imaging::Aperture &aperture);
    const std::optional<Aavso::Sequence> &sequence() const { return m_sequence; }

    // What the AAVSO is asked for the field's sequence: the header's OBJECT,
    // else the sheet's star; and the image's diagonal in arc minutes, when
    // it has sky coordinates.
    QString starToAsk() const;
    std::optional<double> diagonalArcmin() const;
    const SequenceField &field() const { return m_field; }
    // The sequence star each role stands on.
    std::optional<std::size_t> sequenceStar(Imaging::Role role) const { return m_sequenceStar[std::size_t(role)]; }
    const Aavso::SequenceMagnitude *catalogueOf(Imaging::Role role) const;
    // The image has sky coordinates and not one of the sequence's stars
    // falls on it: the sequence is of another field, and says nothing of the
    // image's target.
    bool sequenceOfAnotherField() const;
    // The image's band, or the sheet's when the header names none.
    QString filterCode() const;

    // "Al foglio": the counts, date and filter, with the sequence's catalogue
    // magnitudes, into the sheet; the record's part kept in `settings`.
    SheetWrite toSheet(Settings &settings, const QString &checkName, const QString &chart);

    // The series' template from the stars placed here, or why there is none.
    SkyTime::Outcome<SeriesTemplate> seriesTemplate(const Imaging::Aperture &aperture) const;
    SkyHints skyHints() const;

    // Sky coordinates for an image whose header has none. The scale typed
    // (″/pixel) stands before the header's.
    bool lacksSkyCoordinates() const { return m_opened.image && !m_opened.frame; }
    void setTypedScale(std::optional<double> scale) { m_typedScale = scale; }
    std::optional<double> pixelScale() const;
    // What the engine is given; why it need not run (a field too narrow) in `narrow`.
    Astrometry::SolveRequest solveRequest(QString &narrow);
    // The engine's solution made the image's WCS; what the status line says.
    QString adoptSolution(const Astrometry::Solution &solution, const Imaging::Aperture &aperture);
    // A click while the sequence is being aligned: `row` is the sequence
    // star selected, if any. What the status line says.
    QString alignmentClick(const QPointF &point, std::optional<std::size_t> row, const Imaging::Aperture &aperture);
    bool aligning() const { return m_sequence && lacksSkyCoordinates(); }
    // The cards of the WCS found here, for a copy of the image; empty when the header had one.
    const QByteArray &foundCards() const { return m_foundCards; }
    QString saveWithFoundCards(const QString &target) const;

private:
    void forgetFoundSky();
    QString adoptCards(const QByteArray &cards, const Imaging::Aperture &aperture);
    const std::vector<Astrometry::FoundStar> &foundStars();
    QString laySequence(const Imaging::Aperture &aperture);
    void setRole(Imaging::Role role, const Imaging::StarMeasurement &star, double radius);
    std::optional<std::size_t> sequenceStarAt(const QPointF &centre, double radius) const;
    void workOutSky();
    std::optional<Transform::BandMeasurement> bandOf(const Aavso::ImageMeasurement &image) const;

    Sheet &m_sheet;
    QString m_path;
    OpenedImage m_opened; // its image, sky frame and sky
    PixelStep m_pixelStep;
    std::array<std::optional<QPointF>, Imaging::RoleCount> m_positions; // the image's coordinates
    Imaging::Measurements m_measured;
    Imaging::Detector m_detector;
    std::optional<SkyTime::Site> m_typedSite;
    std::optional<Aavso::Sequence> m_sequence;
    SequenceField m_field; // the sequence laid on the image; no rows when not
    std::array<std::optional<std::size_t>, Imaging::RoleCount> m_sequenceStar;
    // Finding the sky: the scale typed, the image's stars once found, the
    // first click of an alignment (where on the sky, where on the image), the cards found.
    std::optional<double> m_typedScale;
    std::optional<std::vector<Astrometry::FoundStar>> m_found;
    std::optional<std::pair<Sky::Position, QPointF>> m_firstClick;
    QByteArray m_foundCards;
};

} // namespace Measurement
