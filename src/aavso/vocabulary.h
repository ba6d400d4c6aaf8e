#pragma once
// The words of the AAVSO Extended format: its parameters, its fields in
// order, the mark of a missing value, this program's name in a log, and the
// ranges a value must keep to be written and read.

#include <QByteArray>
#include <array>

namespace Aavso {

// "#NAME=value" lines before the records.
namespace Parameter {
inline constexpr char Type[] = "TYPE";
inline constexpr char ObsCode[] = "OBSCODE";
inline constexpr char Software[] = "SOFTWARE";
inline constexpr char Delimiter[] = "DELIM";
inline constexpr char Date[] = "DATE";
inline constexpr char ObsType[] = "OBSTYPE";
} // namespace Parameter

inline constexpr std::array<const char *, 15> FieldNames = {
    "NAME", "DATE", "MAG", "MERR", "FILT", "TRANS", "MTYPE", "CNAME",
    "CMAG", "KNAME", "KMAG", "AMASS", "GROUP", "CHART", "NOTES"};

inline constexpr char NotAvailable[] = "na";

// The first word of #SOFTWARE in the logs this program writes.
inline constexpr char SoftwareName[] = "Vevurid";

// "#NAME=value", ended by `newline`.
QByteArray parameterLine(const char *name, const QByteArray &value, const QByteArray &newline);

// "Vevurid 1.4.3": what #SOFTWARE says in the logs this program writes.
QByteArray software();

// The six parameters and the comment naming the fields, each line ended by
// `newline`: what a new log starts with.
QByteArray header(const QByteArray &obsCode, const QByteArray &newline = "\r\n");

struct Range
{
    double lowest;
    double highest;
    bool contains(double value) const { return value >= lowest && value <= highest; }
};

// Beyond any star; 99.999 and the like are placeholders, not magnitudes.
inline constexpr Range Magnitudes{-30, 40};
inline constexpr Range Errors{0, 9.999};
// The full JD of any CCD observation, so that a reduced date is never taken for one.
inline constexpr Range ExportedDates{2400000, 2500000};

// The columns of an AAVSO International Database download in the order it
// writes them. A download without its header line holds the first
// DatabaseColumnsAlways of them, then perhaps the others.
inline constexpr std::array<const char *, 23> DatabaseColumns = {
    "JD", "Magnitude", "Uncertainty", "HQuncertainty", "Band", "Observer Code",
    "Comment Code(s)", "Comp Star 1", "Comp Star 2", "Charts", "Comments", "Transformed",
    "Airmass", "Validation Flag", "Cmag", "Kmag", "HJD", "Star Name",
    "Observer Affiliation", "Measurement Method", "Grouping Method", "ADS Reference", "Digitizer"};
inline constexpr size_t DatabaseColumnsAlways = 18;

} // namespace Aavso
