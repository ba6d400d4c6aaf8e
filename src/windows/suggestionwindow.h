#pragma once

#include <QWidget>

// The suggestion: how the sign of the slope moves the calibrated magnitude.
class SuggestionWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SuggestionWindow(QWidget *parent = nullptr);
};
