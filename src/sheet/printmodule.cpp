// The printing module's one entry point; see printing.h.

#include "printing.h"

extern "C" Q_DECL_EXPORT void vevuridPrintSheet(QWidget *client, Messages &messages)
{
    printSheet(client, messages);
}
