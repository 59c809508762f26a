#pragma once

#include "core/Message.h"
#include "dicom/DicomNode.h"
#include "dicom/EcgObject.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vantora {

// What the window's status line says about the archive: how many objects
// wait in the outbox, whether a send is under way, and what went wrong last.
struct SendStatus {
    int waiting = 0;
    bool sending = false;
    int lastSent = 0;     // objects the last send delivered
    Message problem;      // why the last send left objects waiting, or a build failed
    QString text() const; // the status line: "Sending ...", "3 waiting: why", "Sent 2 ..."
};

// Sends recordings to the archive on a thread of its own, one job after the
// other, so that the window never waits on the network: each recording is
// built into its objects (waveform and report), written into the outbox and
// then the outbox is sent. The outbox keeps what the archive did not
// confirm; "send waiting" tries again. Lives on the window's thread and tells
// it through statusChanged(); the worker never touches a widget.
class ArchiveSender : public QObject {
    Q_OBJECT
public:
    explicit ArchiveSender(QString dataRoot, QObject* parent = nullptr);
    // Stops after the object being sent and waits for the worker.
    ~ArchiveSender() override;

    // The settings are read when a job starts: a change applies to the next.
    void sendRecordings(std::vector<RecordingKey> recordings);
    void sendWaiting();

    const SendStatus& status() const { return status_; }
    // Jobs queued or running.
    int pendingJobs() const { return pendingJobs_; }
    // Counts the outbox again (another process may have sent or enqueued).
    void recount();

signals:
    void statusChanged();

private:
    using Job = std::function<void()>;
    void post(Job job);
    void run();
    void sendJob(const std::vector<RecordingKey>& recordings);
    // Hands a status over to the window's thread.
    void report(SendStatus status, bool jobDone);

    QString dataRoot_;
    SendStatus status_;
    int pendingJobs_ = 0; // window thread only
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::atomic<bool> cancel_{false};
    std::thread worker_;
};

} // namespace vantora
