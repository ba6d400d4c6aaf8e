#pragma once

#include "core/sheet.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The image browser: drives, folders and files along the top, the chosen
// picture stretched over the rest of the window.
class ImageBrowser : public QWidget
{
    Q_OBJECT
public:
    // Reports failures through `messages`, which must outlive the window.
    explicit ImageBrowser(Messages &messages, QWidget *parent = nullptr);

    // The folder shown by Dir1 and File1.
    QString currentFolder() const { return m_folder; }
    // Opens `folder` in Dir1 and File1, as a double click in Dir1 does;
    // reports and returns false when it cannot be read.
    bool openFolder(const QString &folder);

private:
    void buildControls();
    void fillDrives();
    void driveChosen(int index);
    void showFolder(const QString &folder);
    void fileChosen();
    void report(const QString &text);

    Messages &m_messages;
    QString m_folder;
    int m_drive = -1;
    QComboBox *m_drives = nullptr;
    QTreeWidget *m_dirs = nullptr;
    QListWidget *m_files = nullptr;
    QLabel *m_image = nullptr;
};
