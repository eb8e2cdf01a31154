#pragma once

#include "eventpump.h"
#include "filelist/filelist.h"
#include "options/optionset.h"
#include "project/projectcommands.h"
#include "run/encryptionrun.h"
#include "widgethost.h"
#include "windowactions.h"

#include <QMainWindow>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QNetworkAccessManager;
class QPushButton;
class QTabWidget;

namespace veltrano::ui {

class ActionLabel;
class AdvertPanel;
class FilesPage;
class FolderBrowser;
class ModernPagesControl;
class OtherFilesControl;
class OptionBinding;
class OptionsPage;
class RunPage;

// Form1, the one window: the three-page wizard over the option set, the file list and the
// project, with its menu, help row, maker line and advert band. The window owns the state of
// the job for the life of the process; the controls mirror it.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Creates the window and runs start-up; the window is not shown yet. The advert panels
    // load their pages through the network access given (not owned; it must outlive the
    // window); without one they keep their placeholder.
    explicit MainWindow(QNetworkAccessManager* network,
                        const QString& programFolder = veltrano::programFolder(),
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    static QString caption() { return QStringLiteral(" HTML Veltrano 3"); }

    OptionSet& options() { return options_; }
    FileList& list() { return list_; }
    WidgetHost& host() { return host_; }
    EventPump& eventPump() { return pump_; }
    WindowActions& actions() { return actions_; }
    ProjectCommands& projectCommands() { return commands_; }
    FolderBrowser& folderBrowser() { return *browser_; }

    // The commands of the first and third page: "+" and a double-click in the file box, "++",
    // "-", "--", "+++" and "Beginnen".
    void addSelectedFiles();
    void addAllFiles();
    void removeCurrentEntry();
    void clearList();
    void scanFolder();
    void startRun();

    // The controls; each carries its short control name ("Command9", "Flex") as its
    // objectName, where tests and tools find it.
    QTabWidget* wizardTabs;
    FilesPage* filesPage;
    OptionsPage* optionsPage;
    RunPage* runPage;
    QPushButton* helpButton;
    ActionLabel* makerLogo;
    QLabel* makerLabel;
    ActionLabel* homePageLink;
    QGroupBox* advertBand;
    AdvertPanel* bandAdvert;

    QMenu* projectMenu;
    QAction* newAction;
    QAction* openAction;
    QAction* saveAction;
    QAction* saveAsAction;
    QAction* exitAction;
    QMenu* settingsMenu;
    QAction* loadSettingsAction;
    QAction* saveSettingsAction;
    QMenu* newsMenu;
    ModernPagesControl* modernPages;
    OtherFilesControl* otherFiles;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildBottom();
    void connectControls();
    void startUp();

    QString programFolder_;
    EventPump pump_;
    OptionSet options_;
    FileList list_;
    WidgetHost host_;
    ProjectCommands commands_;
    EncryptionRun run_;
    WindowActions actions_;
    QNetworkAccessManager* network_ = nullptr;
    FolderBrowser* browser_ = nullptr;
    OptionBinding* binding_ = nullptr;
};

} // namespace veltrano::ui
