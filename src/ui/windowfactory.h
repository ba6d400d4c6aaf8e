#pragma once
// The windows that come with their own module, loaded the first time one of
// them is asked for, so that the libraries they need (CFITSIO, WCSLIB,
// ERFA, QCustomPlot and theirs) cost nothing to a session that shows only
// the sheet. The module exports one C function, WindowFactorySymbol, that
// gives its factory.

#include "core/commandtable.h"

class QWidget;

struct WindowFactory
{
    // "Curva di luce" and the period search it opens.
    QWidget *(*lightCurve)(const Services &services);
    // "Misura su immagine" and the series it measures.
    QWidget *(*measure)(const Context &context);
};

// The module's file, without the suffix the system gives it.
inline constexpr char WindowModuleName[] = "vevurid-misure";
inline constexpr char WindowFactorySymbol[] = "vevuridWindowFactory";
using WindowFactoryFunction = const WindowFactory *(*)();
