#pragma once

#include "render/DetailStrip.h"

#include <QWidget>

namespace vantora {

// The replay page's detail strip window: paints the strip and hands mouse,
// wheel and focus events to its zoom and pan rules: the wheel zooms, the left
// button pans, the right button dragged up stretches the trace vertically.
class DetailStripView : public QWidget {
    Q_OBJECT
public:
    explicit DetailStripView(QWidget* parent = nullptr);

    DetailStrip& strip() { return strip_; }
    const DetailStrip& strip() const { return strip_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    DetailStrip strip_;
};

} // namespace vantora
