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
    if (bar->maximum() != max)
        bar->setMaximum(max);
    if (bar->value() != val)
        bar->setValue(val);
}
} // namespace

StatusFrame::StatusFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Status"), parent), prgr_(new QProgressBar(this)),
      stat_(new QProgressBar(this)), label5_(new QLabel(QStringLiteral("Datei:"), this)),
      lblFIl_(new QLabel(this)) {
    setObjectName(QStringLiteral("frStat"));
    prgr_->setObjectName(QStringLiteral("prgr"));
    stat_->setObjectName(QStringLiteral("Stat"));
    label5_->setObjectName(QStringLiteral("Label5"));
    lblFIl_->setObjectName(QStringLiteral("lblFIl"));
    for (QProgressBar* bar : {prgr_, stat_}) {
        bar->setRange(0, 0);
        bar->setValue(0);
        bar->setTextVisible(false);
    }
    prgr_->setMaximum(1);
    stat_->setMaximum(1);
    lblFIl_->setTextFormat(Qt::PlainText);
    lblFIl_->setMinimumWidth(1);
    place(prgr_, 120, 330, 6900, 240);
    place(label5_, 120, 630, 600, 240);
    place(lblFIl_, 720, 630, 6300, 240);
    place(stat_, 120, 930, 6900, 240);
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
    if (lblFIl_->toolTip() != file_) {
        // A long path is cut in the middle so both the drive and the name stay readable.
        lblFIl_->setText(lblFIl_->fontMetrics().elidedText(file_, Qt::ElideMiddle,
                                                           lblFIl_->width()));
        lblFIl_->setToolTip(file_);
    }
    showProgress(prgr_, listValue_, listMaximum_);
    showProgress(stat_, pageValue_, pageMaximum_);
}

} // namespace veltrano::ui
