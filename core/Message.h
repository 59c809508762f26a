#pragma once

#include <QString>

namespace vantora {

// A message for the user, by resource number. Core code returns these; pages
// show them in a message box, the command-line tool prints them. The first "$"
// of the resource text is replaced by `arg` when the message is shown.
struct Message {
    int id = 0;
    QString arg;

    bool isNone() const { return id == 0; }
    QString text() const; // resolved through the resource library
    friend bool operator==(const Message&, const Message&) = default;
};

} // namespace vantora
