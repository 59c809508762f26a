// vantora-cli download|record: the recorder link, on the same readers and the
// same store code the pages use.
#include "device/DeviceLink.h"
#include "device/DownloadCollector.h"
#include "device/LiveRecording.h"
#include "device/PortDiscovery.h"
#include "device/StoredRecordings.h"
#include "device/UdevPortEnumerator.h"
#include "records/RecordingStore.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <set>

namespace vantora::cli {

namespace {

constexpr int kNothingReceived = 61328;
constexpr int kWaitSliceMs = 1000;

DeviceLink::PortFinder portFinder(const std::optional<QString>& port) {
    return [port] {
        UdevPortEnumerator udev;
        return PortDiscovery::resolve(port, udev);
    };
}

// --select all, or 1-based numbers of the received list: "1,3,4".
std::optional<std::set<int>> parseSelection(const QString& text) {
    if (text == QLatin1String("all"))
        return std::nullopt;
    std::set<int> chosen;
    for (const QString& part : text.split(u',')) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 1)
            throw UsageError("--select takes all or numbers from 1, separated by commas");
        chosen.insert(n);
    }
    return chosen;
}

QJsonArray idsJson(const std::vector<int>& ids) {
    QJsonArray out;
    for (int id : ids)
        out.append(id);
    return out;
}

// A port found but not opened: 61282 when it has gone, otherwise 61330, with
// the system's reason (permission, busy, not a terminal) for stderr.
QString openFailureReason(const Result<>& opened, const DeviceLink& link,
                          std::vector<int>& messages) {
    const DeviceLink::OpenFailure& f = link.openFailure();
    if (opened.ok() || f.why != DeviceLink::Refusal::OpenFailed)
        return {};
    messages.push_back(f.error == ENOENT ? msg::kRecorderNotFound : msg::kLinkFailed);
    return f.port + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(f.error));
}

// A link that did not start, or ended with a communication failure, makes
// the command fail after its report: status 1 with the text on stderr.
int finishLink(const Result<>& opened, const DeviceLink& link, const std::vector<int>& messages,
               const QString& reason) {
    const bool failed =
        std::find(messages.begin(), messages.end(), msg::kLinkFailed) != messages.end();
    if (opened.ok() && !failed)
        return 0;
    const int id = failed ? msg::kLinkFailed : (messages.empty() ? 0 : messages.front());
    const QString text = id != 0 ? Message{id, {}}.text() : QString();
    // A started link always has a text here; one that did not start says why.
    const int code = opened.ok() ? 1 : int(link.openFailure().why);
    QString line = text.isEmpty() ? QStringLiteral("link error %1").arg(code) : text;
    if (!reason.isEmpty())
        line += QStringLiteral(" (") + reason + u')';
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    return 1;
}

std::atomic<bool> gInterrupted{false};

void onInterrupt(int) {
    gInterrupted.store(true);
}

// Ctrl-C or a termination request while recording ends the link like the
// page's Stop, so the report (and what was not stored) still comes out.
class InterruptStopsLink {
public:
    InterruptStopsLink()
        : int_(std::signal(SIGINT, onInterrupt)), term_(std::signal(SIGTERM, onInterrupt)) {}
    ~InterruptStopsLink() {
        std::signal(SIGINT, int_);
        std::signal(SIGTERM, term_);
    }
    InterruptStopsLink(const InterruptStopsLink&) = delete;
    InterruptStopsLink& operator=(const InterruptStopsLink&) = delete;

private:
    void (*int_)(int);
    void (*term_)(int);
};

template <class Sink> void waitForLinkEnd(const Sink& sink, DeviceLink& link) {
    while (!sink.waitForEnd(kWaitSliceMs)) {
        if (gInterrupted.load())
            link.stopLiveLink();
    }
    link.waitForReaders(10 * kWaitSliceMs);
}

} // namespace

int runDownload(CliContext& ctx) {
    const PatientRef patient = requirePatient(ctx);
    const std::optional<QString> port = ctx.takeOption("port");
    const auto selection = parseSelection(ctx.takeOption("select").value_or(QStringLiteral("all")));
    CliPrompter prompter(ctx.takeFlag("yes"));
    ctx.finish();

    DeviceLink link(portFinder(port));
    DownloadCollector collector;
    const Result<> opened = link.openDownloadLink(collector);
    waitForLinkEnd(collector, link);
    std::vector<int> messages = collector.messageIds();
    const QString reason = openFailureReason(opened, link, messages);

    // What the patient's store already holds is never saved again.
    const RecordingStore store(ctx.dataRoot, RecordingMode::Snap, patient.id);
    const std::vector<SnapRecording> received = collector.completeRecordings();
    const std::vector<bool> stored = alreadyStored(store, received);
    std::vector<SnapRecording> chosen;
    int alreadyThere = 0;
    for (size_t i = 0; i < received.size(); ++i) {
        if (selection && selection->count(int(i) + 1) == 0)
            continue;
        if (stored[i])
            ++alreadyThere;
        else
            chosen.push_back(received[i]);
    }
    int saved = 0;
    if (opened.ok() && received.empty()) {
        messages.push_back(kNothingReceived);
    } else if (chosen.empty() && alreadyThere > 0) {
        messages.push_back(msg::kAllAlreadyStored);
        std::fprintf(stderr, "%s\n",
                     Message{msg::kAllAlreadyStored, patient.id}.text().toUtf8().constData());
    } else if (!chosen.empty() &&
               prompter.get().confirm(saveQuestion(patient.id, int(chosen.size())))) {
        const SnapAppendResult result = store.appendSnap(chosen);
        saved = result.saved;
        if (!result.message.isNone())
            messages.push_back(result.message.id);
    }
    ctx.printJson(QJsonObject{{"received", int(received.size())},
                              {"alreadyStored", alreadyThere},
                              {"saved", saved},
                              {"messages", idsJson(messages)}});
    return finishLink(opened, link, messages, reason);
}

int runRecord(CliContext& ctx) {
    const PatientRef patient = requirePatient(ctx);
    const std::optional<QString> port = ctx.takeOption("port");
    const int wanted = ctx.requireIntOption("segments");
    ctx.finish();
    if (wanted < 1)
        throw UsageError("--segments takes a number from 1");

    const RecordingStore store(ctx.dataRoot, RecordingMode::Continuous, patient.id);
    DeviceLink link(portFinder(port));
    // The real clock: a segment is stored only once its 30 s have passed.
    LiveRecording recording(
        [&store](std::span<const AcqPacket> p, const SystemTime& stamp) {
            return store.appendContinuous(p, stamp);
        },
        wanted, [&link] { link.stopLiveLink(); });
    const InterruptStopsLink interrupt;
    const Result<> opened = link.openLiveLink(recording);
    waitForLinkEnd(recording, link);
    std::vector<int> messages = recording.messageIds();
    const QString reason = openFailureReason(opened, link, messages);
    if (const Message dropped = recording.notStored(); !dropped.isNone())
        std::fprintf(stderr, "%s\n", dropped.text().toUtf8().constData());
    ctx.printJson(QJsonObject{{"segments", recording.segments()},
                              {"packets", recording.packets()},
                              {"invalidPackets", recording.invalidPackets()},
                              {"messages", idsJson(messages)}});
    return finishLink(opened, link, messages, reason);
}

} // namespace vantora::cli
