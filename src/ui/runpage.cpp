#include "runpage.h"

#include "advertpanel.h"
#include "filespage.h"
#include "optionbinding.h"
#include "optionspage.h"
#include "pictures.h"
#include "statusframe.h"
#include "twips.h"

#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace veltrano::ui {

RunPage::RunPage(QNetworkAccessManager* network, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("page3"));
    place(makeHeading(QStringLiteral("Label17"),
                      QStringLiteral("Schritt 3 von 3 - Beginn der Verschlüsselung"), this),
          150, 90, 7050, 300);
    place(
        makeLabel(QStringLiteral("Label18"),
                  QStringLiteral("Wählen Sie bitte einen Ordner in den die zu verschlüsselnden "
                                 "Dateien kopiert werden sollen oder alternativ die Option \"alte "
                                 "Dateien überschreiben\"."),
                  this),
        150, 420, 7050, 480);

    newFilesButton =
        new QRadioButton(QStringLiteral(" Dateien in folgendem Ordner speichern:"), this);
    newFilesButton->setObjectName(QStringLiteral("chkNewFiles"));
    place(newFilesButton, 150, 960, 4800, 300);
    outputFolderEdit = new QLineEdit(this);
    outputFolderEdit->setObjectName(QStringLiteral("txtPath"));
    place(outputFolderEdit, 450, 1290, 5250, 315);
    browseButton = new QPushButton(QStringLiteral("..."), this);
    browseButton->setObjectName(QStringLiteral("Command44"));
    place(browseButton, 5760, 1275, 450, 345);
    overwriteButton = new QRadioButton(QStringLiteral("Alte Dateien überschreiben"), this);
    overwriteButton->setObjectName(QStringLiteral("chkOverwrite"));
    place(overwriteButton, 150, 1680, 4800, 300);
    backupCheck = new OptionCheckBox(QStringLiteral("Voher backupen (Datei.htm.bak)"), this);
    backupCheck->setObjectName(QStringLiteral("chkBkup"));
    place(backupCheck, 450, 2010, 4500, 300);

    warningPicture = new QLabel(this);
    warningPicture->setObjectName(QStringLiteral("Image2"));
    warningPicture->setPixmap(
        picture(QStringLiteral("warning.svg"), QSize(twips(480), twips(480))));
    place(warningPicture, 150, 2430, 480, 480);
    place(
        makeLabel(QStringLiteral("Label16"),
                  QStringLiteral("Einmal verschlüsselte Dateien können nicht wiederhergestellt "
                                 "werden, bitte wählen Sie die Option zum Überschreiben der alten "
                                 "Dateien nur wenn Sie dafür extra eine Kopie Ihrer Webseite "
                                 "angelegt haben!"),
                  this),
        750, 2370, 6450, 720);

    startButton = new QPushButton(QStringLiteral("Beginnen"), this);
    startButton->setObjectName(QStringLiteral("Command9"));
    startButton->setDefault(true);
    QFont bold = startButton->font();
    bold.setBold(true);
    startButton->setFont(bold);
    place(startButton, 5400, 1680, 1800, 600);

    place(makeLine(QStringLiteral("Line5"), this), 150, 3180, 7050, 30);

    advertFrame = new QGroupBox(this);
    advertFrame->setObjectName(QStringLiteral("Frame3"));
    advertFrame->setFlat(true);
    // The frame stands at 4080 units of the tab control; the page starts below the tab row.
    place(advertFrame, 90, 4080 - 840, 7215, 2535);
    pageAdvert = new AdvertPanel(network, advertFrame);
    pageAdvert->setObjectName(QStringLiteral("Brw2"));
    pageAdvert->setGeometry(advertFrame->rect());

    statusFrame = new StatusFrame(this);
    place(statusFrame, 90, 3270, 7215, 1350);
    statusFrame->setVisible(false);

    hiddenEdit = new QLineEdit(this);
    hiddenEdit->setObjectName(QStringLiteral("Text2"));
    place(hiddenEdit, 150, 7155, 1000, 300);
}

} // namespace veltrano::ui
