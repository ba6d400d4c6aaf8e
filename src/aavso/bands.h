#pragma once
// The photometric bands: the AAVSO's filter codes, the names its database
// writes for them, and what the sheet's filter buttons and the light curve
// show of them. The one place that knows a band.

#include <QString>
#include <QStringList>

#include <vector>

namespace Aavso::Bands {

// No colour of its own: the plot picks one.
inline constexpr quint32 Automatic = 0;

struct Band
{
    QString code;       // the AAVSO filter code; "Vis." for visual estimates
    QStringList names;  // other names the AAVSO database writes for it
    quint32 colour = Automatic; // 0xAARRGGBB as QRgb, opaque
    bool exported = true; // a code an AAVSO Extended record may carry
    const char *button = nullptr;  // the sheet's filter button, if it has one
    const char *caption = nullptr; // that button's caption, which goes into "Filtro:"
};

inline const QString Visual = QStringLiteral("Vis.");

// In the order the light curve lists them: U B V R I, visual, then the rest.
const std::vector<Band> &all();

// The band whose code or other name is `text`, in any letter case; the
// sheet's "UV" too. Null for a text that names no band.
const Band *find(QStringView text);

// The band of the sheet's filter button `button`; null for another control.
const Band *ofButton(const QString &button);

// The codes an AAVSO Extended record may carry.
QStringList exportedCodes();

// The band code of a FITS header's FILTER text; empty when it names none.
// One letter: V, B, R, I and U are Johnson/Cousins, G is a colour camera's
// green (TG), C and L are clear (CV); any other single letter names nothing.
// "Johnson", "Bessel(l)" or "Cousins" before the letter changes nothing;
// "Sloan" or "SDSS" before it, or a prime or "p" after it (g', zp), makes it
// Sloan (SG, SR, SI, SZ, SU). "Green", "Blue", "Red" are a colour camera's;
// "Clear", "CLR", "Lum", "Luminance" are clear; otherwise any code or name
// of an exported band.
QString fitsFilterCode(QStringView filter);

// The band names under which a comparison sequence gives the magnitudes an
// image taken in the band `code` (an AAVSO code or another name of it) is
// compared with, the preferred first: a colour camera's and an unfiltered
// image's take Johnson V, B or Cousins R. Empty when no sequence band serves.
QStringList sequenceBands(QStringView code);

} // namespace Aavso::Bands
