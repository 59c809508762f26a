#pragma once

#include <QMargins>
#include <QSize>

class QScrollArea;
class QWidget;

namespace vantora {

// The frame's client area: the page grows with the window and, below the
// page's smallest size, scrolls instead of being cut off.
QScrollArea* scrollingHost(QWidget* content);

// A view of fixed pixel size (true paper scale, or a renderer's fixed
// geometry) in a page: shown whole where the page has room, scrolled where
// it has not, so the page's controls stay in sight on a small screen.
QScrollArea* scrollingView(QWidget* view);

// Gives a window `wanted`, or as much of it as the screen it opens on
// holds with its title bar, never below what its layout needs.
void resizeWithinScreen(QWidget& window, QSize wanted);

// What the window system adds around the client area: the real margins once
// the window is shown, before that a title bar's height above.
QMargins windowFrameMargins(const QWidget& window);

} // namespace vantora
