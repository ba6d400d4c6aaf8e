#include "../imaging/fitswriter.h"
#include "app/program.h"
#include "core/names.h"
#include "imaging/fitsimage.h"
#include "sheet/printing.h"
#include "sheet/sheetwindow.h"
#include "support/controls.h"
#include "support/recordingmessages.h"
#include "support/scripteddialogs.h"
#include "ui/windowfactory.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>
#include <cstdint>
#include <link.h>
#include <memory>

class TestModules : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void opensEachWindow_data();
    void opensEachWindow();
    void printsFromModule();
    void readsCompressedImage();
    void unusableModule_data();
    void unusableModule();

private:
    // The sheet with its commands, the modules looked for in `folders`.
    void openSheet(const QStringList &folders);
    // Without a folder named, where the program looks: run from an installed
    // bin/, this finds the installed modules.
    static QStringList moduleFolders();

    QTemporaryDir m_data;
    RecordingMessages m_messages;
    ScriptedDialogs m_dialogs;
    MapSettings m_settings;
    std::unique_ptr<Program::Modules> m_modules;
    std::unique_ptr<SheetWindow> m_sheet;
};

void TestModules::openSheet(const QStringList &folders)
{
    m_messages.shown.clear();
    m_modules = std::make_unique<Program::Modules>(Program::modulesIn(folders));
    m_sheet = std::make_unique<SheetWindow>(Services{m_messages, m_dialogs, m_settings, m_data.path()});
    Program::bindCommands(*m_sheet, *m_modules);
}

QStringList TestModules::moduleFolders()
{
    const QString folder = qEnvironmentVariable("VEVURID_MODULE_FOLDER");
    return folder.isEmpty() ? Module::installedFolders() : QStringList{folder};
}

// In the build tree, the helper stands with the modules, where the program
// would not look for it from here.
void TestModules::initTestCase()
{
    if (qEnvironmentVariableIsSet("VEVURID_MODULE_FOLDER"))
        Imaging::setFitsHelperFolders(moduleFolders());
}

void TestModules::opensEachWindow_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("window");
    QTest::newRow("light curve") << Menu::LightCurve << "Form4";
    QTest::newRow("measuring on an image") << Menu::Measure << "Form5";
}

// From the menu, as the program opens them: the module is loaded once and
// the window comes from its factory.
void TestModules::opensEachWindow()
{
    QFETCH(QString, entry);
    QFETCH(QString, window);
    openSheet(moduleFolders());
    for (int time = 0; time < 2; ++time)
        control<QAction>(m_sheet.get(), entry)->trigger();
    QCOMPARE(m_messages.texts(), QStringList());
    int shown = 0;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == window && top->isVisible()) {
            ++shown;
            top->close();
        }
    }
    QCOMPARE(shown, 2);
}

// Printed through the module's own function: with no printer, it tells so.
void TestModules::printsFromModule()
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("this machine has a default printer; the test would print on it");
    openSheet(moduleFolders());
    control<QAction>(m_sheet.get(), Menu::Print)->trigger();
    QCOMPARE(m_messages.texts(), QStringList{NoPrinterMessage});
}

// Through the helper found where the modules are: run from an installed
// bin/, the installed one.
void TestModules::readsCompressedImage()
{
    QCOMPARE(QFileInfo(Imaging::fitsHelperPath()).path(), moduleFolders().constLast());
    const QString path = QDir(m_data.path()).filePath(QStringLiteral("field.fz"));
    const std::vector<double> values{1, 2, 3, 4};
    QVERIFY(writeFits(path, {USHORT_IMG, {2, 2}, values, {}, true}));
    const Imaging::FitsLoad load = Imaging::loadFits(path);
    QCOMPARE(load.problem, QString());
    QCOMPARE(load.image->pixels, Imaging::Pixels(values.cbegin(), values.cend()));
}

void TestModules::unusableModule_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("file"); // the module's file in the folder; none when empty
    QTest::addColumn<QString>("why");     // after "Impossibile caricare <module>: "

    // The first `length` bytes of the file; all of them when negative.
    const auto bytes = [](const QString &path, qint64 length) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        return length < 0 ? file.readAll() : file.read(length);
    };
    const auto real = [&](const char *module, qint64 length) {
        return bytes(QDir(moduleFolders().constFirst()).filePath(QLatin1String(module) + ".so"), length);
    };
    const auto bad = [&](const char *module, const char *fault) {
        const QString name = QString::fromLatin1(qstrcmp(module, PrintModuleName) == 0 ? "printing" : "windows");
        return bytes(QStringLiteral(BAD_MODULES "/%1-%2/%3.so").arg(name, QLatin1String(fault), QLatin1String(module)),
                     -1);
    };
    const QString windowsEntry = QString::fromLatin1(WindowFactorySymbol);
    const auto version = [](std::uint64_t contract) { return QString::number(contract & 0xffff); };
    const QString windowsLater = Module::OtherContract.arg(version(WindowFactory::Contract + 1),
                                                           version(WindowFactory::Contract));
    const QString printingLater = Module::OtherContract.arg(version(PrintModule::Contract + 1),
                                                            version(PrintModule::Contract));
    const qint64 printingLength = QFileInfo(QDir(moduleFolders().constFirst()).filePath(
                                                QLatin1String(PrintModuleName) + ".so")).size();

    QTest::newRow("windows missing") << WindowModuleName << Menu::Measure << QByteArray() << QString();
    QTest::newRow("printing missing") << PrintModuleName << Menu::Print << QByteArray() << QString();
    QTest::newRow("windows: text") << WindowModuleName << Menu::LightCurve << QByteArray("no library at all")
                                   << Module::NotLibrary;
    QTest::newRow("windows: a header cut short") << WindowModuleName << Menu::LightCurve
                                                 << QByteArray("\x7f" "ELF but no more") << Module::Truncated.arg(16);
    QTest::newRow("windows: its first 200 KB") << WindowModuleName << Menu::Measure
                                               << real(WindowModuleName, 200 * 1024)
                                               << Module::Truncated.arg(200 * 1024);
    QTest::newRow("windows: its first MB") << WindowModuleName << Menu::LightCurve
                                           << real(WindowModuleName, 1024 * 1024)
                                           << Module::Truncated.arg(1024 * 1024);
    // The segments alone tell: a header without its section table.
    QByteArray unsectioned = real(WindowModuleName, 1024 * 1024);
    unsectioned.replace(offsetof(ElfW(Ehdr), e_shoff), sizeof(ElfW(Off)), QByteArray(sizeof(ElfW(Off)), 0));
    unsectioned.replace(offsetof(ElfW(Ehdr), e_shnum), sizeof(ElfW(Half)), QByteArray(sizeof(ElfW(Half)), 0));
    QTest::newRow("windows: its first MB, no section table") << WindowModuleName << Menu::LightCurve << unsectioned
                                                            << Module::Truncated.arg(1024 * 1024);
    QTest::newRow("printing: its first half") << PrintModuleName << Menu::Print
                                              << real(PrintModuleName, printingLength / 2)
                                              << Module::Truncated.arg(printingLength / 2);
    QTest::newRow("windows: printing's file") << WindowModuleName << Menu::Measure
                                              << real(PrintModuleName, printingLength)
                                              << Module::NoEntry.arg(windowsEntry);
    QTest::newRow("windows: entry as data") << WindowModuleName << Menu::Measure
                                            << bad(WindowModuleName, "DATA_SYMBOL")
                                            << Module::NotFunction.arg(windowsEntry);
    QTest::newRow("windows: no table") << WindowModuleName << Menu::LightCurve
                                       << bad(WindowModuleName, "NULL_TABLE") << Module::NoTable.arg(windowsEntry);
    QTest::newRow("windows: a table at no address") << WindowModuleName << Menu::Measure
                                              << bad(WindowModuleName, "STRAY_TABLE")
                                              << Module::TableOutside.arg(windowsEntry);
    QTest::newRow("windows: the layout before versions") << WindowModuleName << Menu::Measure
                                                         << bad(WindowModuleName, "OTHER_LAYOUT")
                                                         << Module::NoContract;
    QTest::newRow("windows: a later version") << WindowModuleName << Menu::LightCurve
                                              << bad(WindowModuleName, "OTHER_VERSION") << windowsLater;
    QTest::newRow("windows: null functions") << WindowModuleName << Menu::Measure
                                             << bad(WindowModuleName, "NULL_FUNCTIONS") << Module::MissingFunction;
    QTest::newRow("windows: no light curve") << WindowModuleName << Menu::LightCurve
                                             << bad(WindowModuleName, "NO_WINDOWS") << Program::NoWindow;
    QTest::newRow("windows: no measuring window") << WindowModuleName << Menu::Measure
                                                  << bad(WindowModuleName, "NO_WINDOWS") << Program::NoWindow;
    QTest::newRow("printing: a later version") << PrintModuleName << Menu::Print
                                               << bad(PrintModuleName, "OTHER_VERSION") << printingLater;
    QTest::newRow("printing: a null function") << PrintModuleName << Menu::Print
                                               << bad(PrintModuleName, "NULL_FUNCTIONS") << Module::MissingFunction;
}

// One warning naming the module; the sheet goes on computing.
void TestModules::unusableModule()
{
    QFETCH(QString, module);
    QFETCH(QString, entry);
    QFETCH(QByteArray, file);
    QFETCH(QString, why);
    QTemporaryDir folder;
    if (!file.isEmpty()) {
        QFile library(folder.filePath(module + ".so"));
        QVERIFY(library.open(QIODevice::WriteOnly) && library.write(file) == file.size());
    }
    openSheet({folder.path()});
    control<QAction>(m_sheet.get(), entry)->trigger();
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown[0].icon, MessageIcon::Warning);
    QCOMPARE(m_messages.shown[0].text,
             Module::LoadFailed.arg(module, file.isEmpty() ? Module::NotFound.arg(folder.path()) : why));

    const char *values[][2] = {{Field::AduC1, "1000"}, {Field::AduC2, "1000"}, {Field::AduC3, "1000"},
                               {Field::AduVariable, "1000"}, {Field::MagnitudeC1, "10"},
                               {Field::MagnitudeC2, "10"}, {Field::MagnitudeC3, "10"}};
    for (const auto &[field, text] : values)
        control<QLineEdit>(m_sheet.get(), field)->setText(text);
    control<QPushButton>(m_sheet.get(), Button::Magnitude)->click();
    QCOMPARE(control<QLineEdit>(m_sheet.get(), Field::MagnitudeVariable)->text(), QStringLiteral("10"));
}

QTEST_MAIN(TestModules)
#include "tst_modules.moc"
