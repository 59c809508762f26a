#pragma once

#include <QKeySequence>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;

namespace vantora {

// The key of each frame command (empty when it has none): the pages in
// toolbar order on Ctrl+1 to Ctrl+8, the report commands on the usual print
// and save keys, help on F1, exit on Ctrl+Q.
QKeySequence commandShortcut(int command);

// "Label (Ctrl+8)" for a command with a key, the label alone otherwise.
QString withShortcut(const QString& label, const QKeySequence& key);

// Marks one letter of each label as its mnemonic (Alt+letter), the first
// letter of a word that no earlier label of the same menu took, else any
// letter not taken; labels keep their own "&" when they bring one.
QStringList withMnemonics(const QStringList& labels);

// The menu bar over the frame's actions: File (the report commands, then
// whatever the page adds to the report toolbar, then Exit), View (the pages
// and modes in toolbar order), Tools (patients and the hospital connection) and Help. One line, the
// same actions as the toolbar buttons, so enabling and checking stay in step. `recentFiles`, when
// given, is a submenu of File just above Exit.
void buildMenuBar(QMenuBar* bar, const std::function<QAction*(int command)>& action,
                  QToolBar* reportBar, QMenu* recentFiles = nullptr);

} // namespace vantora
