// The light curve's reading on any bytes, whichever reader they call for
// (Extended, database download, list): no crash, and whatever it keeps is
// usable by the light curve: every index names a text or the file, every
// number lies in its range, each text is kept once, skipped lines in order.

#include "aavso/observations.h"
#include "aavso/vocabulary.h"

#include <QSet>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

void check(const Aavso::LightCurve::Observations &read, qint64 lines)
{
    const auto texts = quint32(read.texts.size());
    if (QSet<QString>(read.texts.cbegin(), read.texts.cend()).size() != read.texts.size())
        fail("a text kept twice");
    for (const Aavso::LightCurve::Observation &o : read.observations) {
        if (o.star == 0 || o.band == 0 || o.star >= texts || o.band >= texts || o.observer >= texts
            || o.notes >= read.noteEnds.size() || o.file != 0)
            fail("an index out of range");
        if (!(o.jd >= 0 && o.jd < 1e7) || !Aavso::Magnitudes.contains(o.magnitude)
            || !(std::isnan(o.error) || Aavso::Errors.contains(o.error)))
            fail("a number out of range");
    }
    qint64 previous = 0;
    for (const Aavso::LightCurve::SkippedLine &s : read.skipped) {
        if (s.line <= previous || s.line > lines || s.reason.isEmpty())
            fail("skipped lines out of order");
        previous = s.line;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qint64 lines = bytes.count('\n') + bytes.count('\r') + 1; // at most
    Aavso::LightCurve::Observations read;
    read.files.push_back({QStringLiteral("fuzz.txt"), false});
    Aavso::LightCurve::readBytes(read, 0, bytes, QStringLiteral("fuzz"));
    check(read, lines);
    return 0;
}
