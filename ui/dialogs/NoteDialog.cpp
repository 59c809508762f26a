#include "ui/dialogs/NoteDialog.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/RecordingNotes.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace vantora {

namespace {} // namespace

NoteDialog::NoteDialog(const Target& target, Reporter report, QWidget* parent)
    : QDialog(parent), target_(target), report_(std::move(report)) {
    setWindowTitle(Langpack::text(ids::kNoteTitle));
    auto* form = new QFormLayout;
    auto* patient = new QLineEdit(target.patientText, this);
    patient->setReadOnly(true);
    form->addRow(Langpack::text(ids::kPatient), patient);
    text_ = new QPlainTextEdit(this);
    // Tab leaves the note for the buttons; Enter starts a new line.
    text_->setTabChangesFocus(true);
    form->addRow(Langpack::text(ids::kNote), text_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &NoteDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NoteDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    const RecordingNotes notes(target.dataRoot, target.mode, target.patientId);
    const Result<QString> current = notes.read(target.start);
    if (!current.ok() && report_)
        report_(current.message());
    text_->setPlainText(current.value());
    connect(text_, &QPlainTextEdit::textChanged, this, &NoteDialog::limitText);
    // The dialog opens on the note, the caret after its text.
    text_->moveCursor(QTextCursor::End);
    text_->setFocus();
}

QString NoteDialog::noteText() const {
    return text_->toPlainText();
}

// The field takes no 200th character.
void NoteDialog::limitText() {
    const QString text = text_->toPlainText();
    if (text.size() <= RecordingNotes::kMaxChars)
        return;
    const QSignalBlocker block(text_);
    text_->setPlainText(text.left(RecordingNotes::kMaxChars));
    text_->moveCursor(QTextCursor::End);
}

void NoteDialog::accept() {
    const RecordingNotes notes(target_.dataRoot, target_.mode, target_.patientId);
    const Result<> written = notes.write(target_.start, noteText());
    if (!written.ok()) {
        if (report_)
            report_(written.message());
        reject();
        return;
    }
    QDialog::accept();
}

} // namespace vantora
