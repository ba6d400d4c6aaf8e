#pragma once
// The one road from a FITS file to an image ready to measure, taken by the
// measuring window and by every image of a series:
//   open (the whole image, or only the part around the stars) -> the pixel
//   step (what changes the pixels before they are measured) -> the sky
//   frame of the header -> the site, target and time.
// The saturation level stays the raw pixels', taken while opening.

#include "calibration/masters.h"
#include "imaging/fitsimage.h"
#include "imaging/skycoordinates.h"
#include "measurement/exposuresky.h"

#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace Measurement {

struct PixelStepResult
{
    QString done;    // what was done to the pixels, for the image's description; empty for nothing
    QString problem; // why the image cannot be measured; then it is refused
};
// Changes the pixels held (the whole image or its part) in place; `path`
// names the file in its problems.
using PixelStep = std::function<PixelStepResult(Imaging::FitsImage &image, const QString &path)>;

struct ImageRequest
{
    QString path;
    // None: the whole image. Else the part to read, chosen once the
    // header's sky frame is known (a series: around the stars).
    std::function<QRect(const std::optional<Imaging::SkyFrame> &frame)> part;
    PixelStep pixelStep; // none: the pixels as read
    // None: the sky is worked out later (a series decides its site once).
    std::optional<SkyHints> hints;
};

struct OpenedImage
{
    std::optional<Imaging::FitsImage> image; // none when refused
    QString problem;                         // why, with the file's name
    std::optional<Imaging::SkyFrame> frame;  // the header's WCS, when usable
    QString frameProblem;                    // why the header's WCS cannot be used; empty when it has none
    QString pixelsDone;                      // the pixel step's account
    SkyTime::Outcome<SkyPlace> place;        // with hints only
    SkyTime::Outcome<SkyTime::Sky> sky;      // at mid-exposure, with hints only
};

OpenedImage openImage(const ImageRequest &request);

// The step that calibrates every image with `masters`; none without masters.
PixelStep calibrationStep(const std::shared_ptr<const Calibration::MasterSet> &masters);

// The site, target and sky of an opened image for what the window knows
// now (a click on the variable changes the target).
void placeOnSky(OpenedImage &opened, const SkyHints &hints);

} // namespace Measurement
