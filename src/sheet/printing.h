#pragma once

#include "core/sheet.h"

#include <QtGlobal>

#include <cstdint>
#include <vector>

class QPaintDevice;
class QWidget;

// Draws a picture of `client`, as it shows with every field's current text,
// on `device` as one page, scaled to fit the page and centred on it. False
// when the device cannot be painted on or the page is not finished.
bool renderSheet(QWidget *client, QPaintDevice *device);

// "&Stampa": the picture of `client` on the default printer, without a
// dialog; tells the user when there is no printer or the job fails. It comes
// with its own module (printer.cpp), loaded the first time the sheet is
// printed, so that Qt's printing library costs nothing to a session that
// never prints. The module exports one C function, `const void
// *PrintModuleSymbol()`, that gives the address of its table.
void printSheet(QWidget *client, Messages &messages);

struct PrintModule
{
    // Read before any other member: the top six bytes name the table, the
    // last two give its version, raised by any change to the members below.
    std::uint64_t contract;
    void (*print)(QWidget *client, Messages &messages);

    static constexpr std::uint64_t Contract = 0x5656'5354'414d'0002; // "VVSTAM", version 2
    std::vector<QFunctionPointer> functions() const { return {reinterpret_cast<QFunctionPointer>(print)}; }
};

inline constexpr char PrintModuleName[] = "vevurid-stampa";
inline constexpr char PrintModuleSymbol[] = "vevuridPrintModule";

inline const QString PrintTitle = QStringLiteral("Stampa");
inline const QString NoPrinterMessage = QStringLiteral(
    "Non è disponibile una stampante predefinita: il foglio non è stato stampato.");
inline const QString PrintFailedMessage = QStringLiteral(
    "La stampa non è riuscita: il foglio non è stato stampato.");
