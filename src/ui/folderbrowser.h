#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QObject>

namespace veltrano {
class FileList;
class Host;
} // namespace veltrano

namespace veltrano::ui {

// The drive box: the volumes of the machine, by their root folders (drive letters where the
// platform has them).
class DriveBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveBox(QWidget* parent = nullptr);

    // Fills the box with the mounted volumes and selects the one holding the folder.
    void reload(const QString& folder);
    // The root folder of the chosen volume.
    QString drive() const;
    // Selects the volume that holds the folder, without announcing a change.
    void showFolder(const QString& folder);

signals:
    // The user picked another volume.
    void driveChanged(const QString& root);

private:
    QString shown_;
};

// The folder box: the open folder with its parents above it and its subfolders below; a
// double-click or Enter opens a folder.
class FolderBox : public QListWidget {
    Q_OBJECT
public:
    explicit FolderBox(QWidget* parent = nullptr);

    const QString& path() const { return path_; }
    // Opens a folder; returns false and keeps the old one when it cannot be listed.
    bool setPath(const QString& folder);

signals:
    void pathChanged(const QString& path);

private:
    QString path_;
};

// The file box: the names in one folder that match the pattern "*.*ht*" (case ignored), sorted by
// name; several names can be selected. Each item keeps its name as it is on disk.
class FileBox : public QListWidget {
    Q_OBJECT
public:
    static QString pattern() { return QStringLiteral("*.*ht*"); }

    explicit FileBox(QWidget* parent = nullptr);

    const QString& path() const { return path_; }
    // Lists a folder; returns false and keeps the old listing when it cannot be read.
    bool setPath(const QString& folder);
    // The full path of a listed item in bytes as on disk: the folder, one separator, the name.
    QByteArray nativePath(const QListWidgetItem& item) const;

private:
    QString path_;
};

// The coupling of the three boxes and the ways of adding their files to the list.
class FolderBrowser : public QObject {
    Q_OBJECT
public:
    FolderBrowser(DriveBox* drive, FolderBox* folder, FileBox* files, QObject* parent = nullptr);

    // Starts at a folder (the process's working folder at start-up).
    void start(const QString& folder);

    // "+" and the double-click: the selected names, in the box's order. "++": every listed name.
    // Names the locale cannot spell are passed over, with one message through the host.
    void addSelected(FileList& list, Host& host) const { add(list, host, true); }
    void addAll(FileList& list, Host& host) const { add(list, host, false); }

    // A new drive or folder; errors leave the boxes where they were.
    void changeDrive(const QString& root);
    void changeFolder(const QString& path);

private:
    void add(FileList& list, Host& host, bool selectedOnly) const;

    DriveBox* drive_;
    FolderBox* folder_;
    FileBox* files_;
};

// Joins a folder and a name with exactly one separator, also at a root that already ends in one.
QString joinPath(const QString& folder, const QString& name);

} // namespace veltrano::ui
