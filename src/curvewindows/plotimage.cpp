#include "plotimage.h"

#include "files/textfile.h"

#include <qcustomplot.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>

namespace PlotImage {

namespace {

using Writer = bool (*)(QCustomPlot &plot, const QString &path);

// The writer for the format a name's suffix names; null for another suffix.
Writer writerFor(const QString &path)
{
    static const QHash<QString, Writer> writers = {
        {"png", [](QCustomPlot &plot, const QString &path) { return plot.savePng(path); }},
        {"jpg", [](QCustomPlot &plot, const QString &path) { return plot.saveJpg(path); }},
        {"jpeg", [](QCustomPlot &plot, const QString &path) { return plot.saveJpg(path); }},
        {"bmp", [](QCustomPlot &plot, const QString &path) { return plot.saveBmp(path); }},
        {"pdf", [](QCustomPlot &plot, const QString &path) { return plot.savePdf(path); }},
    };
    return writers.value(QFileInfo(path).suffix().toLower());
}

} // namespace

QString save(QCustomPlot &plot, const QString &path)
{
    const Writer writer = writerFor(path);
    if (!writer)
        return UnknownFormat.arg(QDir::toNativeSeparators(path));
    // QCustomPlot writes to a name, not a device, so it writes a draft first:
    // the target is replaced only by a complete image, and only when it is a
    // plain file.
    QTemporaryFile draft;
    if (draft.open() && writer(plot, draft.fileName())) {
        const QByteArray bytes = draft.readAll();
        if (!bytes.isEmpty() && Files::replaceFile(path, {bytes}))
            return {};
    }
    return NotSaved.arg(QDir::toNativeSeparators(path));
}

Saved saveAsked(QCustomPlot &plot, FileDialogs &dialogs, const QString &start)
{
    const QString path = dialogs.saveFile(Title, start, Filter, false);
    return {path, path.isEmpty() ? QString() : save(plot, path)};
}

} // namespace PlotImage
