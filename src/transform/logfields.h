#pragma once
// What a transformed observation adds to its AAVSO Extended record: a GROUP
// that ties the two filters' records of one measurement together, and the
// NOTES naming the coefficients applied.

#include "twocolour.h"

#include "aavso/extendedwriter.h"

#include <QByteArrayView>
#include <QString>

namespace Transform {

// The format's limit on the notes (the AAVSO's upload refuses longer ones);
// a group's is the writer's, Aavso::MostGroupDigits.
constexpr qsizetype MostNotesCharacters = 100;

struct GroupNumber
{
    int number = 0;
    QString problem; // when not empty: why there is none, for the user
};

// A GROUP no record of the log uses: one above the highest whole number any
// record has as its GROUP, or 1. `log` is the file's bytes, as read.
GroupNumber freeGroup(QByteArrayView log);

struct Notes
{
    QString text;
    QString problem;
};

// "Tbv=1.182 Tv_bv=-0.115": the colour's coefficient and the filter's own,
// for the record of the pair's first filter or of its second.
enum class Filter { First, Second };
Notes coefficientNotes(Pair pair, Filter filter, const Coefficients &coefficients);

inline const QString NotExtendedLog = QStringLiteral(
    "Il file non è un registro AAVSO Extended leggibile: non si può scegliere un GROUP.");
// %1: the highest GROUP the log uses, %2: the most characters.
inline const QString NoGroupLeft = QStringLiteral(
    "Il registro usa già il GROUP %1: il successivo supera i %2 caratteri che il formato AAVSO "
    "ammette.");
// %1: the most characters.
inline const QString NotesTooLong = QStringLiteral(
    "I coefficienti scritti nelle note superano i %1 caratteri che il formato AAVSO ammette.");

} // namespace Transform
