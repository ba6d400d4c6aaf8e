#pragma once
// The sky an image shows, as its header's world coordinate system says:
// WCSLIB reads every form plate solvers write (a CD matrix, PC with CDELT,
// CDELT with CROTA2, TAN, and TAN-SIP with its inverse terms), so no
// projection is worked out here. Positions on the image are in this
// program's frame (fitsimage.h: pixel (0, 0) is FITS pixel (1, 1)); on the
// sky, right ascension and declination in degrees (ICRS, or FK5 at J2000).
//
// WCSLIB's header parser crashes or loops on cards it cannot read, so it is
// given only the keys of a celestial system, each rewritten from a value
// checked here; a system is then used only when pixel -> sky -> pixel comes
// back to the pixel at the image's centre and corners.

#include "core/skyposition.h"

#include <QByteArray>
#include <QPointF>
#include <QString>

#include <optional>

struct wcsprm;

namespace Imaging {

namespace SkyProblem {
// %1: one of the reasons below.
inline const char *const Unreadable = "Le coordinate celesti dell'intestazione non sono leggibili: %1";
// %1: a header key.
inline const char *const NoValue = "%1 non ha un valore";
inline const char *const NotAscii = "il valore di %1 contiene caratteri non ASCII";
inline const char *const NotText = "il valore di %1 non è un testo tra apici";
inline const char *const NotNumber = "il valore di %1 non è un numero";
inline const char *const NotWhole = "il valore di %1 non è un numero intero";
inline const char *const OutOfRange = "il valore di %1 è fuori dall'intervallo ammesso";
inline const char *const Unparsed = "WCSLIB non riesce a costruire il sistema di coordinate";
inline const char *const NoScale = "manca la scala dei pixel (CD, oppure CDELT)";
inline const char *const Singular = "la matrice CD o PC è nulla o non invertibile";
// %1: the axes' types (CTYPE), separated by commas.
inline const char *const Projection = "WCSLIB non accetta la proiezione %1 con questi parametri";
// %1, %2: the celestial axes' kinds (GLON, GLAT...).
inline const char *const NotEquatorial = "gli assi celesti sono %1 e %2, non ascensione retta e declinazione (RA, DEC)";
inline const char *const NotOnImage = "gli assi celesti non sono i primi due dell'immagine";
// %1: the reference frame (RADESYS), or FrameAtEquinox.
inline const char *const OtherFrame = "il sistema di riferimento è %1, non ICRS né FK5 dell'equinozio 2000";
// %1: the frame; %2: its equinox (EQUINOX), in years.
inline const char *const FrameAtEquinox = "%1 dell'equinozio %2";
// %1, %2: the FITS pixel.
inline const char *const NoRoundTrip = "il pixel (%1, %2), portato sul cielo e di nuovo sull'immagine, "
                                       "non torna al suo posto";
} // namespace SkyProblem

struct SkyFrameRead;

class SkyFrame
{
public:
    // `cards`: the whole header, one 80-character card after the other (as
    // CFITSIO's fits_hdr2str gives it); `width` x `height`: the image's size.
    static SkyFrameRead read(const QByteArray &cards, int width, int height);

    ~SkyFrame();
    SkyFrame(SkyFrame &&other) noexcept;
    SkyFrame &operator=(SkyFrame &&other) noexcept;
    SkyFrame(const SkyFrame &) = delete;
    SkyFrame &operator=(const SkyFrame &) = delete;

    // Absent where the projection has no answer. A frame serves one thread
    // at a time: WCSLIB works in scratch memory of its own.
    std::optional<Sky::Position> toSky(const QPointF &pixel) const;
    std::optional<QPointF> toPixel(const Sky::Position &sky) const;

private:
    SkyFrame(wcsprm *all, int count, wcsprm *used);

    wcsprm *m_all = nullptr; // every system wcspih read, freed together
    int m_count = 0;
    wcsprm *m_used = nullptr; // the celestial one among them
};

struct SkyFrameRead
{
    std::optional<SkyFrame> frame;
    // Empty when the frame was read, or when the header has no sky
    // coordinates (no CTYPE); else why those it has cannot be used, for
    // SkyProblem::Unreadable.
    QString problem;
};

} // namespace Imaging
