#include "frames.h"

#include "imaging/fitsimage.h"

#include <QFileInfo>

#include <cmath>

namespace Calibration {

namespace {

int binning(const Imaging::HeaderKeys &keys, Imaging::HeaderKey key)
{
    const std::optional<double> value = Imaging::headerNumber(keys, key);
    return value && *value >= 1 && *value <= 64 && *value == std::floor(*value) ? int(*value) : 1;
}

} // namespace

QString kindName(FrameKind kind)
{
    static const char *const names[] = {"bias", "dark", "flat"};
    return QLatin1String(names[int(kind)]);
}

FrameType frameTypeOf(const QString &imageType)
{
    const QString type = imageType.toUpper();
    FrameType read;
    read.master = type.contains(QLatin1String("MASTER"));
    if (type.contains(QLatin1String("BIAS")) || type.contains(QLatin1String("ZERO")))
        read.kind = FrameKind::Bias;
    else if (type.contains(QLatin1String("DARK")))
        read.kind = FrameKind::Dark;
    else if (type.contains(QLatin1String("FLAT")))
        read.kind = FrameKind::Flat;
    return read;
}

bool FrameFormat::operator==(const FrameFormat &other) const
{
    return width == other.width && height == other.height && xBinning == other.xBinning
        && yBinning == other.yBinning;
}

QString FrameFormat::size() const
{
    return QStringLiteral("%1 × %2").arg(width).arg(height);
}

QString FrameFormat::text() const
{
    const QString bin = xBinning == yBinning ? QString::number(xBinning)
                                             : QStringLiteral("%1×%2").arg(xBinning).arg(yBinning);
    return QStringLiteral("%1 (binning %2)").arg(size(), bin);
}

FrameFormat formatOf(const Imaging::FitsImage &image)
{
    const Imaging::HeaderKeys &keys = image.header.keys;
    return {image.width, image.height, binning(keys, Imaging::HeaderKey::XBinning),
            binning(keys, Imaging::HeaderKey::YBinning)};
}

FrameRead readFrame(const QString &path, std::optional<FrameKind> chosen)
{
    const Imaging::FitsRows file(path);
    if (!file.problem().isEmpty())
        return {std::nullopt, file.problem()};
    const Imaging::FitsImage &image = file.described();
    const Imaging::HeaderKeys &keys = image.header.keys;
    const QString typeText = Imaging::headerText(keys, Imaging::HeaderKey::FrameType);
    const FrameType type = frameTypeOf(typeText);
    if (!chosen && !type.kind)
        return {};
    Frame frame;
    frame.path = path;
    frame.kind = chosen ? *chosen : *type.kind;
    frame.master = type.master && type.kind == frame.kind;
    if (chosen && type.kind != chosen)
        frame.note = typeText.isEmpty() ? FrameText::HeaderSaysNothing
                                        : FrameText::HeaderSays.arg(type.kind ? kindName(*type.kind) : typeText);
    frame.filter = image.header.filter.trimmed();
    frame.exposure = image.header.exposure;
    frame.temperature = Imaging::headerNumber(keys, Imaging::HeaderKey::Temperature);
    frame.format = formatOf(image);
    frame.holdsBias = frame.kind == FrameKind::Dark && keys.value(QStringLiteral("BIASSUB")).trimmed() != QLatin1String("T");
    return {std::move(frame), QString()};
}

QString formatProblem(const QString &path, const FrameFormat &format, const FrameFormat &others, bool othersAreMasters)
{
    if (format == others)
        return QString();
    return (othersAreMasters ? FrameText::OtherThanMasters : FrameText::OtherThanFrames)
        .arg(QFileInfo(path).fileName(), format.text(), others.text());
}

bool sameExposure(double a, double b)
{
    return std::fabs(a - b) <= 0.01 * std::max(std::fabs(a), std::fabs(b));
}

} // namespace Calibration
