#include "printing.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

void printSheet(QWidget *client, Messages &messages)
{
    // Without a default printer QPrinter quietly becomes a PDF printer with no file.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        messages.show(PrintTitle, MessageIcon::Warning, NoPrinterMessage);
        return;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(client->window()->windowTitle());
    if (!renderSheet(client, &printer) || printer.printerState() == QPrinter::Error)
        messages.show(PrintTitle, MessageIcon::Warning, PrintFailedMessage);
}
