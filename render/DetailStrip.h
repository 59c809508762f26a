#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QTransform>

#include <cstdint>
#include <vector>

namespace vantora {

// The replay page's detail strip: up to 3000 samples on the screen strip
// scale (zero line 95 px below the top) over a #FBFFE5 grid, with zoom and pan
// of the trace through a 2-D transform. Mouse handling is given as plain
// events so that the widget stays a thin shell; each returns true when the
// strip must be repainted. Once the view's size is known the pan is held so
// that a trace that fits stays inside the view and a larger one covers it:
// zooming never cuts the peaks off for good, panning scrolls to them.
class DetailStrip {
public:
    static constexpr int kCapacity = 3000;
    static constexpr int kMinimumTraceSamples = 101;
    static constexpr double kMinScale = 0.5;
    static constexpr double kMaxScale = 3.0;

    void Reset();
    // Appends one sample while below capacity; returns the new count.
    int AppendSample(int32_t value);
    void SetGain(int gain) { gain_ = gain; }
    int count() const { return int(samples_.size()); }

    // The window the strip is shown in; an empty size keeps the pan free.
    void setViewSize(QSize size);

    void buttonDown(QPoint position);
    // 120 per notch; turning the wheel away from the user (up) enlarges.
    bool wheel(int delta);
    // Dragging up stretches the trace vertically, down to the horizontal scale.
    bool dragLeft(QPoint position);
    bool dragRight(QPoint position);
    void focusLost();

    double scaleX() const { return sx_; }
    double scaleY() const { return sy_; }
    QPoint pan() const { return QPoint(px_, py_); }
    const QTransform& transform() const { return transform_; }

    QImage render(QSize client, qreal ratio = 1) const;

private:
    void rebuildTransform();
    void keepTraceInView();

    std::vector<int32_t> samples_;
    int gain_ = 1;
    double sx_ = 1.0;
    double sy_ = 1.0;
    int px_ = 0;
    int py_ = 0;
    QPoint last_;
    QSize view_;
    QTransform transform_;
};

} // namespace vantora
