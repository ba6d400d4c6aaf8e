#pragma once

#include "sheet/messageboxes.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;

// The image browser: drives, folders and files on the left, the chosen
// picture stretched over the lower part of the window.
class Form3 : public QWidget
{
    Q_OBJECT
public:
    explicit Form3(QWidget *parent = nullptr);
    // Reports failures through `messages`, which must outlive the window.
    explicit Form3(Messages &messages, QWidget *parent = nullptr);

    // The folder shown by Dir1 and File1.
    QString currentFolder() const { return m_folder; }
    // Opens `folder` as a double click in Dir1 would; false if it cannot be read.
    bool openFolder(const QString &folder);

private:
    void buildControls();
    void fillDrives();
    void driveChosen(int index);
    void showFolder(const QString &folder);
    void folderActivated(QListWidgetItem *item);
    void fileChosen(QListWidgetItem *item);

    MessageBoxes m_boxes;
    Messages &m_messages;
    QString m_folder;
    QComboBox *m_drives = nullptr;
    QListWidget *m_dirs = nullptr;
    QListWidget *m_files = nullptr;
    QLabel *m_image = nullptr;
};
