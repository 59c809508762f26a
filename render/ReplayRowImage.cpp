// Replay list row images on the recorder's display scale. Tested by
// tests/render/ReplayRowImageTest.cpp.
#include "render/ReplayRowImage.h"

#include "core/SignalFormat.h"
#include "render/ScreenImage.h"
#include "render/ScreenPalette.h"
#include "render/StripGrid.h"
#include "render/StripRowRenderer.h"

#include <QPainter>

#include <algorithm>

namespace vantora {

namespace {

void drawRowGrid(QPainter& p, int width) {
    constexpr int kBottom = ReplayRowImage::kGridHeight;
    const QPen large(palette::kLargeSquare, 1);
    const QPen small(palette::kSmallSquare, 1);
    for (int y : {5, 20}) {
        p.setPen(large);
        p.drawLine(0, y, width, y);
        p.setPen(small);
        for (int s = 1; s <= 4 && y + 3 * s <= kBottom; ++s)
            p.drawLine(0, y + 3 * s, width, y + 3 * s);
    }
    for (int n = 0; n < width / 15; ++n) {
        const int x = 15 * n;
        p.setPen(large);
        p.drawLine(x, n % 5 == 0 ? 1 : 5, x, kBottom);
        p.setPen(small);
        for (int s = 1; s <= 4 && x + 3 * s < width; ++s)
            p.drawLine(x + 3 * s, 5, x + 3 * s, kBottom);
    }
}

} // namespace

QImage ReplayRowImage::render(int width, const StripPointList& points, qreal ratio) {
    QImage image = screenImage(QSize(width, kHeight), ratio, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, width, kGridHeight), Qt::white);
    p.fillRect(QRect(0, kGridHeight, width, 8), palette::kMargin);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(kPixelCentre, kPixelCentre);
    drawRowGrid(p, width);
    drawStripTrace(p, points, 0, points.size() - 1, StripTraceStyle{palette::kTrace, {}, {}});
    return image;
}

void ReplayRowImage::drawSelectionMark(QImage& image, int x, int markWidth) {
    const int left = std::max(0, std::min(x, logicalSize(image).width() - 1 - markWidth));
    QPainter p(&image);
    p.setPen(QPen(palette::kSelectionMark, 3));
    p.drawRect(QRect(left, 0, markWidth, kGridHeight));
}

int ReplayRowImage::selectionMarkWidth(int columnWidth, int detailWidth, double entriesPerSample) {
    if (entriesPerSample <= 0)
        return 0;
    return int(double(columnWidth) * (detailWidth - 15) /
               (entriesPerSample * kSamplesPerRecording));
}

} // namespace vantora
