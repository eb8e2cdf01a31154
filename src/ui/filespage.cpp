#include "filespage.h"

#include "actionlabel.h"
#include "filegrid.h"
#include "folderbrowser.h"
#include "twips.h"

#include <QLabel>
#include <QPushButton>

namespace veltrano::ui {

QLabel* makeHeading(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    label->setFont(font);
    return label;
}

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel* makeMarker(const QString& name, QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("Neu! 3.0"), parent);
    label->setObjectName(name);
    label->setStyleSheet(QStringLiteral("color: #c0392b; font-weight: bold;"));
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    return label;
}

namespace {
QPushButton* smallButton(const QString& name, const QString& caption, const QString& tip,
                         QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    // The buttons are small squares; a smaller type lets "+++" fit.
    QFont font = button->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    font.setBold(true);
    button->setFont(font);
    button->setStyleSheet(QStringLiteral("padding: 0px;"));
    return button;
}
} // namespace

FilesPage::FilesPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("page1"));
    place(makeHeading(QStringLiteral("Label3"),
                      QStringLiteral("Schritt 1 von 3 - Wählen der Dateien"), this),
          150, 90, 7050, 300);
    place(makeLabel(QStringLiteral("Label4"),
                    shownCaption(QStringLiteral(
                        "Bitte wählen Sie im ersten Schritt alle zu verschlüsselnden "
                        "Dateien, diese werden dann im 3. Schritt vollautomatisch durch "
                        "das Programm kopiert  && verschlüsselt.")),
                    this),
          150, 420, 7050, 660);

    driveBox = new DriveBox(this);
    driveBox->setObjectName(QStringLiteral("Drive1"));
    place(driveBox, 150, 1140, 3000, 330);
    folderBox = new FolderBox(this);
    folderBox->setObjectName(QStringLiteral("Dir1"));
    place(folderBox, 150, 1530, 3000, 1770);
    fileBox = new FileBox(this);
    fileBox->setObjectName(QStringLiteral("File1"));
    place(fileBox, 3270, 1140, 2700, 2160);

    const QString addAllTip = QStringLiteral("Fügt alle Dateien des oben gewählten Ordners ein");
    addSelectedButton =
        smallButton(QStringLiteral("Command1"), QStringLiteral("+"),
                    QStringLiteral("Fügt die in der Dateiliste gewählte Datei(en) ein."), this);
    addAllButton = smallButton(QStringLiteral("Command2"), QStringLiteral("++"), addAllTip, this);
    scanButton = smallButton(QStringLiteral("Command5"), QStringLiteral("+++"), addAllTip, this);
    removeButton = smallButton(
        QStringLiteral("Command3"), QStringLiteral("-"),
        QStringLiteral(
            "Entfernt den gewählten Eintrag aus der Liste der zu verschlüsselnden Dateien."),
        this);
    clearButton = smallButton(
        QStringLiteral("Command4"), QStringLiteral("--"),
        QStringLiteral("Entfernt alle Einträge aus der Liste der zu verschlüsselnden Dateien."),
        this);
    place(addSelectedButton, 6060, 1140, 375, 375);
    place(addAllButton, 6060, 1590, 375, 375);
    place(scanButton, 6060, 2040, 375, 375);
    place(makeMarker(QStringLiteral("Label13"), this), 6480, 2100, 780, 255);

    fileGrid = new FileGrid(this);
    fileGrid->setObjectName(QStringLiteral("Flex"));
    place(fileGrid, 150, 3420, 5820, 2790);
    place(removeButton, 6060, 3420, 375, 375);
    place(clearButton, 6060, 3870, 375, 375);
}

} // namespace veltrano::ui
