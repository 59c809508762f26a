// The paper grid of a screen strip row: large squares every 15 px from 5 px
// below the top, small squares every 3 px, a 2 mV calibration bracket at the
// middle large-square line. Tested by tests/render/StripRowRendererTest.cpp.
#include "render/StripGrid.h"

#include "render/ScreenPalette.h"

#include <QFont>
#include <QPainter>

namespace vantora {

namespace {

// QRect's right()/bottom() are one short of the edges the drawing rules name.
struct Edges {
    int l, t, r, b;
    explicit Edges(const QRect& rect)
        : l(rect.left()), t(rect.top()), r(rect.left() + rect.width()),
          b(rect.top() + rect.height()) {}
};

void drawHorizontalLines(QPainter& painter, const Edges& e, const QPen& large, const QPen& small) {
    for (int y = e.t + grid::kTopOffset; y <= e.b; y += grid::kLargeStep) {
        painter.setPen(large);
        painter.drawLine(e.l, y, e.r, y);
        painter.setPen(small);
        for (int s = 1; s <= 4 && y + s * grid::kSmallStep <= e.b; ++s)
            painter.drawLine(e.l, y + s * grid::kSmallStep, e.r, y + s * grid::kSmallStep);
    }
}

void drawVerticalLines(QPainter& painter, const Edges& e, const QPen& large, const QPen& small) {
    const int count = (e.r - e.l) / grid::kLargeStep + 1;
    for (int n = 0; n < count; ++n) {
        const int x = e.l + grid::kLargeStep * n;
        painter.setPen(large);
        painter.drawLine(x, n % 5 == 0 ? e.t + 1 : e.t + grid::kTopOffset, x, e.b);
        painter.setPen(small);
        for (int s = 1; s <= 4 && x + s * grid::kSmallStep < e.r; ++s)
            painter.drawLine(x + s * grid::kSmallStep, e.t + grid::kTopOffset,
                             x + s * grid::kSmallStep, e.b);
    }
}

void drawCalibration(QPainter& painter, const Edges& e, int gain) {
    const int k = ((e.b - e.t) / grid::kLargeStep + 1) / 2;
    const int y = e.t + grid::kTopOffset + grid::kLargeStep * k;
    const int h = 15 * gain; // 1 mV above and below the line
    painter.setPen(QPen(palette::kCalibration, 1));
    painter.drawLine(e.l, y + h, e.l - 5, y + h);
    painter.drawLine(e.l - 5, y + h, e.l - 5, y - h);
    painter.drawLine(e.l - 5, y - h, e.l, y - h);
    painter.setPen(Qt::black);
    drawUpwardText(painter, e.l - 16, y + h, gainLabel(gain), 10);
}

} // namespace

QString gainLabel(int gain) {
    return QString::asprintf("%dmm/1mv", 10 * gain);
}

void drawUpwardText(QPainter& painter, int x, int y, const QString& text, int pixelHeight) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelHeight);
    painter.save();
    painter.setFont(font);
    painter.translate(x, y);
    painter.rotate(-90);
    painter.drawText(QRect(0, 0, 1000, pixelHeight + 4), Qt::AlignLeft | Qt::AlignTop, text);
    painter.restore();
}

void drawStripRowGrid(QPainter& painter, const QRect& rect, int gain) {
    const Edges e(rect);
    painter.fillRect(rect, Qt::white);
    const QPen large(palette::kLargeSquare, 1);
    const QPen small(palette::kSmallSquare, 1);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kPixelCentre, kPixelCentre);
    drawHorizontalLines(painter, e, large, small);
    drawCalibration(painter, e, gain);
    drawVerticalLines(painter, e, large, small);
    painter.restore();
}

} // namespace vantora
