#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace vantora {

// The splash screen: bitmap 183 of the resource library, centred, for 750 ms or
// until the first click or key press, which it consumes.
class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMs = 750;

    // Shows the splash over `owner`; nothing without the bitmap, or when one is
    // already shown. Returns the splash, or null.
    static CSplashWnd* ShowSplashScreen(QWidget* owner);
    static CSplashWnd* current() { return current_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    CSplashWnd(const QImage& bitmap, QWidget* owner);
    ~CSplashWnd() override;
    void hideSplash();

    QImage bitmap_;
    QPointer<QWidget> owner_;
    int timer_ = 0;
    static inline CSplashWnd* current_ = nullptr;
};

} // namespace vantora
