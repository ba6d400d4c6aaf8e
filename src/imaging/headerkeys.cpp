#include "headerkeys.h"

#include <cmath>
#include <map>

namespace Imaging {

const QStringList &headerKeyNames(HeaderKey key)
{
    static const std::map<HeaderKey, QStringList> names = {
        {HeaderKey::Exposure, {"EXPTIME", "EXPOSURE"}},
        {HeaderKey::Date, {"DATE-OBS"}},
        {HeaderKey::Time, {"TIME-OBS"}},
        {HeaderKey::StartMjd, {"MJD-OBS"}},
        {HeaderKey::StartJd, {"JD"}},
        {HeaderKey::MidExposureDate, {"DATE-AVG"}},
        {HeaderKey::Filter, {"FILTER"}},
        {HeaderKey::FirstFilter, {"FILTER1"}},
        {HeaderKey::SecondFilter, {"FILTER2"}},
        {HeaderKey::Gain, {"GAIN", "EGAIN", "CVF"}},
        {HeaderKey::ReadNoise, {"RDNOISE", "READNOIS"}},
        {HeaderKey::Saturation, {"SATURATE", "DATAMAX"}},
        {HeaderKey::Airmass, {"AIRMASS"}},
        {HeaderKey::Object, {"OBJECT"}},
        {HeaderKey::SiteLatitude, {"SITELAT", "LAT-OBS", "OBSGEO-B", "LATITUDE", "OBSLAT"}},
        {HeaderKey::SiteLongitude, {"SITELONG", "LONG-OBS", "OBSGEO-L", "LONGITUD", "OBSLONG"}},
        {HeaderKey::SiteHeight, {"SITEELEV", "ALT-OBS", "OBSGEO-H", "OBSALT"}},
        {HeaderKey::ObjectRa, {"OBJCTRA"}},
        {HeaderKey::ObjectDec, {"OBJCTDEC"}},
        {HeaderKey::Ra, {"RA"}},
        {HeaderKey::Dec, {"DEC"}},
        {HeaderKey::Equinox, {"EQUINOX", "EPOCH"}},
        {HeaderKey::XBinning, {"XBINNING", "CCDXBIN"}},
        {HeaderKey::YBinning, {"YBINNING", "CCDYBIN"}},
        {HeaderKey::Temperature, {"CCD-TEMP", "SET-TEMP"}},
        {HeaderKey::FrameType, {"IMAGETYP", "FRAMETYP"}},
        {HeaderKey::Pedestal, {"PEDESTAL"}},
        {HeaderKey::PixelScale, {"PIXSCALE", "SECPIX", "IM_SCALE"}},
        {HeaderKey::PixelSize, {"XPIXSZ"}},
        {HeaderKey::FocalLength, {"FOCALLEN"}},
    };
    return names.at(key);
}

QString headerText(const HeaderKeys &keys, HeaderKey key)
{
    for (const QString &name : headerKeyNames(key)) {
        QString value = keys.value(name).trimmed();
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

std::optional<double> headerNumber(const HeaderKeys &keys, HeaderKey key)
{
    for (const QString &name : headerKeyNames(key)) {
        if (const std::optional<double> value = parseHeaderNumber(keys.value(name)))
            return value;
    }
    return std::nullopt;
}

std::optional<double> parseHeaderNumber(const QString &text)
{
    QString number = text.trimmed();
    number.replace(QLatin1Char('D'), QLatin1Char('E')).replace(QLatin1Char('d'), QLatin1Char('e'));
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

} // namespace Imaging
