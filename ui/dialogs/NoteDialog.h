#pragma once

#include "core/Message.h"
#include "core/RecordingMode.h"
#include "records/RecordIndexEntry.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPlainTextEdit;

namespace vantora {

// The note dialog of a recording: the patient's id and name read-only and one
// multi-line field of at most 199 characters. OK writes the note to the
// notes file of the given store kind; a failed write is reported and the
// dialog ends as cancelled, so the caller changes nothing.
class NoteDialog : public QDialog {
    Q_OBJECT
public:
    using Reporter = std::function<void(const Message&)>;

    struct Target {
        QString dataRoot;
        RecordingMode mode = RecordingMode::None;
        QString patientId;
        QString patientText; // as the caller's list shows the patient
        SystemTime start;    // the recording's start time, the note's key
    };

    NoteDialog(const Target& target, Reporter report, QWidget* parent = nullptr);

    QString noteText() const;
    QPlainTextEdit* textField() const { return text_; }

    void accept() override;

private:
    void limitText();

    Target target_;
    Reporter report_;
    QPlainTextEdit* text_ = nullptr;
};

} // namespace vantora
