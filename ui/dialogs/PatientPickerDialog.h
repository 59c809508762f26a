#pragma once

#include "records/PatientRegistry.h"

#include <QDialog>

#include <functional>
#include <optional>

class QTreeView;
class QPushButton;

namespace vantora {

class MessageBoxPrompter;
class QuickAddDialog;
class RowTableModel;

// The patient a recording is assigned to.
struct PickedPatient {
    int position = -1; // 0-based
    QString id;
    QString name;
    QString sex;
};

// Patient picker: every patient with its main fields; OK returns the chosen
// row (61257 without one), new patients come through the quick-add dialog.
class PatientPickerDialog : public QDialog {
    Q_OBJECT
public:
    PatientPickerDialog(const QString& dataRoot, MessageBoxPrompter& prompter,
                        QWidget* parent = nullptr);

    // Shows the dialog; the chosen patient, or nothing when cancelled.
    static std::optional<PickedPatient> pick(const QString& dataRoot, MessageBoxPrompter& prompter,
                                             QWidget* parent = nullptr);

    std::optional<PickedPatient> picked() const { return picked_; }
    QTreeView* list() const { return list_; }
    QPushButton* newPatientButton() const { return newPatient_; }

    // Tests fill the quick-add dialog instead of exec(); returns acceptance.
    using QuickAddHook = std::function<bool(QuickAddDialog& dialog)>;
    void setQuickAddHook(QuickAddHook hook) { quickAddHook_ = std::move(hook); }

    void onNewPatient();
    void accept() override;

private:
    void reload();

    PatientRegistry registry_;
    MessageBoxPrompter& prompter_;
    QTreeView* list_;
    RowTableModel* rows_;
    QPushButton* newPatient_;
    QVector<PatientRecord> records_;
    std::optional<PickedPatient> picked_;
    QuickAddHook quickAddHook_;
};

} // namespace vantora
