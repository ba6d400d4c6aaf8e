// The module's one entry point, the one symbol it exports; see ui/windowfactory.h.

#include "windowfactory.h"

extern "C" Q_DECL_EXPORT const void *vevuridWindowFactory()
{
    return &measuringWindows();
}
