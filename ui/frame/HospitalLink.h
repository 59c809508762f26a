#pragma once

#include "dicom/ArchiveSender.h"
#include "dicom/WorklistAdmission.h"

#include <QObject>

#include <functional>
#include <optional>

class QLabel;
class QWidget;

namespace vantora {

class MessageBoxPrompter;
struct AppState;

// The window's side of the hospital connection: the DICOM settings dialog,
// the worklist, the archive's studies, and the sender whose state the
// status line shows ("3 waiting: ..."). Objects left in the outbox by an
// earlier run are sent as the window starts.
class HospitalLink : public QObject {
    Q_OBJECT
public:
    HospitalLink(AppState& state, MessageBoxPrompter& prompter, QWidget* window);
    ~HospitalLink() override;

    // The frame's commands this link answers: settings, worklist, send waiting.
    static bool handles(int command);
    // Runs one of them; true when the patients may have changed.
    bool run(int command);

    void openSettings();
    // The worklist dialog; the patient taken, if one was.
    std::optional<Admission> openWorklist(QWidget* parent);
    // "From archive" for one patient; true when a recording was retrieved.
    bool openArchiveStudies(const QString& patientId, QWidget* parent);
    // "Send to archive": builds, queues and sends in the background.
    void sendRecordings(std::vector<RecordingKey> recordings);

    ArchiveSender& sender() { return sender_; }
    // The status line's part (hidden while there is nothing to say).
    QLabel* statusLabel() const { return label_; }

private:
    void showStatus();

    AppState& state_;
    MessageBoxPrompter& prompter_;
    QWidget* window_;
    ArchiveSender sender_;
    QLabel* label_;
};

} // namespace vantora
