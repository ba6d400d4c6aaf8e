#pragma once

class QApplication;
class QIcon;

// Fonts, style and icon every window of the program relies on.
void setupApplication(QApplication &app);

// The program's 32 x 32 icon.
QIcon appIcon();
