#pragma once
// The frames an observer lists for calibration, the masters in use and
// whether images are calibrated before they are measured: what the
// calibration window shows and the measuring window uses. The masters'
// files and the choice to calibrate are remembered between runs.

#include "calibration/masters.h"
#include "core/sheet.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace Calibration {

inline const QString MastersKey = QStringLiteral("Calibrazione/Master"); // their files, one a line
inline const QString ApplyKey = QStringLiteral("Calibrazione/Applica");  // "1" or "0"

namespace SetupText {
// %1: how many files.
inline const QString Added = QStringLiteral("Aggiunti %1 quadri.");
inline const QString Skipped = QStringLiteral(" %1 file senza IMAGETYP di calibrazione non sono stati aggiunti.");
inline const QString Unremembered = QStringLiteral("I master usati l'ultima volta non si possono leggere: %1");
} // namespace SetupText

// The FITS files directly in `folder`, by name.
QStringList fitsFilesIn(const QString &folder);

class Setup
{
public:
    explicit Setup(Settings &settings);

    const std::vector<Frame> &frames() const { return m_frames; }
    struct Added
    {
        int added = 0;
        int skipped = 0;      // no calibration frame by its header
        QStringList problems; // files refused, each named
    };
    // `kind`: what the user says they are; none: what their headers say. A
    // frame of another format than the masters' (or, with none, than the
    // frames listed) is refused.
    Added add(const QStringList &paths, std::optional<FrameKind> kind);
    void remove(std::vector<int> rows);

    // The masters made, or remembered from the last run (read the first time
    // they are asked for: the problem tells why they could not be).
    std::shared_ptr<const MasterSet> masters();
    QString restoreProblem() const { return m_restoreProblem; }
    // The masters in use from now on; those with files are remembered.
    void setMasters(MasterSet masters);

    bool applies() const { return m_applies; }
    void setApplies(bool applies);
    // The masters every image is calibrated with; none when not calibrating.
    std::shared_ptr<const MasterSet> applied();

private:
    void restore();

    Settings &m_settings;
    std::vector<Frame> m_frames;
    std::shared_ptr<const MasterSet> m_masters;
    bool m_restored = false;
    QString m_restoreProblem;
    bool m_applies = false;
};

} // namespace Calibration
