#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;

namespace vantora {

class MessageBoxPrompter;
class PatientRegistry;

// The patient picker's new-patient dialog: an id and a name in two parts that
// together take at most what the record's name field holds.
// OK adds the patient through PatientRegistry::quickAdd; the dialog stays open
// with the registry's message when it refuses.
class QuickAddDialog : public QDialog {
    Q_OBJECT
public:
    QuickAddDialog(const PatientRegistry& registry, QStringList knownIds,
                   MessageBoxPrompter& prompter, QWidget* parent = nullptr);

    QLineEdit* idEdit() const { return id_; }
    QLineEdit* firstEdit() const { return first_; }
    QLineEdit* secondEdit() const { return second_; }
    // 1-based position of the added patient, 0 before an add.
    int addedPosition() const { return added_; }

    void accept() override;

private:
    const PatientRegistry& registry_;
    QStringList knownIds_;
    MessageBoxPrompter& prompter_;
    QLineEdit* id_;
    QLineEdit* first_;
    QLineEdit* second_;
    int added_ = 0;
};

} // namespace vantora
