#include "statusframe.h"

#include "twips.h"

#include <QLabel>
#include <QProgressBar>

#include <limits>

namespace veltrano::ui {

namespace {
// Progress bars count in int; long pages are shown in proportion.
void showProgress(QProgressBar* bar, qint64 value, qint64 maximum) {
    constexpr qint64 kLimit = std::numeric_limits<int>::max();
    int shift = 0;
    while ((maximum >> shift) > kLimit)
        ++shift;
    const int max = static_cast<int>(std::max<qint64>(0, maximum >> shift));
    const int val = static_cast<int>(std::clamp<qint64>(value >> shift, 0, max));
    if (bar->maximum() == max && bar->value() == val)
        return;
    // A progress bar redraws itself at once on a new value; held back, the bars and the file
    // name are drawn together in the next turn of the event loop.
    bar->setUpdatesEnabled(false);
    if (bar->maximum() != max)
        bar->setMaximum(max);
    if (bar->value() != val)
        bar->setValue(val);
    bar->setUpdatesEnabled(true);
}
} // namespace

StatusFrame::StatusFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Status"), parent), listBar_(new QProgressBar(this)),
      pageBar_(new QProgressBar(this)), fileCaption_(new QLabel(QStringLiteral("Datei:"), this)),
      fileLabel_(new QLabel(this)) {
    setObjectName(QStringLiteral("frStat"));
    // The frame lies over the advert panel during a run and hides it: drawn opaque, so a new
    // value does not repaint the panel beneath it too.
    setAutoFillBackground(true);
    listBar_->setObjectName(QStringLiteral("prgr"));
    pageBar_->setObjectName(QStringLiteral("Stat"));
    fileCaption_->setObjectName(QStringLiteral("Label5"));
    fileLabel_->setObjectName(QStringLiteral("lblFIl"));
    for (QProgressBar* bar : {listBar_, pageBar_}) {
        bar->setRange(0, 0);
        bar->setValue(0);
        bar->setTextVisible(false);
    }
    listBar_->setMaximum(1);
    pageBar_->setMaximum(1);
    fileLabel_->setTextFormat(Qt::PlainText);
    fileLabel_->setMinimumWidth(1);
    place(listBar_, 120, 330, 6900, 240);
    place(fileCaption_, 120, 630, 600, 240);
    place(fileLabel_, 720, 630, 6300, 240);
    place(pageBar_, 120, 930, 6900, 240);
}

void StatusFrame::setCurrentFile(const QString& path) {
    file_ = path;
    dirty_ = true;
}

void StatusFrame::setListProgress(int value, int maximum) {
    listValue_ = value;
    listMaximum_ = maximum;
    dirty_ = true;
}

void StatusFrame::setPageProgress(qint64 value, qint64 maximum) {
    pageValue_ = value;
    pageMaximum_ = maximum;
    dirty_ = true;
}

void StatusFrame::apply() {
    if (!dirty_)
        return;
    dirty_ = false;
    if (fileLabel_->toolTip() != file_) {
        // A long path is cut in the middle so both the drive and the name stay readable.
        fileLabel_->setText(
            fileLabel_->fontMetrics().elidedText(file_, Qt::ElideMiddle, fileLabel_->width()));
        fileLabel_->setToolTip(file_);
    }
    showProgress(listBar_, listValue_, listMaximum_);
    showProgress(pageBar_, pageValue_, pageMaximum_);
}

} // namespace veltrano::ui
