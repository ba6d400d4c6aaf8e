#include "core/numberrules.h"
#include "support/guard.h"

#include <QTest>
#include <cmath>
#include <limits>

using NumberRules::read;
using NumberRules::write;

namespace {
const QLocale Point(QLocale::English, QLocale::UnitedStates);
const QLocale Comma(QLocale::Italian, QLocale::Italy);
} // namespace

class TestNumberRules : public QObject
{
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
    void tooLargeToRead_data();
    void tooLargeToRead();
    void writing_data();
    void writing();
    void defaultLocaleIsReadAtEveryCall();
    void typed_data();
    void typed();
    void roundTrip_data();
    void roundTrip();
};

void TestNumberRules::reading_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    for (const QLocale &locale : {Point, Comma}) {
        const QByteArray tag = locale == Point ? "point: " : "comma: ";
        auto row = [&](const char *name, const QString &text, double expected) {
            QTest::newRow(tag + name) << locale << text << expected;
        };
        row("empty", "", 0);
        row("letters only", "abc", 0);
        row("comma only", ",", 0);
        row("minus point five", "-.5", -0.5);
        row("plus sign", "+7", 7);
        row("exponent E", "1.5E2", 150);
        row("exponent lower d", "1.5d2", 150);
        row("exponent D negative", "25D-1", 2.5);
        row("exponent without digits", "1.5E", 1.5);
        row("exponent sign without digits", "1.5e+x", 1.5);
        row("second point ends", "12.3.4", 12.3);
        row("blanks removed everywhere", " 1 2.5 ", 12.5);
        row("tabs and line feeds removed", "\t1\n2", 12);
        row("no-break spaces removed", "1\u00a02\u202f3", 123);
        row("byte-order marks removed", "\ufeff-1\ufeff.5", -1.5);
        row("Arabic-Indic digits", "\u0661\u0662.\u0665", 12.5);
        row("full-width digits, exponent too", "\uff11.\uff15E\uff12", 150);
        row("digits beyond the first plane", "\U0001d7cf\U0001d7d0", 12);
        row("superscript two is no digit", "1\u00b2", 1);
        row("other blank ends the number", "1\u20032", 1);
        row("trailing text ignored", "42abc", 42);
        row("hex", "&H1F", 31);
        row("hex lower case", "&hff", 255);
        row("octal", "&O17", 15);
        row("ampersand alone", "&", 0);
        row("ampersand other letter", "&X12", 0);
        row("point alone", ".", 0);
        row("trailing point", "5.", 5);
        row("sign alone", "-", 0);
        row("tiny underflows to zero", "1E-400", 0);
        row("largest double", "1.7976931348623157E308", std::numeric_limits<double>::max());
        row("zeros with huge exponent", "0E99999", 0);
    }
    // The comma is a decimal point only where the user's separator is the comma.
    QTest::newRow("point: comma ends the number") << Point << "12,34" << 12.0;
    QTest::newRow("point: 12,35 reads 12") << Point << "12,35" << 12.0;
    QTest::newRow("comma: 12,35 reads 12.35") << Comma << "12,35" << 12.35;
    QTest::newRow("comma: point still a decimal point") << Comma << "12.35" << 12.35;
    QTest::newRow("comma: second separator ends") << Comma << "12,3.4" << 12.3;
    QTest::newRow("comma: second comma ends") << Comma << "1,5,6" << 1.5;
    QTest::newRow("comma: negative with exponent") << Comma << "-1,5E-2" << -0.015;
}

void TestNumberRules::reading()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(double, expected);
    LocaleGuard guard(locale);
    const auto value = read(text);
    QVERIFY(value.has_value());
    QCOMPARE(*value, expected);
}

void TestNumberRules::tooLargeToRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("1E309") << "1E309";
    QTest::newRow("negative") << "-2.5E400";
    QTest::newRow("huge exponent") << "1E99999999999999999999";
    QTest::newRow("many digits") << QString(400, u'9');
    QTest::newRow("hex beyond double") << QStringLiteral("&H") + QString(300, u'F');
}

void TestNumberRules::tooLargeToRead()
{
    QFETCH(QString, text);
    for (const QLocale &locale : {Point, Comma}) {
        LocaleGuard guard(locale);
        QVERIFY(!read(text).has_value());
    }
}

void TestNumberRules::writing_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("point");
    QTest::addColumn<QString>("comma");

    QTest::newRow("zero") << 0.0 << "0" << "0";
    QTest::newRow("negative zero") << -0.0 << "0" << "0";
    QTest::newRow("one third") << 1.0 / 3 << "0.333333333333333" << "0,333333333333333";
    QTest::newRow("two thirds") << 2.0 / 3 << "0.666666666666667" << "0,666666666666667";
    QTest::newRow("2.5") << 2.5 << "2.5" << "2,5";
    QTest::newRow("100") << 100.0 << "100" << "100";
    QTest::newRow("-2.5") << -2.5 << "-2.5" << "-2,5";
    QTest::newRow("0.0001") << 0.0001 << "0.0001" << "0,0001";
    QTest::newRow("-0.00015") << -0.00015 << "-0.00015" << "-0,00015";
    QTest::newRow("1.5E-05") << 1.5e-5 << "1.5E-05" << "1,5E-05";
    QTest::newRow("1E-05") << 1e-5 << "1E-05" << "1E-05";
    QTest::newRow("123456789012345") << 123456789012345.0 << "123456789012345" << "123456789012345";
    QTest::newRow("12345678901234567") << 12345678901234567.0 << "1.23456789012346E+16"
                                       << "1,23456789012346E+16";
    QTest::newRow("1E15") << 1e15 << "1E+15" << "1E+15";
    QTest::newRow("rounds up to 1E15") << 999999999999999.9 << "1E+15" << "1E+15";
    QTest::newRow("just below 1E-4 rounds to it") << 0.00009999999999999999 << "0.0001" << "0,0001";
    QTest::newRow("largest double") << std::numeric_limits<double>::max()
                                    << "1.79769313486232E+308" << "1,79769313486232E+308";
    QTest::newRow("smallest denormal") << 5e-324 << "4.94065645841247E-324" << "4,94065645841247E-324";
    QTest::newRow("no thousands separator") << 1234567.25 << "1234567.25" << "1234567,25";
    QTest::newRow("magnitude") << 10.8211343500263 << "10.8211343500263" << "10,8211343500263";
}

void TestNumberRules::writing()
{
    QFETCH(double, value);
    QFETCH(QString, point);
    QFETCH(QString, comma);
    {
        LocaleGuard guard(Point);
        QCOMPARE(write(value), point);
    }
    LocaleGuard guard(Comma);
    QCOMPARE(write(value), comma);
}

void TestNumberRules::defaultLocaleIsReadAtEveryCall()
{
    LocaleGuard outer(Point);
    QCOMPARE(write(0.5), QStringLiteral("0.5"));
    QCOMPARE(*read("0,5"), 0.0);
    QLocale::setDefault(Comma);
    QCOMPARE(write(0.5), QStringLiteral("0,5"));
    QCOMPARE(*read("0,5"), 0.5);
}

void TestNumberRules::typed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value"); // NaN: refused
    const double none = std::nan("");
    QTest::newRow("point") << " 12.5 " << 12.5;
    QTest::newRow("comma") << "-0,25" << -0.25;
    QTest::newRow("exponent") << "3e2" << 300.0;
    QTest::newRow("empty") << "  " << none;
    QTest::newRow("letters") << "abc" << none;
    QTest::newRow("trailing text") << "4.5 e-" << none;
    QTest::newRow("not available") << "n/d" << none;
    QTest::newRow("both separators") << "1,234.5" << none;
    QTest::newRow("two numbers") << "1 2" << none;
    QTest::newRow("infinite") << "inf" << none;
    QTest::newRow("beyond a double") << "1e999" << none;
}

// Boxes of the program's own windows: unlike the sheet's rule, nothing but a number.
void TestNumberRules::typed()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const std::optional<double> typed = NumberRules::readTyped(text);
    QCOMPARE(typed.has_value(), !std::isnan(value));
    if (typed)
        QCOMPARE(*typed, value);
}

void TestNumberRules::roundTrip_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("magnitude") << 10.802575123456789;
    QTest::newRow("temperature") << 5933.951234567;
    QTest::newRow("tiny") << -1.234567890123456e-200;
    QTest::newRow("huge") << 9.87654321098765e300;
    QTest::newRow("plain small") << 0.000123456789012345;
}

void TestNumberRules::roundTrip()
{
    QFETCH(double, value);
    const double expected = QString::number(value, 'g', 15).toDouble();
    for (const QLocale &locale : {Point, Comma}) {
        LocaleGuard guard(locale);
        QCOMPARE(*read(write(value)), expected);
    }
}

QTEST_GUILESS_MAIN(TestNumberRules)
#include "tst_numberrules.moc"
