#pragma once

#include <QDialog>

// The note on the image search.
class ImageNoteWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ImageNoteWindow(QWidget *parent = nullptr);
};
