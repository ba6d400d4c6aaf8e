#pragma once
// The windows that come with their own module, loaded the first time one of
// them is asked for, so that the libraries they need (CFITSIO, WCSLIB,
// ERFA, QCustomPlot and theirs) cost nothing to a session that shows only
// the sheet. The module exports one C function, `const void
// *WindowFactorySymbol()`, that gives the address of its factory.

#include "core/commandtable.h"

#include <QtGlobal>

#include <cstdint>
#include <vector>

class QWidget;

struct WindowFactory
{
    // Read before any other member. The top six bytes name the table, the
    // last two give its version: any change to the members below, to their
    // signatures or to the types they receive raises the version, so that a
    // module built against another layout is refused instead of called.
    std::uint64_t contract;
    // "Curva di luce" and the period search it opens.
    QWidget *(*lightCurve)(const Services &services);
    // "Misura su immagine" and the series it measures.
    QWidget *(*measure)(const Context &context);

    static constexpr std::uint64_t Contract = 0x5656'4d49'5355'0002; // "VVMISU", version 2
    std::vector<QFunctionPointer> functions() const
    {
        return {reinterpret_cast<QFunctionPointer>(lightCurve), reinterpret_cast<QFunctionPointer>(measure)};
    }
};

// The module's file, without the suffix the system gives it.
inline constexpr char WindowModuleName[] = "vevurid-misure";
inline constexpr char WindowFactorySymbol[] = "vevuridWindowFactory";
