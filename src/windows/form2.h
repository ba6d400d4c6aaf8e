#pragma once

#include <QWidget>

// The suggestion: how the sign of the slope moves the calibrated magnitude.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    explicit Form2(QWidget *parent = nullptr);
};
