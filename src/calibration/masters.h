#pragma once
// Master bias, darks (one per exposure) and flats (one per filter): made
// from a night's frames, saved for later nights and read back.

#include "calibration/combine.h"
#include "calibration/frames.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace Calibration {

struct Master
{
    FrameKind kind = FrameKind::Bias;
    FrameFormat format;
    std::vector<float> pixels; // row by row
    int frames = 0;            // combined; 0 for a master read from a file
    std::optional<double> exposure;    // a dark's
    QString filter;                    // a flat's
    std::optional<double> temperature; // a dark's sensor, °C
    bool holdsBias = false;            // a dark made without bias frames
    QString path;                      // the file it was read from or saved to
};

struct MasterSet
{
    std::optional<Master> bias;
    std::vector<Master> darks; // by exposure
    std::vector<Master> flats; // by filter

    bool empty() const { return !bias && darks.empty() && flats.empty(); }
    std::vector<const Master *> all() const;
    // The format they share; none when there is no master.
    std::optional<FrameFormat> format() const;
    // "Master: bias da 5 quadri, dark 120 s da 5, flat V da 5" ("da file" for one read).
    QString summary() const;
};

namespace MasterText {
inline const QString Summary = QStringLiteral("Master: %1");
inline const QString None = QStringLiteral("Master: nessuno");
inline const QString FromFile = QStringLiteral("da file");
inline const QString NoFrames = QStringLiteral("Nessun quadro di calibrazione nell'elenco.");
// %1: the file.
inline const QString NoExposure = QStringLiteral(
    "Il quadro \"%1\" non indica la posa (EXPTIME o EXPOSURE): non si può usare con i dark.");
inline const QString FlatNotPositive = QStringLiteral(
    "Il flat \"%1\" ha la mediana nulla o negativa: non si può normalizzare.");
inline const QString Unreadable = QStringLiteral("Il master \"%1\" non si può leggere: %2");
// %1: the dark's exposure, %2: the image's.
inline const QString DarkNeedsBias = QStringLiteral(
    "Per scalare il dark (%1 s) alla posa dell'immagine (%2 s) servono anche i bias.");
} // namespace MasterText

// A number of seconds or degrees as the labels and file names write it.
QString shortNumber(double value);

// The dark a frame of `exposure` is calibrated with: the one of its own
// exposure, else the nearest, scaled; a dark that holds the bias is scaled
// only with a master bias to take it off, else used at its own exposure
// alone.
struct DarkChoice
{
    const Master *dark = nullptr;
    double scale = 1;
    QString problem; // DarkNeedsBias
};
DarkChoice chooseDark(const MasterSet &masters, double exposure);

// The masters of the frames listed: master files are taken as they are, the
// other frames combined by kind (darks by exposure, flats by filter), each
// master replacing one of its kind read from a file. `goOn` hears the share
// done and stops the work by answering false (then nothing is made).
struct Built
{
    MasterSet masters;
    QString problem;
    bool cancelled = false;
};
Built buildMasters(const std::vector<Frame> &frames, Combine method, const std::function<bool(double)> &goOn,
                   std::size_t bandBytes = DefaultBandBytes);

// master-bias.fits, master-dark-120s.fits, master-flat-V.fits
QString masterFileName(const Master &master);
bool saveMaster(const Master &master, const QString &path);
// A master file listed as a frame; the problem names it.
std::optional<Master> readMaster(const Frame &frame, QString *problem);

} // namespace Calibration
