#include "pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

namespace veltrano::ui {

QPixmap picture(const QString& name, const QSize& size) {
    QSvgRenderer renderer(QStringLiteral(":/veltrano/") + name);
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        // Keep the picture's proportions inside the box, centred.
        QSizeF shape = renderer.defaultSize();
        shape.scale(QSizeF(pixmap.size()), Qt::KeepAspectRatio);
        const QRectF target((pixmap.width() - shape.width()) / 2,
                            (pixmap.height() - shape.height()) / 2, shape.width(), shape.height());
        renderer.render(&painter, target);
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(picture(QStringLiteral("veltrano.svg"), QSize(side, side)));
    return icon;
}

} // namespace veltrano::ui
