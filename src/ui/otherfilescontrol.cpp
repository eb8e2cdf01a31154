#include "otherfilescontrol.h"

#include "filelist/filelist.h"
#include "options/optionset.h"
#include "run/outputplan.h"
#include "twips.h"
#include "widgethost.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QSettings>
#include <QTimer>

namespace veltrano::ui {

namespace {

// Counts the files again once the page is shown, and while it is shown after every change of
// the list or the options.
struct ShowWatch : QObject {
    std::function<void()> shown;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            shown();
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

OtherFilesControl::OtherFilesControl(OptionSet& options, FileList& list, WidgetHost& host,
                                     QWidget* runPage)
    : QObject(runPage), options_(options), list_(list), host_(host), runPage_(runPage),
      later_(new QTimer(this)) {
    // Beside the folder output it belongs to, in the room its caption leaves; the count in the
    // room below, left of the start button, clear of the advert panel.
    check = new QCheckBox(QStringLiteral("Andere Dateien mitkopieren"), runPage);
    check->setObjectName(QStringLiteral("chkOtherFiles"));
    place(check, 4200, 960, 3000, 300);
    count = new QLabel(runPage);
    count->setObjectName(QStringLiteral("lblOtherFiles"));
    place(count, 3000, 1680, 2340, 300);
    QFont small = count->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    count->setFont(small);
    check->setChecked(QSettings().value(QLatin1String(kSettingsKey), true).toBool());
    connect(check, &QCheckBox::toggled, this, [this](bool on) {
        QSettings().setValue(QLatin1String(kSettingsKey), on);
        update();
    });

    later_->setSingleShot(true);
    later_->setInterval(200); // once typing in the output folder pauses
    connect(later_, &QTimer::timeout, this, &OtherFilesControl::update);
    const auto changed = [this] { later_->start(); };
    connect(&options_, &OptionSet::changed, this, changed);
    connect(&list_, &FileList::rowsInserted, this, changed);
    connect(&list_, &FileList::modelReset, this, changed);
    connect(&list_, &FileList::rowRemoved, this, changed);
    auto* watch = new ShowWatch;
    watch->setParent(this);
    watch->shown = changed;
    runPage->installEventFilter(watch);
    update();
}

bool OtherFilesControl::active() const {
    return options_.modern() && check->isChecked() && options_.newFiles() &&
           !options_.text(TextField::txtPath).isEmpty();
}

OtherFiles OtherFilesControl::find() const {
    QStringList pages;
    QSet<QString> keys;
    for (int row = 0; row < list_.count(); ++row) {
        if (list_.removed(row))
            continue;
        pages.append(list_.path(row));
        keys.insert(fileKey(list_.path(row)));
    }
    return findOtherFiles(commonFolder(pages), options_.text(TextField::txtPath), keys);
}

void OtherFilesControl::update() {
    check->setVisible(options_.modern());
    count->setVisible(active());
    if (!active() || !runPage_->isVisible())
        return;
    const OtherFiles found = find();
    const QString what = describeOtherFiles(found.files.size(), found.bytes);
    count->setText(found.files.isEmpty() ? QStringLiteral("keine anderen Dateien")
                                         : QStringLiteral("+ ") + what);
    count->setToolTip(QStringLiteral("In den Ausgabeordner mitkopiert: ") + what);
}

bool OtherFilesControl::confirm() {
    confirmed_ = active() ? find() : OtherFiles{};
    if (confirmed_.files.size() <= kAskAboveFiles && confirmed_.bytes <= kAskAboveBytes)
        return true;
    const bool yes = host_.question(
        QStringLiteral("Mit den Seiten werden andere Dateien mitkopiert: %1. Beginnen?")
            .arg(describeOtherFiles(confirmed_.files.size(), confirmed_.bytes)),
        QStringLiteral("Andere Dateien mitkopieren"));
    if (!yes)
        confirmed_ = {};
    return yes;
}

void OtherFilesControl::copy() {
    const QList<OtherFile> files = std::exchange(confirmed_.files, {});
    if (files.isEmpty())
        return;
    host_.setStartEnabled(false);
    host_.showStatus(true);
    const int n = static_cast<int>(files.size());
    const QList<FileError> failures =
        copyOtherFiles(files, host_, false, [&](qsizetype i, const std::optional<FileError>&) {
            host_.setCurrentFile(files[i].source);
            host_.setListProgress(static_cast<int>(i) + 1, n);
        });
    if (failures.isEmpty())
        return;
    QStringList told;
    for (qsizetype i = 0; i < failures.size() && i < 10; ++i)
        told << failures[i].description;
    if (failures.size() > told.size())
        told << QStringLiteral("...");
    host_.message(QStringLiteral("%1 von %2 anderen Dateien konnten nicht kopiert werden:\r\n")
                          .arg(failures.size())
                          .arg(n) +
                      told.join(QStringLiteral("\r\n")),
                  QStringLiteral("Fehler"), Host::Icon::Critical);
}

} // namespace veltrano::ui
