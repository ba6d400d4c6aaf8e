#pragma once
// What a reader made of a file, in one line per observation, for comparing.

#include "aavso/observations.h"

#include <QStringList>

#include <cmath>

// Each observation as "star jd magnitude±error band observer [notes]" ("<"
// before a fainter-than value, " D" after a discrepant one), then each
// skipped line as "number: reason".
inline QStringList describe(const Aavso::LightCurve::Observations &read)
{
    QStringList lines;
    for (const Aavso::LightCurve::Observation &o : read.observations) {
        const QString error = std::isnan(o.error) ? QStringLiteral("na") : QString::number(o.error);
        lines << QStringLiteral("%1 %2 %3%4±%5 %6 %7 [%8]%9")
                     .arg(read.texts.at(o.star), QString::number(o.jd, 'f', 5), o.fainter ? "<" : "",
                          QString::number(o.magnitude), error, read.texts.at(o.band),
                          read.texts.at(o.observer), read.note(o), o.discrepant ? " D" : "");
    }
    for (const Aavso::LightCurve::SkippedLine &s : read.skipped)
        lines << QStringLiteral("%1: %2").arg(s.line).arg(s.reason);
    return lines;
}
