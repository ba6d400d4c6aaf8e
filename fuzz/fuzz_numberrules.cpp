// The reading rule on any text, and the writing rule's results read back.
//
// Input: the bytes are a text for the reading rule (as UTF-8 and as Latin-1);
// their first eight bytes are also a double for the writing rule. Both run
// with the point (English) and the comma (Italian) as the default separator.

#include "core/numberrules.h"

#include <QLocale>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void fail(const char *what, double value, const QString &text)
{
    std::fprintf(stderr, "%s: %.17g written as \"%s\"\n", what, value, qPrintable(text));
    std::abort();
}

// The value rounded to 15 significant digits, by the C library rather than by
// the rules under test. No locale is ever set here, so the point is ".".
double rounded15(double value)
{
    char digits[40];
    std::snprintf(digits, sizeof digits, "%.14e", value);
    return std::strtod(digits, nullptr);
}

// True when the value lies exactly halfway between two 15-digit numbers. The
// rounding direction of such a tie is free, so either neighbour is right.
bool isTie(double value)
{
    static char digits[1100]; // a double's decimal expansion is finite: at most 767 digits
    std::snprintf(digits, sizeof digits, "%.1000e", std::fabs(value));
    const char *rest = digits + 16; // past "d." and 14 more digits
    if (*rest != '5')
        return false;
    while (*++rest == '0') {
    }
    return *rest == 'e';
}

void checkRoundTrip(double value)
{
    const QString text = NumberRules::write(value);
    const std::optional<double> back = NumberRules::read(text);
    double expected = rounded15(value);
    if (back && *back != expected && isTie(value))
        expected = rounded15(std::nextafter(value, std::copysign(HUGE_VAL, value)));
    if (!std::isfinite(expected)) {
        // Rounding up past the largest double: too large to read back.
        if (back)
            fail("read back a number beyond the double range", value, text);
        return;
    }
    if (!back)
        fail("could not read back", value, text);
    if (*back != expected)
        fail("read back another value", value, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QLocale separators[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                                         QLocale(QLocale::Italian, QLocale::Italy)};
    const auto *bytes = reinterpret_cast<const char *>(data);
    const QString utf8 = QString::fromUtf8(bytes, qsizetype(size));
    const QString latin1 = QString::fromLatin1(bytes, qsizetype(size));

    for (const QLocale &locale : separators) {
        QLocale::setDefault(locale);
        NumberRules::read(utf8);
        NumberRules::read(latin1);
        if (size >= sizeof(double)) {
            double value;
            std::memcpy(&value, data, sizeof value);
            if (std::isfinite(value))
                checkRoundTrip(value);
        }
    }
    return 0;
}
