#pragma once

#include "device/DeviceLink.h"
#include "device/DownloadPageModel.h"
#include "ui/dialogs/PatientPickerDialog.h"
#include "ui/pages/Page.h"

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QPushButton;

namespace vantora {

class DownloadList;
class DownloadProgressView;

// The download page (pages 1000 and 32786): fetches the recorder's
// recordings over the download link, lists them with their traces and saves
// the chosen ones into a patient's Snap store. The reader's reports reach
// the page through the event loop, copied; the data handling is
// DownloadPageModel's.
class DownloadPage : public Page {
    Q_OBJECT
public:
    // finder: where the recorder is; empty finds it as the station does.
    explicit DownloadPage(PageHost& frame, DeviceLink::PortFinder finder = {});
    ~DownloadPage() override;

    // Chooses the patient to save to; the picker dialog unless replaced.
    using PatientChooser = std::function<std::optional<PickedPatient>()>;
    void setPatientChooser(PatientChooser chooser) { chooser_ = std::move(chooser); }

    // Commands (also driven by tests).
    void OnDownload();
    void OnSave();
    void OnSelectAll(bool ticked);
    void OnCancelDownload();
    void toggleMark(int row);

    const DownloadPageModel& model() const { return model_; }
    DownloadList* list() const { return list_; }
    DownloadProgressView* progressWindow() const { return progress_; }
    QPushButton* downloadButton() const { return download_; }
    QPushButton* saveButton() const { return save_; }
    QCheckBox* selectAllBox() const { return selectAll_; }

private:
    class Forwarder;
    void onHeader(int tableIndex, const DeviceRecordHeader& header);
    void onBlock(const BlockTag& tag, const SampleBlock& block);
    void onRecordEnd(int tableIndex, int recordNumber);
    void onLinkStatus(int status);
    void showControls();

    DownloadPageModel model_;
    PatientChooser chooser_;
    DownloadList* list_ = nullptr;
    DownloadProgressView* progress_ = nullptr;
    QPushButton* download_ = nullptr;
    QPushButton* save_ = nullptr;
    QCheckBox* selectAll_ = nullptr;
    // Declared last: the link stops and its reader ends before anything the
    // reader reports to goes away.
    std::unique_ptr<Forwarder> forwarder_;
    std::unique_ptr<DeviceLink> link_;
};

} // namespace vantora
