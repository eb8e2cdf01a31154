#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QNetworkAccessManager;
class QPushButton;
class QRadioButton;

namespace veltrano::ui {

class AdvertPanel;
class OptionCheckBox;
class StatusFrame;

// Wizard page 3, "Schritt 3 - Ausführen": where the pages go, the start button, the status
// frame of a run and the second advert panel.
class RunPage : public QWidget {
    Q_OBJECT
public:
    RunPage(QNetworkAccessManager* network, QWidget* parent = nullptr);

    QRadioButton* newFilesButton;
    QLineEdit* outputFolderEdit;
    QPushButton* browseButton;
    QRadioButton* overwriteButton;
    OptionCheckBox* backupCheck;
    QLabel* warningPicture;
    QPushButton* startButton;
    StatusFrame* statusFrame;
    QGroupBox* advertFrame;
    AdvertPanel* pageAdvert;
    QLineEdit* hiddenEdit;
};

} // namespace veltrano::ui
