#include "logfields.h"

#include "aavso/extended.h"
#include "aavso/reading.h"

#include <algorithm>
#include <string_view>

namespace Transform {

namespace {

constexpr size_t GroupField = 12;
static_assert(std::string_view(Aavso::FieldNames[GroupField]) == "GROUP");

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int highestGroup()
{
    int highest = 1;
    for (qsizetype i = 0; i < Aavso::MostGroupDigits; ++i)
        highest *= 10;
    return highest - 1;
}

} // namespace

GroupNumber freeGroup(QByteArrayView log)
{
    Aavso::ExtendedScanner scanner(GroupField + 1);
    Aavso::LightCurve::Reading::Lines lines(log.data(), log.data() + log.size());
    int highest = 0;
    std::string_view line;
    while (lines.next(line)) {
        const Aavso::ExtendedScanner::Line kind = scanner.scan(line);
        if (kind == Aavso::ExtendedScanner::Line::Refused)
            return {0, NotExtendedLog};
        const std::string_view group = scanner.fieldCount() > GroupField ? scanner.fields()[GroupField] : "";
        if (kind != Aavso::ExtendedScanner::Line::Record || !allDigits(group))
            continue;
        const std::string_view significant = group.substr(std::min(group.find_first_not_of('0'), group.size()));
        if (qsizetype(significant.size()) > Aavso::MostGroupDigits)
            return {0, NoGroupLeft.arg(QString::fromLatin1(group.data(), qsizetype(group.size())))
                           .arg(Aavso::MostGroupDigits)};
        highest = std::max(highest, significant.empty() ? 0 : std::stoi(std::string(significant)));
    }
    if (highest == highestGroup())
        return {0, NoGroupLeft.arg(highest).arg(Aavso::MostGroupDigits)};
    return {highest + 1, QString()};
}

Notes coefficientNotes(Pair pair, Filter filter, const Coefficients &coefficients)
{
    const PairNames &n = names(pair);
    QStringList parts;
    for (const QString &name : {n.colour, filter == Filter::First ? n.firstCoefficient : n.secondCoefficient}) {
        const std::optional<double> value = coefficients.value(name);
        if (!value)
            return {QString(), MissingCoefficient.arg(name)};
        parts << name + u'=' + threeDecimals(*value);
    }
    // The names are the program's own and the numbers digits, point and
    // minus: nothing the format forbids but the length.
    const QString text = parts.join(u' ');
    if (text.size() > MostNotesCharacters)
        return {QString(), NotesTooLong.arg(MostNotesCharacters)};
    return {text, QString()};
}

} // namespace Transform
