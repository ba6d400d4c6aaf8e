#include "skycoordinates.h"

#include "imaging/fitsimage.h"
#include "imaging/wcscards.h"

#include <QStringList>

#include <dis.h>
#include <lin.h>
#include <wcs.h>
#include <wcsfix.h>
#include <wcshdr.h>
#include <wcsmath.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace Imaging {

namespace {

constexpr int FitsCardLength = 80;
constexpr double MostRoundTripMiss = 0.01; // pixels

QString reason(const char *text) { return QString::fromUtf8(text); }

// WCSLIB reads A_p_q and the other SIP keys as a distortion whatever the
// axes' types say; they apply only where CTYPE ends in "-SIP".
void dropStraySip(wcsprm &wcs)
{
    const disprm *prior = wcs.lin.dispre;
    if (!prior || std::strcmp(prior->dtype[0], "SIP") != 0)
        return;
    for (int axis = 0; axis < std::min(wcs.naxis, 2); ++axis)
        if (QByteArray(wcs.ctype[axis]).trimmed().endsWith("-SIP"))
            return;
    lindist(1, &wcs.lin, nullptr, 0);
}

std::optional<Sky::Position> skyOf(wcsprm &wcs, const QPointF &pixel)
{
    const int axes = wcs.naxis;
    const auto size = std::size_t(axes);
    // Axes beyond the image's two (a colour cube's plane) at their first pixel.
    std::vector<double> pixels(size, 1.0), image(size), world(size);
    pixels[0] = toFits(pixel.x());
    pixels[1] = toFits(pixel.y());
    double phi = 0, theta = 0;
    int status = 0;
    if (wcsp2s(&wcs, 1, axes, pixels.data(), image.data(), &phi, &theta, world.data(), &status) != 0)
        return std::nullopt;
    const double ra = std::fmod(world[std::size_t(wcs.lng)] + 360, 360);
    const double dec = world[std::size_t(wcs.lat)];
    if (!std::isfinite(ra) || !(std::abs(dec) <= 90))
        return std::nullopt;
    return Sky::Position{ra == 360 ? 0 : ra, dec};
}

std::optional<QPointF> pixelOf(wcsprm &wcs, const Sky::Position &sky)
{
    const int axes = wcs.naxis;
    const auto size = std::size_t(axes);
    std::vector<double> world(wcs.crval, wcs.crval + axes), image(size), pixels(size);
    world[std::size_t(wcs.lng)] = sky.ra;
    world[std::size_t(wcs.lat)] = sky.dec;
    double phi = 0, theta = 0;
    int status = 0;
    if (wcss2p(&wcs, 1, axes, world.data(), &phi, &theta, image.data(), pixels.data(), &status) != 0
        || !std::isfinite(pixels[0]) || !std::isfinite(pixels[1]))
        return std::nullopt;
    return QPointF(fromFits(pixels[0]), fromFits(pixels[1]));
}

// The first two axes' pixel -> sky scale as wcsset will take it (PC with
// CDELT before CD, CD before CDELT with CROTA), before cdfix sets a CD
// matrix of zeros to the unit matrix.
struct Scale
{
    bool given = true; // no CDELT at WCSLIB's default of 1 on both axes without a matrix
    bool invertible = true;
};

Scale scaleOf(const wcsprm &wcs)
{
    const int n = wcs.naxis;
    if (n < 2)
        return {}; // no celestial pair
    const double *matrix = wcs.altlin & 1 ? wcs.pc : wcs.altlin & 2 ? wcs.cd : nullptr;
    const bool cd = !(wcs.altlin & 1) && (wcs.altlin & 2);
    const double x = cd ? 1 : wcs.cdelt[0], y = cd ? 1 : wcs.cdelt[1];
    const double determinant = matrix ? x * y * (matrix[0] * matrix[n + 1] - matrix[1] * matrix[n]) : x * y;
    return {matrix || wcs.cdelt[0] != 1 || wcs.cdelt[1] != 1, std::isfinite(determinant) && determinant != 0};
}

QString axisTypes(const wcsprm &wcs)
{
    QStringList types;
    for (int axis = 0; axis < std::min(wcs.naxis, 2); ++axis)
        types << QString::fromLatin1(QByteArray(wcs.ctype[axis]).trimmed());
    return types.join(QLatin1String(", "));
}

// ICRS, or FK5 at the equinox J2000 (which wcsset assumes for an EQUINOX of
// 2000 without RADESYS, and for no EQUINOX with FK5): a sequence's
// positions are J2000 and are placed without precession.
QString frameProblem(const wcsprm &wcs)
{
    const QString frame = QString::fromLatin1(QByteArray(wcs.radesys).trimmed());
    const bool atEquinox = !undefined(wcs.equinox);
    if (frame == QLatin1String("ICRS") || (frame == QLatin1String("FK5") && (!atEquinox || wcs.equinox == 2000)))
        return QString();
    return reason(SkyProblem::OtherFrame)
        .arg(atEquinox ? reason(SkyProblem::FrameAtEquinox).arg(frame, QString::number(wcs.equinox)) : frame);
}

// Pixel -> sky -> pixel at the image's centre and corners.
QString roundTripProblem(wcsprm &wcs, int width, int height)
{
    const double right = std::max(width, 1) - 1, top = std::max(height, 1) - 1;
    const std::array<QPointF, 5> points = {
        QPointF(right / 2, top / 2), QPointF(0, 0), QPointF(right, 0), QPointF(0, top), QPointF(right, top)};
    for (const QPointF &point : points) {
        const std::optional<Sky::Position> sky = skyOf(wcs, point);
        const std::optional<QPointF> back = sky ? pixelOf(wcs, *sky) : std::nullopt;
        if (!back || !(std::hypot(back->x() - point.x(), back->y() - point.y()) <= MostRoundTripMiss))
            return reason(SkyProblem::NoRoundTrip).arg(toFits(point.x())).arg(toFits(point.y()));
    }
    return QString();
}

struct Verdict
{
    bool celestial = true;
    QString problem; // empty for a celestial system that can be used
};

// wcsset runs once on each system: after a failure it would allocate its
// matrices again over the first ones, which only a successful run frees.
Verdict verdict(wcsprm &wcs, int width, int height)
{
    dropStraySip(wcs);
    const Scale scale = scaleOf(wcs);
    unitfix(0, &wcs); // "DEG" for "deg"
    cdfix(&wcs);      // a cube's plane axis without a CD row
    if (const int status = wcsset(&wcs); status != 0)
        return {true, status == WCSERR_SINGULAR_MTX ? reason(SkyProblem::Singular)
                                                    : reason(SkyProblem::Projection).arg(axisTypes(wcs))};
    if (wcs.lng < 0)
        return {false, QString()};
    if (wcs.lng > 1 || wcs.lat > 1)
        return {true, reason(SkyProblem::NotOnImage)};
    if (std::strcmp(wcs.lngtyp, "RA") != 0 || std::strcmp(wcs.lattyp, "DEC") != 0)
        return {true, reason(SkyProblem::NotEquatorial).arg(QString::fromLatin1(wcs.lngtyp),
                                                            QString::fromLatin1(wcs.lattyp))};
    // WCSLIB refuses a declination beyond the poles, but takes a right
    // ascension of 1e20 degrees, which no sine resolves.
    if (!(std::abs(wcs.crval[wcs.lng]) <= 360)) {
        const QString alternate = wcs.alt[0] == ' ' ? QString() : QString(QLatin1Char(wcs.alt[0]));
        return {true, reason(SkyProblem::OutOfRange).arg(QStringLiteral("CRVAL%1%2").arg(wcs.lng + 1).arg(alternate))};
    }
    if (QString problem = frameProblem(wcs); !problem.isEmpty())
        return {true, problem};
    if (!scale.given)
        return {true, reason(SkyProblem::NoScale)};
    if (!scale.invertible)
        return {true, reason(SkyProblem::Singular)};
    return {true, roundTripProblem(wcs, width, height)};
}

} // namespace

SkyFrameRead SkyFrame::read(const QByteArray &cards, int width, int height)
{
    const WcsCards checked = wcsCards(cards);
    if (!checked.hasAxes)
        return {};
    if (!checked.problem.isEmpty())
        return {std::nullopt, checked.problem};

    // WCSLIB's parsers are re-entrant since 5.18 (7.5 removed the last state
    // they shared), so the series' two threads read headers side by side.
    // Of the checked cards it rejects only those that change nothing, such
    // as an alternate system's EPOCH when that system has no axes.
    QByteArray text = checked.cards;
    int rejected = 0, count = 0;
    wcsprm *all = nullptr;
    if (wcspih(text.data(), int(text.size() / FitsCardLength), WCSHDR_all, 0, &rejected, &count, &all) != 0) {
        wcsvfree(&count, &all);
        return {std::nullopt, reason(SkyProblem::Unparsed)};
    }
    // The primary system first, then the alternates ("A" to "Z") in turn.
    QString problem;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < count; ++i) {
            if ((all[i].alt[0] == ' ') != (pass == 0))
                continue;
            const Verdict found = verdict(all[i], width, height);
            if (found.celestial && found.problem.isEmpty())
                return {SkyFrame(all, count, &all[i]), QString()};
            if (problem.isEmpty())
                problem = found.problem;
        }
    }
    wcsvfree(&count, &all);
    return {std::nullopt, problem};
}

SkyFrame::SkyFrame(wcsprm *all, int count, wcsprm *used) : m_all(all), m_count(count), m_used(used) {}

SkyFrame::~SkyFrame()
{
    if (m_all)
        wcsvfree(&m_count, &m_all);
}

SkyFrame::SkyFrame(SkyFrame &&other) noexcept
    : m_all(std::exchange(other.m_all, nullptr)), m_count(std::exchange(other.m_count, 0)),
      m_used(std::exchange(other.m_used, nullptr))
{
}

SkyFrame &SkyFrame::operator=(SkyFrame &&other) noexcept
{
    std::swap(m_all, other.m_all);
    std::swap(m_count, other.m_count);
    std::swap(m_used, other.m_used);
    return *this;
}

std::optional<Sky::Position> SkyFrame::toSky(const QPointF &pixel) const { return skyOf(*m_used, pixel); }

std::optional<QPointF> SkyFrame::toPixel(const Sky::Position &sky) const { return pixelOf(*m_used, sky); }

} // namespace Imaging
