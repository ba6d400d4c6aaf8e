#pragma once
// The two downloads the windows offer: a field's comparison sequence from the
// VSP and a star's observations from VSX, each saved in the cache as it
// arrives and taken from there when the AAVSO cannot be reached.

#include "request.h"
#include "aavso/sequence.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

namespace AavsoWeb {

// %1: the star as typed.
inline const QString UnknownStar = QStringLiteral("L'AAVSO non conosce la stella \"%1\".");
inline const QString NoObservations = QStringLiteral("L'AAVSO non ha osservazioni di \"%1\" in quel periodo.");
// Where an answer came from.
inline const QString FetchedNow = QStringLiteral("scaricata ora");
inline const QString ObservationsFetchedNow = QStringLiteral("scaricate ora");
inline const QString FromCopy = QStringLiteral("dalla copia del %1"); // %1: Cache::savedOn
// Reasons given with Unreadable.
inline const QString NotSequenceJson = QStringLiteral("non è una sequenza JSON del VSP con almeno una stella");
inline const QString NotDelimited =
    QStringLiteral("la prima riga non elenca le colonne JD e mag separate da @@@");
inline const QString OtherColumns = QStringLiteral("le colonne cambiano da un periodo all'altro");
// Why a download cannot start; %1: the folder or the text typed.
inline const QString NoCache = QStringLiteral("Impossibile scrivere nella cartella della cache \"%1\".");
inline const QString BadDate =
    QStringLiteral("Data non valida: \"%1\". Scrivere una data giuliana o una data gg/mm/aaaa.");
inline const QString BackwardsPeriod = QStringLiteral("La data d'inizio viene dopo quella di fine.");

// An empty "from" is this long before the end.
inline constexpr double DefaultDays = 3652.5;

struct SequenceDownload
{
    std::optional<Aavso::Sequence> sequence;
    QString origin;  // FetchedNow or FromCopy
    QString problem; // when no sequence
};

SequenceDownload downloadSequence(const Addresses &at, const QString &star, double fieldArcmin,
                                  double magnitudeLimit);

// A date typed as a Julian date or as "gg/mm/aaaa" (its 0h UTC).
std::optional<double> typedDate(const QString &text);

struct Period
{
    double fromJd = 0;
    double toJd = 0;
    QString problem;
};

// The period typed: an empty `to` is `now`, an empty `from` DefaultDays before the end.
Period typedPeriod(const QString &from, const QString &to, const QDateTime &now);

struct ObservationsDownload
{
    QString path;    // the cache's file, to be read by the light curve
    QString origin;  // FetchedNow or FromCopy
    QString problem; // when no path
    bool cancelled = false;
};

// Told before each piece is asked for; false cancels.
using PieceProgress = std::function<bool(int done, int pieces)>;

// The observations of `star` in the period typed, asked for in pieces and
// written to the cache as they arrive: the file is replaced only once every
// piece has come, and "Annulla" or a failure leaves the copy there was.
// The pieces' header lines are written once.
ObservationsDownload downloadObservations(const Addresses &at, const QString &star, const QString &from,
                                          const QString &to, const QDateTime &now,
                                          const PieceProgress &progress);

} // namespace AavsoWeb
