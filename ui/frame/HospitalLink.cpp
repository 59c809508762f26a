#include "ui/frame/HospitalLink.h"

#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "ui/dialogs/ArchiveStudiesDialog.h"
#include "ui/dialogs/DicomSettingsDialog.h"
#include "ui/dialogs/WorklistDialog.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/frame/ModalDialogs.h"

#include <QLabel>

namespace vantora {

HospitalLink::HospitalLink(AppState& state, MessageBoxPrompter& prompter, QWidget* window)
    : QObject(window), state_(state), prompter_(prompter), window_(window), sender_(state.dataRoot),
      label_(new QLabel(window)) {
    label_->setVisible(false);
    label_->setAccessibleName(Langpack::text(ids::kArchive));
    connect(&sender_, &ArchiveSender::statusChanged, this, &HospitalLink::showStatus);
    if (sender_.status().waiting > 0)
        sender_.sendWaiting();
    showStatus();
}

HospitalLink::~HospitalLink() = default;

bool HospitalLink::handles(int command) {
    return command == ids::kCmdDicomSettings || command == ids::kCmdSendWaiting ||
           command == ids::kWorklist;
}

bool HospitalLink::run(int command) {
    switch (command) {
    case ids::kCmdDicomSettings:
        openSettings();
        return false;
    case ids::kCmdSendWaiting:
        sender_.recount();
        sender_.sendWaiting();
        return false;
    case ids::kWorklist:
        return openWorklist(window_).has_value();
    default:
        return false;
    }
}

void HospitalLink::openSettings() {
    DicomSettingsDialog dialog(prompter_, window_);
    runModal(dialog);
}

std::optional<Admission> HospitalLink::openWorklist(QWidget* parent) {
    WorklistDialog dialog(state_, prompter_, parent);
    runModal(dialog);
    return dialog.admitted();
}

bool HospitalLink::openArchiveStudies(const QString& patientId, QWidget* parent) {
    ArchiveStudiesDialog dialog(state_.dataRoot, patientId, parent);
    runModal(dialog);
    return dialog.retrieved() > 0;
}

void HospitalLink::sendRecordings(std::vector<RecordingKey> recordings) {
    if (!recordings.empty())
        sender_.sendRecordings(std::move(recordings));
}

void HospitalLink::showStatus() {
    const QString text = sender_.status().text();
    label_->setText(text);
    label_->setToolTip(text);
    label_->setVisible(!text.isEmpty());
}

} // namespace vantora
