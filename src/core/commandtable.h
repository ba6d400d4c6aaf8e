#pragma once
// Which control runs which command. Each subsystem lists its own commands;
// the main window connects every row to the button's click or the menu
// entry's trigger of that name, so both kinds reach a command the same way.

#include "sheet.h"

#include <QList>
#include <functional>

// What commands and windows reach the user and the disk through.
struct Services
{
    Messages &messages;
    FileDialogs &dialogs;
    Settings &settings;
    QString dataFolder; // holds the folders that stand for the drives ("C:\" and so on)
};

// What a command works with.
struct Context : Services
{
    Sheet &sheet;
};

struct Binding
{
    Binding(QString control, std::function<void(const Context &)> run)
        : control(std::move(control)), run(std::move(run))
    {
    }
    // A command that needs only the sheet and the messages.
    Binding(QString control, void (*command)(Sheet &, Messages &))
        : Binding(std::move(control), [command](const Context &c) { command(c.sheet, c.messages); })
    {
    }

    QString control;
    std::function<void(const Context &)> run;
};

using CommandTable = QList<Binding>;
