#pragma once
// A module of the program: a shared object found beside the program, or
// where the package installs it, and loaded on first use, so that the
// libraries it needs cost nothing to a session that does not use it. A
// module that is missing or does not load is told once per request, naming
// it and why; the sheet goes on working without it.

#include "core/sheet.h"

#include <QStringList>

class Module
{
public:
    // %1: the module, %2: why.
    static inline const QString LoadFailed = QStringLiteral("Impossibile caricare %1: %2");
    static inline const QString NotFound = QStringLiteral("il modulo non si trova in %1");
    static inline const QString NoEntry = QStringLiteral("il modulo non contiene %1");

    // `name`: the file without the suffix the system gives it; `symbol`: the
    // C function it exports. It is looked for in `folders`, in their order.
    Module(QString name, const char *symbol, QStringList folders);
    // The function already at hand, as when the module's code is linked in.
    template <typename Function>
    explicit Module(Function linkedIn) : m_entry(reinterpret_cast<QFunctionPointer>(linkedIn))
    {
    }

    // Beside the program (the build tree), then where the package installs it.
    static QStringList installedFolders();

    // The module's function; null, after telling `messages` why, when the
    // module cannot be loaded.
    template <typename Function>
    Function entry(Messages &messages)
    {
        return reinterpret_cast<Function>(load(messages));
    }

private:
    QFunctionPointer load(Messages &messages);

    QString m_name;
    const char *m_symbol = nullptr;
    QStringList m_folders;
    QFunctionPointer m_entry = nullptr; // the loaded library stays till the program ends
};
