#pragma once

#include <QObject>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;

namespace veltrano {
class FileList;
class OptionSet;
} // namespace veltrano

namespace veltrano::ui {

class WidgetHost;

// Where the user sets "Moderne Seiten": a checkable entry in the settings menu, kept as a
// preference of the user and restored at start-up; a line on the run page while the list holds
// pages that declare UTF-8 and the mode is off, with a link that turns it on; and the "..."
// button beside the output folder, which chooses a folder while the mode is on.
class ModernPagesControl : public QObject {
    Q_OBJECT
public:
    static constexpr char kSettingsKey[] = "modernPages";

    ModernPagesControl(OptionSet& options, FileList& list, WidgetHost& host, QMenu* settingsMenu,
                       QWidget* runPage, QPushButton* browseButton, QLineEdit* outputFolder);

    QAction* action;
    QLabel* note;

private:
    void updateNote();
    void chooseFolder();

    OptionSet& options_;
    FileList& list_;
    WidgetHost& host_;
    QLineEdit* outputFolder_;
};

} // namespace veltrano::ui
