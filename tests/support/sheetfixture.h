#pragma once

#include "app/program.h"
#include "imagewindows/windowfactory.h"
#include "sheet/printing.h"
#include "sheet/sheetwindow.h"
#include "support/controls.h"
#include "support/recordingmessages.h"
#include "support/scripteddialogs.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The real sheet for a GUI test, over its own temporary data folder, so that a
// button that saves never writes where the user keeps files.
class SheetFixture
{
protected:
    // A new sheet with every command bound, and no message left from an earlier one.
    void openSheet()
    {
        m_dataFolder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dataFolder->isValid());
        m_form = std::make_unique<SheetWindow>(
            Services{m_messages, m_dialogs, m_settings, m_dataFolder->path()});
        Program::bindCommands(*m_form, m_modules);
        m_messages.shown.clear();
    }
    void closeSheet()
    {
        m_form.reset();
        m_dataFolder.reset();
    }
    template <typename T> T *control(const QString &name) const
    {
        return ::control<T>(m_form.get(), name);
    }
    void click(const QString &button) const
    {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }
    QString dataFolder() const { return m_dataFolder->path(); }

    RecordingMessages m_messages;
    ScriptedDialogs m_dialogs;
    MapSettings m_settings;
    std::unique_ptr<SheetWindow> m_form;

private:
    // Linked in, so that the tests reach the windows' own classes.
    static constexpr PrintModule printing{PrintModule::Contract, &printSheet};
    Program::Modules m_modules{Module(&measuringWindows()), Module(&printing)};
    std::unique_ptr<QTemporaryDir> m_dataFolder;
};
