#pragma once

#include "device/DeviceLink.h"
#include "device/LivePageModel.h"
#include "ui/dialogs/PatientPickerDialog.h"
#include "ui/pages/Page.h"

#include <QPixmap>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QRadioButton;

class QScrollArea;

namespace vantora {

class LiveTraceView;
class PortMonitor;

// The real-time measurement page (page 158): the live ECG on a sweeping
// monitor with heart rate, rhythm finding and signal status, optionally
// recorded into the chosen patient's Continuous segments. The reader's
// packets reach the page through its event loop, copied and in order; the
// recording and display logic is LivePageModel's.
class LivePage : public Page {
    Q_OBJECT
public:
    // finder: where the recorder is; empty finds it as the station does.
    explicit LivePage(PageHost& frame, DeviceLink::PortFinder finder = {});
    ~LivePage() override;

    void OnInitialUpdate() override;

    // Chooses the patient to record for; the picker dialog unless replaced.
    using PatientChooser = std::function<std::optional<PickedPatient>()>;
    void setPatientChooser(PatientChooser chooser) { chooser_ = std::move(chooser); }
    // Where the next start looks for the recorder.
    void setPortFinder(DeviceLink::PortFinder finder) { finder_ = std::move(finder); }
    // The clock the next recording keeps its pace and stamps by.
    void setRecordingClock(RecordingClock clock) { clock_ = std::move(clock); }

    // Commands and events (also driven by tests).
    void OnStart();
    void OnStop();
    void OnHome();
    // A port left the system (udev "remove"): the link on it ends with 61330.
    void onPortRemoved(const QString& devNode);

    const LivePageModel& model() const { return model_; }
    const DeviceLink& link() const { return *link_; }
    LiveTraceView* traceWindow() const { return trace_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QRadioButton* recordOption() const { return record_; }
    QRadioButton* displayOnlyOption() const { return displayOnly_; }
    // Texts 1229 ... 1235 by control id.
    QLabel* text(int controlId) const;
    int heartIconShown() const { return heartIconShown_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    class Forwarder;
    void buildLayout();
    void nameControls(); // names and descriptions for screen readers
    void describeTrace();
    bool choosePatient();
    void onPacket(int link, const AcqPacket& packet);
    void onLinkStatus(int link, int status);
    void onLinkMessage(int link, const Message& message);
    void showOpenFailure(DeviceLink::Refusal why);
    void endRecording();
    void showTexts();
    void showHeartIcon(int icon);
    void setRunning(bool running);

    LivePageModel model_;
    PatientChooser chooser_;
    DeviceLink::PortFinder finder_;
    RecordingClock clock_;
    QString triedPort_; // the port the last start looked for
    PickedPatient patient_;
    int linkNumber_ = 0; // reports of earlier links are ignored
    int heartIconShown_ = 0;
    std::map<int, QPixmap> heartImages_;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* home_ = nullptr;
    QRadioButton* record_ = nullptr;
    QRadioButton* displayOnly_ = nullptr;
    QLabel* texts_[7] = {}; // 1229 ... 1235
    QLabel* heart_ = nullptr;
    LiveTraceView* trace_ = nullptr;
    QScrollArea* traceArea_ = nullptr; // holds the trace on a low screen
    PortMonitor* monitor_ = nullptr;
    // Before the link: its readers end (in the link's destructor) while the
    // sinks they report to still exist.
    std::vector<std::unique_ptr<Forwarder>> forwarders_;
    std::unique_ptr<DeviceLink> link_;
};

} // namespace vantora
