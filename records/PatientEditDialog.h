#pragma once

#include "records/PatientRegistry.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;

namespace vantora {

class MessageBoxPrompter;

// The patient manager's add and edit dialog: every field of a patient. OK is
// refused while the id (61314) or the name (61315) is empty. In edit mode the
// id is shown read-only.
class PatientEditDialog : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Add, Edit };
    PatientEditDialog(Mode mode, MessageBoxPrompter& prompter, QWidget* parent = nullptr);

    // Fills the fields from a stored record (edit).
    void setRecord(const PatientRecord& record);
    PatientFields fields() const;

    QLineEdit* idEdit() const { return id_; }
    QLineEdit* nameEdit() const { return name_; }
    QComboBox* sexBox() const { return sex_; }
    QLineEdit* numberEdit() const { return number_; }
    QLineEdit* decimalEdit() const { return decimal_; }
    QLineEdit* text1Edit() const { return text1_; }

    void accept() override;

private:
    QLineEdit* lineEdit(int maxLength);
    MessageBoxPrompter& prompter_;
    QLineEdit* id_;
    QLineEdit* name_;
    QComboBox* sex_;
    QDateEdit* date_;
    QLineEdit* number_;
    QLineEdit* decimal_;
    QLineEdit* text1_;
    QLineEdit* text2_;
    QLineEdit* text3_;
    QPlainTextEdit* text4_;
};

} // namespace vantora
