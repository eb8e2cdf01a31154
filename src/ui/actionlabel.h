#pragma once

#include <QLabel>

namespace veltrano::ui {

// A label that reports mouse presses, clicks and double-clicks, for the labels that act:
// the home-page link, the label that ends the program and the one that drags the window.
class ActionLabel : public QLabel {
    Q_OBJECT
public:
    explicit ActionLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void pressed(Qt::MouseButton button);
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// A caption as the mnemonic rule shows it: "&" marks the next letter, "&&" shows one "&".
QString shownCaption(const QString& caption);

} // namespace veltrano::ui
