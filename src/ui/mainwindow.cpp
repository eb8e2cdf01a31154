#include "mainwindow.h"

#include "actionlabel.h"
#include "advertpanel.h"
#include "breakagewatch.h"
#include "filegrid.h"
#include "filelist/folderscan.h"
#include "filespage.h"
#include "folderbrowser.h"
#include "modernpages.h"
#include "optionbinding.h"
#include "optionspage.h"
#include "otherfilescontrol.h"
#include "passes/random.h"
#include "pictures.h"
#include "runpage.h"
#include "statusframe.h"
#include "twips.h"

#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace veltrano::ui {

MainWindow::MainWindow(QNetworkAccessManager* network, const QString& programFolder,
                       QWidget* parent)
    : QMainWindow(parent), programFolder_(programFolder), options_(programFolder_),
      host_(this, pump_), commands_(options_, list_, host_),
      run_(options_, list_, host_, Random::program()), actions_(this, pump_, programFolder_),
      network_(network) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(caption());
    setWindowIcon(programIcon());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setMinimumSize(0, 0);
    setCentralWidget(client);

    wizardTabs = new QTabWidget(client);
    wizardTabs->setObjectName(QStringLiteral("Tab1"));
    place(wizardTabs, 120, 120, 7455, 6735);
    filesPage = new FilesPage;
    optionsPage = new OptionsPage;
    runPage = new RunPage(network_);
    wizardTabs->addTab(filesPage, QStringLiteral("Schritt 1 - Dateien"));
    wizardTabs->addTab(optionsPage, QStringLiteral("Schritt 2 - Optionen"));
    wizardTabs->addTab(runPage, QStringLiteral("Schritt 3 - Ausführen"));
    wizardTabs->setCurrentIndex(0);

    buildBottom();
    buildMenu();

    filesPage->fileGrid->setList(&list_);
    pump_.beforeEvents = [grid = filesPage->fileGrid, statusUpdate = pump_.beforeEvents] {
        if (statusUpdate)
            statusUpdate();
        grid->keepCurrentInSight();
    };
    browser_ =
        new FolderBrowser(filesPage->driveBox, filesPage->folderBox, filesPage->fileBox, this);
    browser_->start(QDir::currentPath());
    host_.setStatusWidgets(runPage->statusFrame, runPage->startButton);

    binding_ = new OptionBinding(options_, this);
    binding_->bind(CheckField::chkNativ, optionsPage->nativeCheck);
    binding_->bind(CheckField::chkZange, optionsPage->sourceGuardCheck);
    binding_->bind(CheckField::chkJava, optionsPage->javaScriptCheck);
    binding_->bind(CheckField::chkLine, optionsPage->lineBreaksCheck);
    binding_->bind(CheckField::chkFake, optionsPage->fakeMessageCheck);
    binding_->bind(CheckField::chkRClick, optionsPage->rightClickCheck);
    binding_->bind(CheckField::chkSel, optionsPage->selectionCheck);
    binding_->bind(CheckField::chkPrint, optionsPage->printCheck);
    binding_->bind(CheckField::chkSeo, optionsPage->seoCheck);
    binding_->bind(CheckField::chkBkup, runPage->backupCheck);
    binding_->bind(TextField::txtStart, optionsPage->startLinesEdit);
    binding_->bind(TextField::txtEnd, optionsPage->endLinesEdit);
    binding_->bind(TextField::txt404, optionsPage->fakeMessageEdit);
    binding_->bind(TextField::txtJava, optionsPage->noScriptTextEdit);
    binding_->bind(TextField::txtPath, runPage->outputFolderEdit);
    binding_->bindPair(runPage->newFilesButton, runPage->overwriteButton);
    modernPages =
        new ModernPagesControl(options_, list_, host_, settingsMenu, runPage, runPage->advertFrame,
                               runPage->browseButton, runPage->outputFolderEdit);
    otherFiles = new OtherFilesControl(options_, list_, host_, runPage);

    connectControls();

    // The client area is 7695 x 8895 units below the menu bar, and the controls stand at fixed
    // places in it, so the window keeps that size.
    client->setFixedSize(twips(7695), twips(8895));
    adjustSize();
    client->setMinimumSize(0, 0);
    client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setFixedSize(size());

    startUp();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenu() {
    projectMenu = menuBar()->addMenu(QStringLiteral("&Projekt"));
    projectMenu->setObjectName(QStringLiteral("projekt"));
    auto entry = [](QMenu* menu, const QString& name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    newAction = entry(projectMenu, QStringLiteral("cmdNeu"), QStringLiteral("&Neu"));
    openAction = entry(projectMenu, QStringLiteral("cmdLoad"), QStringLiteral("&Öffnen..."));
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    projectMenu->addSeparator();
    saveAction = entry(projectMenu, QStringLiteral("cmdSave"), QStringLiteral("&Speichern"));
    saveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    saveAsAction =
        entry(projectMenu, QStringLiteral("cmdSU"), QStringLiteral("Speichern &unter..."));
    projectMenu->addSeparator();
    exitAction = entry(projectMenu, QStringLiteral("beenden"), QStringLiteral("B&enden"));

    settingsMenu = menuBar()->addMenu(QStringLiteral("&Einstellungen"));
    settingsMenu->setObjectName(QStringLiteral("cmdEinst"));
    loadSettingsAction =
        entry(settingsMenu, QStringLiteral("cmdLoadSettings"), QStringLiteral("&Laden"));
    saveSettingsAction =
        entry(settingsMenu, QStringLiteral("cmdSaveSettings"), QStringLiteral("&Speichern"));

    newsMenu = menuBar()->addMenu(QStringLiteral("(Neu! 3.0)"));
    newsMenu->setObjectName(QStringLiteral("asdfas"));
}

void MainWindow::buildBottom() {
    QWidget* client = centralWidget();
    helpButton = new QPushButton(QStringLiteral("&Hilfe"), client);
    helpButton->setObjectName(QStringLiteral("Command6"));
    place(helpButton, 120, 6960, 1335, 495);

    makerLogo = new ActionLabel(QString(), client);
    makerLogo->setObjectName(QStringLiteral("Image5"));
    makerLogo->setPixmap(picture(QStringLiteral("logo.svg"), QSize(twips(1200), twips(420))));
    makerLogo->setCursor(Qt::PointingHandCursor);
    makerLogo->setToolTip(WindowActions::homePageAddress());
    place(makerLogo, 1620, 6990, 1200, 420);

    makerLabel = new QLabel(QStringLiteral("© Veltrano Software"), client);
    makerLabel->setObjectName(QStringLiteral("Label8"));
    place(makerLabel, 2880, 7080, 1860, 285);

    homePageLink = new ActionLabel(WindowActions::homePageAddress(), client);
    homePageLink->setObjectName(QStringLiteral("Label10"));
    homePageLink->setStyleSheet(QStringLiteral("color: #1a5fb4; text-decoration: underline;"));
    homePageLink->setCursor(Qt::PointingHandCursor);
    homePageLink->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(homePageLink, 4740, 7080, 2835, 285);

    advertBand = new QGroupBox(client);
    advertBand->setObjectName(QStringLiteral("Frame2"));
    advertBand->setFlat(true);
    place(advertBand, 120, 7560, 7455, 1335);
    bandAdvert = new AdvertPanel(network_, advertBand);
    bandAdvert->setObjectName(QStringLiteral("Brw"));
    bandAdvert->setGeometry(advertBand->rect());
}

void MainWindow::connectControls() {
    connect(filesPage->addSelectedButton, &QPushButton::clicked, this,
            &MainWindow::addSelectedFiles);
    connect(filesPage->fileBox, &QListWidget::itemDoubleClicked, this,
            &MainWindow::addSelectedFiles);
    connect(filesPage->addAllButton, &QPushButton::clicked, this, &MainWindow::addAllFiles);
    connect(filesPage->removeButton, &QPushButton::clicked, this, &MainWindow::removeCurrentEntry);
    connect(filesPage->clearButton, &QPushButton::clicked, this, &MainWindow::clearList);
    connect(filesPage->scanButton, &QPushButton::clicked, this, &MainWindow::scanFolder);
    connect(runPage->startButton, &QPushButton::clicked, this, &MainWindow::startRun);

    connect(newAction, &QAction::triggered, this, [this] { commands_.newProject(); });
    connect(openAction, &QAction::triggered, this, [this] { commands_.open(); });
    connect(saveAction, &QAction::triggered, this, [this] { commands_.save(); });
    connect(saveAsAction, &QAction::triggered, this, [this] { commands_.saveAs(); });
    connect(exitAction, &QAction::triggered, this, [this] { actions_.endProgram(); });

    connect(helpButton, &QPushButton::clicked, this, [this] {
        if (actions_.openHelp())
            return;
        host_.message(QStringLiteral("Die Hilfe %1 kann nicht angezeigt werden: auf diesem "
                                     "Rechner ist kein Programm für PDF-Dateien eingerichtet.")
                          .arg(actions_.helpPath()),
                      QStringLiteral("Hilfe"), Host::Icon::Information);
    });
    connect(makerLogo, &ActionLabel::clicked, this, [this] { actions_.openHomePage(); });
    connect(homePageLink, &ActionLabel::clicked, this, [this] { actions_.openHomePage(); });
    connect(optionsPage->introLabel, &ActionLabel::clicked, this,
            [this] { actions_.endProgram(); });
    connect(optionsPage->headingLabel, &ActionLabel::dragStarted, this,
            [this] { actions_.dragWindow(); });
    connect(optionsPage->headingLabel, &ActionLabel::doubleClicked, this,
            [this] { actions_.shrinkWindow(); });
}

void MainWindow::startUp() {
    // Start-up never stops the program: a step that fails leaves its control as it was built
    // and the next step runs. The advert panels only start loading; nothing waits for them.
    const auto step = [](const auto& operation) {
        try {
            operation();
        } catch (...) {
        }
    };
    step([this] { runPage->pageAdvert->navigate(advertAddress(true)); });
    step([this] { bandAdvert->navigate(advertAddress(false)); });
    step([this] { options_.setText(TextField::txtPath, defaultOutputFolder(programFolder_)); });
    step([this] { list_.Initialise(); });
}

void MainWindow::addSelectedFiles() {
    browser_->addSelected(list_, host_);
}

void MainWindow::addAllFiles() {
    browser_->addAll(list_, host_);
}

void MainWindow::removeCurrentEntry() {
    list_.RemoveCurrent();
}

void MainWindow::clearList() {
    list_.Clear();
}

void MainWindow::scanFolder() {
    EventPump::Busy busy(pump_);
    veltrano::scanFolder([this] { return filesPage->folderBox->path(); }, list_, host_);
}

void MainWindow::startRun() {
    if (run_.stopped() || !runPage->startButton->isEnabled())
        return;
    // Modern pages bring the site's other files along, copied before the pages.
    if (!otherFiles->confirm())
        return;
    EventPump::Busy busy(pump_);
    const BreakageWatch::Pause paused(*modernPages->watch);
    otherFiles->copy();
    run_.RunEncryption();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    actions_.endProgram();
}

} // namespace veltrano::ui
