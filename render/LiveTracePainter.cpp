#include "render/LiveTracePainter.h"

#include "device/LiveTrace.h"
#include "render/ScreenImage.h"

#include <QImage>
#include <QPainter>

#include <cstring>

namespace vantora::live_paint {

namespace {

void paintGrid(QPainter& p, int width, int height) {
    const QPen major(kMajorGrid, 1);
    const QPen minor(kMinorGrid, 1);
    for (int k = 0; k < height / kSquarePx; ++k) {
        const int y = kGridTop + kSquarePx * k;
        p.setPen(major);
        p.drawLine(0, y, width - 1, y);
        p.setPen(minor);
        for (int d = kMinorStepPx; d < kSquarePx && y + d < height; d += kMinorStepPx)
            p.drawLine(0, y + d, width - 1, y + d);
    }
    for (int k = 0; k <= width / kSquarePx; ++k) {
        const int x = kSquarePx * k;
        p.setPen(major);
        p.drawLine(x, k % 5 == 0 ? 0 : kGridTop, x, height - 1);
        p.setPen(minor);
        for (int d = kMinorStepPx; d < kSquarePx && x + d < width; d += kMinorStepPx)
            p.drawLine(x + d, kGridTop, x + d, height - 1);
    }
}

} // namespace

QImage gridImage(int width, int height, qreal ratio) {
    QImage image = screenImage(QSize(width, height), ratio, QImage::Format_RGB32);
    image.fill(kPaper);
    QPainter p(&image);
    paintGrid(p, width, height);
    return image;
}

void paintTrace(QImage& image, const LiveTrace& trace, const QImage* grid) {
    if (grid && grid->size() == image.size() && grid->format() == image.format()) {
        std::memcpy(image.bits(), grid->constBits(), size_t(image.sizeInBytes()));
    } else {
        image.fill(kPaper);
        QPainter p(&image);
        paintGrid(p, logicalSize(image).width(), logicalSize(image).height());
    }
    QPainter p(&image);
    const std::vector<QPoint>& points = trace.points();
    const LiveTrace::Sweep sweep = trace.sweep();
    p.setPen(QPen(kTrace, 1));
    if (sweep.firstEnd > 1)
        p.drawPolyline(points.data(), sweep.firstEnd);
    const int rest = int(points.size()) - sweep.secondStart;
    if (rest > 1)
        p.drawPolyline(points.data() + sweep.secondStart, rest);
}

void paintCalibrationMark(QPainter& painter, const QRect& r) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(kCalibration, 1));
    const QPoint step[] = {{r.left(), r.top() + 220},
                           {r.left() - 4, r.top() + 220},
                           {r.left() - 4, r.top() + 250},
                           {r.left(), r.top() + 250}};
    painter.drawPolyline(step, 4);
    painter.restore();
}

} // namespace vantora::live_paint
