#pragma once
// Which button runs which command. Each subsystem lists its own commands;
// Form1 connects every entry to the clicked() of the button of that name.

#include "sheet.h"

#include <QList>
#include <functional>

struct Binding
{
    QString control;
    std::function<void(Sheet &, Messages &)> run;
};

using CommandTable = QList<Binding>;
