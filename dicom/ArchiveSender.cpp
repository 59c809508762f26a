#include "dicom/ArchiveSender.h"

#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "dicom/Outbox.h"

namespace vantora {

namespace {
constexpr int kStoreTimeoutSeconds = 10;
} // namespace

QString SendStatus::text() const {
    if (sending)
        return Langpack::format(ids::kSendingToArchive, QString::number(waiting));
    if (waiting > 0) {
        const QString count = Langpack::format(ids::kObjectsWaiting, QString::number(waiting));
        return problem.isNone() ? count : count + QStringLiteral(": ") + problem.text();
    }
    if (!problem.isNone())
        return Langpack::format(ids::kSendFailed, problem.text());
    return lastSent > 0 ? Langpack::format(ids::kSentToArchive, QString::number(lastSent))
                        : QString();
}

ArchiveSender::ArchiveSender(QString dataRoot, QObject* parent)
    : QObject(parent), dataRoot_(std::move(dataRoot)) {
    status_.waiting = outbox::waitingCount(dataRoot_);
    worker_ = std::thread([this] { run(); });
}

ArchiveSender::~ArchiveSender() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    cancel_ = true;
    wake_.notify_all();
    worker_.join();
}

void ArchiveSender::recount() {
    status_.waiting = outbox::waitingCount(dataRoot_);
    emit statusChanged();
}

void ArchiveSender::sendRecordings(std::vector<RecordingKey> recordings) {
    post([this, recordings = std::move(recordings)] { sendJob(recordings); });
}

void ArchiveSender::sendWaiting() {
    post([this] { sendJob({}); });
}

void ArchiveSender::post(Job job) {
    ++pendingJobs_;
    status_.sending = true;
    emit statusChanged();
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void ArchiveSender::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_)
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

// Builds and enqueues every recording first, so that all of them are safe in
// the outbox before the network is asked; then sends the whole outbox.
void ArchiveSender::sendJob(const std::vector<RecordingKey>& recordings) {
    const DicomSettings settings = DicomSettings::load(AppSettings());
    SendStatus status;
    status.sending = true;
    for (const RecordingKey& key : recordings) {
        if (cancel_)
            return;
        const Result<RecordingObjects> built =
            buildRecordingObjects(dataRoot_, key, settings.stationAet, true);
        Result<> queued = built.ok() ? Result<>() : Result<>(built.message());
        if (built.ok())
            queued = outbox::enqueue(dataRoot_, built.value().waveform.sopInstanceUid,
                                     built.value().waveform.file);
        if (queued.ok() && built.value().report)
            queued = outbox::enqueue(dataRoot_, built.value().report->sopInstanceUid,
                                     built.value().report->file);
        if (!queued.ok() && status.problem.isNone())
            status.problem = queued.message();
        status.waiting = outbox::waitingCount(dataRoot_);
        report(status, false);
    }
    if (!settings.archive.isSet()) {
        status.sending = false;
        status.waiting = outbox::waitingCount(dataRoot_);
        if (status.waiting > 0 && status.problem.isNone())
            status.problem = {ids::kArchiveNotChosen, {}};
        report(status, true);
        return;
    }
    const outbox::SendReport sent = outbox::sendWaiting(
        dataRoot_, settings.stationAet, settings.archive,
        [this, status](outbox::SendProgress p) mutable {
            status.waiting = p.total - p.done;
            report(status, false);
        },
        &cancel_, kStoreTimeoutSeconds);
    status.sending = false;
    status.waiting = sent.waiting;
    status.lastSent = sent.sent;
    if (status.problem.isNone())
        status.problem = sent.problem;
    report(status, true);
}

void ArchiveSender::report(SendStatus status, bool jobDone) {
    QMetaObject::invokeMethod(
        this,
        [this, status, jobDone] {
            status_ = status;
            if (jobDone)
                --pendingJobs_;
            // Another job queued behind this one keeps the line on "sending".
            status_.sending = status.sending || pendingJobs_ > 0;
            emit statusChanged();
        },
        Qt::QueuedConnection);
}

} // namespace vantora
