#include "ui/widgets/IconButton.h"

#include "ui/frame/KeyboardFocus.h"
#include "ui/pages/Page.h"

#include <QPainter>

namespace vantora {

namespace {
constexpr int kIconSide = 72; // px
const QColor kShadow(0x1E, 0x32, 0x78);
} // namespace

IconButton::IconButton(const QIcon& icon, const QString& text, QWidget* parent)
    : QAbstractButton(parent) {
    setIcon(icon);
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    p.fillRect(rect(), QColor::fromRgb(Page::kBackground));
    if (isEnabled() && (hovered_ || isDown())) {
        p.setPen(QPen(QColor(255, 255, 255, isDown() ? 230 : 170), 1.5));
        p.setBrush(QColor(255, 255, 255, isDown() ? 70 : 40));
        p.drawRoundedRect(box, 10, 10);
    }
    if (hasFocus()) { // the station's focus ring, plain to see on the blue
        p.setPen(QPen(focusRingColor(), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box.adjusted(2, 2, -2, -2), 9, 9);
    }
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    const QRect iconRect((width() - kIconSide) / 2, 18 + (isDown() ? 1 : 0), kIconSide, kIconSide);
    icon().paint(&p, iconRect, Qt::AlignCenter, mode);

    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 1.2);
    f.setBold(true);
    p.setFont(f);
    const QRect textRect(8, iconRect.bottom() + 10, width() - 16,
                         height() - iconRect.bottom() - 16);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    p.setPen(kShadow);
    p.drawText(textRect.translated(1, 1), flags, text());
    p.setPen(isEnabled() ? QColor(Qt::white) : QColor(235, 240, 255, 150));
    p.drawText(textRect, flags, text());
}

void IconButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void IconButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace vantora
