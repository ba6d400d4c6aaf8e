#pragma once
// Two filters' images of one field, measured against the same comparison
// stars of a sequence, as a transformed observation: which pairs are ready,
// and the AAVSO records of the pair once transformed.

#include "twocolour.h"

#include "aavso/extendedwriter.h"
#include "aavso/imagemeasurement.h"
#include "core/sheet.h"

#include <QByteArrayView>
#include <QList>
#include <QMap>
#include <QString>

#include <array>

namespace Transform {

// One filter's image as "Al foglio" left it with a sequence loaded.
struct BandMeasurement
{
    QString filter;                      // its AAVSO code
    QString chart;                       // the sequence's
    std::array<QString, 3> comparisons;  // the AUIDs of C1, C2, C3
    BandInput input;                     // counts, CCD errors, catalogue magnitudes in this filter
    QString julianDate;                  // mid-exposure, as the sheet got it
    Aavso::ImageMeasurement image;       // what the record takes beyond the sheet
};

// The last measurement of each filter, by its code.
using Bands = QMap<QString, BandMeasurement>;

// The pairs whose two filters were measured on the same field with the same
// comparison stars and whose three coefficients the file gives.
QList<Pair> readyPairs(const Bands &bands, const Coefficients &coefficients);

// "Trasforma B e V".
QString buttonText(Pair pair);

// The pair's two records, sharing a GROUP the log `log` does not use yet:
// the sheet gives the star's name, the observer's code and the notes; each
// filter's image everything else. None, and `problem`, when the log or a
// record refuses.
QList<Aavso::Record> pairRecords(Pair pair, const Transformed &result, const BandMeasurement &first,
                                 const BandMeasurement &second, const Coefficients &coefficients,
                                 const Sheet &sheet, QByteArrayView log, QString &problem);

} // namespace Transform
