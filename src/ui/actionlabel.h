#pragma once

#include <QLabel>

namespace veltrano::ui {

// A label that acts: the home-page link, the label that ends the program and the one that
// moves the window. A click is a left button released over the label; a drag starts once
// the pointer has moved with the left button held, so a double-click stays a double-click even
// where the window manager takes over the pointer for a move.
class ActionLabel : public QLabel {
    Q_OBJECT
public:
    explicit ActionLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();
    void doubleClicked();
    // The pointer moved by the drag distance with the left mouse button held down; other
    // buttons leave the window where it is.
    void dragStarted();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPointF pressedAt_;
    bool dragging_ = false;
};

// A caption as the mnemonic rule shows it: "&" marks the next letter, "&&" shows one "&".
QString shownCaption(const QString& caption);

} // namespace veltrano::ui
