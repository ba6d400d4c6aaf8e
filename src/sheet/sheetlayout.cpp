#include "sheetlayout.h"

#include "aavso/bands.h"
#include "core/names.h"
#include "ui/look.h"

namespace SheetLayout {

namespace {
using namespace Look;
constexpr auto L = Kind::Label;
constexpr auto T = Kind::TextBox;
constexpr auto B = Kind::Button;
constexpr auto W = Face::Window;
constexpr auto N = Face::Number;
constexpr auto R = Face::Row;

// Its caption and colour are its band's.
Control filterButton(const char *name, int left)
{
    const Aavso::Bands::Band &band = *Aavso::Bands::ofButton(QString::fromLatin1(name));
    return {name, B, "", left, 3480, 375, 255, band.caption, band.colour, Unset, Face::Small, false};
}
} // namespace

const std::vector<Control> &controls()
{
    static const std::vector<Control> table = {
        // The main grid: headings, row labels, then the boxes row by row.
        {"Label12", L, "", 1560, 45, 0, 0, "Stella C1", Unset, Unset, Face::Heading, false},
        {"Label13", L, "", 3240, 45, 0, 0, "Stella C2", Unset, Unset, Face::Heading, false},
        {"Label14", L, "", 4920, 50, 0, 0, "Stella C3", Unset, Unset, Face::Heading, false},
        {"Label5", L, "", 6440, 50, 0, 0, "Stella Variabile", Unset, Unset, Face::Heading, false},
        {"Label1", L, "", 675, 260, 0, 0, "ADU", Unset, Unset, R, false},
        {"Label7", L, "", 360, 500, 0, 0, "Rap. Mag.", Unset, Unset, R, false},
        {Label::MagnitudeRow, L, "", 75, 750, 0, 0, "Magnitudine", Unset, Unset, R, false},
        {Field::AduC1, T, "", 1080, 240, 1695, 255, "", White, Black, N, false},
        {Field::AduC2, T, "", 2760, 240, 1695, 255, "", White, Black, N, false},
        {Field::AduC3, T, "", 4440, 240, 1695, 255, "", White, Black, N, false},
        {Field::AduVariable, T, "", 6120, 240, 1695, 255, "", White, LightGreen, N, false},
        {Field::RatioC1, T, "", 1080, 480, 1695, 255, "", Grey, Black, N, false},
        {Field::RatioC2, T, "", 2760, 480, 1695, 255, "", Grey, Black, N, false},
        {Field::RatioC3, T, "", 4440, 480, 1695, 255, "", Grey, Black, N, false},
        {Field::RatioVariable, T, "", 6120, 480, 1695, 255, "", Grey, Black, N, false},
        {Field::MagnitudeC1, T, "", 1080, 720, 1695, 255, "", White, Black, N, false},
        {Field::MagnitudeC2, T, "", 2760, 720, 1695, 255, "", White, Black, N, false},
        {Field::MagnitudeC3, T, "", 4440, 720, 1695, 255, "", White, Black, N, false},
        {Field::MagnitudeVariable, T, "", 6120, 720, 1695, 255, "", Grey, Green, N, false},

        // The result column.
        {"Label15", L, "", 5160, 990, 975, 255, "Mag. con C1", Unset, Unset, R, false},
        {"Label16", L, "", 5160, 1230, 975, 255, "Mag. con C2", Unset, Unset, R, false},
        {"Label17", L, "", 5160, 1470, 975, 255, "Mag. con C3", Unset, Unset, R, false},
        {Label::MagnitudeError, L, "", 5160, 1710, 855, 255, "Errore Mag.", Unset, Unset, R, false},
        {Field::MagnitudeWithC1, T, "", 6120, 960, 1695, 255, "", Grey, Black, N, false},
        {Field::MagnitudeWithC2, T, "", 6120, 1200, 1695, 255, "", Grey, Black, N, false},
        {Field::MagnitudeWithC3, T, "", 6120, 1440, 1695, 255, "", Grey, Black, N, false},
        {Field::MagnitudeError, T, "", 6120, 1680, 1695, 255, "", Grey, DarkRed, N, false},

        // The particulars, each label right-aligned against its box.
        {Label::Date, L, "", 4950, 2040, 525, 195, "Data:", Unset, Unset, W, true},
        {Label::JulianDate, L, "", 4950, 2280, 525, 195, "JD:", Unset, Unset, W, true},
        {Label::Author, L, "", 4950, 2520, 525, 195, "Autore:", Unset, Unset, W, true},
        {Label::Notes, L, "", 4950, 2760, 525, 195, "note:", Unset, Unset, W, true},
        {Label::Object, L, "", 4950, 3000, 765, 195, "Oggetto:", Unset, Unset, W, true},
        {Label::Filter, L, "", 4950, 3240, 525, 195, "Filtro:", Unset, Unset, W, true},
        {Field::Date, T, "", 5520, 2040, 2295, 195, "", Yellow, DarkGrey, W, false},
        {Field::JulianDate, T, "", 5520, 2280, 2295, 195, "", Yellow, DarkGrey, W, false},
        {Field::Author, T, "", 5520, 2520, 2295, 195, "", Yellow, DarkGrey, W, false},
        {Field::Notes, T, "", 5520, 2760, 2295, 195, "", Yellow, DarkGrey, W, false},
        {Field::Object, T, "", 5760, 3000, 2055, 195, "", Yellow, DarkGrey, W, false},
        {Field::Filter, T, "", 5520, 3240, 2295, 195, "", Yellow, Black, W, false},

        // The filter buttons.
        filterButton(Button::FilterI, 5520),
        filterButton(Button::FilterR, 6000),
        filterButton(Button::FilterV, 6480),
        filterButton(Button::FilterB, 6960),
        filterButton(Button::FilterUV, 7440),

        // The command block. Label29 is the report's separator, hidden behind "ESCI".
        {Label::Separator, L, "", 1800, 1800, 135, 255, "/", Unset, Unset, W, false},
        {Button::MagnitudeRatio, B, "", 240, 1080, 2055, 315, "RAPPORTO MAGNITUDINE", Silver, Unset, W, false},
        {Button::Magnitude, B, "", 240, 1440, 2055, 315, "MAGNITUDINE", Silver, Unset, W, false},
        {Button::Exit, B, "", 240, 1800, 2055, 315, "ESCI", Silver, Unset, W, false},
        {Button::LoadMagnitudeC1, B, "", 2400, 1080, 855, 195, "Carica C1", Silver, Unset, W, false},
        {Button::LoadMagnitudeC2, B, "", 3240, 1080, 855, 195, "Carica C2", Silver, Unset, W, false},
        {Button::LoadMagnitudeC3, B, "", 4080, 1080, 855, 195, "Carica C3", Silver, Unset, W, false},
        {Button::SaveMagnitudeC1, B, "", 2400, 1320, 855, 195, "Salva C1", Silver, Unset, W, false},
        {Button::SaveMagnitudeC2, B, "", 3240, 1320, 855, 195, "Salva C2", Silver, Unset, W, false},
        {Button::SaveMagnitudeC3, B, "", 4080, 1320, 855, 195, "Salva C3", Silver, Unset, W, false},
        {Button::ResetCounts, B, "", 2400, 1560, 855, 195, "reset adu", Silver, Unset, W, false},
        {Button::ResetParticulars, B, "", 3240, 1560, 855, 195, "reset dati ", Silver, Unset, W, false},
        {Button::ResetAll, B, "", 4080, 1560, 855, 195, "reset tot.", Silver, Unset, W, false},
        {Button::SaveReport, B, "", 2400, 1800, 2535, 315, "Salva Misura in C:\\..... .txt", Silver, Unset, N, false},
        {Field::ReportFile, T, "", 240, 2160, 4695, 285, "", White, Black, N, false},
        {Button::ConvertToB, B, "", 240, 2520, 4695, 495,
         "Ricavare in magnitudine B le magnitudini V delle tre stelle di confronto,compilando i "
         "loro rispettivi (B-V).",
         qRgb(192, 192, 255), Unset, W, false},
        {Button::ConvertToR, B, "", 240, 3060, 4695, 675,
         "Estrapolare in magnitudine R le magnitudini V delle tre stelle di confronto,compilando "
         "i loro rispettivi (B-V) con valori compresi tra 0.3 e 0.9.",
         qRgb(255, 192, 192), Unset, W, false},

        // The optional calibration, in the frame's coordinates.
        {Frame, Kind::Frame, "", 120, 3720, 7695, 2535, "Opzionale", Unset, Unset, N, false},
        {Label::Calibration, L, Frame, 120, 240, 1815, 255, "Calibrazione fotometrica:", Unset, Unset, W, false},
        {Button::VariableColour, B, Frame, 120, 600, 1695, 315, "B-V Variabile", Silver, Unset, W, false},
        {Field::TypedTemperature, T, Frame, 120, 960, 1695, 270, "", White, Green, N, false},
        {"Label41", L, Frame, 120, 1245, 1575, 615, "Temperatura variabile da 2500° a 9000° Kelvin",
         Unset, Unset, W, false},
        {Button::CalibratedMagnitude, B, Frame, 120, 1920, 1695, 435, "MAGNITUDINE CALIBRATA", Silver, Unset, W, false},
        {"Label22", L, Frame, 1940, 400, 0, 0, "(B-V) Var.", Unset, Unset, Face::Narrow, false},
        {"Label19", L, Frame, 2040, 650, 0, 0, "(B-V) C1", Unset, Unset, Face::Narrow, false},
        {"Label20", L, Frame, 2040, 890, 0, 0, "(B-V) C2", Unset, Unset, Face::Narrow, false},
        {"Label21", L, Frame, 2040, 1120, 0, 0, "(B-V) C3", Unset, Unset, Face::Narrow, false},
        {"Label23", L, Frame, 1890, 1330, 735, 390, "Pendenza eq. m", Unset, Unset, W, false},
        {Field::ColourVariable, T, Frame, 2640, 360, 615, 270, "", White, LightGreen, N, false},
        {Field::ColourC1, T, Frame, 2640, 600, 615, 270, "", White, Black, N, false},
        {Field::ColourC2, T, Frame, 2640, 840, 615, 270, "", White, Black, N, false},
        {Field::ColourC3, T, Frame, 2640, 1080, 615, 270, "", White, Black, N, false},
        {Field::Slope, T, Frame, 2640, 1320, 615, 270, "", White, Black, N, false},
        {Button::SaveColourVariable, B, Frame, 3360, 360, 615, 255, "Salva", Silver, Unset, W, false},
        {Button::SaveColourC1, B, Frame, 3360, 600, 615, 255, "Salva", Silver, Unset, W, false},
        {Button::SaveColourC2, B, Frame, 3360, 840, 615, 255, "Salva", Silver, Unset, W, false},
        {Button::SaveColourC3, B, Frame, 3360, 1080, 615, 255, "Salva", Silver, Unset, W, false},
        {Button::SaveSlope, B, Frame, 3360, 1320, 615, 255, "Salva", Silver, Unset, W, false},
        {Button::LoadColourVariable, B, Frame, 3960, 360, 615, 255, "Carica", Silver, Unset, W, false},
        {Button::LoadColourC1, B, Frame, 3960, 600, 615, 255, "Carica", Silver, Unset, W, false},
        {Button::LoadColourC2, B, Frame, 3960, 840, 615, 255, "Carica", Silver, Unset, W, false},
        {Button::LoadColourC3, B, Frame, 3960, 1080, 615, 255, "Carica", Silver, Unset, W, false},
        {Button::LoadSlope, B, Frame, 3960, 1320, 615, 255, "Carica", Silver, Unset, W, false},
        {"Label30", L, Frame, 2610, 1710, 0, 0, "temp.C1", Unset, Unset, W, false},
        {"Label31", L, Frame, 2610, 1950, 0, 0, "temp.C2", Unset, Unset, W, false},
        {"Label32", L, Frame, 2610, 2190, 0, 0, "temp.C3", Unset, Unset, W, false},
        {Field::TemperatureC1, T, Frame, 3240, 1680, 1695, 270, "", Grey, Black, N, false},
        {Field::TemperatureC2, T, Frame, 3240, 1920, 1695, 270, "", Grey, Black, N, false},
        {Field::TemperatureC3, T, Frame, 3240, 2160, 1695, 270, "", Grey, Black, N, false},
        {Label::Calibrated, L, Frame, 4840, 400, 0, 0, "Magnitudine", Unset, Unset, R, false},
        {"Label26", L, Frame, 4920, 690, 0, 0, "Mag.con C1", Unset, Unset, R, false},
        {"Label27", L, Frame, 4900, 930, 0, 0, "Mag.con C2", Unset, Unset, R, false},
        {"Label28", L, Frame, 4920, 1155, 0, 0, "Mag.con C3", Unset, Unset, R, false},
        {Label::CalibratedError, L, Frame, 4920, 1395, 0, 0, "Errore mag.", Unset, Unset, R, false},
        {"Label33", L, Frame, 5040, 1720, 0, 0, "temp.Var.", Unset, Unset, W, false},
        {"Label34", L, Frame, 5760, 1950, 1695, 375, "Temperatura in Kelvin valida con B-V tra 0 e 2",
         Unset, Unset, Face::Narrow, false},
        {Field::Calibrated, T, Frame, 5760, 360, 1695, 285, "", Grey, Green, N, false},
        {Field::CalibratedWithC1, T, Frame, 5760, 600, 1695, 285, "", Grey, Black, N, false},
        {Field::CalibratedWithC2, T, Frame, 5760, 840, 1695, 280, "", Grey, Black, N, false},
        {Field::CalibratedWithC3, T, Frame, 5760, 1080, 1695, 270, "", Grey, Black, N, false},
        {Field::CalibratedError, T, Frame, 5760, 1320, 1695, 285, "", Grey, DarkRed, N, false},
        {Field::TemperatureVariable, T, Frame, 5760, 1680, 1695, 270, "", Grey, Green, N, false},
    };
    return table;
}

const std::vector<MenuEntry> &menuEntries()
{
    static const std::vector<MenuEntry> table = {
        {"mnuFile", "&File", Menu::Print, "&Stampa"},
        {"mnuFile", "&File", Menu::Aavso, "Esporta &AAVSO..."},
        {"mnuFile", "&File", Menu::Exit, "&esci"},
        {"mnuCerca", "&Cerca", Menu::ImageNote, "&immagine"},
        {"mnuCerca", "&Cerca", Menu::ImageBrowser, "&apri"},
        {"mnuCerca", "&Cerca", Menu::LightCurve, "&curva di luce"},
        {"mnuCerca", "&Cerca", Menu::Measure, "&misura su immagine"},
        {"mnuAiuto", "&Aiuto", Menu::Manual, "&manuale"},
        {"mnuAiuto", "&Aiuto", Menu::Suggestion, "&Suggerimento"},
        {"mnuAiuto", "&Aiuto", Menu::About, "&info"},
    };
    return table;
}

const std::vector<Line> &lines()
{
    // An arrow from the temperature up to the variable's B-V.
    static const std::vector<Line> table = {
        {"Line1", 1800, 1080, 1920, 1080},
        {"Line2", 1920, 1080, 1920, 600},
        {"Line3", 1920, 600, 2040, 720},
        {"Line4", 1920, 600, 1800, 720},
    };
    return table;
}

const QStringList &tabOrder()
{
    using namespace Field;
    using namespace Button;
    static const QStringList order = {
        AduC1, AduC2, AduC3, AduVariable, MagnitudeC1, MagnitudeC2, MagnitudeC3,
        Magnitude, RatioC2, MagnitudeRatio, RatioC1, ResetCounts, RatioC3,
        MagnitudeVariable, MagnitudeWithC1, MagnitudeWithC2, MagnitudeWithC3, MagnitudeError,
        RatioVariable, ResetAll, Exit, Field::Date, Field::JulianDate, Field::Author,
        Field::Object, Field::Notes, SaveMagnitudeC1, SaveMagnitudeC2, SaveMagnitudeC3,
        LoadMagnitudeC1, LoadMagnitudeC2, LoadMagnitudeC3, SaveReport, ReportFile, Field::Filter,
        FilterV, FilterI, FilterR, FilterB, FilterUV, ResetParticulars,
        ColourC1, ColourC2, ColourC3, ColourVariable, Slope,
        LoadColourVariable, LoadColourC1, LoadColourC2, LoadColourC3, LoadSlope,
        SaveColourVariable, SaveColourC1, SaveColourC2, SaveColourC3, SaveSlope,
        Button::CalibratedMagnitude, Field::Calibrated, CalibratedError, CalibratedWithC1,
        CalibratedWithC2, CalibratedWithC3, TemperatureC1, TemperatureC2, TemperatureC3,
        TemperatureVariable, TypedTemperature, VariableColour, ConvertToR, ConvertToB,
    };
    return order;
}

} // namespace SheetLayout
