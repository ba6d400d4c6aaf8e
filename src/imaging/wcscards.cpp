#include "wcscards.h"

#include "imaging/headerkeys.h"
#include "imaging/skycoordinates.h"

#include <QByteArrayView>


namespace Imaging {

namespace {

constexpr qsizetype CardLength = 80;
constexpr qsizetype KeyLength = 8;

enum class Kind { Text, Real, Whole };

// What follows a key's stem: nothing (Alone), an alternate letter A-Z or
// nothing (System), an axis 1-99 then the letter (Axis), two numbers joined
// by "_" then the letter (Pair; Parameter for PV, whose second counts from
// 0), or SIP's two powers 0-9.
enum class Shape { Alone, System, Axis, Pair, Parameter, Power };

struct Form
{
    const char *stem;
    Shape shape;
    Kind kind;
    int least = 0; // a whole number's range
    int most = 0;
};

const Form Forms[] = {
    {"CTYPE", Shape::Axis, Kind::Text},
    {"CUNIT", Shape::Axis, Kind::Text},
    {"CRVAL", Shape::Axis, Kind::Real},
    {"CRPIX", Shape::Axis, Kind::Real},
    {"CDELT", Shape::Axis, Kind::Real},
    {"CROTA", Shape::Axis, Kind::Real},
    {"PC", Shape::Pair, Kind::Real},
    {"CD", Shape::Pair, Kind::Real},
    {"PV", Shape::Parameter, Kind::Real},
    // WCSLIB makes room for as many axes as WCSAXES says.
    {"WCSAXES", Shape::System, Kind::Whole, 1, 99},
    {"LONPOLE", Shape::System, Kind::Real},
    {"LATPOLE", Shape::System, Kind::Real},
    {"RADESYS", Shape::System, Kind::Text},
    {"EQUINOX", Shape::System, Kind::Real},
    {"EPOCH", Shape::System, Kind::Real},
    {"RADECSYS", Shape::Alone, Kind::Text},
    {"A_ORDER", Shape::Alone, Kind::Whole, 0, 9},
    {"B_ORDER", Shape::Alone, Kind::Whole, 0, 9},
    {"AP_ORDER", Shape::Alone, Kind::Whole, 0, 9},
    {"BP_ORDER", Shape::Alone, Kind::Whole, 0, 9},
    {"A_", Shape::Power, Kind::Real},
    {"B_", Shape::Power, Kind::Real},
    {"AP_", Shape::Power, Kind::Real},
    {"BP_", Shape::Power, Kind::Real},
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// An alternate system's letter, or nothing.
bool alternateOrNothing(QByteArrayView rest)
{
    return rest.isEmpty() || (rest.size() == 1 && rest[0] >= 'A' && rest[0] <= 'Z');
}

// The length of a number from `least` (0 or 1) to 99 at the start of
// `text`, written without a leading zero; 0 when there is none.
qsizetype index(QByteArrayView text, int least)
{
    if (text.isEmpty() || !isDigit(text[0]))
        return 0;
    if (text[0] == '0')
        return least == 0 && (text.size() == 1 || !isDigit(text[1])) ? 1 : 0;
    return text.size() > 1 && isDigit(text[1]) ? 2 : 1;
}

bool pairOf(QByteArrayView rest, int secondLeast)
{
    const qsizetype first = index(rest, 1);
    if (first == 0 || first >= rest.size() || rest[first] != '_')
        return false;
    const QByteArrayView second = rest.sliced(first + 1);
    const qsizetype length = index(second, secondLeast);
    return length > 0 && alternateOrNothing(second.sliced(length));
}

bool fits(const Form &form, QByteArrayView key)
{
    if (!key.startsWith(form.stem))
        return false;
    const QByteArrayView rest = key.sliced(qsizetype(qstrlen(form.stem)));
    switch (form.shape) {
    case Shape::Alone:
        return rest.isEmpty();
    case Shape::System:
        return alternateOrNothing(rest);
    case Shape::Axis: {
        const qsizetype length = index(rest, 1);
        return length > 0 && alternateOrNothing(rest.sliced(length));
    }
    case Shape::Pair:
        return pairOf(rest, 1);
    case Shape::Parameter:
        return pairOf(rest, 0);
    case Shape::Power:
        return rest.size() == 3 && isDigit(rest[0]) && rest[1] == '_' && isDigit(rest[2]);
    }
    return false;
}

const Form *formOf(QByteArrayView key)
{
    for (const Form &form : Forms)
        if (fits(form, key))
            return &form;
    return nullptr;
}

bool printable(QByteArrayView text)
{
    for (const char c : text)
        if (c < ' ' || c > '~')
            return false;
    return true;
}

qsizetype digitsFrom(QByteArrayView text, qsizetype at)
{
    qsizetype end = at;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    return end - at;
}

// A FITS integer: an optional sign and digits.
bool isWhole(QByteArrayView text)
{
    const qsizetype at = !text.isEmpty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const qsizetype digits = digitsFrom(text, at);
    return digits > 0 && at + digits == text.size();
}

// A FITS real: sign, digits with an optional point, an exponent after E or D.
bool isReal(QByteArrayView text)
{
    qsizetype at = !text.isEmpty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    qsizetype digits = digitsFrom(text, at);
    at += digits;
    if (at < text.size() && text[at] == '.') {
        const qsizetype fraction = digitsFrom(text, at + 1);
        digits += fraction;
        at += 1 + fraction;
    }
    if (digits == 0)
        return false;
    if (at < text.size() && (text[at] == 'E' || text[at] == 'e' || text[at] == 'D' || text[at] == 'd')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        const qsizetype exponent = digitsFrom(text, at);
        if (exponent == 0)
            return false;
        at += exponent;
    }
    return at == text.size();
}

// Why a value is not of the form's kind.
const char *mistaken(const Form &form)
{
    switch (form.kind) {
    case Kind::Text:
        return SkyProblem::NotText;
    case Kind::Real:
        return SkyProblem::NotNumber;
    case Kind::Whole:
        return SkyProblem::NotWhole;
    }
    return nullptr;
}

struct Value
{
    QByteArray text; // as the card is written anew
    const char *problem = nullptr;
};

Value written(QByteArrayView token, bool quoted, const Form &form)
{
    switch (form.kind) {
    case Kind::Text:
        if (!quoted)
            return {{}, mistaken(form)};
        return {'\'' + token.toByteArray().replace('\'', "''") + '\'', nullptr};
    case Kind::Real: {
        if (quoted || !isReal(token))
            return {{}, mistaken(form)};
        const std::optional<double> value = parseHeaderNumber(QString::fromLatin1(token.toByteArray()));
        if (!value)
            return {{}, SkyProblem::OutOfRange};
        return {QByteArray::number(*value, 'g', 17), nullptr};
    }
    case Kind::Whole: {
        if (quoted || !isWhole(token))
            return {{}, mistaken(form)};
        bool ok = false;
        const qlonglong value = token.toByteArray().toLongLong(&ok);
        if (!ok || value < form.least || value > form.most)
            return {{}, SkyProblem::OutOfRange};
        return {QByteArray::number(value), nullptr};
    }
    }
    return {};
}

// The value of `card` (its value indicator "= " in columns 9 and 10, then a
// quoted text or a number, then an optional comment after "/").
Value valueOf(QByteArrayView card, const Form &form)
{
    if (card.sliced(KeyLength, 2) != "= ")
        return {{}, SkyProblem::NoValue};
    const QByteArrayView field = card.sliced(KeyLength + 2);
    qsizetype at = 0;
    while (at < field.size() && field[at] == ' ')
        ++at;
    if (at == field.size() || field[at] == '/')
        return {{}, SkyProblem::NoValue};
    const qsizetype start = at;
    QByteArray token;
    const bool quoted = field[at] == '\'';
    if (quoted) {
        for (++at;; ++at) {
            if (at == field.size()) // never closed
                return {{}, !printable(field.sliced(start)) ? SkyProblem::NotAscii : mistaken(form)};
            if (field[at] == '\'') {
                if (at + 1 < field.size() && field[at + 1] == '\'')
                    ++at; // a quote doubled is one quote
                else
                    break;
            }
            token += field[at];
        }
        ++at;
    } else {
        while (at < field.size() && field[at] != ' ' && field[at] != '/')
            token += field[at++];
    }
    qsizetype end = at;
    while (end < field.size() && field[end] != '/')
        ++end;
    if (!printable(field.sliced(start, end - start)))
        return {{}, SkyProblem::NotAscii};
    for (qsizetype after = at; after < end; ++after)
        if (field[after] != ' ') // more after the value
            return {{}, mistaken(form)};
    return written(token, quoted, form);
}

} // namespace

WcsCards wcsCards(const QByteArray &header)
{
    WcsCards read;
    for (qsizetype at = 0; at + CardLength <= header.size(); at += CardLength) {
        const QByteArrayView card(header.constData() + at, CardLength);
        QByteArrayView key = card.first(KeyLength);
        while (key.endsWith(' '))
            key.chop(1);
        if (key == "END")
            break;
        const Form *form = formOf(key);
        if (!form)
            continue; // no key WCSLIB needs: it would only skip it
        read.hasAxes = read.hasAxes || qstrcmp(form->stem, "CTYPE") == 0;
        const Value value = valueOf(card, *form);
        if (value.problem) {
            if (read.problem.isEmpty())
                read.problem = QString::fromUtf8(value.problem).arg(QString::fromLatin1(key));
            continue;
        }
        read.cards += (key.toByteArray().leftJustified(KeyLength, ' ') + "= " + value.text)
                          .leftJustified(CardLength, ' ');
    }
    return read;
}

} // namespace Imaging
