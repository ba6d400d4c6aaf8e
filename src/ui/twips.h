#pragma once
// The windows were designed in twips, 15 to a pixel on a 96-dpi screen.

#include <QWidget>

namespace Twips {

inline int pixels(int twips) { return (twips * 2 + 15) / 30; } // twips ÷ 15, rounded

// `widget`, named `name`, at a place given in twips.
template <typename W>
W *place(W *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
    return widget;
}

} // namespace Twips
