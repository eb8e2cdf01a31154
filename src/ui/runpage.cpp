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
    place(makeLabel(QStringLiteral("Label18"),
                    QStringLiteral("Wählen Sie bitte einen Ordner in den die zu verschlüsselnden "
                                   "Dateien kopiert werden sollen oder alternativ die Option \"alte "
                                   "Dateien überschreiben\"."),
                    this),
          150, 420, 7050, 480);

    chkNewFiles = new QRadioButton(QStringLiteral(" Dateien in folgendem Ordner speichern:"), this);
    chkNewFiles->setObjectName(QStringLiteral("chkNewFiles"));
    place(chkNewFiles, 150, 960, 4800, 300);
    txtPath = new QLineEdit(this);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    place(txtPath, 450, 1290, 5250, 315);
    Command44 = new QPushButton(QStringLiteral("..."), this);
    Command44->setObjectName(QStringLiteral("Command44"));
    place(Command44, 5760, 1275, 450, 345);
    chkOverwrite = new QRadioButton(QStringLiteral("Alte Dateien überschreiben"), this);
    chkOverwrite->setObjectName(QStringLiteral("chkOverwrite"));
    place(chkOverwrite, 150, 1680, 4800, 300);
    chkBkup = new OptionCheckBox(QStringLiteral("Voher backupen (Datei.htm.bak)"), this);
    chkBkup->setObjectName(QStringLiteral("chkBkup"));
    place(chkBkup, 450, 2010, 4500, 300);

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(picture(QStringLiteral("warning.svg"), QSize(twips(480), twips(480))));
    place(Image2, 150, 2430, 480, 480);
    place(makeLabel(QStringLiteral("Label16"),
                    QStringLiteral("Einmal verschlüsselte Dateien können nicht wiederhergestellt "
                                   "werden, bitte wählen Sie die Option zum Überschreiben der alten "
                                   "Dateien nur wenn Sie dafür extra eine Kopie Ihrer Webseite "
                                   "angelegt haben!"),
                    this),
          750, 2370, 6450, 720);

    Command9 = new QPushButton(QStringLiteral("Beginnen"), this);
    Command9->setObjectName(QStringLiteral("Command9"));
    Command9->setDefault(true);
    QFont bold = Command9->font();
    bold.setBold(true);
    Command9->setFont(bold);
    place(Command9, 5400, 1680, 1800, 600);

    place(makeLine(QStringLiteral("Line5"), this), 150, 3180, 7050, 30);

    Frame3 = new QGroupBox(this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setFlat(true);
    // The frame stands at 4080 units of the tab control; the page starts below the tab row.
    place(Frame3, 90, 4080 - 840, 7215, 2535);
    Brw2 = new AdvertPanel(network, Frame3);
    Brw2->setObjectName(QStringLiteral("Brw2"));
    Brw2->setGeometry(Frame3->rect());

    frStat = new StatusFrame(this);
    place(frStat, 90, 3270, 7215, 1350);
    frStat->setVisible(false);

    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    place(Text2, 150, 7155, 1000, 300);
}

} // namespace veltrano::ui
