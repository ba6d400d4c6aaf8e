#include "imagepipeline.h"

namespace Measurement {

OpenedImage openImage(const ImageRequest &request)
{
    OpenedImage opened;
    Imaging::FitsLoad load;
    if (request.part) {
        Imaging::PartialFits file(request.path);
        opened.frame = Imaging::SkyFrame::fromHeader(file.headerCards());
        load = file.read(request.part(opened.frame));
    } else {
        load = Imaging::loadFits(request.path);
        if (load.image)
            opened.frame = Imaging::SkyFrame::fromHeader(load.image->headerCards);
    }
    if (!load.image) {
        opened.problem = load.problem;
        opened.frame.reset();
        return opened;
    }
    if (request.pixelStep) {
        const PixelStepResult step = request.pixelStep(*load.image);
        if (!step.problem.isEmpty()) {
            opened.problem = step.problem;
            opened.frame.reset();
            return opened;
        }
        opened.pixelsDone = step.done;
    }
    opened.image = std::move(load.image);
    if (request.hints)
        placeOnSky(opened, *request.hints);
    return opened;
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
