#include "optionspage.h"

#include "actionlabel.h"
#include "filespage.h"
#include "optionbinding.h"
#include "twips.h"

#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace veltrano::ui {

QWidget* makeLine(const QString& name, QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

namespace {
OptionCheckBox* check(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new OptionCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QLineEdit* edit(const QString& name, QWidget* parent) {
    auto* line = new QLineEdit(parent);
    line->setObjectName(name);
    return line;
}
} // namespace

OptionsPage::OptionsPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("page2"));
    Label2 = new ActionLabel(QStringLiteral("Schritt 2 von 3 - Wählen der Verschlüsselungen"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont heading = Label2->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.15);
    Label2->setFont(heading);
    Label2->setCursor(Qt::SizeAllCursor);
    place(Label2, 150, 90, 7050, 300);

    Label1 = new ActionLabel(
        QStringLiteral("Hier können Sie die zu nutzenden Methoden zur Verschlüsselung ihrer HTML "
                       "Dateien wählen, durch das Halten der Maus über dem kleinen \"i\" erhalten Sie "
                       "mehr Infos zu den einzelnen Methoden."),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(Label1, 150, 420, 7050, 660);

    place(makeLine(QStringLiteral("Line1"), this), 150, 1110, 7050, 30);
    chkSeo = check(QStringLiteral("chkSeo"),
                   QStringLiteral("Suchmaschinenfreundliche Verschlüsselung (erhält <head> Bereich)"),
                   this);
    place(chkSeo, 150, 1170, 7050, 300);
    place(makeMarker(QStringLiteral("Label7"), this), 6480, 1425, 720, 255);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    makeLabel(QStringLiteral("Label6"), QString(), Frame1);
    chkOld = new QRadioButton(QStringLiteral("Alte Verschlüsselung"), Frame1);
    chkOld->setObjectName(QStringLiteral("chkOld"));
    chkNew = new QRadioButton(QStringLiteral("Neue Verschlüsselung (empfohlen)"), Frame1);
    chkNew->setObjectName(QStringLiteral("chkNew"));
    chkOld->setVisible(false);
    chkNew->setVisible(false);
    Frame1->setVisible(false);

    place(makeLine(QStringLiteral("Line2"), this), 150, 1500, 6240, 30);
    chkNativ = check(QStringLiteral("chkNativ"), QStringLiteral("Natives HTML Crippling"), this);
    place(chkNativ, 150, 1560, 3450, 300);
    chkZange = check(QStringLiteral("chkZange"), QStringLiteral("Quelltextzange"), this);
    place(chkZange, 3750, 1560, 3450, 300);
    chkJava = check(QStringLiteral("chkJava"), QStringLiteral("Javaskript Verschlüsselung"), this);
    place(chkJava, 150, 1890, 3450, 300);
    place(makeLabel(QStringLiteral("Label9"), QStringLiteral("Text, falls Javaskript deaktiviert ist:"),
                    this),
          450, 2220, 6750, 240);
    txtJava = edit(QStringLiteral("txtJava"), this);
    place(txtJava, 450, 2490, 6750, 315);

    place(makeLine(QStringLiteral("Line3"), this), 150, 2880, 7050, 30);
    chkLine = check(QStringLiteral("chkLine"), QStringLiteral("Überflüssige Zeilenumbrüche"), this);
    place(chkLine, 150, 2940, 3450, 300);
    place(makeLabel(QStringLiteral("Label11"), QStringLiteral("Zeilen am Anfang:"), this), 450, 3300,
          1830, 240);
    txtStart = edit(QStringLiteral("txtStart"), this);
    place(txtStart, 2310, 3255, 900, 315);
    place(makeLabel(QStringLiteral("Label12"), QStringLiteral("Zeilen am Ende:"), this), 3600, 3300,
          1650, 240);
    txtEnd = edit(QStringLiteral("txtEnd"), this);
    place(txtEnd, 5280, 3255, 900, 315);
    chkFake = check(QStringLiteral("chkFake"),
                    QStringLiteral("Fake-Meldung am Anfang des Sourcecodes:"), this);
    place(chkFake, 150, 3660, 6000, 300);
    txt404 = edit(QStringLiteral("txt404"), this);
    place(txt404, 450, 3990, 6750, 315);

    place(makeLine(QStringLiteral("Line4"), this), 150, 4410, 7050, 30);
    chkRClick = check(QStringLiteral("chkRClick"), QStringLiteral("Rechtsklick deaktivieren"), this);
    place(chkRClick, 150, 4500, 6000, 300);
    chkSel = check(QStringLiteral("chkSel"), QStringLiteral("Textauswahl verhindern (ab IE ab 4.0)"),
                   this);
    place(chkSel, 150, 4830, 6000, 300);
    chkPrint = check(QStringLiteral("chkPrint"), QStringLiteral("Drucken verhindern (ab IE 5.0)"), this);
    place(chkPrint, 150, 5160, 6000, 300);
}

} // namespace veltrano::ui
