// Detail strip drawing and its zoom and pan rules. The transform keeps the
// point (15, 95), the strip's left edge on its zero line, in place when only
// the scales change; the wheel follows the desktop's convention (up enlarges).
// Tested by tests/render/DetailStripTest.cpp.
#include "render/DetailStrip.h"

#include "core/SampleRange.h"
#include "core/SignalFormat.h"
#include "render/ScreenImage.h"
#include "render/ScreenPalette.h"
#include "render/StripGrid.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vantora {

namespace {

constexpr int kLeft = 15;
constexpr int kZeroLine = 95;
constexpr double kPixelsPerUnit = 30.0 / kUnitsPerMillivolt; // 30 px per mV
constexpr double kWheelStep = 0.02;                          // per notch
constexpr double kStretchPerPixel = 0.005;
constexpr double kSlack = 1e-9; // steps that add up to a limit reach it

bool inRange(double scale, double low, double high) {
    return scale >= low - kSlack && scale <= high + kSlack;
}

int traceY(int gain, int32_t sample) {
    return int(gain * (kSampleBaseline - sample) * kPixelsPerUnit + kZeroLine);
}

// The pan along one axis that keeps [low, high] (the trace's extent without
// pan) inside [0, size] when it fits, or covering it when it is larger.
int heldPan(int pan, double low, double high, int size) {
    const double a = -low;
    const double b = size - high;
    return int(std::clamp(double(pan), std::ceil(std::min(a, b)), std::floor(std::max(a, b))));
}

void drawDetailRows(QPainter& p, QSize size, int gain) {
    const QPen large(palette::kLargeSquare, 1);
    const QPen small(palette::kSmallSquare, 1);
    const int rows = size.height() / 15 + 1;
    for (int r = 0; r < rows; ++r) {
        const int y = 5 + 15 * r;
        p.setPen(large);
        p.drawLine(kLeft, y, size.width(), y);
        p.setPen(small);
        for (int s = 1; s <= 4 && y + 3 * s < size.height(); ++s)
            p.drawLine(kLeft, y + 3 * s, size.width(), y + 3 * s);
        if (r != rows / 2)
            continue;
        const int h = 15 * gain;
        p.setPen(QPen(palette::kCalibration, 1));
        p.drawLine(10, y - h, 15, y - h);
        p.drawLine(10, y - h, 10, y + h);
        p.drawLine(10, y + h, 15, y + h);
        p.setPen(Qt::black);
        drawUpwardText(p, 12, y - h, gainLabel(gain), 11); // "Arial" 8 point
    }
}

void drawDetailColumns(QPainter& p, QSize size) {
    const QPen large(palette::kLargeSquare, 1);
    const QPen small(palette::kSmallSquare, 1);
    for (int n = 1; n <= size.width() / 15; ++n) {
        const int x = 15 * n;
        p.setPen(large);
        p.drawLine(x, n % 5 == 0 ? 1 : 5, x, size.height());
        p.setPen(small);
        for (int s = 1; s <= 4 && x + 3 * s < size.width(); ++s)
            p.drawLine(x + 3 * s, 5, x + 3 * s, size.height());
    }
}

} // namespace

void DetailStrip::Reset() {
    samples_.clear();
    sx_ = sy_ = 1.0;
    px_ = py_ = 0;
    transform_.reset();
}

int DetailStrip::AppendSample(int32_t value) {
    if (count() < kCapacity)
        samples_.push_back(clampSample(value));
    return count();
}

void DetailStrip::buttonDown(QPoint position) {
    if (!samples_.empty())
        last_ = position;
}

bool DetailStrip::wheel(int delta) {
    if (samples_.empty())
        return false;
    const double step = int16_t(delta) / 120.0 * kWheelStep;
    const double sx = sx_ + step;
    const double sy = sy_ + step;
    if (!inRange(sx, kMinScale, kMaxScale) || !inRange(sy, kMinScale, kMaxScale))
        return false;
    sx_ = sx;
    sy_ = sy;
    rebuildTransform();
    return true;
}

bool DetailStrip::dragLeft(QPoint position) {
    if (samples_.empty())
        return false;
    px_ += position.x() - last_.x();
    py_ += position.y() - last_.y();
    last_ = position;
    rebuildTransform();
    return true;
}

bool DetailStrip::dragRight(QPoint position) {
    if (samples_.empty())
        return false;
    const double sy = sy_ - (position.y() - last_.y()) * kStretchPerPixel;
    if (!inRange(sy, sx_, kMaxScale))
        return false;
    sy_ = sy;
    last_ = position;
    rebuildTransform();
    return true;
}

void DetailStrip::focusLost() {
    px_ = 0;
    py_ = 0;
}

void DetailStrip::setViewSize(QSize size) {
    if (size == view_)
        return;
    view_ = size;
    if (!samples_.empty())
        rebuildTransform();
}

void DetailStrip::keepTraceInView() {
    if (view_.isEmpty() || samples_.empty())
        return;
    const auto [lowest, highest] = std::minmax_element(samples_.begin(), samples_.end());
    const double top = (1 - sy_) * kZeroLine + sy_ * traceY(gain_, *highest);
    const double bottom = (1 - sy_) * kZeroLine + sy_ * traceY(gain_, *lowest);
    const double right = (1 - sx_) * kLeft + sx_ * view_.width();
    py_ = heldPan(py_, top, bottom, view_.height() - 1);
    px_ = heldPan(px_, 0, right - kLeft, view_.width() - kLeft); // the paper right of the margin
}

void DetailStrip::rebuildTransform() {
    keepTraceInView();
    QTransform t;
    t.translate((1 - sx_) * kLeft + px_, (1 - sy_) * kZeroLine + py_);
    t.scale(sx_, sy_);
    transform_ = t;
}

QImage DetailStrip::render(QSize client, qreal ratio) const {
    QImage image = screenImage(client, ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(palette::kMargin);
    QPainter p(&image);
    p.fillRect(QRect(kLeft, 0, client.width() - kLeft, client.height()), palette::kPaper);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(kPixelCentre, kPixelCentre);
    drawDetailRows(p, client, gain_);
    drawDetailColumns(p, client);
    if (count() < kMinimumTraceSamples)
        return image;
    const int n = count();
    std::vector<QPoint> points;
    points.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        points.emplace_back((i * (client.width() - kLeft)) / n + kLeft,
                            traceY(gain_, samples_[size_t(i)]));
    p.setTransform(transform_, true);
    p.setPen(QPen(palette::kTrace, 1));
    p.drawPolyline(points.data(), n);
    return image;
}

} // namespace vantora
