#pragma once

#include <QColor>

#include <initializer_list>

class QWidget;

namespace vantora {

// The first control inside `root` that Tab would reach, or null. With
// `editable`, read-only text fields are passed over (a dialog opens on the
// first field the user can change).
QWidget* firstTabStop(QWidget* root, bool editable = false);
// Gives that control the focus, as Tab would; false when there is none.
bool focusFirstTabStop(QWidget* root, bool editable = false);

// Tab and Shift+Tab go through these controls in this order (reading order on
// screen), passing over disabled or hidden ones; past either end the window's
// own order takes over. The order is kept by the controls themselves, so it
// outlives the page being placed into the frame (which rebuilds the window's
// chain) and does not depend on the order the controls were made in.
void setTabChain(std::initializer_list<QWidget*> widgets);

// The station's focus ring: a 2 px dark-blue outline wherever the style
// draws keyboard focus (buttons, check boxes, the current item of lists and
// trees) and a frame in it around other controls that take the focus (the
// trace views, the note), instead of the desktop style's faint dotted line;
// Alt alone steps
// into the menu bar. Installed once for the whole application.
void installFocusRing();
// Its colour, for controls that draw their own ring; such a control sets the
// property kDrawsOwnFocusRing (true) so that no focus frame is put around it.
inline constexpr char kDrawsOwnFocusRing[] = "drawsOwnFocusRing";
inline QColor focusRingColor() {
    return QColor(0x0A, 0x28, 0x8C);
}

} // namespace vantora
