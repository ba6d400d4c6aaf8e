#pragma once

#include <QDialog>

// The manual: instructions, the example calibration chart and its comments.
class ManualWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ManualWindow(QWidget *parent = nullptr);
};
