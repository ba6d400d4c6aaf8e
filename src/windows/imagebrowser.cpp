#include "imagebrowser.h"

#include "files/textfile.h"
#include "ui/appsetup.h"
#include "ui/look.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QStylePainter>
#include <QTreeWidget>

using Twips::place;

namespace {

// A picture is decoded only when its pixels fit in this much memory, so a
// file that declares a huge size is refused before anything is allocated.
constexpr qint64 MaxPictureBytes = 128LL * 1024 * 1024;

constexpr QDir::SortFlags Alphabetical = QDir::Name | QDir::IgnoreCase;

void whiteBackground(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, Qt::white);
    widget->setPalette(palette);
}

// The classic style fills a closed list with the button colour: the drive
// list paints its field white itself, beside the usual grey arrow.
class DriveList : public QComboBox
{
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        QStyleOptionComboBox field = option;
        field.palette.setColor(QPalette::Button, Qt::white);
        field.subControls &= ~QStyle::SC_ComboBoxArrow;
        painter.drawComplexControl(QStyle::CC_ComboBox, field);
        option.subControls = QStyle::SC_ComboBoxArrow;
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

} // namespace

ImageBrowser::ImageBrowser(Messages &messages, QWidget *parent)
    : QWidget(parent, Qt::Window), m_messages(messages)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Cerca Immagine"));
    setWindowIcon(appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(473, 426); // 7095 x 6390 twips
    buildControls();
    fillDrives();
    showFolder(QDir::currentPath());
}

void ImageBrowser::buildControls()
{
    m_drives = place(new DriveList(this), "Drive1", 0, 10, 855, 315);
    whiteBackground(m_drives);
    connect(m_drives, &QComboBox::activated, this, &ImageBrowser::driveChosen);

    m_dirs = place(new QTreeWidget(this), "Dir1", 840, 10, 3015, 1215);
    whiteBackground(m_dirs);
    m_dirs->setHeaderHidden(true);
    m_dirs->setRootIsDecorated(false);
    m_dirs->setIndentation(10);
    m_dirs->setExpandsOnDoubleClick(false);
    connect(m_dirs, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { openFolder(item->data(0, Qt::UserRole).toString()); });

    m_files = place(new QListWidget(this), "File1", 3840, 0, 2295, 1260);
    whiteBackground(m_files);
    // A keyboard move loads at once; a mouse click loads on release, also when
    // it clicks the entry already selected.
    connect(m_files, &QListWidget::itemSelectionChanged, this, [this] {
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            fileChosen();
    });
    connect(m_files, &QListWidget::itemClicked, this, &ImageBrowser::fileChosen);

    auto *closeButton = place(new QPushButton(QStringLiteral("Chiudi"), this), "Command1", 6200,
                              60, 855, 1160);
    closeButton->setFont(Look::msSansSerif(12));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    m_image = place(new QLabel(this), "Image1", 0, 1440, 7095, 4935);
    m_image->setScaledContents(true);
}

void ImageBrowser::fillDrives()
{
    QStringList roots{QDir::rootPath()};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        // Containers mount single files too; only folders are drives.
        if (volume.isValid() && QFileInfo(volume.rootPath()).isDir())
            roots << volume.rootPath();
    }
    roots.removeDuplicates();
    roots.sort();
    m_drives->addItems(roots);
    m_drive = m_drives->findText(QStorageInfo(QDir::currentPath()).rootPath());
    m_drives->setCurrentIndex(m_drive);
    m_drives->view()->setMinimumWidth(m_drives->view()->sizeHintForColumn(0) + 8);
}

void ImageBrowser::driveChosen(int index)
{
    if (index == m_drive) // the same drive again changes nothing
        return;
    const QString root = m_drives->itemText(index);
    if (!QStorageInfo(root).isReady()) {
        report(QStringLiteral("L'unità \"%1\" non è pronta.").arg(root));
    } else if (openFolder(root)) {
        m_drive = index;
        return;
    }
    const QSignalBlocker blocker(m_drives);
    m_drives->setCurrentIndex(m_drive);
}

bool ImageBrowser::openFolder(const QString &folder)
{
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable()) {
        report(QStringLiteral("Impossibile leggere la cartella \"%1\".")
                   .arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    showFolder(dir.absolutePath());
    return true;
}

void ImageBrowser::showFolder(const QString &folder)
{
    m_folder = folder;
    QDir dir(folder);

    QStringList chain;
    QDir ancestor = dir;
    do
        chain.prepend(ancestor.absolutePath());
    while (ancestor.cdUp());
    m_dirs->clear();
    QTreeWidgetItem *item = nullptr;
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (const QString &path : chain) {
        item = item ? new QTreeWidgetItem(item) : new QTreeWidgetItem(m_dirs);
        item->setText(0, QDir(path).isRoot() ? QDir::toNativeSeparators(path)
                                             : QFileInfo(path).fileName());
        item->setData(0, Qt::UserRole, path);
        item->setIcon(0, open);
        item->setExpanded(true);
    }
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QDir::Filters folders = QDir::Dirs | QDir::NoDotAndDotDot;
    for (const QFileInfo &sub : dir.entryInfoList(folders, Alphabetical)) {
        if (!sub.isDir()) // QDir lists a link to a pipe or device among folders
            continue;
        auto *child = new QTreeWidgetItem(item, {sub.fileName()});
        child->setData(0, Qt::UserRole, sub.absoluteFilePath());
        child->setIcon(0, closed);
    }
    m_dirs->setCurrentItem(item);
    m_dirs->scrollToItem(item, QAbstractItemView::PositionAtTop); // its subfolders below it

    // Pictures only come from regular files: a pipe, even behind a link, would
    // block the reader and devices have no end.
    m_files->clear();
    for (const QFileInfo &file : dir.entryInfoList(QDir::Files, Alphabetical)) {
        if (file.isFile())
            m_files->addItem(file.fileName());
    }
}

void ImageBrowser::fileChosen()
{
    const QListWidgetItem *item = m_files->currentItem();
    if (!item)
        return;
    const QString path = QDir(m_folder).filePath(item->text());
    const QString name = QDir::toNativeSeparators(path);
    // Only a regular file reaches the reader: a pipe would block it.
    QFile file;
    QImageReader reader;
    if (Files::openRegularFile(file, path))
        reader.setDevice(&file);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > MaxPictureBytes) {
        report(QStringLiteral("L'immagine \"%1\" è troppo grande per essere mostrata "
                              "(%2 x %3 pixel).")
                   .arg(name).arg(size.width()).arg(size.height()));
        return;
    }
    const QImage picture = reader.read();
    if (picture.isNull()) {
        report(QStringLiteral("Il file \"%1\" non è un'immagine leggibile (GIF, JPEG, BMP o PNG).")
                   .arg(name));
        return;
    }
    m_image->setPixmap(QPixmap::fromImage(picture));
}

void ImageBrowser::report(const QString &text)
{
    m_messages.show(windowTitle(), MessageIcon::Warning, text);
}
