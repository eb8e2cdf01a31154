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
    headingLabel =
        new ActionLabel(QStringLiteral("Schritt 2 von 3 - Wählen der Verschlüsselungen"), this);
    headingLabel->setObjectName(QStringLiteral("Label2"));
    QFont heading = headingLabel->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.15);
    headingLabel->setFont(heading);
    headingLabel->setCursor(Qt::SizeAllCursor);
    place(headingLabel, 150, 90, 7050, 300);

    introLabel = new ActionLabel(
        QStringLiteral(
            "Hier können Sie die zu nutzenden Methoden zur Verschlüsselung ihrer HTML "
            "Dateien wählen, durch das Halten der Maus über dem kleinen \"i\" erhalten Sie "
            "mehr Infos zu den einzelnen Methoden."),
        this);
    introLabel->setObjectName(QStringLiteral("Label1"));
    introLabel->setWordWrap(true);
    introLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(introLabel, 150, 420, 7050, 660);

    place(makeLine(QStringLiteral("Line1"), this), 150, 1110, 7050, 30);
    seoCheck = check(
        QStringLiteral("chkSeo"),
        QStringLiteral("Suchmaschinenfreundliche Verschlüsselung (erhält <head> Bereich)"), this);
    place(seoCheck, 150, 1170, 7050, 300);
    place(makeMarker(QStringLiteral("Label7"), this), 6480, 1425, 720, 255);

    oldMethodFrame = new QGroupBox(this);
    oldMethodFrame->setObjectName(QStringLiteral("Frame1"));
    makeLabel(QStringLiteral("Label6"), QString(), oldMethodFrame);
    oldMethodButton = new QRadioButton(QStringLiteral("Alte Verschlüsselung"), oldMethodFrame);
    oldMethodButton->setObjectName(QStringLiteral("chkOld"));
    newMethodButton =
        new QRadioButton(QStringLiteral("Neue Verschlüsselung (empfohlen)"), oldMethodFrame);
    newMethodButton->setObjectName(QStringLiteral("chkNew"));
    oldMethodButton->setVisible(false);
    newMethodButton->setVisible(false);
    oldMethodFrame->setVisible(false);

    place(makeLine(QStringLiteral("Line2"), this), 150, 1500, 6240, 30);
    nativeCheck = check(QStringLiteral("chkNativ"), QStringLiteral("Natives HTML Crippling"), this);
    place(nativeCheck, 150, 1560, 3450, 300);
    sourceGuardCheck = check(QStringLiteral("chkZange"), QStringLiteral("Quelltextzange"), this);
    place(sourceGuardCheck, 3750, 1560, 3450, 300);
    javaScriptCheck =
        check(QStringLiteral("chkJava"), QStringLiteral("Javaskript Verschlüsselung"), this);
    place(javaScriptCheck, 150, 1890, 3450, 300);
    place(makeLabel(QStringLiteral("Label9"),
                    QStringLiteral("Text, falls Javaskript deaktiviert ist:"), this),
          450, 2220, 6750, 240);
    noScriptTextEdit = edit(QStringLiteral("txtJava"), this);
    place(noScriptTextEdit, 450, 2490, 6750, 315);

    place(makeLine(QStringLiteral("Line3"), this), 150, 2880, 7050, 30);
    lineBreaksCheck =
        check(QStringLiteral("chkLine"), QStringLiteral("Überflüssige Zeilenumbrüche"), this);
    place(lineBreaksCheck, 150, 2940, 3450, 300);
    place(makeLabel(QStringLiteral("Label11"), QStringLiteral("Zeilen am Anfang:"), this), 450,
          3300, 1830, 240);
    startLinesEdit = edit(QStringLiteral("txtStart"), this);
    place(startLinesEdit, 2310, 3255, 900, 315);
    place(makeLabel(QStringLiteral("Label12"), QStringLiteral("Zeilen am Ende:"), this), 3600, 3300,
          1650, 240);
    endLinesEdit = edit(QStringLiteral("txtEnd"), this);
    place(endLinesEdit, 5280, 3255, 900, 315);
    fakeMessageCheck = check(QStringLiteral("chkFake"),
                             QStringLiteral("Fake-Meldung am Anfang des Sourcecodes:"), this);
    place(fakeMessageCheck, 150, 3660, 6000, 300);
    fakeMessageEdit = edit(QStringLiteral("txt404"), this);
    place(fakeMessageEdit, 450, 3990, 6750, 315);

    place(makeLine(QStringLiteral("Line4"), this), 150, 4410, 7050, 30);
    rightClickCheck =
        check(QStringLiteral("chkRClick"), QStringLiteral("Rechtsklick deaktivieren"), this);
    place(rightClickCheck, 150, 4500, 6000, 300);
    selectionCheck = check(QStringLiteral("chkSel"),
                           QStringLiteral("Textauswahl verhindern (ab IE ab 4.0)"), this);
    place(selectionCheck, 150, 4830, 6000, 300);
    printCheck =
        check(QStringLiteral("chkPrint"), QStringLiteral("Drucken verhindern (ab IE 5.0)"), this);
    place(printCheck, 150, 5160, 6000, 300);
}

} // namespace veltrano::ui
