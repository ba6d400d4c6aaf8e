#pragma once

#include <QWidget>

// The control of that objectName inside `window`; a missing one ends the test
// run at once, since every later check would be meaningless.
template <typename T> T *control(const QWidget *window, const QString &name)
{
    auto *widget = window->findChild<T *>(name);
    if (!widget)
        qFatal("missing control %s", qPrintable(name));
    return widget;
}
