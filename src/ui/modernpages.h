#pragma once

#include <QObject>
#include <QRect>

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

class BreakageWatch;
class WidgetHost;

// Where the user sets "Moderne Seiten": a checkable entry in the settings menu, kept as a
// preference of the user and restored at start-up; a line on the run page, below its advert
// panel, while the mode is off and pages of the list would come out broken without it: how many
// and why, with a link that turns the mode on; and the "..." button beside the output folder,
// which chooses a folder while the mode is on.
class ModernPagesControl : public QObject {
    Q_OBJECT
public:
    static constexpr char kSettingsKey[] = "modernPages";

    ModernPagesControl(OptionSet& options, FileList& list, WidgetHost& host, QMenu* settingsMenu,
                       QWidget* runPage, QWidget* advertFrame, QPushButton* browseButton,
                       QLineEdit* outputFolder);

    QAction* action;
    QLabel* note;
    BreakageWatch* watch;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateNote();
    // The line goes below the advert panel; where the page leaves too little room there, the
    // panel gives up the height the line needs.
    void layoutNote();
    void chooseFolder();

    OptionSet& options_;
    WidgetHost& host_;
    QWidget* advertFrame_;
    QRect advertPlace_; // the panel's place without the line
    QLineEdit* outputFolder_;
};

} // namespace veltrano::ui
