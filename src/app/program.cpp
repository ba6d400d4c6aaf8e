#include "program.h"

#include "calibration/commands.h"
#include "aavso/filterbuttons.h"
#include "core/names.h"
#include "files/commands.h"
#include "photometry/commands.h"
#include "sheet/aavsomenu.h"
#include "sheet/printing.h"
#include "sheet/sheetwindow.h"
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
std::function<void(const Context &)> openFromModule(WindowModule &module, Made made)
{
    return [&module, made](const Context &c) {
        if (const WindowFactory *factory = module.factory(c.messages))
            made(*factory, c)->show();
    };
}

void end(const Context &)
{
    endProgram();
}

} // namespace

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

CommandTable windowCommands(SheetWindow &sheet, WindowModule &module)
{
    return {
        {Button::Exit, end},
        {Menu::Exit, end},
        {Menu::Print,
         [&sheet](const Context &c) { printSheet(sheet.centralWidget(), c.messages); }},
        {Menu::Aavso, AavsoMenu::exportMeasurement},
        {Menu::ImageNote, open<ImageNoteWindow>},
        {Menu::ImageBrowser, open<ImageBrowser>},
        {Menu::LightCurve, openFromModule(module, [](const WindowFactory &f, const Context &c) {
             return f.lightCurve(c);
         })},
        {Menu::Measure, openFromModule(module, [](const WindowFactory &f, const Context &c) {
             return f.measure(c);
         })},
        {Menu::Manual, open<ManualWindow>},
        {Menu::Suggestion, open<SuggestionWindow>},
        {Menu::About, open<AboutWindow>},
    };
}

void bindCommands(SheetWindow &sheet, WindowModule &module)
{
    sheet.bind(Aavso::Filters::commands() + Photometry::commands() + Calibration::commands()
               + Files::commands() + windowCommands(sheet, module));
}

} // namespace Program
