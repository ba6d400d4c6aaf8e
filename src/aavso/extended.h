#pragma once
// The AAVSO Extended format: "#NAME=value" parameter lines, other "#" lines
// are comments, then one record of 15 fields per line:
// STARID,DATE,MAGNITUDE,MAGERR,FILTER,TRANS,MTYPE,CNAME,CMAG,KNAME,KMAG,
// AIRMASS,GROUP,CHART,NOTES. Names and words are read in any letter case.
// The light curve reads a log and the export checks one before adding to it
// through the one scanner below, so the two never differ on what a log holds.

#include "aavso/vocabulary.h"

#include <QString>

#include <array>
#include <string>
#include <string_view>

namespace Aavso {

class ExtendedScanner
{
public:
    static constexpr size_t RecordFields = FieldNames.size();
    enum Field { StarId = 0, Date = 1, Magnitude = 2, MagErr = 3, Filter = 4, Notes = 14 };

    enum class Line { Blank, Comment, Parameter, Record, Refused };
    enum class Dates { Unnamed, Jd, Hjd, Bjd };
    enum class Fault { NotExtended, UnknownDelimiter, ExcelDates, UnknownDates };

    struct Parameters
    {
        bool extended = false;
        char delimiter = ',';
        bool delimiterNamed = false;
        Dates dates = Dates::Unnamed;
        std::string observer; // as written
        bool own = false;     // #SOFTWARE names this program
    };

    // A record is split into its first `fieldsWanted` fields at most: one who
    // needs only the first few is spared the search for the rest.
    explicit ExtendedScanner(size_t fieldsWanted = RecordFields + 1) : m_fieldsWanted(fieldsWanted) {}

    // Takes the file's next line, without its terminator. After a record its
    // fields are in fields(); after a refusal, the whole file is refused for
    // fault().
    Line scan(std::string_view line);

    const Parameters &parameters() const { return m_parameters; }
    // Goes on as another scanner left off.
    void setParameters(const Parameters &parameters) { m_parameters = parameters; }

    // The record's fields, trimmed: as many as the line has, up to one more
    // than a record holds (or as many as wanted).
    using Fields = std::array<std::string_view, RecordFields + 1>;
    const Fields &fields() const { return m_fields; }
    size_t fieldCount() const { return m_fieldCount; }

    Fault fault() const { return m_fault; }
    const QString &faultyValue() const { return m_faultyValue; } // the parameter's value, as written

private:
    Line readParameter(std::string_view line);
    Line refuse(Fault fault, std::string_view value = {});

    const size_t m_fieldsWanted;
    Parameters m_parameters;
    Fields m_fields;
    size_t m_fieldCount = 0;
    Fault m_fault = Fault::NotExtended;
    QString m_faultyValue;
};

} // namespace Aavso
