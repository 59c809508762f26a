#pragma once

#include <QImage>
#include <QSize>

namespace vantora {

// A picture for the screen at `ratio` device pixels per logical pixel (the
// screen's scale factor). Its painter works in logical pixels, so renderers
// keep the paper scale's pixel units and come out sharp on a scaled screen
// instead of being magnified afterwards.
inline QImage screenImage(QSize logical, qreal ratio, QImage::Format format) {
    QImage image(logical * ratio, format);
    image.setDevicePixelRatio(ratio);
    return image;
}

// The size a screen picture covers, in logical pixels.
inline QSize logicalSize(const QImage& image) {
    return image.deviceIndependentSize().toSize();
}

} // namespace vantora
