#include "ui/widgets/LiveTraceView.h"

#include "core/StringIds.h"
#include "device/LiveTrace.h"
#include "render/LiveTracePainter.h"
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
    if (image_.size() != size()) {
        image_ = QImage(size(), QImage::Format_RGB32);
        grid_ = live_paint::gridImage(width(), height());
    }
    live_paint::paintTrace(image_, trace_, &grid_);
    update();
}

void LiveTraceView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void LiveTraceView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    refresh();
}

} // namespace vantora
