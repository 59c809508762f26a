// Averaged-beat panel drawing: grid of 7 px small and 35 px large squares
// within the width minus 15, calibration bracket of 70 px (1 mV) at the right,
// legend, and on top the beat, five tick segments, three interval segments and
// the grey markers. Tested by tests/render/AveragedBeatPanelTest.cpp.
#include "render/AveragedBeatPanel.h"

#include "render/ScreenImage.h"
#include "render/ScreenPalette.h"
#include "render/StripGrid.h"

#include <QFont>
#include <QPainter>

#include <vector>

namespace vantora {

namespace {

constexpr int kSmall = 7;  // 1 mm
constexpr int kLarge = 35; // 5 mm
constexpr int kRightMargin = 15;
constexpr int kMarkerReach = 10;

void drawPanelLines(QPainter& p, int usable, int height) {
    const QPen large(palette::kLargeSquare, 1);
    const QPen small(palette::kSmallSquare, 1);
    p.setPen(small);
    for (int x = 0; x < usable; x += kSmall)
        if (x % kLarge != 0)
            p.drawLine(x, 0, x, height);
    for (int y = 0; y < height; y += kSmall) {
        p.setPen(y % kLarge == 0 ? large : small);
        p.drawLine(0, y, usable - 1, y);
    }
    p.setPen(large);
    for (int x = 0; x < usable; x += kLarge)
        p.drawLine(x, 0, x, height);
}

void drawPanelCalibration(QPainter& p, int right) {
    p.setPen(QPen(palette::kCalibration, 1));
    p.drawLine(right - 15, 70, right - 10, 70);
    p.drawLine(right - 10, 70, right - 10, 140);
    p.drawLine(right - 10, 140, right - 15, 140);
    p.setPen(Qt::black);
    drawUpwardText(p, right - 10, 120, QStringLiteral("10mm/1mv"), 10);
}

void drawLegend(QPainter& p) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(10);
    font.setWeight(QFont::Bold);
    p.setFont(font);
    const struct {
        const char* label;
        int top, bottom;
        QColor colour;
    } rows[] = {{"PR", 0, 11, palette::kSelectionMark},
                {"QRS", 11, 23, palette::kSelectedTrace},
                {"QT", 23, 35, palette::kTrace}};
    for (const auto& row : rows) {
        p.setPen(Qt::black);
        p.drawText(QRect(0, row.top, 35, row.bottom - row.top), Qt::AlignRight | Qt::AlignBottom,
                   QLatin1String(row.label));
        const int middle = (row.top + row.bottom) / 2;
        p.setPen(QPen(row.colour, 3));
        p.drawLine(40, middle, 65, middle);
    }
}

void drawBeat(QPainter& p, const AveragedBeatLayout& layout) {
    // The trace's segments in one call (a polyline would blend its joins
    // differently).
    std::vector<QLine> segments;
    segments.reserve(layout.trace.size());
    for (size_t i = 1; i < layout.trace.size(); ++i)
        segments.emplace_back(layout.trace[i - 1], layout.trace[i]);
    p.setPen(QPen(palette::kTrace, 1));
    p.drawLines(segments.data(), int(segments.size()));
    p.setPen(QPen(Qt::black, 2));
    for (const QLine& tick : layout.ticks)
        p.drawLine(tick);
    p.setPen(QPen(palette::kSelectionMark, 2));
    p.drawLine(layout.pr);
    p.setPen(QPen(palette::kSelectedTrace, 2));
    p.drawLine(layout.qrs);
    p.setPen(QPen(palette::kTrace, 2));
    p.drawLine(layout.qt);
    p.setPen(QPen(palette::kMarker, 1));
    for (const QPoint& m : layout.markers)
        p.drawLine(m.x(), m.y() - kMarkerReach, m.x(), m.y() + kMarkerReach);
}

} // namespace

void AveragedBeatPanel::setData(const AveragedBeat& beat, const ParameterBlock& parameters) {
    data_ = Data{beat, parameters};
    layout_.reset();
    beatPicture_ = QImage();
}

void AveragedBeatPanel::clear() {
    data_.reset();
    layout_.reset();
    beatPicture_ = QImage();
}

QImage AveragedBeatPanel::renderGrid(QSize size, qreal ratio) {
    QImage image = screenImage(size, ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(palette::kMargin); // the page's background beside the grid
    QPainter p(&image);
    const int usable = size.width() - kRightMargin;
    p.fillRect(QRect(0, 0, usable, size.height()), Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(kPixelCentre, kPixelCentre);
    drawPanelLines(p, usable, size.height());
    drawPanelCalibration(p, size.width());
    p.translate(-kPixelCentre, -kPixelCentre);
    drawLegend(p);
    return image;
}

const QImage& AveragedBeatPanel::picture(QSize size, qreal ratio) {
    if (logicalSize(grid_) != size || grid_.devicePixelRatio() != ratio) {
        grid_ = renderGrid(size, ratio);
        beatPicture_ = QImage();
    }
    if (!data_)
        return grid_;
    if (!layout_ || beatPicture_.isNull()) {
        layout_ = AveragedBeatLayout::compute(data_->beat, data_->parameters, size.width());
        beatPicture_ = grid_.copy();
        QPainter p(&beatPicture_);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(kPixelCentre, kPixelCentre);
        drawBeat(p, *layout_);
    }
    return beatPicture_;
}

} // namespace vantora
