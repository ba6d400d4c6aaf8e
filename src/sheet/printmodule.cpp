// The printing module's one entry point, the one symbol it exports; see printing.h.

#include "printing.h"

extern "C" Q_DECL_EXPORT const void *vevuridPrintModule()
{
    static constexpr PrintModule table{PrintModule::Contract, &printSheet};
    return &table;
}
