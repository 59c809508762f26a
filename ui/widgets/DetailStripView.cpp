#include "ui/widgets/DetailStripView.h"

#include "core/StringIds.h"
#include "ui/widgets/Accessible.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace vantora {

DetailStripView::DetailStripView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    accessible::name(this, ids::kA11yEcgStrip);
    accessible::describe(this, accessible::traceDescription(0, {}, 1));
}

void DetailStripView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, strip_.render(size(), devicePixelRatioF()));
}

void DetailStripView::mousePressEvent(QMouseEvent* event) {
    strip_.setViewSize(size()); // also before the first show
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        strip_.buttonDown(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void DetailStripView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    bool changed = false;
    if (event->buttons() & Qt::LeftButton)
        changed = strip_.dragLeft(at);
    else if (event->buttons() & Qt::RightButton)
        changed = strip_.dragRight(at);
    else
        QWidget::mouseMoveEvent(event);
    if (changed)
        repaint();
}

void DetailStripView::wheelEvent(QWheelEvent* event) {
    strip_.setViewSize(size());
    if (strip_.wheel(event->angleDelta().y()))
        repaint();
    event->accept();
}

void DetailStripView::resizeEvent(QResizeEvent* event) {
    strip_.setViewSize(size());
    QWidget::resizeEvent(event);
}

void DetailStripView::focusOutEvent(QFocusEvent* event) {
    strip_.focusLost();
    QWidget::focusOutEvent(event);
}

} // namespace vantora
