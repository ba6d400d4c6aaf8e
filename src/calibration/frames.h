#pragma once
// The bias, dark and flat frames of a night, as their headers describe them.

#include <QString>

#include <optional>

namespace Imaging {
struct FitsImage;
}

namespace Calibration {

enum class FrameKind { Bias, Dark, Flat };
QString kindName(FrameKind kind); // "bias", "dark", "flat"

// What IMAGETYP (or FRAMETYP) says, case aside: BIAS or ZERO, DARK, FLAT,
// MASTER beside one of them for a master made before; anything else is no
// calibration frame.
struct FrameType
{
    std::optional<FrameKind> kind;
    bool master = false;
};
FrameType frameTypeOf(const QString &imageType);

struct FrameFormat
{
    int width = 0;
    int height = 0;
    int xBinning = 1;
    int yBinning = 1;
    bool operator==(const FrameFormat &other) const;
    bool operator!=(const FrameFormat &other) const { return !(*this == other); }
    QString text() const; // "4096 × 4096 (binning 1)", "(binning 2×1)" when the axes differ
    QString size() const; // "4096 × 4096"
};

struct Frame
{
    QString path;
    FrameKind kind = FrameKind::Bias;
    bool master = false;
    QString filter;                    // as written, trimmed
    std::optional<double> exposure;    // seconds: EXPTIME, else EXPOSURE
    std::optional<double> temperature; // the sensor's, °C
    FrameFormat format;
    bool holdsBias = false; // a master dark made without subtracting a bias
    QString note;          // the header names another kind
};

namespace FrameText {
// %1: the kind the header names ("bias", "dark", "flat", or its own text).
inline const QString HeaderSays = QStringLiteral("l'intestazione dice %1");
inline const QString HeaderSaysNothing = QStringLiteral("l'intestazione non ne indica il tipo");
// %1: the file, %2 and %3: the formats.
inline const QString OtherThanMasters = QStringLiteral("Il quadro \"%1\" è %2: i master sono %3.");
inline const QString OtherThanFrames = QStringLiteral("Il quadro \"%1\" è %2: gli altri quadri sono %3.");
} // namespace FrameText

struct FrameRead
{
    std::optional<Frame> frame;
    QString problem; // why it cannot be read; empty with no frame: no calibration frame
};

FrameFormat formatOf(const Imaging::FitsImage &image);

// The frame at `path` from its header alone. `chosen`: the kind the user
// says it is, whatever the header says (the note tells what that says);
// none: the header's, and no frame when that names none.
FrameRead readFrame(const QString &path, std::optional<FrameKind> chosen = std::nullopt);

// The frame or light at `path` is `format`; `others` is what it must match.
QString formatProblem(const QString &path, const FrameFormat &format, const FrameFormat &others, bool othersAreMasters);

// Exposures within 1 % of each other are one exposure.
bool sameExposure(double a, double b);

} // namespace Calibration
