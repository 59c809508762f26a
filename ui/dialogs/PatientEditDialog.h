#pragma once

#include "records/PatientRegistry.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;

namespace vantora {

class MessageBoxPrompter;

// The patient manager's add and edit dialog: every field of a patient. Each
// field takes at most what its record field holds, enforced while typing; the
// height takes digits, the weight a number in the locale's
// notation. OK is refused while the id (61314) or the name (61315) is empty,
// and while the commit (the registry's add or edit) answers with a message:
// the dialog then stays open with everything typed. In edit mode the id is
// shown read-only, since it names the patient's files.
class PatientEditDialog : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Add, Edit };
    PatientEditDialog(Mode mode, MessageBoxPrompter& prompter, QWidget* parent = nullptr);

    // Writes the fields on OK; a message refuses them (duplicate id, full or
    // unwritable registry). Without a commit OK only checks the empty fields.
    using Commit = std::function<Message(const PatientFields& fields)>;
    void setCommit(Commit commit) { commit_ = std::move(commit); }

    // Fills the fields from a stored record (edit).
    void setRecord(const PatientRecord& record);
    PatientFields fields() const;

    QLineEdit* idEdit() const { return id_; }
    QLineEdit* nameEdit() const { return name_; }
    QComboBox* sexBox() const { return sex_; }
    QLineEdit* heightEdit() const { return height_; }
    QLineEdit* weightEdit() const { return weight_; }
    QLineEdit* telephoneEdit() const { return telephone_; }
    QLineEdit* addressEdit() const { return address_; }
    QLineEdit* historyEdit() const { return history_; }
    QPlainTextEdit* remarksEdit() const { return remarks_; }

    void accept() override;

private:
    QLineEdit* lineEdit(int maxLength);
    void limitRemarks();
    Mode mode_;
    MessageBoxPrompter& prompter_;
    Commit commit_;
    QLineEdit* id_;
    QLineEdit* name_;
    QComboBox* sex_;
    QDateEdit* date_;
    QLineEdit* height_;
    QLineEdit* weight_;
    QLineEdit* telephone_;
    QLineEdit* address_;
    QLineEdit* history_;
    QPlainTextEdit* remarks_;
};

} // namespace vantora
