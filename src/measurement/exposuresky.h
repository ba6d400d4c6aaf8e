#pragma once
// The sky of a measured exposure: where it was taken (the header's site,
// else the one the observer typed), what it points at (the variable's place
// on the sky, else the header's target) and, at its mid-exposure, the
// target's altitude, airmass, HJD and BJD_TDB. For a series the site, the
// target and the longitude's sign are decided once, on its first dated image.

#include "imaging/fitsheader.h"
#include "skytime/observation.h"

#include <QString>

#include <optional>

namespace Measurement {

// What the measuring window knows beyond a header.
struct SkyHints
{
    std::optional<SkyTime::Site> typedSite;  // from its site box
    std::optional<SkyTime::Target> variable; // from the WCS at the variable, or the sequence
};

struct SkyPlace
{
    SkyTime::Site site; // with the longitude's sign to use
    SkyTime::Target target;
    bool longitudeReversed = false;
};

namespace Reason {
// The box where the user types the site; its problems start with its name.
inline const QString SiteBox = QStringLiteral("Sito (lat lon alt):");
inline const QString SiteBoxUnreadable = QStringLiteral(
    "scrivere latitudine e longitudine in gradi decimali (longitudine positiva a est) e altitudine in metri, "
    "separate da spazi, per esempio 45.46 9.19 120.");
} // namespace Reason

// The site the user typed: "lat lon [alt]" in decimal degrees (east
// positive) and metres, separated by spaces or semicolons, with a point or a
// comma as decimal separator. Blank text gives neither a site nor a problem;
// a problem names the box.
SkyTime::Outcome<SkyTime::Site> parseTypedSite(const QString &text);

namespace SkyNote {
// %1: why nothing was computed (one of SkyTime::Reason's texts).
inline const QString NotComputed = QStringLiteral("Altezza, massa d'aria, HJD e BJD_TDB non calcolati: %1");
inline const QString LongitudeReversed = QStringLiteral(
    "Longitudine del sito letta verso ovest: verso est l'oggetto sarebbe sotto l'orizzonte.");
} // namespace SkyNote

// The site and target for the exposure `header`, the longitude's sign
// decided at its mid-exposure; the problem names what is missing.
SkyTime::Outcome<SkyPlace> skyPlace(const Imaging::ImageHeader &header, const SkyHints &hints);

// The exposure's sky at its own mid-exposure.
SkyTime::Outcome<SkyTime::Sky> exposureSky(const SkyPlace &place, const Imaging::ImageHeader &header);

// A header's AIRMASS outside these is a writer's mistake and is not used.
inline constexpr double LeastAirmass = 1;
inline constexpr double MostAirmass = 40;
bool isPlausibleAirmass(double airmass);

// What a record and a table take: the header's AIRMASS when plausible, else
// the computed one.
std::optional<double> usedAirmass(const Imaging::ImageHeader &header, const std::optional<SkyTime::Sky> &sky);

} // namespace Measurement
