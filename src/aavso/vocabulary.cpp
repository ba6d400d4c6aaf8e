#include "vocabulary.h"

#include "core/version.h"

namespace Aavso {

QByteArray software()
{
    return QByteArray(SoftwareName) + ' ' + Version::FullText;
}

QByteArray parameterLine(const char *name, const QByteArray &value, const QByteArray &newline)
{
    return '#' + QByteArray(name) + '=' + value + newline;
}

QByteArray header(const QByteArray &obsCode, const QByteArray &newline)
{
    const auto parameter = [&newline](const char *name, const QByteArray &value) {
        return parameterLine(name, value, newline);
    };
    QByteArray names;
    for (const char *name : FieldNames)
        names += (names.isEmpty() ? "#" : ",") + QByteArray(name);
    return parameter(Parameter::Type, "EXTENDED") + parameter(Parameter::ObsCode, obsCode)
         + parameter(Parameter::Software, software()) + parameter(Parameter::Delimiter, ",")
         + parameter(Parameter::Date, "JD") + parameter(Parameter::ObsType, "CCD") + names + newline;
}

} // namespace Aavso
