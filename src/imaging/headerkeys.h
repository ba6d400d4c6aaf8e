#pragma once
// Every key of a FITS header this program reads beyond the standard's own,
// with the other names cameras and their software give it. Writers also
// disagree on number forms, so values are kept as their texts and read here.

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace Imaging {

// Key name -> value text, string values already without their quotes.
using HeaderKeys = QHash<QString, QString>;

enum class HeaderKey {
    Exposure,        // seconds
    Date,            // the start, ISO 8601 or the old "dd/mm/yy"
    Time,            // the start's time when the date has none
    StartMjd,        // the start as a modified Julian date (FITS's own)
    StartJd,         // the start as a Julian date
    MidExposureDate, // ISO 8601
    Filter,          // one wheel
    FirstFilter,     // two wheels
    SecondFilter,
    Gain,       // e-/ADU
    ReadNoise,  // e-
    Saturation, // ADU
    Airmass,
    Object,
    // The site: the n-th latitude name goes with the n-th longitude name.
    SiteLatitude,
    SiteLongitude,
    SiteHeight, // metres
    // The target: the object's own place (RA in hours), else the telescope's
    // (RA in degrees when decimal, in hours when sexagesimal).
    ObjectRa,
    ObjectDec,
    Ra,
    Dec,
    Equinox, // of the target's place
    XBinning,
    YBinning,
    Temperature, // the sensor's, °C: measured, else the set point
    FrameType,   // light, bias, dark, flat
    Pedestal,    // ADU added to every pixel
    // The pixels' size on the sky: a direct scale (″/pixel), else the pixel's
    // size (µm, binning included by the cameras that write it) and the focal length (mm).
    PixelScale,
    PixelSize,
    FocalLength,
};

// The key's names in the order they are tried.
const QStringList &headerKeyNames(HeaderKey key);

// The first of the key's names whose value is not blank, trimmed; empty when none.
QString headerText(const HeaderKeys &keys, HeaderKey key);
// The first of the key's names whose value reads as a number.
std::optional<double> headerNumber(const HeaderKeys &keys, HeaderKey key);

// A number written in a header, as a number or as a string ('060.00'),
// Fortran's D exponent included. Absent unless finite.
std::optional<double> parseHeaderNumber(const QString &text);

} // namespace Imaging
