// Strip rows of the record and analysis pages on the screen strip scale. The
// analysis rows copy a background drawn once per size and gain, since the grid
// costs ten times the trace. Tested by tests/render/StripRowRendererTest.cpp
// (pixels probed at grid lines, the calibration bracket, trace and selected
// stretch; cached rows equal rows drawn whole).
#include "render/StripRowRenderer.h"

#include "render/ScreenPalette.h"
#include "render/StripGeometry.h"
#include "render/StripGrid.h"

#include "render/ScreenImage.h"

#include <QPainter>

#include <algorithm>
#include <vector>

namespace vantora {

void drawStripTrace(QPainter& painter, const StripPointList& list, int first, int last,
                    const StripTraceStyle& style) {
    const QPen normal(style.trace, 1);
    const QPen selected(style.selected, 1);
    auto inSelection = [&style](int i) {
        return style.selection && i >= style.selection->first && i <= style.selection->second;
    };
    // Segments in their order, one call per stretch of one colour. Not one
    // polyline: its joins blend differently from the segments shown so far.
    std::vector<QLine> lines;
    bool stretchSelected = false;
    auto flush = [&] {
        painter.setPen(stretchSelected ? selected : normal);
        painter.drawLines(lines.data(), int(lines.size()));
        lines.clear();
    };
    last = std::min(last, list.size() - 1);
    for (int i = std::max(first, 0); i < last; ++i) {
        if (list.types[size_t(i + 1)] != kPointLine)
            continue;
        if (inSelection(i) != stretchSelected && !lines.empty())
            flush();
        stretchSelected = inSelection(i);
        lines.emplace_back(list.points[size_t(i)], list.points[size_t(i + 1)]);
    }
    if (!lines.empty())
        flush();
}

namespace {

// The 15 px margin left of the grid, then the grid with its bracket and label.
void drawStripRowBackground(QPainter& painter, const QRect& rect, int gain) {
    painter.fillRect(
        QRect(rect.left() - strip::kLeftMargin, rect.top(), strip::kLeftMargin, rect.height()),
        palette::kMargin);
    drawStripRowGrid(painter, rect, gain);
}

// Trace points first..last over a background already drawn.
void drawRowTrace(QPainter& painter, const StripPointList& list, int first, int last,
                  const StripTraceStyle& style) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kPixelCentre, kPixelCentre);
    drawStripTrace(painter, list, first, last, style);
    painter.restore();
}

QRect analysisRowRect(QSize itemSize) {
    return QRect(strip::kLeftMargin, 0, strip::kRowTraceWidth, itemSize.height());
}

} // namespace

bool DrawStripRow(QPainter& painter, const QRect& rect, int gain, const StripPointList& list,
                  int first, int last, const StripTraceStyle& style) {
    drawStripRowBackground(painter, rect, gain);
    drawRowTrace(painter, list, first, last, style);
    return painter.isActive();
}

namespace {

// The part of an analysis row that depends only on its size and gain (margin,
// grid, bracket and label), drawn once and copied under every trace. One cache
// per thread, so rows may be rendered off the GUI thread without a lock.
class RowBackgrounds {
public:
    const QImage& background(QSize itemSize, int gain, qreal ratio) {
        for (const Entry& e : entries_)
            if (e.size == itemSize && e.gain == gain && e.ratio == ratio)
                return e.image;
        if (entries_.size() == kMaxEntries)
            entries_.erase(entries_.begin());
        entries_.push_back(Entry{itemSize, gain, ratio, render(itemSize, gain, ratio)});
        return entries_.back().image;
    }

private:
    static constexpr size_t kMaxEntries = 4; // sizes and gains in use at once
    struct Entry {
        QSize size;
        int gain;
        qreal ratio;
        QImage image;
    };

    static QImage render(QSize itemSize, int gain, qreal ratio) {
        QImage image = screenImage(itemSize, ratio, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        drawStripRowBackground(painter, analysisRowRect(itemSize), gain);
        return image;
    }

    std::vector<Entry> entries_;
};

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
                         const RowCursor& first, const RowCursor& second, qreal ratio,
                         const QColor& trace) {
    thread_local RowBackgrounds backgrounds;
    QImage image = backgrounds.background(itemSize, gain, ratio); // copied when painted on
    const QRect rect = analysisRowRect(itemSize);
    const int rowWidth = rect.width();
    StripTraceStyle style{trace, std::nullopt, palette::kSelectedTrace};
    if (first.set() && second.set()) {
        const int a = cursorIndex(first, rowWidth);
        const int b = cursorIndex(second, rowWidth);
        style.selection = std::make_pair(std::min(a, b), std::max(a, b));
    }
    QPainter painter(&image);
    drawRowTrace(painter, list, row * rowWidth, (row + 1) * rowWidth - 1, style);
    drawCursor(painter, first, row, rect);
    drawCursor(painter, second, row, rect);
    return image;
}

} // namespace vantora
