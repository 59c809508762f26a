#pragma once

#include <functional>

class QDialog;

namespace vantora {

// Every modal dialog of the station runs through here (exec). Tests install
// a hook that gets the dialog instead, shows it and works it with the
// keyboard as a user would, and returns its result; cleared with an empty
// function, as the message boxes' hook.
int runModal(QDialog& dialog);
using ModalHook = std::function<int(QDialog& dialog)>;
void setModalHook(ModalHook hook);

} // namespace vantora
