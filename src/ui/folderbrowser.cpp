#include "folderbrowser.h"

#include "filelist/filelist.h"
#include "filelist/folderscan.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>

namespace veltrano::ui {

namespace {
QString nativeFolder(const QString& folder) {
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

// Volumes a user keeps pages on; the kernel's own file systems are left out.
bool isUserVolume(const QStorageInfo& volume) {
    if (!volume.isValid() || !volume.isReady())
        return false;
    const QString root = volume.rootPath();
    for (const char* system : {"/proc", "/sys", "/dev", "/run"}) {
        const QString prefix = QString::fromLatin1(system);
        if (root == prefix || root.startsWith(prefix + QLatin1Char('/')))
            return false;
    }
    return true;
}
} // namespace

QString joinPath(const QString& folder, const QString& name) {
    const QChar sep = QDir::separator();
    if (folder.endsWith(sep) || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + sep + name;
}

DriveBox::DriveBox(QWidget* parent) : QComboBox(parent) {
    // Choosing the drive the box already shows is no change: the folder box stays where it is.
    connect(this, &QComboBox::activated, this, [this](int) {
        if (drive() == shown_)
            return;
        shown_ = drive();
        emit driveChanged(shown_);
    });
}

void DriveBox::reload(const QString& folder) {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (isUserVolume(volume))
            roots.append(QDir::toNativeSeparators(volume.rootPath()));
    }
    roots.removeDuplicates();
    std::sort(roots.begin(), roots.end());
    clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString& root : roots)
        addItem(icon, root, root);
    showFolder(folder);
}

QString DriveBox::drive() const {
    return currentData().toString();
}

void DriveBox::showFolder(const QString& folder) {
    const QString root = QDir::toNativeSeparators(QStorageInfo(folder).rootPath());
    int index = findData(root);
    if (index < 0 && !root.isEmpty()) {
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
        index = count() - 1;
    }
    setCurrentIndex(index);
    shown_ = drive();
}

FolderBox::FolderBox(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (item)
            setPath(item->data(Qt::UserRole).toString());
    });
}

bool FolderBox::setPath(const QString& folder) {
    const QString native = nativeFolder(folder);
    QDir dir(native);
    if (folder.isEmpty() || !dir.exists() || !dir.isReadable())
        return false;
    const QStringList subfolders =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);

    // The chain of parents from the root down to the open folder, indented like a tree.
    QStringList chain;
    for (QDir up(native);;) {
        chain.prepend(QDir::toNativeSeparators(up.absolutePath()));
        if (up.isRoot() || !up.cdUp())
            break;
    }
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    int depth = 0;
    for (const QString& level : chain) {
        const QString name = depth == 0 ? level : QFileInfo(level).fileName();
        auto* item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(Qt::UserRole, level);
        ++depth;
    }
    setCurrentRow(count() - 1);
    for (const QString& sub : subfolders) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + sub, this);
        item->setData(Qt::UserRole, joinPath(native, sub));
    }
    const bool changed = path_ != native;
    path_ = native;
    if (changed)
        emit pathChanged(path_);
    return true;
}

FileBox::FileBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

bool FileBox::setPath(const QString& folder) {
    const QString native = nativeFolder(folder);
    QDir dir(native);
    if (folder.isEmpty() || !dir.exists() || !dir.isReadable())
        return false;
    // Hidden names count as well: ".htaccess" matches the pattern and is offered. A name the
    // locale cannot spell is shown as well as it can be; adding passes it over with a message.
    const QList<QByteArray> names = listFolder(native, pattern());
    clear();
    for (const QByteArray& name : names) {
        auto* item = new QListWidgetItem(QFile::decodeName(name), this);
        item->setData(Qt::UserRole, name);
    }
    path_ = native;
    return true;
}

QByteArray FileBox::nativePath(const QListWidgetItem& item) const {
    return QFile::encodeName(joinPath(path_, QString())) + item.data(Qt::UserRole).toByteArray();
}

FolderBrowser::FolderBrowser(DriveBox* drive, FolderBox* folder, FileBox* files, QObject* parent)
    : QObject(parent), drive_(drive), folder_(folder), files_(files) {
    connect(drive_, &DriveBox::driveChanged, this, &FolderBrowser::changeDrive);
    connect(folder_, &FolderBox::pathChanged, this, &FolderBrowser::changeFolder);
}

void FolderBrowser::start(const QString& folder) {
    drive_->reload(folder);
    if (!folder_->setPath(folder))
        folder_->setPath(QDir::rootPath());
    files_->setPath(folder_->path());
}

void FolderBrowser::add(FileList& list, Host& host, bool selectedOnly) const {
    QList<QByteArray> paths;
    const int c = files_->count();
    for (int i = 0; i < c; ++i) {
        const QListWidgetItem* item = files_->item(i);
        if (item && (item->isSelected() || !selectedOnly))
            paths.append(files_->nativePath(*item));
    }
    addFiles(paths, list, host);
}

void FolderBrowser::changeDrive(const QString& root) {
    folder_->setPath(root);
}

void FolderBrowser::changeFolder(const QString& path) {
    files_->setPath(path);
}

} // namespace veltrano::ui
