#include "app/program.h"
#include "core/names.h"
#include "sheet/sheetwindow.h"
#include "support/controls.h"
#include "support/recordingmessages.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestWindowModule : public QObject
{
    Q_OBJECT
private slots:
    void opensEachWindow_data();
    void opensEachWindow();
    void unusableModule_data();
    void unusableModule();

private:
    // The sheet with its commands, the module looked for in `folders`.
    void openSheet(const QStringList &folders);

    QTemporaryDir m_data;
    RecordingMessages m_messages;
    ScriptedDialogs m_dialogs;
    MapSettings m_settings;
    std::unique_ptr<WindowModule> m_module;
    std::unique_ptr<SheetWindow> m_sheet;
};

void TestWindowModule::openSheet(const QStringList &folders)
{
    m_messages.shown.clear();
    m_module = std::make_unique<WindowModule>(folders);
    m_sheet = std::make_unique<SheetWindow>(Services{m_messages, m_dialogs, m_settings, m_data.path()});
    Program::bindCommands(*m_sheet, *m_module);
}

void TestWindowModule::opensEachWindow_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("window");
    QTest::newRow("light curve") << Menu::LightCurve << "Form4";
    QTest::newRow("measuring on an image") << Menu::Measure << "Form5";
}

// From the menu, as the program opens them: the module is loaded once and
// the window comes from its factory.
void TestWindowModule::opensEachWindow()
{
    QFETCH(QString, entry);
    QFETCH(QString, window);
    // Without a folder named, where the program looks: run from an installed
    // bin/, this finds the installed module.
    const QString folder = qEnvironmentVariable("VEVURID_MODULE_FOLDER");
    openSheet(folder.isEmpty() ? WindowModule::installedFolders() : QStringList{folder});
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

void TestWindowModule::unusableModule_data()
{
    QTest::addColumn<QByteArray>("file"); // the module's file in the folder; none when empty
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("not a library") << QByteArray("\x7f" "ELF but no more");
}

// One warning naming the module; the sheet goes on computing.
void TestWindowModule::unusableModule()
{
    QFETCH(QByteArray, file);
    QTemporaryDir folder;
    if (!file.isEmpty()) {
        QFile module(folder.filePath(WindowModule::Name + ".so"));
        QVERIFY(module.open(QIODevice::WriteOnly) && module.write(file) == file.size());
    }
    openSheet({folder.path()});
    control<QAction>(m_sheet.get(), Menu::Measure)->trigger();
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown[0].icon, MessageIcon::Warning);
    const QString said = m_messages.shown[0].text;
    QVERIFY2(said.startsWith(WindowModule::LoadFailed.arg(WindowModule::Name, QString())), qPrintable(said));
    if (file.isEmpty())
        QCOMPARE(said, WindowModule::LoadFailed.arg(WindowModule::Name, WindowModule::NotFound.arg(folder.path())));

    const char *values[][2] = {{Field::AduC1, "1000"}, {Field::AduC2, "1000"}, {Field::AduC3, "1000"},
                               {Field::AduVariable, "1000"}, {Field::MagnitudeC1, "10"},
                               {Field::MagnitudeC2, "10"}, {Field::MagnitudeC3, "10"}};
    for (const auto &[field, text] : values)
        control<QLineEdit>(m_sheet.get(), field)->setText(text);
    control<QPushButton>(m_sheet.get(), Button::Magnitude)->click();
    QCOMPARE(control<QLineEdit>(m_sheet.get(), Field::MagnitudeVariable)->text(), QStringLiteral("10"));
}

QTEST_MAIN(TestWindowModule)
#include "tst_windowmodule.moc"
