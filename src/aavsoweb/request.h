#pragma once
// What is asked of the AAVSO and where: the base addresses of the VSP and of
// VSX (settings, replaced in scheme, host and port by VEVURID_AAVSO_URL), the
// requests built on them, and which addresses may be reached at all.

#include <QString>
#include <QUrl>

#include <utility>
#include <vector>

class Settings;

namespace AavsoWeb {

inline const QString VspKey = QStringLiteral("Aavso/Vsp");
inline const QString VsxKey = QStringLiteral("Aavso/Vsx");
inline constexpr char AddressVariable[] = "VEVURID_AAVSO_URL";
inline const QString DefaultVsp = QStringLiteral("https://www.aavso.org/apps/vsp/api/chart/");
inline const QString DefaultVsx = QStringLiteral("https://www.aavso.org/vsx/index.php");

// At most this many days are asked of VSX at once.
inline constexpr double PieceDays = 1000;
// Dates are written to five decimals: the smallest step between two.
inline constexpr double JdStep = 1e-5;

struct Addresses
{
    QUrl vsp;
    QUrl vsx;
};

// The settings' addresses, else the AAVSO's, with the scheme, host and port
// of VEVURID_AAVSO_URL when it is set.
Addresses addresses(const Settings &settings);

// Whether `text` is a chart's ID as the VSP gives them ("X27876MZ"): a
// letter, at least five digits and one to three letters, nothing else.
bool isChartId(const QString &text);

// A chart of the field around `star` (or the chart whose ID it is).
QUrl sequenceUrl(const QUrl &vsp, const QString &star, double fieldArcmin, double magnitudeLimit);
QUrl observationsUrl(const QUrl &vsx, const QString &star, double fromJd, double toJd);

// [from, to] cut into pieces of at most PieceDays, in order, each starting
// JdStep after the last ended; none when to < from.
std::vector<std::pair<double, double>> pieces(double fromJd, double toJd);

// HTTPS anywhere; plain HTTP only to this machine.
bool reachable(const QUrl &url);

QByteArray userAgent();

} // namespace AavsoWeb
