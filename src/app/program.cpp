#include "program.h"

#include "colourcalibration/commands.h"
#include "aavso/filterbuttons.h"
#include "core/names.h"
#include "files/commands.h"
#include "photometry/commands.h"
#include "sheet/aavsomenu.h"
#include "sheet/printing.h"
#include "sheet/sheetwindow.h"
#include "ui/windowfactory.h"
#include "windows/aboutwindow.h"
#include "windows/imagebrowser.h"
#include "windows/imagenotewindow.h"
#include "windows/manualwindow.h"
#include "windows/suggestionwindow.h"

#include <QApplication>
#include <QPointer>

#include <type_traits>

namespace Program {

namespace {

// A new, independent copy each time; it deletes itself when closed, so the
// sheet keeps nothing. A window that writes into the sheet gets it with the
// services; one that reports to the user or asks for files, the services.
template <typename Window>
void open(const Context &c)
{
    if constexpr (std::is_constructible_v<Window, const Context &>)
        (new Window(c))->show();
    else if constexpr (std::is_constructible_v<Window, Messages &>)
        (new Window(c.messages))->show();
    else
        (new Window)->show();
}

// A window of the module: loaded on first use, or the one warning why not.
template <typename Made>
std::function<void(const Context &)> openFromModule(Module &module, Made made)
{
    return [&module, made](const Context &c) {
        const auto *factory = module.table<WindowFactory>(c.messages);
        if (!factory)
            return;
        if (QWidget *window = made(*factory, c))
            window->show();
        else
            module.refuse(c.messages, NoWindow);
    };
}

void end(const Context &)
{
    endProgram();
}

} // namespace

Modules modulesIn(const QStringList &folders)
{
    return {Module(QString::fromLatin1(WindowModuleName), WindowFactorySymbol, folders),
            Module(QString::fromLatin1(PrintModuleName), PrintModuleSymbol, folders)};
}

void endProgram()
{
    // Not QApplication::closeAllWindows(): it stops at the first window that
    // refuses to close and leaves the others open.
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets())
        windows << window;
    for (const QPointer<QWidget> &window : windows)
        if (window && window->isVisible())
            window->close();
    // exit(), not quit(): a window could refuse a quit request.
    QCoreApplication::exit(0);
}

CommandTable windowCommands(SheetWindow &sheet, Modules &modules)
{
    return {
        {Button::Exit, end},
        {Menu::Exit, end},
        {Menu::Print,
         [&sheet, &modules](const Context &c) {
             if (const auto *printing = modules.printing.table<PrintModule>(c.messages))
                 printing->print(sheet.centralWidget(), c.messages);
         }},
        {Menu::Aavso, AavsoMenu::exportMeasurement},
        {Menu::ImageNote, open<ImageNoteWindow>},
        {Menu::ImageBrowser, open<ImageBrowser>},
        {Menu::LightCurve, openFromModule(modules.windows, [](const WindowFactory &f, const Context &c) {
             return f.lightCurve(c);
         })},
        {Menu::Measure, openFromModule(modules.windows, [](const WindowFactory &f, const Context &c) {
             return f.measure(c);
         })},
        {Menu::Manual, open<ManualWindow>},
        {Menu::Suggestion, open<SuggestionWindow>},
        {Menu::About, open<AboutWindow>},
    };
}

void bindCommands(SheetWindow &sheet, Modules &modules)
{
    sheet.bind(Aavso::Filters::commands() + Photometry::commands() + ColourCalibration::commands()
               + Files::commands() + windowCommands(sheet, modules));
}

} // namespace Program
