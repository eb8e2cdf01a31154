#include "actionlabel.h"

#include <QApplication>
#include <QMouseEvent>

namespace veltrano::ui {

ActionLabel::ActionLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void ActionLabel::mousePressEvent(QMouseEvent* event) {
    pressedAt_ = event->globalPosition();
    dragging_ = false;
    event->accept();
}

void ActionLabel::mouseMoveEvent(QMouseEvent* event) {
    const QPointF moved = event->globalPosition() - pressedAt_;
    if (event->buttons().testFlag(Qt::LeftButton) && !dragging_ &&
        moved.manhattanLength() >= QApplication::startDragDistance()) {
        dragging_ = true;
        emit dragStarted();
    }
    event->accept();
}

void ActionLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    dragging_ = false;
    event->accept();
}

void ActionLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    event->accept();
}

QString shownCaption(const QString& caption) {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;
        }
        shown.append(caption[i]);
    }
    return shown;
}

} // namespace veltrano::ui
