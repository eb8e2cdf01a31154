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
class OptionBinding;
class OptionsPage;
class RunPage;

// Form1, the one window: the three-page wizard over the option set, the file list and the
// project, with its menu, help row, maker line and advert band. The window owns the state of
// the job for the life of the process; the controls mirror it.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Creates the window and runs start-up; the window is not shown yet.
    explicit MainWindow(const QString& programFolder = veltrano::programFolder(),
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
    QNetworkAccessManager* network() const { return network_; }

    // The event handlers, named after their control and event.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command9_Click();

    QTabWidget* Tab1;
    FilesPage* page1;
    OptionsPage* page2;
    RunPage* page3;
    QPushButton* Command6;
    ActionLabel* Image5;
    QLabel* Label8;
    ActionLabel* Label10;
    QGroupBox* Frame2;
    AdvertPanel* Brw;

    QMenu* projekt;
    QAction* cmdNeu;
    QAction* cmdLoad;
    QAction* cmdSave;
    QAction* cmdSU;
    QAction* beenden;
    QMenu* cmdEinst;
    QAction* cmdLoadSettings;
    QAction* cmdSaveSettings;
    QMenu* asdfas;
    ModernPagesControl* modernPages;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildBottom();
    void connectControls();
    void StartUp();

    QString programFolder_;
    EventPump pump_;
    OptionSet options_;
    FileList list_;
    WidgetHost host_;
    ProjectCommands commands_;
    EncryptionRun run_;
    WindowActions actions_;
    QNetworkAccessManager* network_;
    FolderBrowser* browser_ = nullptr;
    OptionBinding* binding_ = nullptr;
};

} // namespace veltrano::ui
