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

namespace msg {
// Texts that many parts of the station show.
constexpr int kCannotOpen = 61217;     // "$": the file name or path
constexpr int kDamagedFile = 61218;    // "$": the file name or path
constexpr int kConfirmCaption = 61308; // caption of every Yes/No question

// Resource numbers of our own, outside the range the station's texts use.
constexpr int kInvalidPatientId = 61900; // "$" is the refused id
// The patient manager's duplicate-id text, a literal of the program itself.
constexpr int kPatientIdExists = 61901;
constexpr int kNoPatientAtPosition = 61902; // "$" is the position
} // namespace msg

} // namespace vantora
