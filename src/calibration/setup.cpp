#include "setup.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace Calibration {

QStringList fitsFilesIn(const QString &folder)
{
    static const QStringList patterns{QStringLiteral("*.fits"), QStringLiteral("*.fit"), QStringLiteral("*.fts"),
                                      QStringLiteral("*.fits.fz"), QStringLiteral("*.fz")};
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(patterns, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase))
        paths << dir.filePath(name);
    return paths;
}

Setup::Setup(Settings &settings) : m_settings(settings), m_applies(settings.value(ApplyKey) == QLatin1String("1")) {}

Setup::Added Setup::add(const QStringList &paths, std::optional<FrameKind> kind)
{
    Added added;
    const std::shared_ptr<const MasterSet> made = masters();
    for (const QString &path : paths) {
        FrameRead read = readFrame(path, kind);
        if (!read.frame) {
            if (read.problem.isEmpty())
                ++added.skipped;
            else
                added.problems << read.problem;
            continue;
        }
        QString odd;
        if (made && made->format())
            odd = formatProblem(path, read.frame->format, *made->format(), true);
        else if (!m_frames.empty())
            odd = formatProblem(path, read.frame->format, m_frames.front().format, false);
        if (!odd.isEmpty()) {
            added.problems << odd;
            continue;
        }
        m_frames.push_back(std::move(*read.frame));
        ++added.added;
    }
    return added;
}

void Setup::remove(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (*row >= 0 && *row < int(m_frames.size()))
            m_frames.erase(m_frames.begin() + *row);
    }
}

void Setup::restore()
{
    if (m_restored)
        return;
    m_restored = true;
    MasterSet remembered;
    QStringList problems;
    for (const QString &path : m_settings.value(MastersKey).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const FrameRead read = readFrame(path);
        QString problem = read.problem;
        std::optional<Master> master;
        if (read.frame && read.frame->master)
            master = readMaster(*read.frame, &problem);
        if (!master) {
            problems << (problem.isEmpty() ? QFileInfo(path).fileName() : problem);
            continue;
        }
        if (master->kind == FrameKind::Bias)
            remembered.bias = std::move(*master);
        else if (master->kind == FrameKind::Dark && master->exposure)
            remembered.darks.push_back(std::move(*master));
        else if (master->kind == FrameKind::Flat)
            remembered.flats.push_back(std::move(*master));
    }
    const std::optional<FrameFormat> format = remembered.format();
    const std::vector<const Master *> all = remembered.all();
    if (std::any_of(all.cbegin(), all.cend(), [&format](const Master *m) { return m->format != *format; })) {
        problems << QStringLiteral("i master non hanno tutti lo stesso formato");
        remembered = {};
    }
    if (!problems.isEmpty())
        m_restoreProblem = SetupText::Unremembered.arg(problems.join(QLatin1Char(' ')));
    if (!remembered.empty())
        m_masters = std::make_shared<const MasterSet>(std::move(remembered));
}

std::shared_ptr<const MasterSet> Setup::masters()
{
    restore();
    return m_masters;
}

void Setup::setMasters(MasterSet masters)
{
    m_restored = true;
    m_restoreProblem.clear();
    QStringList files;
    for (const Master *master : masters.all()) {
        if (!master->path.isEmpty())
            files << master->path;
    }
    m_settings.setValue(MastersKey, files.join(QLatin1Char('\n')));
    m_masters = masters.empty() ? nullptr : std::make_shared<const MasterSet>(std::move(masters));
}

void Setup::setApplies(bool applies)
{
    m_applies = applies;
    m_settings.setValue(ApplyKey, applies ? QStringLiteral("1") : QStringLiteral("0"));
}

std::shared_ptr<const MasterSet> Setup::applied()
{
    return m_applies ? masters() : nullptr;
}

} // namespace Calibration
