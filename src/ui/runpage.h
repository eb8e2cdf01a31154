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

    QRadioButton* chkNewFiles;
    QLineEdit* txtPath;
    QPushButton* Command44;
    QRadioButton* chkOverwrite;
    OptionCheckBox* chkBkup;
    QLabel* Image2;
    QPushButton* Command9;
    StatusFrame* frStat;
    QGroupBox* Frame3;
    AdvertPanel* Brw2;
    QLineEdit* Text2;
};

} // namespace veltrano::ui
