#include "extendedwriter.h"

#include "bands.h"
#include "observations.h"

#include "core/fields.h"
#include "core/names.h"
#include "core/numberrules.h"
#include "photometry/checkstar.h"

#include <QLocale>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <utility>

namespace Aavso {

namespace {

// The boxes a record is made of, and whether each holds a number.
constexpr std::pair<const char *, bool> RecordBoxes[] = {
    {Field::Object, false},     {Field::JulianDate, true},  {Field::MagnitudeVariable, true},
    {Field::MagnitudeError, true}, {Field::Filter, false},  {Field::MagnitudeC1, true},
    {Field::MagnitudeC2, true}, {Field::MagnitudeC3, true}, {Field::Notes, false},
    {Field::Author, false}};

QString description(const char *box)
{
    return Fields::description(QLatin1String(box));
}

// A number box as the export takes it: a number and nothing else, blanks
// around it aside, read as the sheet reads it (so with the system's decimal
// comma too).
enum class Box { Empty, Number, Text };

Box readBox(const QString &text, double &value)
{
    static const QRegularExpression plainNumber(
        QStringLiteral("^[+-]?([0-9]+[.,]?[0-9]*|[.,][0-9]+)([eEdD][+-]?[0-9]+)?$"));
    const QString number = text.trimmed();
    if (number.isEmpty())
        return Box::Empty;
    const std::optional<double> read = NumberRules::read(number);
    if (!read || !plainNumber.match(number).hasMatch())
        return Box::Text;
    value = *read;
    return Box::Number;
}

// `value` as a record carries it: `decimals` decimals, always ".".
QString written(double value, int decimals)
{
    return QString::number(value + 0.0, 'f', decimals); // + 0.0: no "-0.000"
}

struct Number
{
    bool empty = false;
    QString text;    // as written into the record; "na" for an empty box
    QString problem;
};

// A magnitude (or its error, by `range` and `outOfRange`) from the number box `box`.
Number magnitudeIn(const Sheet &sheet, const char *box, const Range &range, const QString &outOfRange)
{
    double value = 0;
    switch (readBox(sheet.text(QLatin1String(box)), value)) {
    case Box::Empty:
        return {true, QString::fromLatin1(NotAvailable), QString()};
    case Box::Text:
        return {false, QString(), NotANumber.arg(description(box), sheet.text(QLatin1String(box)).trimmed())};
    case Box::Number:
        break;
    }
    const QString text = written(value, 3);
    // The range holds for the value a reader gets back.
    if (!range.contains(text.toDouble()))
        return {false, QString(), outOfRange.arg(description(box), text)};
    return {false, text, QString()};
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c < 0xa0) || c == 0xfeff;
}

// `typed`, trimmed, as a record may carry it: ASCII, letters without their
// accents. `problem` says why it cannot be, naming the box `box`.
QString recordText(const QString &typed, const QString &box, QString &problem)
{
    const QString text = typed.trimmed();
    QString ascii;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        i += length - 1;
        if (isControl(character.toUcs4().front())) {
            problem = ControlCharacter.arg(box);
            return QString();
        }
        if (character.front().unicode() < 0x80) {
            ascii += character;
            continue;
        }
        for (const QChar c : character.normalized(QString::NormalizationForm_KD)) {
            if (c.isMark())
                continue;
            if (c.unicode() >= 0x80) {
                problem = NotAscii.arg(box, character);
                return QString();
            }
            ascii += c;
        }
    }
    if (!ascii.isEmpty() && QStringLiteral("=+-@").contains(ascii.front()))
        problem = FormulaStart.arg(box);
    return ascii;
}

// The sheet's box `box` as a record may carry it.
QString recordText(const Sheet &sheet, const char *box, QString &problem)
{
    return recordText(sheet.text(QLatin1String(box)), description(box), problem);
}

// KNAME, KMAG, AMASS and CHART from the image the sheet's counts were
// measured on; "na" for each when the counts are no longer those.
QStringList checkStarFields(const Sheet &sheet, const std::optional<ImageMeasurement> &image,
                            QString &problem)
{
    const QString none = QString::fromLatin1(NotAvailable);
    const QStringList counts = {sheet.text(QLatin1String(Field::AduC1)), sheet.text(QLatin1String(Field::AduC2)),
                                sheet.text(QLatin1String(Field::AduC3)),
                                sheet.text(QLatin1String(Field::AduVariable))};
    if (!image || image->counts != counts)
        return {none, none, none, none};
    QStringList fields;
    for (const auto &[text, box] : {std::pair{image->checkName, CheckNameBox}, std::pair{image->chart, ChartBox}}) {
        const QString written = recordText(text, box, problem);
        if (written.contains(u',') || written.contains(u'|'))
            problem = Delimiter.arg(box);
        else if (written.size() > MostCheckCharacters)
            problem = TooLongFor.arg(box).arg(MostCheckCharacters);
        if (!problem.isEmpty())
            return {};
        fields << (written.isEmpty() ? none : written);
    }
    const auto orNone = [&none](const QString &text) { return text.isEmpty() ? none : text; };
    // Without a name the check star's magnitude names nothing.
    QString checkMagnitude = none;
    if (fields[0] != none && !image->checkCounts.isEmpty()) {
        const Photometry::CheckMagnitude check = Photometry::checkMagnitude(
            image->checkCounts, counts.mid(0, 3),
            {sheet.text(QLatin1String(Field::MagnitudeC1)), sheet.text(QLatin1String(Field::MagnitudeC2)),
             sheet.text(QLatin1String(Field::MagnitudeC3))});
        if (check.value)
            checkMagnitude = written(*check.value, 3);
    }
    return {fields[0], checkMagnitude, orNone(image->airmass), fields[1]};
}

bool isObsCode(const QString &code)
{
    if (code.isEmpty() || code.size() > 10)
        return false;
    for (const QChar c : code)
        if (c.unicode() >= 128 || !c.isLetterOrNumber())
            return false;
    return true;
}

} // namespace

std::optional<qint64> jdKey(std::string_view text)
{
    double jd = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jd);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return std::llround(jd * 1e5);
}

Record record(const Sheet &sheet, const std::optional<ImageMeasurement> &image)
{
    const auto field = [&sheet](const char *name) { return sheet.text(QLatin1String(name)); };
    Record r;
    // In a number the comma is the decimal point where the system writes it
    // so; elsewhere the reading rule would stop at it and change the value.
    const bool commaIsPoint = QLocale().decimalPoint() == QLatin1String(",");
    for (const auto &[name, number] : RecordBoxes) {
        const QString text = field(name);
        if (text.contains(u'\n') || text.contains(u'\r')
            || (text.contains(u',') && !(number && commaIsPoint))) {
            r.problem = Delimiter.arg(description(name));
            return r;
        }
    }
    const QString star = recordText(sheet, Field::Object, r.problem);
    const QString note = r.problem.isEmpty() ? recordText(sheet, Field::Notes, r.problem) : QString();
    if (!r.problem.isEmpty())
        return r;
    double jd = 0;
    const Box date = readBox(field(Field::JulianDate), jd);
    const QString jdText = written(jd, 5);
    const Number magnitude = magnitudeIn(sheet, Field::MagnitudeVariable, Magnitudes, MagnitudeOutOfRange);
    const Number magErr = magnitudeIn(sheet, Field::MagnitudeError, Errors, ErrorWrong);
    Number comparisons[3];
    const char *comparisonBoxes[3] = {Field::MagnitudeC1, Field::MagnitudeC2, Field::MagnitudeC3};
    for (int i = 0; i < 3; ++i)
        comparisons[i] = magnitudeIn(sheet, comparisonBoxes[i], Magnitudes, MagnitudeOutOfRange);
    const Bands::Band *band = Bands::find(field(Field::Filter));
    const QString filter = band ? band->code : field(Field::Filter).trimmed();
    const QString obsCode = field(Field::Author).trimmed();

    // The light curve reads "na" as no star at all.
    if (star.isEmpty() || star.compare(QLatin1String(NotAvailable), Qt::CaseInsensitive) == 0)
        r.problem = StarMissing;
    else if (star.size() > 30)
        r.problem = StarTooLong;
    else if (star.front() == u'#')
        r.problem = StarComment;
    else if (date == Box::Text)
        r.problem = NotANumber.arg(description(Field::JulianDate), field(Field::JulianDate).trimmed());
    else if (date == Box::Empty || !ExportedDates.contains(jdText.toDouble()))
        r.problem = DateNeeded;
    else if (magnitude.empty)
        r.problem = MagnitudeMissing;
    for (const Number &number : {magnitude, magErr, comparisons[0], comparisons[1], comparisons[2]}) {
        if (r.problem.isEmpty())
            r.problem = number.problem;
    }
    if (!r.problem.isEmpty())
        return r;
    if (!band || !band->exported)
        r.problem = FilterUnknown.arg(Bands::exportedCodes().join(QStringLiteral(", ")));
    else if (!isObsCode(obsCode))
        r.problem = ObsCodeNeeded;
    else if (note.contains(u'|'))
        r.problem = SubFieldSeparator.arg(description(Field::Notes));
    if (!r.problem.isEmpty())
        return r;
    const QStringList check = checkStarFields(sheet, image, r.problem);
    if (!r.problem.isEmpty())
        return r;

    QString notes = QStringLiteral("ENSEMBLE C1=%1 C2=%2 C3=%3")
                        .arg(comparisons[0].text, comparisons[1].text, comparisons[2].text);
    if (!note.isEmpty())
        notes += QLatin1Char(' ') + note;
    const QStringList fields = {star,     jdText,   magnitude.text, magErr.text, filter,
                                "NO",     "STD",    "ENSEMBLE",     "na",        check[0],
                                check[1], check[2], "na",           check[3],    notes};
    r.obsCode = obsCode.toLatin1();
    r.line = fields.join(QLatin1Char(',')).toLatin1();
    r.starKey = LightCurve::starKey(star).toLatin1();
    r.jdKey = *jdKey(jdText.toStdString());
    r.filter = filter.toLatin1();
    return r;
}

Record transformedRecord(Record measured, const Transformation &transformation)
{
    enum { Trans = 5, CheckName = 9, CheckMagnitude = 10, Group = 12, Notes = 14 };
    if (!measured.problem.isEmpty())
        return measured;
    QStringList fields = QString::fromLatin1(measured.line).split(QLatin1Char(','));
    const QString notes = recordText(transformation.notes, TransformedBox, measured.problem);
    const QString group = QString::number(transformation.group);
    if (!measured.problem.isEmpty())
        return measured;
    if (transformation.group <= 0 || group.size() > MostGroupDigits)
        measured.problem = GroupWrong.arg(MostGroupDigits);
    else if (notes.contains(u',') || notes.contains(u'|'))
        measured.problem = Delimiter.arg(TransformedBox);
    if (transformation.checkMagnitude && fields[CheckName] != QLatin1String(NotAvailable)) {
        const QString check = written(*transformation.checkMagnitude, 3);
        if (!Magnitudes.contains(check.toDouble()) && measured.problem.isEmpty())
            measured.problem = CheckOutOfRange.arg(check);
        fields[CheckMagnitude] = check;
    }
    if (!measured.problem.isEmpty())
        return measured;
    fields[Trans] = QStringLiteral("YES");
    fields[Group] = group;
    if (!notes.isEmpty())
        fields[Notes] = notes + QLatin1Char(' ') + fields[Notes];
    measured.line = fields.join(QLatin1Char(',')).toLatin1();
    return measured;
}

} // namespace Aavso
