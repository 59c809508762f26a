#pragma once

#include "dicom/DicomNetwork.h"
#include "ui/dialogs/QueryListDialog.h"

namespace vantora {

// "From archive": the ECG studies the archive holds for one patient (date,
// station, results), asked by C-FIND; "Retrieve" fetches the chosen study by
// C-GET and appends its waveform to the patient's store exactly as it was
// sent. Objects this station did not make are refused with the reason.
class ArchiveStudiesDialog : public QueryListDialog {
    Q_OBJECT
public:
    ArchiveStudiesDialog(QString dataRoot, QString patientId, QWidget* parent = nullptr);

    const std::vector<ArchivedStudy>& studies() const { return studies_; }
    // Recordings appended (or found already there) by retrieves so far.
    int retrieved() const { return retrieved_; }

protected:
    void query() override;
    void act(int row) override;

private:
    QString dataRoot_;
    QString patientId_;
    std::vector<ArchivedStudy> studies_;
    int retrieved_ = 0;
};

} // namespace vantora
