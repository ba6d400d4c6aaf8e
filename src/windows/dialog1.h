#pragma once

#include <QDialog>

// The note on the image search.
class Dialog1 : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog1(QWidget *parent = nullptr);
};
