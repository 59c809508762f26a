#include "ui/widgets/TrendView.h"

#include "render/TrendPlot.h"

#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

namespace vantora {

namespace {
constexpr int kDragPixels = 4;         // further than this is a drag, not a click
constexpr double kZoomStep = 2.0;      // + and -
constexpr double kWheelStep = 1.41421; // one notch: half a key step
} // namespace

TrendView::TrendView(TrendPageModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(400, 200); // six plots still readable on a 1024 x 600 screen
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

TrendPlotLayout TrendView::plotLayout() const {
    return layoutTrendPlots(QRectF(rect()).adjusted(4, 4, -4, -4), fontMetrics().height());
}

double TrendView::xAt(qint64 at) const {
    const TrendPlotLayout l = plotLayout();
    return l.plotLeft() + model_.xOf(at, l.plotWidth());
}

qint64 TrendView::timeAtX(double x) const {
    const TrendPlotLayout l = plotLayout();
    return model_.timeAt(x - l.plotLeft(), l.plotWidth());
}

void TrendView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    drawTrendPlots(painter, plotLayout(), model_, {font(), false, true});
}

void TrendView::cursorToCentre() {
    model_.setCursor(model_.view().start + model_.view().length() / 2);
}

void TrendView::afterChange() {
    update();
    emit changed();
}

void TrendView::keyPressEvent(QKeyEvent* event) {
    if (model_.empty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        model_.panSteps(ctrl ? -5 : -1);
        cursorToCentre();
        break;
    case Qt::Key_Right:
        model_.panSteps(ctrl ? 5 : 1);
        cursorToCentre();
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        model_.zoom(kZoomStep, model_.cursor().value_or(model_.view().start));
        break;
    case Qt::Key_Minus:
        model_.zoom(1.0 / kZoomStep, model_.cursor().value_or(model_.view().start));
        break;
    case Qt::Key_Home:
        model_.showStart();
        model_.setCursor(model_.covered().start);
        break;
    case Qt::Key_End:
        model_.showEnd();
        model_.setCursor(model_.covered().end);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!model_.cursor())
            cursorToCentre();
        emit openRequested();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    afterChange();
}

void TrendView::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0 || model_.empty())
        return;
    model_.zoom(std::pow(kWheelStep, notches), timeAtX(event->position().x()));
    afterChange();
}

void TrendView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    pressed_ = true;
    dragging_ = false;
    pressedAt_ = lastDragAt_ = event->position().toPoint();
}

void TrendView::mouseMoveEvent(QMouseEvent* event) {
    if (model_.empty())
        return;
    const QPoint at = event->position().toPoint();
    if (pressed_ && (dragging_ || (at - pressedAt_).manhattanLength() > kDragPixels)) {
        dragging_ = true;
        // The time under the pointer stays under it.
        model_.pan(timeAtX(lastDragAt_.x()) - timeAtX(at.x()));
        lastDragAt_ = at;
    }
    model_.setCursor(timeAtX(at.x()));
    afterChange();
}

void TrendView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    if (dragging_ || model_.empty())
        return;
    model_.setCursor(timeAtX(event->position().x()));
    afterChange();
    emit openRequested();
}

} // namespace vantora
