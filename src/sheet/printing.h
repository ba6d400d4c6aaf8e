#pragma once

#include "core/sheet.h"

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
// never prints. The module exports it as PrintSheetSymbol.
void printSheet(QWidget *client, Messages &messages);

inline constexpr char PrintModuleName[] = "vevurid-stampa";
inline constexpr char PrintSheetSymbol[] = "vevuridPrintSheet";
using PrintSheetFunction = void (*)(QWidget *client, Messages &messages);

inline const QString PrintTitle = QStringLiteral("Stampa");
inline const QString NoPrinterMessage = QStringLiteral(
    "Non è disponibile una stampante predefinita: il foglio non è stato stampato.");
inline const QString PrintFailedMessage = QStringLiteral(
    "La stampa non è riuscita: il foglio non è stato stampato.");
