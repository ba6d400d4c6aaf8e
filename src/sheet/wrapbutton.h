#pragma once

#include <QPushButton>

// A push button whose caption wraps over as many lines as its height holds,
// as the sheet's long captions need.
class WrapButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};
