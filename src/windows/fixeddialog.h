#pragma once

#include <QDialog>

// The help and about windows' frame: a fixed dialog border without minimize
// and maximize buttons, a client area of `size` pixels, deleted when closed so
// that nobody has to keep it.
void setUpFixedDialog(QDialog &dialog, const QString &name, QSize size);

// Silver behind the whole client area, as the help windows have it.
void paintSilver(QWidget &window);

// A resizable window of the program's own: its name and caption, the icon,
// silver behind it and the sheet's face; deleted when closed.
void setUpToolWindow(QWidget &window, const QString &name, const QString &title);
