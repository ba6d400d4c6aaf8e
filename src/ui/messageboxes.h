#pragma once

#include "core/sheet.h"

// Messages as modal QMessageBoxes over the active window.
class MessageBoxes : public Messages
{
public:
    void show(const QString &title, MessageIcon icon, const QString &text) override;
};
