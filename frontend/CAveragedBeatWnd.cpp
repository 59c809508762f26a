#include "frontend/CAveragedBeatWnd.h"

#include "render/AveragedBeatPanel.h"

#include <QPainter>

namespace vantora {

CAveragedBeatWnd::CAveragedBeatWnd(AveragedBeatPanel& panel, QWidget* parent)
    : QWidget(parent), panel_(panel) {
    setFixedSize(kWidth, kHeight);
}

void CAveragedBeatWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), panel_.picture(QSize(kWidth, kHeight)));
}

} // namespace vantora
