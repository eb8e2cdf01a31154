#include "modernpages.h"

#include "breakagewatch.h"
#include "filelist/filelist.h"
#include "options/optionset.h"
#include "twips.h"
#include "widgethost.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>

namespace veltrano::ui {

ModernPagesControl::ModernPagesControl(OptionSet& options, FileList& list, WidgetHost& host,
                                       QMenu* settingsMenu, QWidget* runPage, QWidget* advertFrame,
                                       QPushButton* browseButton, QLineEdit* outputFolder)
    : QObject(runPage), options_(options), host_(host), advertFrame_(advertFrame),
      advertPlace_(advertFrame->geometry()), outputFolder_(outputFolder) {
    settingsMenu->addSeparator();
    action =
        settingsMenu->addAction(QStringLiteral("&Moderne Seiten (UTF-8, Skripte, Unterordner)"));
    action->setObjectName(QStringLiteral("cmdModern"));
    action->setCheckable(true);

    note = new QLabel(runPage);
    note->setObjectName(QStringLiteral("lblBreaks"));
    note->setTextFormat(Qt::RichText);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(note, &QLabel::linkActivated, this, [this] { action->setChecked(true); });
    runPage->installEventFilter(this);

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
    watch = new BreakageWatch(options_, list, this);
    connect(watch, &BreakageWatch::changed, this, &ModernPagesControl::updateNote);
    connect(browseButton, &QPushButton::clicked, this, &ModernPagesControl::chooseFolder);
    updateNote();
}

bool ModernPagesControl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize)
        layoutNote();
    return QObject::eventFilter(watched, event);
}

void ModernPagesControl::updateNote() {
    const BreakageWatch::Findings& found = watch->findings();
    const bool shown = found.pages > 0 && !options_.modern();
    note->setVisible(shown);
    if (shown) {
        QStringList kinds;
        QStringList details;
        for (int bit = 0; bit < breakage::kKindCount; ++bit) {
            const int n = found.perKind[static_cast<size_t>(bit)];
            if (n == 0)
                continue;
            kinds << QStringLiteral("%1 (%2)").arg(breakage::label(1u << bit)).arg(n);
            details << QStringLiteral("%1: %2")
                           .arg(breakage::description(1u << bit))
                           .arg(n)
                           .toHtmlEscaped();
        }
        note->setText((found.pages == 1 ? QStringLiteral("1 Seite kommt")
                                        : QStringLiteral("%1 Seiten kommen").arg(found.pages)) +
                      QStringLiteral(" ohne \"Moderne Seiten\" beschädigt heraus: ") +
                      kinds.join(QStringLiteral(", ")).toHtmlEscaped() +
                      QStringLiteral(". <a href=\"modern\">Moderne Seiten einschalten</a>"));
        note->setToolTip(QStringLiteral("<p>%1</p>").arg(details.join(QStringLiteral("<br>"))));
    }
    layoutNote();
}

void ModernPagesControl::layoutNote() {
    QWidget* page = note->parentWidget();
    if (note->isHidden()) {
        advertFrame_->setGeometry(advertPlace_);
        return;
    }
    const int gap = twips(60);
    const int width = advertPlace_.width() - 2 * gap;
    const int needed = note->heightForWidth(width);
    const int room = page->height() - advertPlace_.bottom() - 1 - 2 * gap;
    QRect advert = advertPlace_;
    advert.setHeight(advertPlace_.height() - qMax(0, needed - room));
    advertFrame_->setGeometry(advert);
    note->setGeometry(advert.left() + gap, advert.bottom() + 1 + gap, width, needed);
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
