#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace veltrano::ui {

class DriveBox;
class FileBox;
class FileGrid;
class FolderBox;

// Wizard page 1, "Schritt 1 - Dateien": the folder browser, the add and remove buttons and the
// grid of pages to convert.
class FilesPage : public QWidget {
    Q_OBJECT
public:
    explicit FilesPage(QWidget* parent = nullptr);

    DriveBox* driveBox;
    FolderBox* folderBox;
    FileBox* fileBox;
    QPushButton* addSelectedButton; // "+"
    QPushButton* addAllButton;      // "++"
    QPushButton* scanButton;        // "+++"
    QPushButton* removeButton;      // "-"
    QPushButton* clearButton;       // "--"
    FileGrid* fileGrid;
};

// A heading label of a wizard page.
QLabel* makeHeading(const QString& name, const QString& text, QWidget* parent);
// A plain label that wraps its text.
QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent);
// The "Neu! 3.0" marker.
QLabel* makeMarker(const QString& name, QWidget* parent);

} // namespace veltrano::ui
