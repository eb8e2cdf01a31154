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

    DriveBox* Drive1;
    FolderBox* Dir1;
    FileBox* File1;
    QPushButton* Command1; // "+"
    QPushButton* Command2; // "++"
    QPushButton* Command5; // "+++"
    QPushButton* Command3; // "-"
    QPushButton* Command4; // "--"
    FileGrid* Flex;
};

// A heading label of a wizard page.
QLabel* makeHeading(const QString& name, const QString& text, QWidget* parent);
// A plain label that wraps its text.
QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent);
// The "Neu! 3.0" marker.
QLabel* makeMarker(const QString& name, QWidget* parent);

} // namespace veltrano::ui
