#include "ui/widgets/CDetailStripWnd.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace vantora {

CDetailStripWnd::CDetailStripWnd(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void CDetailStripWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, strip_.render(size()));
}

void CDetailStripWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        strip_.buttonDown(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void CDetailStripWnd::mouseMoveEvent(QMouseEvent* event) {
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

void CDetailStripWnd::wheelEvent(QWheelEvent* event) {
    if (strip_.wheel(event->angleDelta().y()))
        repaint();
    event->accept();
}

void CDetailStripWnd::focusOutEvent(QFocusEvent* event) {
    strip_.focusLost();
    QWidget::focusOutEvent(event);
}

} // namespace vantora
