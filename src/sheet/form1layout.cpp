#include "form1layout.h"

namespace Form1Layout {

namespace {
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Grey = qRgb(224, 224, 224);
constexpr QRgb Yellow = qRgb(255, 255, 192);
constexpr QRgb Silver = qRgb(192, 192, 192);
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb Green = qRgb(0, 128, 0);
constexpr QRgb LightGreen = qRgb(0, 192, 0);
constexpr QRgb DarkRed = qRgb(128, 0, 0);
constexpr QRgb DarkGrey = qRgb(64, 64, 64);
constexpr auto L = Kind::Label;
constexpr auto T = Kind::TextBox;
constexpr auto B = Kind::Button;
constexpr auto W = Face::Window;
constexpr auto N = Face::Number;
constexpr auto R = Face::Row;
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
        {"Label6", L, "", 75, 750, 0, 0, "Magnitudine", Unset, Unset, R, false},
        {"Text1", T, "", 1080, 240, 1695, 255, "", White, Black, N, false},
        {"Text2", T, "", 2760, 240, 1695, 255, "", White, Black, N, false},
        {"Text3", T, "", 4440, 240, 1695, 255, "", White, Black, N, false},
        {"Text4", T, "", 6120, 240, 1695, 255, "", White, LightGreen, N, false},
        {"Text9", T, "", 1080, 480, 1695, 255, "", Grey, Black, N, false},
        {"Text8", T, "", 2760, 480, 1695, 255, "", Grey, Black, N, false},
        {"Text10", T, "", 4440, 480, 1695, 255, "", Grey, Black, N, false},
        {"Text16", T, "", 6120, 480, 1695, 255, "", Grey, Black, N, false},
        {"Text5", T, "", 1080, 720, 1695, 255, "", White, Black, N, false},
        {"Text6", T, "", 2760, 720, 1695, 255, "", White, Black, N, false},
        {"Text7", T, "", 4440, 720, 1695, 255, "", White, Black, N, false},
        {"Text11", T, "", 6120, 720, 1695, 255, "", Grey, Green, N, false},

        // The result column.
        {"Label15", L, "", 5160, 990, 975, 255, "Mag. con C1", Unset, Unset, R, false},
        {"Label16", L, "", 5160, 1230, 975, 255, "Mag. con C2", Unset, Unset, R, false},
        {"Label17", L, "", 5160, 1470, 975, 255, "Mag. con C3", Unset, Unset, R, false},
        {"Label8", L, "", 5160, 1710, 855, 255, "Errore Mag.", Unset, Unset, R, false},
        {"Text12", T, "", 6120, 960, 1695, 255, "", Grey, Black, N, false},
        {"Text13", T, "", 6120, 1200, 1695, 255, "", Grey, Black, N, false},
        {"Text14", T, "", 6120, 1440, 1695, 255, "", Grey, Black, N, false},
        {"Text15", T, "", 6120, 1680, 1695, 255, "", Grey, DarkRed, N, false},

        // The particulars, each label right-aligned against its box.
        {"Label2", L, "", 4950, 2040, 525, 195, "Data:", Unset, Unset, W, true},
        {"Label3", L, "", 4950, 2280, 525, 195, "JD:", Unset, Unset, W, true},
        {"Label4", L, "", 4950, 2520, 525, 195, "Autore:", Unset, Unset, W, true},
        {"Label10", L, "", 4950, 2760, 525, 195, "note:", Unset, Unset, W, true},
        {"Label9", L, "", 4950, 3000, 765, 195, "Oggetto:", Unset, Unset, W, true},
        {"Label18", L, "", 4950, 3240, 525, 195, "Filtro:", Unset, Unset, W, true},
        {"Text17", T, "", 5520, 2040, 2295, 195, "", Yellow, DarkGrey, W, false},
        {"Text18", T, "", 5520, 2280, 2295, 195, "", Yellow, DarkGrey, W, false},
        {"Text19", T, "", 5520, 2520, 2295, 195, "", Yellow, DarkGrey, W, false},
        {"Text21", T, "", 5520, 2760, 2295, 195, "", Yellow, DarkGrey, W, false},
        {"Text20", T, "", 5760, 3000, 2055, 195, "", Yellow, DarkGrey, W, false},
        {"Text22", T, "", 5520, 3240, 2295, 195, "", Yellow, Black, W, false},

        // The filter buttons.
        {"Command6", B, "", 5520, 3480, 375, 255, "I", qRgb(128, 0, 0), Unset, Face::Small, false},
        {"Command7", B, "", 6000, 3480, 375, 255, "R", qRgb(255, 0, 0), Unset, Face::Small, false},
        {"Command5", B, "", 6480, 3480, 375, 255, "V", qRgb(0, 192, 0), Unset, Face::Small, false},
        {"Command50", B, "", 6960, 3480, 375, 255, "B", qRgb(128, 128, 255), Unset, Face::Small, false},
        {"Command51", B, "", 7440, 3480, 375, 255, "UV", qRgb(192, 0, 192), Unset, Face::Small, false},

        // The command block. Label29 is the report's separator, hidden behind "ESCI".
        {"Label29", L, "", 1800, 1800, 135, 255, "/", Unset, Unset, W, false},
        {"Command3", B, "", 240, 1080, 2055, 315, "RAPPORTO MAGNITUDINE", Silver, Unset, W, false},
        {"Command1", B, "", 240, 1440, 2055, 315, "MAGNITUDINE", Silver, Unset, W, false},
        {"Command8", B, "", 240, 1800, 2055, 315, "ESCI", Silver, Unset, W, false},
        {"Command57", B, "", 2400, 1080, 855, 195, "Carica C1", Silver, Unset, W, false},
        {"Command58", B, "", 3240, 1080, 855, 195, "Carica C2", Silver, Unset, W, false},
        {"Command59", B, "", 4080, 1080, 855, 195, "Carica C3", Silver, Unset, W, false},
        {"btnSalva", B, "", 2400, 1320, 855, 195, "Salva C1", Silver, Unset, W, false},
        {"btnSalva2", B, "", 3240, 1320, 855, 195, "Salva C2", Silver, Unset, W, false},
        {"btnSalva3", B, "", 4080, 1320, 855, 195, "Salva C3", Silver, Unset, W, false},
        {"Command4", B, "", 2400, 1560, 855, 195, "reset adu", Silver, Unset, W, false},
        {"Command52", B, "", 3240, 1560, 855, 195, "reset dati ", Silver, Unset, W, false},
        {"Command2", B, "", 4080, 1560, 855, 195, "reset tot.", Silver, Unset, W, false},
        {"Command60", B, "", 2400, 1800, 2535, 315, "Salva Misura in C:\\..... .txt", Silver, Unset, N, false},
        {"NomeFile", T, "", 240, 2160, 4695, 285, "C:\\fotometria.txt", White, Black, N, false},
        {"Command10", B, "", 240, 2520, 4695, 495,
         "Ricavare in magnitudine B le magnitudini V delle tre stelle di confronto,compilando i "
         "loro rispettivi (B-V).",
         qRgb(192, 192, 255), Unset, W, false},
        {"Command9", B, "", 240, 3060, 4695, 675,
         "Estrapolare in magnitudine R le magnitudini V delle tre stelle di confronto,compilando "
         "i loro rispettivi (B-V) con valori compresi tra 0.3 e 0.9.",
         qRgb(255, 192, 192), Unset, W, false},

        // The optional calibration, in the frame's coordinates.
        {"Frame1", Kind::Frame, "", 120, 3720, 7695, 2535, "Opzionale", Unset, Unset, N, false},
        {"Label11", L, "Frame1", 120, 240, 1815, 255, "Calibrazione fotometrica:", Unset, Unset, W, false},
        {"Command70", B, "Frame1", 120, 600, 1695, 315, "B-V Variabile", Silver, Unset, W, false},
        {"Text37", T, "Frame1", 120, 960, 1695, 270, "", White, Green, N, false},
        {"Label41", L, "Frame1", 120, 1245, 1575, 615, "Temperatura variabile da 2500° a 9000° Kelvin",
         Unset, Unset, W, false},
        {"Command69", B, "Frame1", 120, 1920, 1695, 435, "MAGNITUDINE CALIBRATA", Silver, Unset, W, false},
        {"Label22", L, "Frame1", 1940, 400, 0, 0, "(B-V) Var.", Unset, Unset, Face::Narrow, false},
        {"Label19", L, "Frame1", 2040, 650, 0, 0, "(B-V) C1", Unset, Unset, Face::Narrow, false},
        {"Label20", L, "Frame1", 2040, 890, 0, 0, "(B-V) C2", Unset, Unset, Face::Narrow, false},
        {"Label21", L, "Frame1", 2040, 1120, 0, 0, "(B-V) C3", Unset, Unset, Face::Narrow, false},
        {"Label23", L, "Frame1", 1890, 1330, 735, 390, "Pendenza eq. m", Unset, Unset, W, false},
        {"Text26", T, "Frame1", 2640, 360, 615, 270, "", White, LightGreen, N, false},
        {"Text23", T, "Frame1", 2640, 600, 615, 270, "", White, Black, N, false},
        {"Text24", T, "Frame1", 2640, 840, 615, 270, "", White, Black, N, false},
        {"Text25", T, "Frame1", 2640, 1080, 615, 270, "", White, Black, N, false},
        {"Text27", T, "Frame1", 2640, 1320, 615, 270, "", White, Black, N, false},
        {"Command64", B, "Frame1", 3360, 360, 615, 255, "Salva", Silver, Unset, W, false},
        {"Command65", B, "Frame1", 3360, 600, 615, 255, "Salva", Silver, Unset, W, false},
        {"Command66", B, "Frame1", 3360, 840, 615, 255, "Salva", Silver, Unset, W, false},
        {"Command67", B, "Frame1", 3360, 1080, 615, 255, "Salva", Silver, Unset, W, false},
        {"Command68", B, "Frame1", 3360, 1320, 615, 255, "Salva", Silver, Unset, W, false},
        {"Command53", B, "Frame1", 3960, 360, 615, 255, "Carica", Silver, Unset, W, false},
        {"Command54", B, "Frame1", 3960, 600, 615, 255, "Carica", Silver, Unset, W, false},
        {"Command61", B, "Frame1", 3960, 840, 615, 255, "Carica", Silver, Unset, W, false},
        {"Command62", B, "Frame1", 3960, 1080, 615, 255, "Carica", Silver, Unset, W, false},
        {"Command63", B, "Frame1", 3960, 1320, 615, 255, "Carica", Silver, Unset, W, false},
        {"Label30", L, "Frame1", 2610, 1710, 0, 0, "temp.C1", Unset, Unset, W, false},
        {"Label31", L, "Frame1", 2610, 1950, 0, 0, "temp.C2", Unset, Unset, W, false},
        {"Label32", L, "Frame1", 2610, 2190, 0, 0, "temp.C3", Unset, Unset, W, false},
        {"Text33", T, "Frame1", 3240, 1680, 1695, 270, "", Grey, Black, N, false},
        {"Text34", T, "Frame1", 3240, 1920, 1695, 270, "", Grey, Black, N, false},
        {"Text35", T, "Frame1", 3240, 2160, 1695, 270, "", Grey, Black, N, false},
        {"Label24", L, "Frame1", 4840, 400, 0, 0, "Magnitudine", Unset, Unset, R, false},
        {"Label26", L, "Frame1", 4920, 690, 0, 0, "Mag.con C1", Unset, Unset, R, false},
        {"Label27", L, "Frame1", 4900, 930, 0, 0, "Mag.con C2", Unset, Unset, R, false},
        {"Label28", L, "Frame1", 4920, 1155, 0, 0, "Mag.con C3", Unset, Unset, R, false},
        {"Label25", L, "Frame1", 4920, 1395, 0, 0, "Errore mag.", Unset, Unset, R, false},
        {"Label33", L, "Frame1", 5040, 1720, 0, 0, "temp.Var.", Unset, Unset, W, false},
        {"Label34", L, "Frame1", 5760, 1950, 1695, 375, "Temperatura in Kelvin valida con B-V tra 0 e 2",
         Unset, Unset, Face::Narrow, false},
        {"Text28", T, "Frame1", 5760, 360, 1695, 285, "", Grey, Green, N, false},
        {"Text30", T, "Frame1", 5760, 600, 1695, 285, "", Grey, Black, N, false},
        {"Text31", T, "Frame1", 5760, 840, 1695, 280, "", Grey, Black, N, false},
        {"Text32", T, "Frame1", 5760, 1080, 1695, 270, "", Grey, Black, N, false},
        {"Text29", T, "Frame1", 5760, 1320, 1695, 285, "", Grey, DarkRed, N, false},
        {"Text36", T, "Frame1", 5760, 1680, 1695, 270, "", Grey, Green, N, false},
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
    static const QStringList order = [] {
        QStringList o = {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7",
                         "Command1", "Text8", "Command3", "Text9", "Command4", "Text10"};
        for (int i = 11; i <= 16; ++i)
            o << QStringLiteral("Text%1").arg(i);
        o << "Command2" << "Command8";
        for (int i = 17; i <= 21; ++i)
            o << QStringLiteral("Text%1").arg(i);
        o << "btnSalva" << "btnSalva2" << "btnSalva3" << "Command57" << "Command58"
          << "Command59" << "Command60" << "NomeFile" << "Text22" << "Command5" << "Command6"
          << "Command7" << "Command50" << "Command51" << "Command52";
        for (int i = 23; i <= 27; ++i)
            o << QStringLiteral("Text%1").arg(i);
        o << "Command53" << "Command54" << "Command61" << "Command62" << "Command63";
        for (int i = 64; i <= 69; ++i)
            o << QStringLiteral("Command%1").arg(i);
        for (int i = 28; i <= 37; ++i)
            o << QStringLiteral("Text%1").arg(i);
        o << "Command70" << "Command9" << "Command10";
        return o;
    }();
    return order;
}

} // namespace Form1Layout
