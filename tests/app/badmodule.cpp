// A module that breaks its contract in one way, the one macro defined of
// those below, for the program to refuse: built as the measuring windows'
// module, or as printing's where PRINTING is defined.

#include "sheet/printing.h"
#include "ui/windowfactory.h"

#include <cstdint>

namespace {

#ifdef PRINTING
[[maybe_unused]] void print(QWidget *, Messages &) {}
using Table = PrintModule;
#define ENTRY vevuridPrintModule
#define FUNCTIONS print
#define NO_FUNCTIONS nullptr
#else
[[maybe_unused]] QWidget *noLightCurve(const Services &) { return nullptr; }
[[maybe_unused]] QWidget *noMeasure(const Context &) { return nullptr; }
using Table = WindowFactory;
#define ENTRY vevuridWindowFactory
#define FUNCTIONS noLightCurve, noMeasure
#define NO_FUNCTIONS nullptr, nullptr
#endif

#if defined(OTHER_VERSION)
constexpr Table Given{Table::Contract + 1, FUNCTIONS};
#elif defined(NULL_FUNCTIONS)
constexpr Table Given{Table::Contract, NO_FUNCTIONS};
#elif defined(OTHER_LAYOUT)
// The windows' table as it was before it named its contract.
struct Unversioned
{
    QWidget *(*lightCurve)(const Services &services);
    QWidget *(*measure)(const Context &context);
};
constexpr Unversioned Given{FUNCTIONS};
#else
constexpr Table Given{Table::Contract, FUNCTIONS};
#endif

} // namespace

#if defined(DATA_SYMBOL)
extern "C" Q_DECL_EXPORT const Table ENTRY = Given;
#else
extern "C" Q_DECL_EXPORT const void *ENTRY()
{
#if defined(NULL_TABLE)
    return nullptr;
#elif defined(STRAY_TABLE)
    return reinterpret_cast<const void *>(std::uintptr_t(8)); // nothing is mapped there
#else
    return &Given;
#endif
}
#endif
