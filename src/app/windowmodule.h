#pragma once
// Finds and loads the module of the measuring windows on first use. A
// module that is missing or does not load is told once per request, naming
// it and why; the sheet goes on working without it.

#include "ui/windowfactory.h"

#include <QLibrary>
#include <QStringList>

class WindowModule
{
public:
    // The module's file, without the suffix the system gives it.
    static inline const QString Name = QStringLiteral("vevurid-misure");
    // %1: the module, %2: why.
    static inline const QString LoadFailed = QStringLiteral("Impossibile caricare %1: %2");
    static inline const QString NotFound = QStringLiteral("il modulo non si trova in %1");
    static inline const QString NoFactory = QStringLiteral("il modulo non offre le finestre");

    // Looks for the module in `folders`, in their order.
    explicit WindowModule(QStringList folders);
    // A factory already at hand, as when the windows are linked in.
    explicit WindowModule(const WindowFactory &factory);

    // Beside the program (the build tree), then where the package installs it.
    static QStringList installedFolders();

    // The windows' factory; null, after telling `messages` why, when the
    // module cannot be loaded.
    const WindowFactory *factory(Messages &messages);

private:
    QStringList m_folders;
    QLibrary m_library;
    const WindowFactory *m_factory = nullptr;
};
