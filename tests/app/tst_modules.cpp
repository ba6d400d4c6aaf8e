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

#include <memory>

class TestModules : public QObject
{
    Q_OBJECT
private slots:
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
    QCOMPARE(load.image->pixels, std::vector<float>(values.cbegin(), values.cend()));
}

void TestModules::unusableModule_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("file"); // the module's file in the folder; none when empty
    const QByteArray broken("\x7f" "ELF but no more");
    QTest::newRow("windows missing") << WindowModuleName << Menu::Measure << QByteArray();
    QTest::newRow("windows not a library") << WindowModuleName << Menu::LightCurve << broken;
    QTest::newRow("printing missing") << PrintModuleName << Menu::Print << QByteArray();
}

// One warning naming the module; the sheet goes on computing.
void TestModules::unusableModule()
{
    QFETCH(QString, module);
    QFETCH(QString, entry);
    QFETCH(QByteArray, file);
    QTemporaryDir folder;
    if (!file.isEmpty()) {
        QFile library(folder.filePath(module + ".so"));
        QVERIFY(library.open(QIODevice::WriteOnly) && library.write(file) == file.size());
    }
    openSheet({folder.path()});
    control<QAction>(m_sheet.get(), entry)->trigger();
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown[0].icon, MessageIcon::Warning);
    const QString said = m_messages.shown[0].text;
    QVERIFY2(said.startsWith(Module::LoadFailed.arg(module, QString())), qPrintable(said));
    if (file.isEmpty())
        QCOMPARE(said, Module::LoadFailed.arg(module, Module::NotFound.arg(folder.path())));

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
