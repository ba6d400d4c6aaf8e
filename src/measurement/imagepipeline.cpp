#include "imagepipeline.h"

#include "calibration/apply.h"

namespace Measurement {

OpenedImage openImage(const ImageRequest &request)
{
    OpenedImage opened;
    Imaging::FitsLoad load;
    const auto readFrame = [&opened](const QByteArray &cards, const QSize &size) {
        Imaging::SkyFrameRead read = Imaging::SkyFrame::read(cards, size.width(), size.height());
        opened.frame = std::move(read.frame);
        opened.frameProblem = read.problem;
    };
    if (request.part) {
        Imaging::PartialFits file(request.path);
        if (!file.headerCards().isEmpty())
            readFrame(file.headerCards(), file.size());
        load = file.read(request.part(opened.frame));
    } else {
        load = Imaging::loadFits(request.path);
        if (load.image)
            readFrame(load.image->headerCards, QSize(load.image->width, load.image->height));
    }
    // A refused image has nothing else to tell.
    const auto refused = [](const QString &problem) {
        OpenedImage nothing;
        nothing.problem = problem;
        return nothing;
    };
    if (!load.image)
        return refused(load.problem);
    if (request.pixelStep) {
        const PixelStepResult step = request.pixelStep(*load.image, request.path);
        if (!step.problem.isEmpty())
            return refused(step.problem);
        opened.pixelsDone = step.done;
    }
    opened.image = std::move(load.image);
    if (request.hints)
        placeOnSky(opened, *request.hints);
    return opened;
}

PixelStep calibrationStep(const std::shared_ptr<const Calibration::MasterSet> &masters)
{
    if (!masters || masters->empty())
        return {};
    return [masters](Imaging::FitsImage &image, const QString &path) {
        const Calibration::Calibrated calibrated = Calibration::calibrate(image, *masters, path);
        return PixelStepResult{calibrated.done, calibrated.problem};
    };
}

void placeOnSky(OpenedImage &opened, const SkyHints &hints)
{
    opened.place = {};
    opened.sky = {};
    if (!opened.image)
        return;
    opened.place = skyPlace(opened.image->header, hints);
    opened.sky = opened.place.value ? exposureSky(*opened.place.value, opened.image->header)
                                    : SkyTime::Outcome<SkyTime::Sky>{std::nullopt, opened.place.problem};
}

} // namespace Measurement
