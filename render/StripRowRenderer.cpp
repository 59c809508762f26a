// Strip rows of the record and analysis pages on the screen strip scale.
// Tested by tests/render/StripRowRendererTest.cpp (pixels probed at grid lines,
// the calibration bracket, trace and selected stretch).
#include "render/StripRowRenderer.h"

#include "frontend/StripGeometry.h"
#include "render/ScreenPalette.h"
#include "render/StripGrid.h"

#include <QPainter>

#include <algorithm>

namespace vantora {

void drawStripTrace(QPainter& painter, const StripPointList& list, int first, int last,
                    const StripTraceStyle& style) {
    const QPen normal(style.trace, 1);
    const QPen selected(style.selected, 1);
    last = std::min(last, list.size() - 1);
    for (int i = std::max(first, 0); i < last; ++i) {
        if (list.types[size_t(i + 1)] != kPointLine)
            continue;
        const bool inSelection =
            style.selection && i >= style.selection->first && i <= style.selection->second;
        painter.setPen(inSelection ? selected : normal);
        painter.drawLine(list.points[size_t(i)], list.points[size_t(i + 1)]);
    }
}

bool DrawStripRow(QPainter& painter, const QRect& rect, int gain, const StripPointList& list,
                  int first, int last, const StripTraceStyle& style) {
    painter.fillRect(
        QRect(rect.left() - strip::kLeftMargin, rect.top(), strip::kLeftMargin, rect.height()),
        palette::kMargin);
    drawStripRowGrid(painter, rect, gain);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kPixelCentre, kPixelCentre);
    drawStripTrace(painter, list, first, last, style);
    painter.restore();
    return painter.isActive();
}

namespace {

// Index of a cursor in the page's point list: row * 767 + x - 15.
int cursorIndex(const RowCursor& c, int rowWidth) {
    return c.row * rowWidth + c.x - strip::kLeftMargin;
}

void drawCursor(QPainter& painter, const RowCursor& c, int row, const QRect& rect) {
    if (!c.set() || c.row != row)
        return;
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPointF(c.x + kPixelCentre, rect.top() + grid::kTopOffset + kPixelCentre),
                     QPointF(c.x + kPixelCentre, rect.top() + rect.height() + kPixelCentre));
}

} // namespace

QImage renderAnalysisRow(int row, QSize itemSize, int gain, const StripPointList& list,
                         const RowCursor& first, const RowCursor& second) {
    QImage image(itemSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const QRect rect(strip::kLeftMargin, 0, strip::kRowTraceWidth, itemSize.height());
    const int rowWidth = rect.width();
    StripTraceStyle style{palette::kAnalysisTrace, std::nullopt, palette::kSelectedTrace};
    if (first.set() && second.set()) {
        const int a = cursorIndex(first, rowWidth);
        const int b = cursorIndex(second, rowWidth);
        style.selection = std::make_pair(std::min(a, b), std::max(a, b));
    }
    QPainter painter(&image);
    DrawStripRow(painter, rect, gain, list, row * rowWidth, (row + 1) * rowWidth - 1, style);
    drawCursor(painter, first, row, rect);
    drawCursor(painter, second, row, rect);
    return image;
}

} // namespace vantora
