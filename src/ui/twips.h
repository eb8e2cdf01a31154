#pragma once

#include <QRect>
#include <QWidget>

namespace veltrano::ui {

// Layout units of the window: 1/1440 inch, 15 to a pixel at 96 dots per inch. Qt scales the
// pixels on high-density screens.
inline constexpr int kTwipsPerPixel = 15;

constexpr int twips(int units) {
    return units / kTwipsPerPixel;
}

inline QRect twipRect(int left, int top, int width, int height) {
    return {twips(left), twips(top), twips(width), twips(height)};
}

// Places a control at a position and size given in layout units.
inline void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipRect(left, top, width, height));
}

} // namespace veltrano::ui
