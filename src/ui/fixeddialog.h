#pragma once
// What the program's windows share: their frames, naming a control, reading a typed number.

#include "core/numberrules.h"

#include <QDialog>

#include <functional>

class QLineEdit;

// The help and about windows' frame: a fixed dialog border without minimize
// and maximize buttons, a client area of `size` pixels, deleted when closed so
// that nobody has to keep it.
void setUpFixedDialog(QDialog &dialog, const QString &name, QSize size);

// Silver behind the whole client area, as the help windows have it.
void paintSilver(QWidget &window);

// A resizable window of the program's own: its name and caption, the icon,
// silver behind it and the sheet's face; deleted when closed.
void setUpToolWindow(QWidget &window, const QString &name, const QString &title);

// `widget`, named `name` for its objectName.
template<typename Widget>
Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The number typed in a window's own box, with "," or "." before its
// decimals; NaN for a text that is none.
double typedNumber(const QLineEdit &field);

// Keeps `field` to numbers, and to an empty text when `emptyAllowed`: when
// the user ends typing anything else (Return, or leaving the box), the box
// shows its last good text again and `refused` gets the message naming it
// by `caption`, which is also its accessible name. Call it before connecting
// the window's own handlers of the box, so that they read a good text.
void keepToNumbers(QLineEdit &field, const QString &caption, bool emptyAllowed,
                   const std::function<void(const QString &)> &refused);
