#include "ui/widgets/SplashScreen.h"

#include "core/Langpack.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace vantora {

SplashScreen* SplashScreen::ShowSplashScreen(QWidget* owner) {
    if (current_)
        return nullptr;
    const QImage bitmap = Langpack::bitmap(Langpack::kSplashBitmap);
    if (bitmap.isNull())
        return nullptr;
    return new SplashScreen(bitmap, owner);
}

SplashScreen::SplashScreen(const QImage& bitmap, QWidget* owner)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      bitmap_(bitmap), owner_(owner) {
    current_ = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::ArrowCursor);
    setFixedSize(bitmap_.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    qApp->installEventFilter(this);
    timer_ = startTimer(kShowMs);
    show();
}

SplashScreen::~SplashScreen() {
    qApp->removeEventFilter(this);
    current_ = nullptr;
}

void SplashScreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, bitmap_);
}

void SplashScreen::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_)
        hideSplash();
}

bool SplashScreen::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        hideSplash();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void SplashScreen::hideSplash() {
    if (timer_) {
        killTimer(timer_);
        timer_ = 0;
    }
    qApp->removeEventFilter(this);
    close();
    if (owner_)
        owner_->repaint();
}

} // namespace vantora
