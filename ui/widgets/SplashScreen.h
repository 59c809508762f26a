#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace vantora {

// The splash screen: bitmap 183 of the resource library, centred, for 750 ms or
// until the first click or key press, which it consumes.
class SplashScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMs = 750;

    // Shows the splash over `owner`; nothing without the bitmap, or when one is
    // already shown. Returns the splash, or null.
    static SplashScreen* ShowSplashScreen(QWidget* owner);
    static SplashScreen* current() { return current_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    SplashScreen(const QImage& bitmap, QWidget* owner);
    ~SplashScreen() override;
    void hideSplash();

    QImage bitmap_;
    QPointer<QWidget> owner_;
    int timer_ = 0;
    static inline SplashScreen* current_ = nullptr;
};

} // namespace vantora
