#include "numberrules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// No-break spaces and byte-order marks, pasted from a web page or a file,
// are blanks to the user as much as spaces are.
bool isBlank(char32_t u)
{
    return u == u' ' || u == u'\t' || u == u'\n' || u == 0xa0 || u == 0x202f || u == 0xfeff;
}

// The text without its blanks, every decimal digit of any script as its
// ASCII digit: the rule below then reads ASCII alone.
QString plain(const QString &text)
{
    QString s;
    s.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t u = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        if (isBlank(u))
            continue;
        if (u > 127 && QChar::isDigit(u)) {
            s += QChar(u'0' + QChar::digitValue(u));
            i += pair;
        } else {
            s += text[i];
        }
    }
    return s;
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int v = -1;
    if (u >= u'0' && u <= u'9')
        v = u - u'0';
    else if (u >= u'a' && u <= u'f')
        v = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        v = u - u'A' + 10;
    return v < base ? v : -1;
}

// "&H1F" and "&O17": a whole number in base 16 or 8.
std::optional<double> readRadix(const QString &s, int base)
{
    double value = 0;
    for (qsizetype i = 2; i < s.size(); ++i) {
        const int d = digitValue(s[i], base);
        if (d < 0)
            break;
        value = value * base + d;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

namespace NumberRules {

std::optional<double> read(const QString &text, const QLocale &locale)
{
    const QString s = plain(text);

    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        if (kind == u'H')
            return readRadix(s, 16);
        if (kind == u'O')
            return readRadix(s, 8);
        return 0.0;
    }

    // Where the user's separator is the comma, the sheet's own results carry
    // one, so the comma reads as a decimal point too.
    const bool commaIsPoint = locale.decimalPoint() == QStringLiteral(",");
    auto isPoint = [&](QChar c) { return c == u'.' || (commaIsPoint && c == u','); };

    qsizetype i = 0;
    std::string number;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        if (s[i] == u'-')
            number += '-';
        ++i;
    }
    std::string intDigits, fracDigits;
    while (i < s.size() && isDigit(s[i]))
        intDigits += char(s[i++].unicode());
    if (i < s.size() && isPoint(s[i])) {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            fracDigits += char(s[i++].unicode());
    }
    if (intDigits.empty() && fracDigits.empty())
        return 0.0;

    long exponent = 0;
    if (i + 1 < s.size() && QStringLiteral("EeDd").contains(s[i])) {
        qsizetype j = i + 1;
        bool negative = false;
        if (s[j] == u'+' || s[j] == u'-')
            negative = s[j++] == u'-';
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) {
                // Saturate: anything past a million is out of range either way.
                exponent = std::min(exponent * 10 + (s[j++].unicode() - u'0'), 1000000L);
            }
            if (negative)
                exponent = -exponent;
        }
    }

    number += (intDigits.empty() ? "0" : intDigits) + '.' + (fracDigits.empty() ? "0" : fracDigits)
            + 'e' + std::to_string(exponent);
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    Q_UNUSED(end);
    if (error == std::errc::result_out_of_range) {
        // Too small reads as zero; too large cannot be read.
        const std::string all = intDigits + fracDigits;
        const auto first = all.find_first_not_of('0');
        if (first == std::string::npos)
            return 0.0;
        const long order = long(intDigits.size()) - long(first) + exponent;
        if (order > 0)
            return std::nullopt;
        return number[0] == '-' ? -0.0 : 0.0;
    }
    return value;
}

QString write(double value, const QLocale &locale)
{
    Q_ASSERT(std::isfinite(value));
    if (value == 0)
        return QStringLiteral("0");

    // "d.dddddddddddddde±xx": the 15 significant digits after rounding.
    char e[32];
    char *const end =
        std::to_chars(e, e + sizeof e, std::fabs(value), std::chars_format::scientific, 14).ptr;
    const char *ePos = std::find(e, end, 'e');
    int exponent = 0;
    std::from_chars(ePos + 2, end, exponent);
    if (ePos[1] == '-')
        exponent = -exponent;
    std::string digits(1, e[0]);
    digits.append(e + 2, std::size_t(ePos - (e + 2)));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = value < 0 ? "-" : "";
    if (exponent >= 0 && exponent < 15) {
        const auto wholeDigits = std::size_t(exponent) + 1;
        std::string whole = digits.substr(0, wholeDigits);
        whole.resize(wholeDigits, '0');
        out += whole;
        if (digits.size() > wholeDigits)
            out += '.' + digits.substr(wholeDigits);
    } else if (exponent < 0 && exponent >= -4) {
        out += "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
    } else {
        out += digits[0];
        if (digits.size() > 1)
            out += '.' + digits.substr(1);
        out += exponent < 0 ? "E-" : "E+";
        if (std::abs(exponent) < 10)
            out += '0';
        out += std::to_string(std::abs(exponent));
    }

    QString text = QString::fromLatin1(out.data(), qsizetype(out.size()));
    const QString point = locale.decimalPoint();
    if (point != QLatin1String("."))
        text.replace(u'.', point);
    return text;
}

std::optional<double> readTyped(const QString &text)
{
    const QString plain = text.trimmed().replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace NumberRules
