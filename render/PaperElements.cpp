// The paper elements of a report: the 30-second strip in three rows and the
// averaged beat, at 24 units per mm, 25 mm/s and 10 mm/mV.
// Tested by ReportLayoutTest (points and clipping) and ReportPdfTest.
#include "render/PaperElements.h"

#include "core/Langpack.h"
#include "core/SampleRange.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace vantora {

namespace {

constexpr int kLegendTexts[3] = {61350, 61349, 61351}; // PR, QRS, QT
const QString kGainLabel = QStringLiteral("10mm/1mv");

// Grid pens: lighter on the preview's screen surface.
QPen gridPen(bool large, bool preview) {
    if (preview)
        return large ? QPen(QColor(0x96, 0x96, 0x96), 2) : QPen(QColor(0xC8, 0xC8, 0xC8), 1);
    return QPen(QColor(0x64, 0x64, 0x64), large ? 2 : 1);
}

QPen blackPen(int width, Qt::PenStyle style = Qt::SolidLine) {
    return QPen(Qt::black, width, style, Qt::RoundCap, Qt::RoundJoin);
}

// The points from..to (inclusive) as one path; "move" points open a figure.
QPainterPath pathOf(const std::vector<PaperPoint>& points, size_t from, size_t to) {
    QPainterPath path;
    for (size_t i = from; i <= to && i < points.size(); ++i) {
        if (i == from || !points[i].line)
            path.moveTo(points[i].at);
        else
            path.lineTo(points[i].at);
    }
    return path;
}

void drawBracket(QPainter& p, int x0, int x1, int y0, int y1) {
    p.setPen(blackPen(5));
    const QPoint corners[4] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    p.drawPolyline(corners, 4);
}

} // namespace

void clipToBand(std::vector<PaperPoint>& points, int top, int bottom) {
    int previous = 1; // inside before the first point
    for (size_t i = 0; i < points.size(); ++i) {
        int& y = points[i].at.ry();
        const int state = y > bottom ? 2 : (y < top ? 0 : 1);
        if (state == 2)
            y = bottom;
        else if (state == 0)
            y = top;
        points[i].line = i > 0 && (state == 1 || state != previous);
        previous = state;
    }
}

std::vector<PaperPoint> PaperStrip::tracePoints() const {
    std::vector<PaperPoint> all;
    all.reserve(samples.size());
    const int B = rect.bottom, L = rect.left;
    for (int k = 0; k < 3; ++k) {
        const int rowBottom = B - 2 * kPaperRowPitch + kPaperRowPitch * k;
        const int zero = rowBottom - kPaperRowHeight / 2;
        std::vector<PaperPoint> row;
        for (int i = 0; i < kSamplesPerPaperRow; ++i) {
            const size_t n = size_t(kSamplesPerPaperRow * k + i);
            if (n >= samples.size())
                break;
            row.push_back({QPoint(int(i * kPaperUnitsPerSample + L),
                                  int(zero - (clampSample(samples[n]) - kSampleBaseline) *
                                                 kPaperUnitsPerCount)),
                           false});
        }
        clipToBand(row, rowBottom - kPaperRowHeight, rowBottom);
        all.insert(all.end(), row.begin(), row.end());
    }
    return all;
}

void PaperStrip::drawGrid(QPainter& p, bool preview) const {
    const int B = rect.bottom, L = rect.left;
    for (int a = 0; a < 3; ++a) {
        const int yb = B - kPaperRowPitch * a;
        for (int j = 0; j <= 40; ++j) {
            p.setPen(gridPen(j % 5 == 0, preview));
            p.drawLine(L, yb - 24 * j, L + kPaperRowLength, yb - 24 * j);
        }
        for (int n = 0; 24 * n < kPaperRowLength + 24; ++n) {
            p.setPen(gridPen(n % 5 == 0, preview));
            p.drawLine(L + 24 * n, yb, L + 24 * n, yb - (n % 25 == 0 ? 1000 : kPaperRowHeight));
        }
        if (a == 2) { // calibration of 1 mV beside the top row, at j = 15
            drawBracket(p, L + 6000, L + 6050, yb - 360, yb - 600);
            p.setPen(Qt::black);
            drawSideText(p, *font, L + 6150, yb - 600, kGainLabel);
        }
    }
}

void PaperStrip::Draw(const ReportSurface& surface) const {
    QPainter& p = *surface.painter;
    p.setBrush(Qt::NoBrush);
    drawGrid(p, surface.preview);
    const std::vector<PaperPoint> points = tracePoints();
    if (points.empty())
        return;
    const QPen thin = surface.preview ? QPen(QColor(0x50, 0x50, 0x50), 2, Qt::SolidLine,
                                             Qt::RoundCap, Qt::RoundJoin)
                                      : blackPen(2);
    const QPen thick = blackPen(surface.preview ? 8 : 6);
    const size_t last = points.size() - 1;
    if (start > 0) {
        p.setPen(thin);
        p.drawPath(pathOf(points, 0, size_t(start)));
    }
    p.setPen(thick);
    p.drawPath(pathOf(points, size_t(start), size_t(end)));
    if (end < 7499) {
        p.setPen(thin);
        p.drawPath(pathOf(points, size_t(end), last));
    }
    if (start > 0 || end < 7499) {
        p.setPen(blackPen(5));
        for (const int index : {start, end}) {
            const int x = int((index % kSamplesPerPaperRow) * kPaperUnitsPerSample + rect.left);
            const int y =
                rect.bottom + (index / kSamplesPerPaperRow) * kPaperRowPitch - 2 * kPaperRowPitch;
            p.drawLine(x, y, x, y - kPaperRowHeight);
        }
    }
}

PaperAveragedBeat::PaperAveragedBeat(const QFont* labelFont, LayoutRect rect, AveragedBeat beat,
                                     std::array<int32_t, 4> bounds)
    : ReportElement(labelFont, kPaper, rect), beat(beat), bounds(bounds), legendFont(*labelFont),
      gainFont(*labelFont) {
    legendFont.setPixelSize(50);
    legendFont.setStretch(130); // 30 units wide at 50 high
    legendFont.setWeight(QFont::Bold);
    // The gain label runs down from the bracket's top (240 units below the
    // grid's top) and must end above the grid's bottom, inside the box.
    const int room = kSize - 240 - 20;
    for (double scale = 1.0; scale > 0.5 && textWidth(gainFont, kGainLabel) > room; scale -= 0.02)
        gainFont = scaledFont(*labelFont, scale);
}

int PaperAveragedBeat::legendLeft() const {
    // The widest text ends 20 units before the sample lines.
    int widest = 0;
    for (const int id : kLegendTexts)
        widest = std::max(widest, textWidth(legendFont, Langpack::text(id)));
    return rect.left - widest - 100 - 20;
}

int PaperAveragedBeat::annotationLeft() const {
    const int legend = legendLeft();
    const int gain = rect.left - 50 - textHeight(gainFont);
    return std::min({legend, gain, rect.left - 100});
}

std::vector<PaperPoint> PaperAveragedBeat::tracePoints() const {
    std::vector<PaperPoint> points;
    for (size_t i = 0; i < beat.size(); ++i) {
        if (beat[i] == kMissing)
            continue;
        points.push_back(
            {QPoint(int(i * kPaperUnitsPerSample + rect.left),
                    int((rect.bottom - 240) -
                        (clampSample(beat[i]) - kSampleBaseline) * kPaperUnitsPerCount)),
             false});
    }
    clipToBand(points, rect.top, rect.bottom);
    return points;
}

void PaperAveragedBeat::drawGrid(QPainter& p, bool preview) const {
    for (int x = rect.left, k = 0; x <= rect.right; x += 24, ++k) {
        p.setPen(gridPen(k % 5 == 0, preview));
        p.drawLine(x, rect.top, x, rect.bottom);
    }
    for (int y = rect.top, k = 0; y <= rect.bottom; y += 24, ++k) {
        p.setPen(gridPen(k % 5 == 0, preview));
        p.drawLine(rect.left, y, rect.right, y);
        if (y == rect.top + 240) {
            drawBracket(p, rect.left, rect.left - 30, y, y + 240);
            p.setPen(Qt::black);
            drawSideText(p, gainFont, rect.left - 50, y, kGainLabel);
        }
    }
}

void PaperAveragedBeat::drawMarks(QPainter& p) const {
    int x[4];
    for (int k = 0; k < 4; ++k)
        x[k] = int(bounds[size_t(k)] * kPaperUnitsPerSample + rect.left);
    const int T = rect.top;
    p.setPen(blackPen(5));
    for (int k = 0; k < 3; ++k)
        p.drawLine(x[k], T + 480, x[k], T + 510);
    p.drawLine(x[1], T + 530, x[1], T + 560);
    p.drawLine(x[3], T + 530, x[3], T + 560);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawLine(x[0] + 1, T + 495, x[1] - 1, T + 495);
    p.setPen(blackPen(2));
    p.drawLine(x[1] + 1, T + 495, x[2] - 1, T + 495);
    p.setPen(blackPen(5));
    p.drawLine(x[1], T + 545, x[3], T + 545);
}

void PaperAveragedBeat::drawLegend(QPainter& p) const {
    const int h = textHeight(legendFont);
    const int x = legendLeft();
    const QPen pens[3] = {QPen(Qt::black, 1, Qt::DotLine), blackPen(2), blackPen(5)};
    for (int k = 0; k < 3; ++k) {
        const int top = rect.top + k * (h + 20);
        p.setPen(Qt::black);
        p.setFont(legendFont);
        p.drawText(QRectF(x, top, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                   Langpack::text(kLegendTexts[k]));
        p.setPen(pens[k]);
        p.drawLine(rect.left - 100, top + h / 2, rect.left - 20, top + h / 2);
    }
}

void PaperAveragedBeat::Draw(const ReportSurface& surface) const {
    QPainter& p = *surface.painter;
    p.setBrush(Qt::NoBrush);
    drawGrid(p, surface.preview);
    p.setPen(blackPen(5));
    const std::vector<PaperPoint> points = tracePoints();
    if (!points.empty())
        p.drawPath(pathOf(points, 0, points.size() - 1));
    drawMarks(p);
    drawLegend(p);
}

} // namespace vantora
