#include "ui/widgets/LiveTraceView.h"

#include "core/StringIds.h"
#include "device/LiveTrace.h"
#include "render/LiveTracePainter.h"
#include "render/ScreenImage.h"
#include "ui/widgets/Accessible.h"

#include <QPainter>

namespace vantora {

LiveTraceView::LiveTraceView(const LiveTrace& trace, QWidget* parent)
    : QWidget(parent), trace_(trace) {
    setFixedSize(kWidth, kHeight); // the ring's 675 columns and rows 141 ... 331
    setAttribute(Qt::WA_OpaquePaintEvent);
    accessible::name(this, ids::kA11yLiveEcg);
    refresh();
}

void LiveTraceView::refresh() {
    const qreal ratio = devicePixelRatioF();
    if (logicalSize(image_) != size() || image_.devicePixelRatio() != ratio) {
        image_ = screenImage(size(), ratio, QImage::Format_RGB32);
        grid_ = live_paint::gridImage(width(), height(), ratio);
    }
    live_paint::paintTrace(image_, trace_, &grid_);
    update();
}

void LiveTraceView::paintEvent(QPaintEvent*) {
    if (image_.devicePixelRatio() != devicePixelRatioF()) // moved to a screen of another scale
        refresh();
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void LiveTraceView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    refresh();
}

} // namespace vantora
