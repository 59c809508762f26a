#pragma once

#include <QImage>
#include <QWidget>

namespace vantora {

class LiveTrace;

// Control 1220 of the real-time page: shows a LiveTrace. Every refresh paints
// the whole monitor into an off-screen image of the control's size, which the
// paint event only copies, so a repaint never shows a half-drawn sweep.
class LiveTraceView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 690;  // 675 columns and a margin
    static constexpr int kHeight = 360; // rows 141 ... 331 and grid below

    LiveTraceView(const LiveTrace& trace, QWidget* parent = nullptr);

    // Repaints the off-screen image from the trace and schedules a copy.
    void refresh();
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    const LiveTrace& trace_;
    QImage image_;
    QImage grid_; // paper and grid of the current size
};

} // namespace vantora
