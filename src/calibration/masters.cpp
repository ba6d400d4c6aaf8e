#include "masters.h"

#include "imaging/fitsimage.h"
#include "imaging/fitswrite.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Calibration {

namespace {

constexpr double Unbounded = std::numeric_limits<double>::infinity();

bool sameFilter(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

QString frameCount(int frames, bool first)
{
    if (frames == 0)
        return MasterText::FromFile;
    if (!first)
        return QStringLiteral("da %1").arg(frames);
    return QStringLiteral("da %1 %2").arg(frames).arg(frames == 1 ? QStringLiteral("quadro") : QStringLiteral("quadri"));
}

QString masterName(const Master &master)
{
    switch (master.kind) {
    case FrameKind::Bias: return QStringLiteral("bias");
    case FrameKind::Dark: return QStringLiteral("dark %1 s").arg(shortNumber(master.exposure.value_or(0)));
    case FrameKind::Flat: break;
    }
    return master.filter.isEmpty() ? QStringLiteral("flat") : QStringLiteral("flat %1").arg(master.filter);
}

// The mean of the frames' sensor temperatures, when every frame has one.
std::optional<double> meanTemperature(const std::vector<const Frame *> &frames)
{
    double sum = 0;
    for (const Frame *frame : frames) {
        if (!frame->temperature)
            return std::nullopt;
        sum += *frame->temperature;
    }
    return frames.empty() ? std::nullopt : std::optional(sum / double(frames.size()));
}

// Puts `made` in the set, in place of one of its kind, exposure or filter.
void keep(MasterSet &set, Master made)
{
    switch (made.kind) {
    case FrameKind::Bias: set.bias = std::move(made); return;
    case FrameKind::Dark: {
        const auto same = std::find_if(set.darks.begin(), set.darks.end(), [&made](const Master &dark) {
            return sameExposure(*dark.exposure, *made.exposure);
        });
        if (same != set.darks.end())
            *same = std::move(made);
        else
            set.darks.push_back(std::move(made));
        std::sort(set.darks.begin(), set.darks.end(),
                  [](const Master &a, const Master &b) { return *a.exposure < *b.exposure; });
        return;
    }
    case FrameKind::Flat: {
        const auto same = std::find_if(set.flats.begin(), set.flats.end(),
                                       [&made](const Master &flat) { return sameFilter(flat.filter, made.filter); });
        if (same != set.flats.end())
            *same = std::move(made);
        else
            set.flats.push_back(std::move(made));
        return;
    }
    }
}

// Frames of one master to make: darks of one exposure, flats of one filter.
using Group = std::vector<const Frame *>;

std::vector<Group> groups(const std::vector<Frame> &frames, FrameKind kind)
{
    std::vector<Group> made;
    for (const Frame &frame : frames) {
        if (frame.master || frame.kind != kind)
            continue;
        const auto together = [&frame, kind](const Group &group) {
            const Frame &other = *group.front();
            return kind == FrameKind::Bias || (kind == FrameKind::Dark && sameExposure(*frame.exposure, *other.exposure))
                || (kind == FrameKind::Flat && sameFilter(frame.filter, other.filter));
        };
        const auto group = std::find_if(made.begin(), made.end(), together);
        if (group != made.end())
            group->push_back(&frame);
        else
            made.push_back({&frame});
    }
    return made;
}

Subtraction subtractionFor(const MasterSet &set, const DarkChoice &dark)
{
    Subtraction subtraction;
    if (set.bias)
        subtraction.bias = &set.bias->pixels;
    if (dark.dark) {
        subtraction.dark = &dark.dark->pixels;
        subtraction.darkScale = dark.scale;
        subtraction.darkHoldsBias = dark.dark->holdsBias;
    }
    return subtraction;
}

} // namespace

QString shortNumber(double value)
{
    return QString::number(value, 'g', 10);
}

std::vector<const Master *> MasterSet::all() const
{
    std::vector<const Master *> masters;
    if (bias)
        masters.push_back(&*bias);
    for (const Master &dark : darks)
        masters.push_back(&dark);
    for (const Master &flat : flats)
        masters.push_back(&flat);
    return masters;
}

std::optional<FrameFormat> MasterSet::format() const
{
    const std::vector<const Master *> masters = all();
    return masters.empty() ? std::nullopt : std::optional(masters.front()->format);
}

QString MasterSet::summary() const
{
    QStringList parts;
    bool first = true;
    for (const Master *master : all()) {
        parts << masterName(*master) + QLatin1Char(' ') + frameCount(master->frames, first);
        first = first && master->frames == 0;
    }
    return parts.isEmpty() ? MasterText::None : MasterText::Summary.arg(parts.join(QLatin1String(", ")));
}

DarkChoice chooseDark(const MasterSet &masters, double exposure)
{
    const Master *nearest = nullptr;
    double distance = Unbounded;
    for (const Master &dark : masters.darks) {
        if (sameExposure(*dark.exposure, exposure)) {
            nearest = &dark;
            break;
        }
        if (std::fabs(*dark.exposure - exposure) < distance) {
            distance = std::fabs(*dark.exposure - exposure);
            nearest = &dark;
        }
    }
    if (!nearest)
        return {};
    const bool scalable = !nearest->holdsBias || masters.bias;
    if (scalable)
        return {nearest, exposure / *nearest->exposure, QString()};
    if (sameExposure(*nearest->exposure, exposure))
        return {nearest, 1, QString()};
    return {nullptr, 1, MasterText::DarkNeedsBias.arg(shortNumber(*nearest->exposure), shortNumber(exposure))};
}

Built buildMasters(const std::vector<Frame> &frames, Combine method, const std::function<bool(double)> &goOn,
                   std::size_t bandBytes)
{
    if (frames.empty())
        return {{}, MasterText::NoFrames};
    Built built;
    MasterSet &set = built.masters;
    for (const Frame &frame : frames) {
        if (const QString odd = formatProblem(frame.path, frame.format, frames.front().format, false); !odd.isEmpty())
            return {{}, odd};
        const bool needsExposure = frame.kind == FrameKind::Dark;
        if (needsExposure && !frame.exposure)
            return {{}, MasterText::NoExposure.arg(QFileInfo(frame.path).fileName())};
        if (frame.master) {
            QString problem;
            std::optional<Master> read = readMaster(frame, &problem);
            if (!read)
                return {{}, problem};
            keep(set, std::move(*read));
        }
    }
    const std::vector<Group> biases = groups(frames, FrameKind::Bias);
    const std::vector<Group> darks = groups(frames, FrameKind::Dark);
    const std::vector<Group> flats = groups(frames, FrameKind::Flat);
    const double stacks = double(biases.size() + darks.size() + 2 * flats.size());
    double done = 0;
    const FrameFormat format = frames.front().format;
    // One stack: its layers combined into a master of `kind`, or false when it
    // could not be (the problem told) or was cancelled.
    // `weight`: the stack's share of a master's work.
    const auto combine = [&](const std::vector<Layer> &layers, Combine how,
                             double weight = 1) -> std::optional<std::vector<float>> {
        const auto told = [&](double share) { return goOn((done + share * weight) / stacks); };
        Stacked stacked = combineStack(layers, format, how, told, bandBytes);
        done += weight;
        if (stacked.pixels.empty()) {
            built.problem = stacked.problem;
            built.cancelled = stacked.problem.isEmpty();
            return std::nullopt;
        }
        return std::move(stacked.pixels);
    };
    const auto made = [&](const Group &group, std::vector<float> pixels) {
        Master master;
        master.kind = group.front()->kind;
        master.format = format;
        master.pixels = std::move(pixels);
        master.frames = int(group.size());
        return master;
    };
    const auto failed = [&built] { return Built{{}, built.problem, built.cancelled}; };

    for (const Group &group : biases) {
        std::vector<Layer> layers;
        for (const Frame *frame : group)
            layers.push_back({frame->path, {}, 1});
        std::optional<std::vector<float>> pixels = combine(layers, method);
        if (!pixels)
            return failed();
        keep(set, made(group, std::move(*pixels)));
    }
    for (const Group &group : darks) {
        std::vector<Layer> layers;
        for (const Frame *frame : group)
            layers.push_back({frame->path, subtractionFor(set, {}), 1});
        std::optional<std::vector<float>> pixels = combine(layers, method);
        if (!pixels)
            return failed();
        Master dark = made(group, std::move(*pixels));
        dark.exposure = group.front()->exposure;
        dark.temperature = meanTemperature(group);
        dark.holdsBias = !set.bias;
        keep(set, std::move(dark));
    }
    for (const Group &group : flats) {
        std::vector<Layer> layers;
        for (const Frame *frame : group) {
            DarkChoice dark;
            if (!set.darks.empty()) {
                if (!frame->exposure)
                    return {{}, MasterText::NoExposure.arg(QFileInfo(frame->path).fileName())};
                dark = chooseDark(set, *frame->exposure);
                if (!dark.problem.isEmpty())
                    return {{}, dark.problem};
            }
            layers.push_back({frame->path, subtractionFor(set, dark), 1});
        }
        // Each flat is divided by its own median, which needs the whole of it first.
        for (Layer &layer : layers) {
            std::optional<std::vector<float>> corrected = combine({layer}, Combine::Median, 1.0 / double(layers.size()));
            if (!corrected)
                return failed();
            layer.divisor = medianOfValid(*corrected);
            if (!(layer.divisor > 0))
                return {{}, MasterText::FlatNotPositive.arg(QFileInfo(layer.path).fileName())};
        }
        std::optional<std::vector<float>> pixels = combine(layers, method);
        if (!pixels)
            return failed();
        Master flat = made(group, std::move(*pixels));
        flat.filter = group.front()->filter;
        keep(set, std::move(flat));
    }
    return built;
}

QString masterFileName(const Master &master)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._+-]"));
    switch (master.kind) {
    case FrameKind::Bias: return QStringLiteral("master-bias.fits");
    case FrameKind::Dark:
        return QStringLiteral("master-dark-%1s.fits").arg(shortNumber(master.exposure.value_or(0)));
    case FrameKind::Flat: break;
    }
    if (master.filter.isEmpty())
        return QStringLiteral("master-flat.fits");
    return QStringLiteral("master-flat-%1.fits").arg(QString(master.filter).replace(unsafe, QStringLiteral("_")));
}

bool saveMaster(const Master &master, const QString &path)
{
    using namespace Imaging;
    static const char *const types[] = {"MASTER BIAS", "MASTER DARK", "MASTER FLAT"};
    QByteArray cards = textCard("IMAGETYP", QLatin1String(types[int(master.kind)]), "frame type");
    cards += numberCard("XBINNING", master.format.xBinning, "binning");
    cards += numberCard("YBINNING", master.format.yBinning, "binning");
    if (master.frames > 0)
        cards += numberCard("NCOMBINE", master.frames, "frames combined");
    if (master.exposure)
        cards += numberCard("EXPTIME", *master.exposure, "exposure, s");
    if (master.temperature)
        cards += numberCard("CCD-TEMP", *master.temperature, "sensor temperature, C");
    if (master.kind == FrameKind::Dark)
        cards += textCard("BIASSUB", master.holdsBias ? QStringLiteral("F") : QStringLiteral("T"), "bias subtracted");
    if (master.kind == FrameKind::Flat && !master.filter.isEmpty())
        cards += textCard("FILTER", master.filter, "filter");
    return saveFloatImage(path, master.format.width, master.format.height, master.pixels.data(), cards);
}

std::optional<Master> readMaster(const Frame &frame, QString *problem)
{
    Imaging::FitsRows file(frame.path, Imaging::FitsRows::EdgeZeros::Kept);
    Master master;
    master.kind = frame.kind;
    master.format = frame.format;
    master.exposure = frame.exposure;
    master.filter = frame.filter;
    master.temperature = frame.temperature;
    master.holdsBias = frame.holdsBias;
    master.path = frame.path;
    master.pixels.resize(std::size_t(frame.format.width) * std::size_t(frame.format.height));
    if (!file.problem().isEmpty() || formatOf(file.described()) != frame.format
        || !file.read(0, frame.format.height, master.pixels.data())) {
        *problem = MasterText::Unreadable.arg(QFileInfo(frame.path).fileName(), file.problem());
        return std::nullopt;
    }
    return master;
}

} // namespace Calibration
