#pragma once

#include <QString>

#include <functional>

class QMenu;
class QWidget;

namespace vantora {

// The "Recent files" menu for the frame: filled from the settings each time
// it opens with the files that still exist, newest first ("&1 name", the path
// as tooltip); choosing one calls `open` with its path.
QMenu* makeRecentFilesMenu(QWidget* parent, std::function<void(const QString&)> open);

} // namespace vantora
