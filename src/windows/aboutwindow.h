#pragma once

#include "core/sheet.h"

#include <QDialog>

#include <functional>

// Finds the system-information tool; an empty path means there is none.
using SysInfoLookup = std::function<QString()>;

// The about window: title, version, description and the system-information button.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    // `messages` must outlive the window.
    explicit AboutWindow(Messages &messages, SysInfoLookup lookup = findSysInfoTool,
                      QWidget *parent = nullptr);

    // The first well-known system-information tool on the PATH.
    static QString findSysInfoTool();

private:
    void buildControls();
    void startSysInfo();

    Messages &m_messages;
    SysInfoLookup m_lookup;
};
