#pragma once

#include "sheet/messageboxes.h"

#include <QDialog>

#include <functional>

// Finds the system-information tool; an empty path means there is none.
using SysInfoLookup = std::function<QString()>;

// The about window: title, version, description and the system-information button.
class FrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);
    // `messages` must outlive the window.
    FrmAbout(Messages &messages, SysInfoLookup lookup, QWidget *parent = nullptr);

    // The first well-known system-information tool on the PATH.
    static QString findSysInfoTool();

private:
    void buildControls();
    void startSysInfo();

    MessageBoxes m_boxes;
    Messages &m_messages;
    SysInfoLookup m_lookup;
};
