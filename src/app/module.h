#pragma once
// A module of the program: a shared object found beside the program, or
// where the package installs it, and loaded on first use, so that the
// libraries it needs cost nothing to a session that does not use it. A
// module that is missing or cannot be used is told once per request, naming
// it and why; the sheet goes on working without it.
//
// Nothing of a module is trusted blindly. Its file is read before it is
// mapped: every segment its header describes must lie within it, since a
// truncated library maps pages past its end and the first touch of one ends
// the program. It exports one C function, `const void *symbol()`, giving
// the address of its table. The table opens with its contract, a 64-bit
// number holding the table's name in its top six bytes and its version in
// the last two, read before any other member; the table and every function
// in it must lie within the module itself.

#include "core/sheet.h"

#include <QStringList>

#include <cstdint>
#include <vector>

class Module
{
public:
    // %1: the module, %2: why.
    static inline const QString LoadFailed = QStringLiteral("Impossibile caricare %1: %2");
    static inline const QString NotFound = QStringLiteral("il modulo non si trova in %1");
    static inline const QString Unreadable = QStringLiteral("il file del modulo non può essere letto");
    static inline const QString NotLibrary = QStringLiteral("il file del modulo non è una libreria di questo sistema");
    // %1: the file's length.
    static inline const QString Truncated = QStringLiteral(
        "il file del modulo è troncato: ha %1 byte, meno di quanti ne descrive la sua intestazione");
    // %1: what the system says.
    static inline const QString NotLoaded = QStringLiteral("il sistema non carica il modulo (%1)");
    // %1: the exported function.
    static inline const QString NoEntry = QStringLiteral("il modulo non contiene %1");
    static inline const QString NotFunction = QStringLiteral("nel modulo %1 non è una funzione");
    static inline const QString NoTable = QStringLiteral("%1 non ha dato la tabella del modulo");
    static inline const QString TableOutside = QStringLiteral("%1 ha dato una tabella fuori dal modulo");
    static inline const QString NoContract = QStringLiteral("il modulo non dichiara la versione della sua tabella");
    // %1: the module's version, %2: the program's.
    static inline const QString OtherContract = QStringLiteral(
        "il modulo è della versione %1, il programma vuole la versione %2");
    static inline const QString MissingFunction = QStringLiteral(
        "la tabella del modulo ha una funzione nulla o fuori dal modulo");

    // `name`: the file without the suffix the system gives it; `symbol`: the
    // C function it exports. It is looked for in `folders`, in their order.
    Module(QString name, const char *symbol, QStringList folders);
    // The table already at hand, as when the module's code is linked in.
    template <typename Table>
    explicit Module(const Table *linkedIn) : m_table(linkedIn)
    {
    }

    // Beside the program (the build tree), then where the package installs it.
    static QStringList installedFolders();

    // The module's table; null, after telling `messages` why, when the module
    // cannot be used. Table: its contract first, Table::Contract the one
    // expected, and Table::functions() every function it holds.
    template <typename Table>
    const Table *table(Messages &messages)
    {
        const Layout layout{Table::Contract, sizeof(Table),
                            [](const void *table) { return static_cast<const Table *>(table)->functions(); }};
        return static_cast<const Table *>(load(messages, layout));
    }

    // Tells `messages` that the module cannot be used, and why.
    void refuse(Messages &messages, const QString &why) const;

private:
    struct Layout
    {
        std::uint64_t contract;
        std::size_t size;
        std::vector<QFunctionPointer> (*functions)(const void *table);
    };

    const void *load(Messages &messages, const Layout &layout);
    // Why the module in `path` cannot be used; empty when m_table is its table.
    QString opened(const QString &path, const Layout &layout);
    QString tableOf(void *library, const Layout &layout);

    QString m_name;
    const char *m_symbol = nullptr;
    QStringList m_folders;
    const void *m_table = nullptr; // the loaded library stays till the program ends
};
