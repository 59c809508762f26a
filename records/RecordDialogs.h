#pragma once

#include "records/RecordIndexEntry.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vantora {

// One file dialog of the record pages. Filters are given as the dialog lists
// them, "Label (pattern)"; the first is the initial choice.
struct FileRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QStringList filters;
    QString defaultSuffix; // without the dot
    QString proposedName;  // file name only
    QString directory;     // where the dialog starts

    friend bool operator==(const FileRequest&, const FileRequest&) = default;
};

// The pattern of a filter "Label (pattern)": the text in its last brackets.
QString filterPattern(const QString& filter);
// The typed file name after the user picked another file type: the name up to
// its first "." followed by the pattern's extension (from its first "." on);
// a name without "." becomes the bare extension.
QString nameForFilter(const QString& typed, const QString& filter);

// The recording a note is written for.
struct NoteRequest {
    QString patientId;
    QString patientText; // as the page lists the patient
    SystemTime start;    // the note's key
};

// The dialogs the record management page opens for its model: the program
// answers with its dialogs, tests with scripted answers.
class RecordDialogs {
public:
    virtual ~RecordDialogs() = default;
    // The chosen path, or nothing when cancelled.
    virtual std::optional<QString> chooseFile(const FileRequest& request) = 0;
    // The target patient of a card import (0-based registry position), or
    // nothing when cancelled.
    virtual std::optional<int> pickPatient() = 0;
    // Runs the note dialog, which writes the note; the new text after OK.
    virtual std::optional<QString> editNote(const NoteRequest& request) = 0;
};

} // namespace vantora
