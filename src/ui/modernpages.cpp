#include "modernpages.h"

#include "filelist/filelist.h"
#include "options/optionset.h"
#include "twips.h"
#include "widgethost.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>

namespace veltrano::ui {

ModernPagesControl::ModernPagesControl(OptionSet& options, FileList& list, WidgetHost& host,
                                       QMenu* settingsMenu, QWidget* runPage,
                                       QPushButton* browseButton, QLineEdit* outputFolder)
    : QObject(runPage), options_(options), list_(list), host_(host), outputFolder_(outputFolder) {
    settingsMenu->addSeparator();
    action =
        settingsMenu->addAction(QStringLiteral("&Moderne Seiten (UTF-8, Skripte, Unterordner)"));
    action->setObjectName(QStringLiteral("cmdModern"));
    action->setCheckable(true);

    note = new QLabel(runPage);
    note->setObjectName(QStringLiteral("lblUtf8"));
    note->setTextFormat(Qt::RichText);
    note->setWordWrap(true);
    place(note, 150, 3200, 7050, 330);
    note->raise();
    connect(note, &QLabel::linkActivated, this, [this] { action->setChecked(true); });

    options_.setModern(QSettings().value(QLatin1String(kSettingsKey), false).toBool());
    action->setChecked(options_.modern());
    connect(action, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue(QLatin1String(kSettingsKey), on);
        options_.setModern(on);
    });
    connect(&options_, &OptionSet::changed, this, [this] {
        action->setChecked(options_.modern());
        updateNote();
    });
    connect(&list_, &FileList::rowsInserted, this, &ModernPagesControl::updateNote);
    connect(&list_, &FileList::modelReset, this, &ModernPagesControl::updateNote);
    connect(&list_, &FileList::rowRemoved, this, &ModernPagesControl::updateNote);
    connect(browseButton, &QPushButton::clicked, this, &ModernPagesControl::chooseFolder);
    updateNote();
}

void ModernPagesControl::updateNote() {
    const int pages = list_.declaredUtf8Count();
    const bool shown = pages > 0 && !options_.modern();
    note->setVisible(shown);
    if (!shown)
        return;
    note->setText((pages == 1 ? QStringLiteral("1 Seite ist UTF-8 und kommt ohne")
                              : QStringLiteral("%1 Seiten sind UTF-8 und kommen ohne").arg(pages)) +
                  QStringLiteral(" \"Moderne Seiten\" mit falschen Umlauten heraus. "
                                 "<a href=\"modern\">Moderne Seiten einschalten</a>"));
}

void ModernPagesControl::chooseFolder() {
    // Without the mode the button does nothing, as it always has.
    if (!options_.modern())
        return;
    const QString folder = host_.folderName(outputFolder_->text());
    if (!folder.isEmpty())
        options_.setText(TextField::txtPath, folder);
}

} // namespace veltrano::ui
