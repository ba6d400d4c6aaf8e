#pragma once

#include <QDialog>

// The manual: instructions, the example calibration chart and its comments.
class Dialog : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog(QWidget *parent = nullptr);
};
