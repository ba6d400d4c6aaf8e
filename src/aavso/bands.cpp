#include "bands.h"

#include "core/names.h"

#include <QHash>
#include <QRegularExpression>

namespace Aavso::Bands {

namespace {

Band band(const char *code, QStringList names)
{
    return {QString::fromLatin1(code), std::move(names), Automatic, true, nullptr, nullptr};
}

// Opaque, as QRgb has it.
constexpr quint32 rgb(quint32 red, quint32 green, quint32 blue)
{
    return 0xFF000000 | red << 16 | green << 8 | blue;
}

Band buttonBand(const char *code, QStringList names, quint32 colour, const char *button,
                const char *caption)
{
    return {QString::fromLatin1(code), std::move(names), colour, true, button, caption};
}

} // namespace

const std::vector<Band> &all()
{
    static const std::vector<Band> bands = [] {
        std::vector<Band> b = {
            buttonBand("U", {"Johnson U"}, rgb(192, 0, 192), Button::FilterUV, "UV"),
            buttonBand("B", {"Johnson B"}, rgb(128, 128, 255), Button::FilterB, "B"),
            buttonBand("V", {"Johnson V"}, rgb(0, 192, 0), Button::FilterV, "V"),
            buttonBand("R", {"Cousins R", "Johnson R", "Rc"}, rgb(255, 0, 0), Button::FilterR, "R"),
            buttonBand("I", {"Cousins I", "Johnson I", "Ic"}, rgb(128, 0, 0), Button::FilterI, "I"),
            {Visual, {"Visual", "Vis"}, rgb(128, 128, 128), false, nullptr, nullptr},
            band("J", {"J NIR 1.2micron"}),
            band("H", {"H NIR 1.6micron"}),
            band("K", {"K NIR 2.2micron"}),
            band("TG", {"Tri-Color Green", "Green-Vis.", "Green"}),
            band("TB", {"Tri-Color Blue", "Blue-Vis.", "Blue"}),
            band("TR", {"Tri-Color Red", "Red-Vis.", "Red"}),
            band("CV", {"Unfiltered with V Zeropoint", "Clear"}),
            band("CR", {"Unfiltered with R Zeropoint"}),
            band("SU", {"Sloan u"}),
            band("SG", {"Sloan g"}),
            band("SR", {"Sloan r"}),
            band("SI", {"Sloan i"}),
            band("SZ", {"Sloan z"}),
            band("STU", {"Stromgren u"}),
            band("STV", {"Stromgren v"}),
            band("STB", {"Stromgren b"}),
            band("STY", {"Stromgren y"}),
            band("STHBW", {"Stromgren Hbw"}),
            band("STHBN", {"Stromgren Hbn"}),
            band("MA", {"Optec Wing A"}),
            band("MB", {"Optec Wing B"}),
            band("MI", {"Optec Wing C"}),
            band("ZS", {"PanSTARRS Z-short"}),
            band("Y", {"PanSTARRS Y"}),
            band("HA", {"H-alpha"}),
            band("HAC", {"H-alpha continuum"}),
        };
        return b;
    }();
    return bands;
}

const Band *find(QStringView text)
{
    static const QHash<QString, const Band *> byName = [] {
        QHash<QString, const Band *> names;
        for (const Band &b : all()) {
            names.insert(b.code.toCaseFolded(), &b);
            for (const QString &name : b.names)
                names.insert(name.toCaseFolded(), &b);
            if (b.caption)
                names.insert(QString::fromLatin1(b.caption).toCaseFolded(), &b);
        }
        return names;
    }();
    return byName.value(text.trimmed().toString().toCaseFolded());
}

const Band *ofButton(const QString &button)
{
    for (const Band &b : all())
        if (b.button && button == QLatin1String(b.button))
            return &b;
    return nullptr;
}

QStringList exportedCodes()
{
    QStringList codes;
    for (const Band &b : all())
        if (b.exported)
            codes << b.code;
    return codes;
}

} // namespace Aavso::Bands

namespace Aavso::Bands {

QString fitsFilterCode(QStringView filter)
{
    static const QHash<QString, QString> aliases = {
        {"v", "V"},   {"b", "B"},     {"r", "R"},     {"i", "I"},       {"u", "U"},
        {"rc", "R"},  {"ic", "I"},    {"g", "TG"},    {"green", "TG"},  {"blue", "TB"},
        {"red", "TR"}, {"c", "CV"},   {"l", "CV"},    {"clear", "CV"},  {"clr", "CV"},
        {"lum", "CV"}, {"luminance", "CV"},
    };
    static const QStringList johnson = {"johnson", "bessel", "bessell", "cousins"};
    static const QStringList sloan = {"sloan", "sdss"};
    static const QString sloanLetters = QStringLiteral("griuz");

    QString text = filter.trimmed().toString().toCaseFolded();
    text.replace(QChar(0x2032), QLatin1Char('\'')).replace(QChar(0x2019), QLatin1Char('\''));
    QStringList words = text.split(QRegularExpression(QStringLiteral("[\\s_-]+")), Qt::SkipEmptyParts);
    if (words.size() == 2 && johnson.contains(words[0])) {
        const QString code = aliases.value(words[1]);
        return code.size() == 1 ? code : QString(); // U, B, V, R or I
    }
    const bool sloanNamed = words.size() == 2 && sloan.contains(words[0]);
    const QString letter = sloanNamed ? words[1] : text;
    // g, g', gp after a Sloan name; g' or gp alone.
    const bool primed = letter.size() == 2 && (letter[1] == QLatin1Char('\'') || letter[1] == QLatin1Char('p'));
    if ((sloanNamed || primed) && (letter.size() == 1 || primed) && sloanLetters.contains(letter[0]))
        return QStringLiteral("S") + letter[0].toUpper();
    if (sloanNamed)
        return QString();
    if (aliases.contains(text))
        return aliases.value(text);
    const Band *band = text.size() > 1 ? find(text) : nullptr;
    return band && band->exported ? band->code : QString();
}

} // namespace Aavso::Bands

namespace Aavso::Bands {

QStringList sequenceBands(QStringView code)
{
    static const QHash<QString, QStringList> bands = {
        {"U", {"U"}},          {"B", {"B"}},          {"V", {"V"}},
        {"R", {"Rc", "R"}},    {"I", {"Ic", "I"}},    {"CV", {"V"}},
        {"TG", {"V"}},         {"TB", {"B"}},         {"TR", {"Rc", "R"}},
        {"SU", {"SU", "u'"}},  {"SG", {"SG", "g'"}},  {"SR", {"SR", "r'"}},
        {"SI", {"SI", "i'"}},  {"SZ", {"SZ", "z'"}},
    };
    const Band *band = find(code);
    return band ? bands.value(band->code) : QStringList();
}

} // namespace Aavso::Bands
