#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>

#include <optional>

namespace vantora {

class AppSettings;

// The main window's remembered place: its normal (not maximised) client
// rectangle in logical pixels, and whether it was maximised.
struct WindowGeometry {
    QRect normal;
    bool maximized = false;
};

// Where the main window opens. `screens` are the available areas of the
// screens (logical pixels, panels excluded); `home` is the index of the one to
// use when nothing was saved or the saved rectangle lies on no screen any more
// (the primary screen). `frame` is what the window system adds around the
// client area. The client rectangle returned keeps the saved (else the
// preferred) size as far as the chosen screen holds it and lies, frame
// included, wholly on that screen: never off-screen, whatever was saved.
QRect placeWindow(const QList<QRect>& screens, int home, const std::optional<QRect>& saved,
                  QSize preferred, QMargins frame);

// Stored as "WindowGeometry" ("x,y,width,height") and "WindowMaximized" (0/1);
// nothing when the value is missing or unreadable.
std::optional<WindowGeometry> loadWindowGeometry(const AppSettings& settings);
bool saveWindowGeometry(AppSettings& settings, const WindowGeometry& geometry);

} // namespace vantora
