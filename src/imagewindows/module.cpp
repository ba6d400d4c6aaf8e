// The module's one entry point; see ui/windowfactory.h.

#include "windowfactory.h"

extern "C" Q_DECL_EXPORT const WindowFactory *vevuridWindowFactory()
{
    return &measuringWindows();
}
