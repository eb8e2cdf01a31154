#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace veltrano::ui {

// The program's own pictures, drawn as SVG: "veltrano.svg" (the program icon), "logo.svg"
// (the maker's mark) and "warning.svg" (the warning sign).
QPixmap picture(const QString& name, const QSize& size);
// The program icon in the sizes desktops ask for.
QIcon programIcon();

} // namespace veltrano::ui
