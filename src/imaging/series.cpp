#include "series.h"

#include "imaging/skycoordinates.h"

#include <QSize>

#include <algorithm>
#include <cmath>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace Imaging {

QString seriesProblem(const Measurements &stars, double comparisonNet)
{
    for (int role = 0; role < RoleCount; ++role) {
        const auto &star = stars[std::size_t(role)];
        if (Role(role) == Role::Check && !star)
            continue; // no check star placed
        QString problem = starProblem(Role(role), star);
        if (!problem.isEmpty())
            return problem;
    }
    const double net = Imaging::comparisonNet(stars);
    if (net < LeastTransparency * comparisonNet)
        return QString::fromUtf8(SeriesProblem::Clouds).arg(std::lround(100 * net / comparisonNet));
    return QString();
}

namespace {

// Where the image's own WCS puts the stars placed on the sky; none when
// they have no places on the sky, the header has no WCS, or the
// projection has no answer for one of them.
std::optional<Positions> placedBySky(const QByteArray &cards, const QSize &size, const SeriesTemplate &placed)
{
    if (std::none_of(placed.sky.cbegin(), placed.sky.cend(), [](const auto &at) { return at.has_value(); }))
        return std::nullopt;
    const std::optional<SkyFrame> frame = SkyFrame::read(cards, size.width(), size.height()).frame;
    if (!frame)
        return std::nullopt;
    Positions positions;
    for (std::size_t role = 0; role < positions.size(); ++role) {
        if (!placed.sky[role])
            continue;
        positions[role] = frame->toPixel(*placed.sky[role]);
        if (!positions[role])
            return std::nullopt;
    }
    return positions;
}

// Each star measured where the sky puts it, re-centred as a click is.
Measurements measureAt(const FitsImage &image, const Positions &positions, const Aperture &aperture,
                       const Detector &detector)
{
    Measurements stars;
    for (std::size_t role = 0; role < positions.size(); ++role)
        if (const auto &at = positions[role])
            stars[role] = measureStar(image, at->x(), at->y(), aperture, detector);
    return stars;
}

QString filterName(const QString &filter)
{
    return filter.isEmpty() ? QString::fromUtf8(SeriesProblem::NoFilter) : QLatin1Char('"') + filter + QLatin1Char('"');
}

class Measuring
{
public:
    Measuring(const QStringList &paths, const SeriesTemplate &placed, const SeriesProgress &progress)
        : m_paths(paths), m_placed(placed), m_progress(progress), m_positions(placed.positions),
          m_images(std::size_t(paths.size()))
    {
    }

    void work()
    {
        for (;;) {
            int index = 0;
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                if (m_stopped || m_nextToRead >= m_paths.size())
                    return;
                index = int(m_nextToRead++);
            }
            PartialFits file(m_paths[index]);
            const std::optional<Positions> bySky = placedBySky(file.headerCards(), file.size(), m_placed);
            Positions from;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_turn.wait(lock, [&] { return m_stopped || m_measured == index; });
                if (m_stopped)
                    return;
                from = bySky.value_or(m_positions);
            }
            // Only the thread whose turn it is measures: the positions are its alone.
            SeriesImage &image = m_images[std::size_t(index)];
            image.path = m_paths[index];
            FitsLoad load = file.read(followedPart(from, m_placed.aperture));
            if (load.image) {
                image.header = load.image->header;
                image.problem = unlikeFirst(*load.image);
                if (image.problem.isEmpty()) {
                    image.stars = bySky ? measureAt(*load.image, from, m_placed.aperture, m_placed.detector)
                                        : followField(*load.image, from, m_placed.aperture, m_placed.detector);
                    image.problem = seriesProblem(image.stars, m_placed.comparisonNet);
                    from = nextPositions(from, image.stars);
                }
            } else {
                image.problem = load.problem;
            }
            load.image.reset();
            const bool goOn = m_progress(index + 1, int(m_paths.size()));
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_positions = from;
                m_measured = index + 1;
                m_stopped = m_stopped || !goOn;
            }
            m_turn.notify_all();
        }
    }

    std::vector<SeriesImage> images()
    {
        m_images.resize(std::size_t(m_measured));
        return std::move(m_images);
    }

private:
    // Why `image` does not belong with the series' first image read, whose
    // size and filter it takes when it is that image; empty when it does.
    QString unlikeFirst(const FitsImage &image)
    {
        const QSize size(image.width, image.height);
        if (!m_first) {
            m_first = {size, image.header.filter};
            return QString();
        }
        if (size != m_first->size) {
            return QString::fromUtf8(SeriesProblem::OtherSize)
                .arg(size.width()).arg(size.height()).arg(m_first->size.width()).arg(m_first->size.height());
        }
        if (image.header.filter.compare(m_first->filter, Qt::CaseInsensitive) != 0)
            return QString::fromUtf8(SeriesProblem::OtherFilter)
                .arg(filterName(image.header.filter), filterName(m_first->filter));
        return QString();
    }

    struct First
    {
        QSize size;
        QString filter;
    };

    const QStringList &m_paths;
    const SeriesTemplate &m_placed;
    const SeriesProgress &m_progress;
    std::mutex m_mutex;
    std::condition_variable m_turn;
    qsizetype m_nextToRead = 0;
    int m_measured = 0; // the images before this one are measured
    bool m_stopped = false;
    Positions m_positions; // where the last image measured put the stars
    std::optional<First> m_first; // measured in turn too
    std::vector<SeriesImage> m_images;
};

} // namespace

std::vector<SeriesImage> measureSeries(const QStringList &paths, const SeriesTemplate &placed,
                                       const SeriesProgress &progress)
{
    Measuring measuring(paths, placed, progress);
    std::vector<std::thread> others;
    for (int thread = 1; thread < SeriesThreads; ++thread)
        others.emplace_back([&measuring] { measuring.work(); });
    measuring.work();
    for (std::thread &thread : others)
        thread.join();
    return measuring.images();
}

} // namespace Imaging
