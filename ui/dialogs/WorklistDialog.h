#pragma once

#include "dicom/DicomNetwork.h"
#include "dicom/WorklistAdmission.h"
#include "ui/dialogs/QueryListDialog.h"

#include <optional>

namespace vantora {

class MessageBoxPrompter;
struct AppState;

// Today's procedure steps with modality ECG for this station, as the worklist
// provider of the settings lists them (name, id, birth date, sex, time,
// accession number, requested procedure). "Take" admits the chosen step's
// patient (WorklistAdmission: registered or updated, differences only after
// a question) and makes them the current patient.
class WorklistDialog : public QueryListDialog {
    Q_OBJECT
public:
    WorklistDialog(AppState& state, MessageBoxPrompter& prompter, QWidget* parent = nullptr);

    const std::vector<WorklistItem>& items() const { return items_; }
    // The patient taken, once the dialog was accepted.
    const std::optional<Admission>& admitted() const { return admitted_; }

protected:
    void query() override;
    void act(int row) override;

private:
    AppState& state_;
    MessageBoxPrompter& prompter_;
    std::vector<WorklistItem> items_;
    std::optional<Admission> admitted_;
};

} // namespace vantora
