#pragma once

#include "records/PatientIdMap.h"
#include "records/PatientRegistry.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeView;

namespace vantora {

class MessageBoxPrompter;
class PatientDetailPanel;
class PatientEditDialog;
class RowTableModel;
struct AppState;

// The patient manager: the registry's list (position, id, name, an icon by
// sex), the selected patient's details, and add, edit and delete.
class PatientManagerDialog : public QDialog {
    Q_OBJECT
public:
    PatientManagerDialog(AppState& state, MessageBoxPrompter& prompter, QWidget* parent = nullptr);

    QTreeView* list() const { return list_; }
    PatientDetailPanel* detail() const { return detail_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* worklistButton() const { return worklist_; }

    // Tests fill the add and edit dialogs before they are shown; the hook gets
    // the dialog and returns whether it was accepted (instead of exec()).
    using DialogHook = std::function<bool(PatientEditDialog& dialog)>;
    void setDialogHook(DialogHook hook) { dialogHook_ = std::move(hook); }

    void onAdd();
    void onEdit();
    void onDelete();
    // "Worklist": a patient taken from the scheduler's list.
    void onWorklist();

private:
    void reload();
    void select(int position);
    void onSelectionChanged();
    int selectedPosition() const;
    bool runDialog(PatientEditDialog& dialog);

    AppState& state_;
    MessageBoxPrompter& prompter_;
    PatientRegistry registry_;
    PatientIdMap ids_;
    QVector<PatientRecord> records_; // as listed
    RowTableModel* rows_;
    QTreeView* list_;
    PatientDetailPanel* detail_;
    QLabel* count_;
    QPushButton* add_;
    QPushButton* edit_;
    QPushButton* delete_;
    QPushButton* worklist_;
    DialogHook dialogHook_;
};

} // namespace vantora
