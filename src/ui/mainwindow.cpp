#include "mainwindow.h"

#include "actionlabel.h"
#include "advertpanel.h"
#include "encoding/random.h"
#include "filegrid.h"
#include "filelist/folderscan.h"
#include "filespage.h"
#include "folderbrowser.h"
#include "modernpages.h"
#include "optionbinding.h"
#include "optionspage.h"
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
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace veltrano::ui {

MainWindow::MainWindow(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), programFolder_(programFolder), options_(programFolder_),
      host_(this, pump_), commands_(options_, list_, host_),
      run_(options_, list_, host_, Random::program()), actions_(this, pump_, programFolder_),
      network_(new QNetworkAccessManager(this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(caption());
    setWindowIcon(programIcon());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setMinimumSize(0, 0);
    setCentralWidget(client);

    Tab1 = new QTabWidget(client);
    Tab1->setObjectName(QStringLiteral("Tab1"));
    place(Tab1, 120, 120, 7455, 6735);
    page1 = new FilesPage;
    page2 = new OptionsPage;
    page3 = new RunPage(network_);
    Tab1->addTab(page1, QStringLiteral("Schritt 1 - Dateien"));
    Tab1->addTab(page2, QStringLiteral("Schritt 2 - Optionen"));
    Tab1->addTab(page3, QStringLiteral("Schritt 3 - Ausführen"));
    Tab1->setCurrentIndex(0);

    buildBottom();
    buildMenu();

    page1->Flex->setList(&list_);
    browser_ = new FolderBrowser(page1->Drive1, page1->Dir1, page1->File1, this);
    browser_->start(QDir::currentPath());
    host_.setStatusWidgets(page3->frStat, page3->Command9);

    binding_ = new OptionBinding(options_, this);
    binding_->bind(CheckField::chkNativ, page2->chkNativ);
    binding_->bind(CheckField::chkZange, page2->chkZange);
    binding_->bind(CheckField::chkJava, page2->chkJava);
    binding_->bind(CheckField::chkLine, page2->chkLine);
    binding_->bind(CheckField::chkFake, page2->chkFake);
    binding_->bind(CheckField::chkRClick, page2->chkRClick);
    binding_->bind(CheckField::chkSel, page2->chkSel);
    binding_->bind(CheckField::chkPrint, page2->chkPrint);
    binding_->bind(CheckField::chkSeo, page2->chkSeo);
    binding_->bind(CheckField::chkBkup, page3->chkBkup);
    binding_->bind(TextField::txtStart, page2->txtStart);
    binding_->bind(TextField::txtEnd, page2->txtEnd);
    binding_->bind(TextField::txt404, page2->txt404);
    binding_->bind(TextField::txtJava, page2->txtJava);
    binding_->bind(TextField::txtPath, page3->txtPath);
    binding_->bindPair(page3->chkNewFiles, page3->chkOverwrite);
    modernPages = new ModernPagesControl(options_, list_, host_, cmdEinst, page3, page3->Command44,
                                         page3->txtPath);

    connectControls();

    // The client area is 7695 x 8895 units below the menu bar; the controls stand where the
    // design puts them, so the window keeps that size.
    client->setFixedSize(twips(7695), twips(8895));
    adjustSize();
    client->setMinimumSize(0, 0);
    client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setFixedSize(size());

    StartUp();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenu() {
    projekt = menuBar()->addMenu(QStringLiteral("&Projekt"));
    projekt->setObjectName(QStringLiteral("projekt"));
    auto entry = [](QMenu* menu, const QString& name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    cmdNeu = entry(projekt, QStringLiteral("cmdNeu"), QStringLiteral("&Neu"));
    cmdLoad = entry(projekt, QStringLiteral("cmdLoad"), QStringLiteral("&Öffnen..."));
    cmdLoad->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    projekt->addSeparator();
    cmdSave = entry(projekt, QStringLiteral("cmdSave"), QStringLiteral("&Speichern"));
    cmdSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    cmdSU = entry(projekt, QStringLiteral("cmdSU"), QStringLiteral("Speichern &unter..."));
    projekt->addSeparator();
    beenden = entry(projekt, QStringLiteral("beenden"), QStringLiteral("B&enden"));

    cmdEinst = menuBar()->addMenu(QStringLiteral("&Einstellungen"));
    cmdEinst->setObjectName(QStringLiteral("cmdEinst"));
    cmdLoadSettings = entry(cmdEinst, QStringLiteral("cmdLoadSettings"), QStringLiteral("&Laden"));
    cmdSaveSettings =
        entry(cmdEinst, QStringLiteral("cmdSaveSettings"), QStringLiteral("&Speichern"));

    asdfas = menuBar()->addMenu(QStringLiteral("(Neu! 3.0)"));
    asdfas->setObjectName(QStringLiteral("asdfas"));
}

void MainWindow::buildBottom() {
    QWidget* client = centralWidget();
    Command6 = new QPushButton(QStringLiteral("&Hilfe"), client);
    Command6->setObjectName(QStringLiteral("Command6"));
    place(Command6, 120, 6960, 1335, 495);

    Image5 = new ActionLabel(QString(), client);
    Image5->setObjectName(QStringLiteral("Image5"));
    Image5->setPixmap(picture(QStringLiteral("logo.svg"), QSize(twips(1200), twips(420))));
    Image5->setCursor(Qt::PointingHandCursor);
    Image5->setToolTip(WindowActions::homePage());
    place(Image5, 1620, 6990, 1200, 420);

    Label8 = new QLabel(QStringLiteral("© Veltrano Software"), client);
    Label8->setObjectName(QStringLiteral("Label8"));
    place(Label8, 2880, 7080, 1860, 285);

    Label10 = new ActionLabel(WindowActions::homePage(), client);
    Label10->setObjectName(QStringLiteral("Label10"));
    Label10->setStyleSheet(QStringLiteral("color: #1a5fb4; text-decoration: underline;"));
    Label10->setCursor(Qt::PointingHandCursor);
    Label10->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(Label10, 4740, 7080, 2835, 285);

    Frame2 = new QGroupBox(client);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setFlat(true);
    place(Frame2, 120, 7560, 7455, 1335);
    Brw = new AdvertPanel(network_, Frame2);
    Brw->setObjectName(QStringLiteral("Brw"));
    Brw->setGeometry(Frame2->rect());
}

void MainWindow::connectControls() {
    connect(page1->Command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(page1->File1, &QListWidget::itemDoubleClicked, this, &MainWindow::Command1_Click);
    connect(page1->Command2, &QPushButton::clicked, this, &MainWindow::Command2_Click);
    connect(page1->Command3, &QPushButton::clicked, this, &MainWindow::Command3_Click);
    connect(page1->Command4, &QPushButton::clicked, this, &MainWindow::Command4_Click);
    connect(page1->Command5, &QPushButton::clicked, this, &MainWindow::Command5_Click);
    connect(page3->Command9, &QPushButton::clicked, this, &MainWindow::Command9_Click);

    connect(cmdNeu, &QAction::triggered, this, [this] { commands_.New(); });
    connect(cmdLoad, &QAction::triggered, this, [this] { commands_.Open(); });
    connect(cmdSave, &QAction::triggered, this, [this] { commands_.Save(); });
    connect(cmdSU, &QAction::triggered, this, [this] { commands_.SaveAs(); });
    connect(beenden, &QAction::triggered, this, [this] { actions_.EndProgram(); });

    connect(Command6, &QPushButton::clicked, this, [this] { actions_.Help(); });
    connect(Image5, &ActionLabel::clicked, this, [this] { actions_.HomePage(); });
    connect(Label10, &ActionLabel::clicked, this, [this] { actions_.HomePage(); });
    connect(page2->Label1, &ActionLabel::clicked, this, [this] { actions_.EndProgram(); });
    connect(page2->Label2, &ActionLabel::pressed, this, [this] { actions_.DragWindow(); });
    connect(page2->Label2, &ActionLabel::doubleClicked, this, [this] { actions_.ShrinkWindow(); });
}

void MainWindow::StartUp() {
    // Start-up never stops the program: a step that fails leaves its design value and the
    // next step runs. The advert panels only start loading; nothing waits for them.
    const auto step = [](const auto& operation) {
        try {
            operation();
        } catch (...) {
        }
    };
    step([this] { page3->Brw2->navigate(advertAddress(true)); });
    step([this] { Brw->navigate(advertAddress(false)); });
    step([this] { options_.setText(TextField::txtPath, defaultOutputFolder(programFolder_)); });
    step([this] { list_.Initialise(); });
}

void MainWindow::Command1_Click() { browser_->AddSelected(list_); }

void MainWindow::Command2_Click() { browser_->AddAll(list_); }

void MainWindow::Command3_Click() { list_.RemoveCurrent(); }

void MainWindow::Command4_Click() { list_.Clear(); }

void MainWindow::Command5_Click() {
    EventPump::Busy busy(pump_);
    ScanFolder([this] { return page1->Dir1->path(); }, list_, host_);
}

void MainWindow::Command9_Click() {
    if (run_.stopped() || !page3->Command9->isEnabled())
        return;
    EventPump::Busy busy(pump_);
    run_.RunEncryption();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    actions_.EndProgram();
}

} // namespace veltrano::ui
