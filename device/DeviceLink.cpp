#include "device/DeviceLink.h"

#include "device/DownloadReader.h"
#include "device/LiveReader.h"
#include "device/PortDiscovery.h"
#include "device/TermiosLine.h"

#include <QFileInfo>

#include <chrono>
#include <system_error>

namespace vantora {

namespace {

// A reader told to stop may be inside a read for up to about 1.1 s.
constexpr int kStaleReaderWaitMs = 1500;
constexpr int kHelloDrainMs = 3000;
constexpr int kHelloPauseMs = 50;
constexpr auto kPollStep = std::chrono::milliseconds(5);

bool waitFor(const std::atomic<bool>& flag, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!flag.load()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

} // namespace

DeviceLink::OpenedLine DeviceLink::openTermiosLine(const QString& path) {
    auto line = std::make_unique<TermiosLine>();
    if (!line->open(path))
        return {nullptr, Refusal::OpenFailed, line->openError()};
    if (!line->configure())
        return {nullptr, Refusal::SetupFailed};
    return {std::move(line)};
}

DeviceLink::DeviceLink(PortFinder finder, LineOpener opener, LinkTiming timing)
    : finder_(std::move(finder)), opener_(std::move(opener)), timing_(timing) {}

DeviceLink::~DeviceLink() {
    state_.downloadRunning.store(0);
    state_.liveRunning.store(0);
    for (Reader* r : {&download_, &live_}) {
        if (r->thread.joinable())
            r->thread.join();
    }
}

std::atomic<int>& DeviceLink::runFlagOf(Kind kind) {
    return kind == Kind::Download ? state_.downloadRunning : state_.liveRunning;
}

Result<> DeviceLink::openDownloadLink(LinkSink& sink) {
    return open(Kind::Download, sink);
}

Result<> DeviceLink::openLiveLink(LinkSink& sink) {
    return open(Kind::Live, sink);
}

bool DeviceLink::releaseReader(Reader& reader, std::atomic<int>& running, int timeoutMs) {
    if (!reader.thread.joinable())
        return true;
    if (reader.thread.get_id() == std::this_thread::get_id())
        return false;
    running.store(0);
    if (!waitFor(reader.finished, timeoutMs))
        return false;
    reader.thread.join();
    reader.recorded.store(false);
    return true;
}

Result<> DeviceLink::fail(LinkSink& sink, Refusal why) {
    sink.linkStatus(0);
    state_.portNumber.store(-1);
    state_.portInUse.store(false);
    openFailure_.why = why;
    return Message{why == Refusal::NoPort ? msg::kRecorderNotFound : msg::kLinkFailed, {}};
}

void DeviceLink::sendHello(SerialLine& line) {
    const wire::CommandFrame hello = wire::makeCommand(wire::kHello);
    // A hello that does not go out is resent by the reader's reply matching.
    line.write(hello.bytes.data(), hello.wireLength());
    line.drain(kHelloDrainMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(kHelloPauseMs));
}

Result<> DeviceLink::open(Kind kind, LinkSink& sink) {
    // Both kinds share the one port: any earlier reader must have let go of it.
    if (!releaseReader(download_, state_.downloadRunning, kStaleReaderWaitMs) ||
        !releaseReader(live_, state_.liveRunning, kStaleReaderWaitMs))
        return fail(sink, Refusal::StaleReader);
    const std::optional<QString> path = finder_ ? finder_() : std::nullopt;
    if (!path) {
        sink.showMessage(Message{msg::kRecorderNotFound, {}});
        return fail(sink, Refusal::NoPort);
    }
    OpenedLine opened = opener_(*path);
    if (!opened.line) {
        openFailure_ = {opened.refusal, *path, opened.error};
        return fail(sink, opened.refusal == Refusal::SetupFailed ? Refusal::SetupFailed
                                                                 : Refusal::OpenFailed);
    }
    portPath_ = *path;
    portCanonical_ = QFileInfo(*path).canonicalFilePath();
    state_.portNumber.store(PortDiscovery::portNumberOf(*path));
    state_.portRemoved.store(false);
    state_.portInUse.store(true);
    if (kind == Kind::Download)
        sendHello(*opened.line);

    Reader& reader = readerOf(kind);
    runFlagOf(kind).store(1);
    reader.finished.store(false);
    reader.recorded.store(true);
    auto port = std::make_unique<LinkPort>(std::move(opened.line), timing_);
    try {
        reader.thread = std::thread(
            [this, kind, p = std::move(port), &sink]() mutable { runReader(kind, *p, sink); });
    } catch (const std::system_error&) {
        runFlagOf(kind).store(0);
        reader.finished.store(true);
        reader.recorded.store(false);
        return fail(sink, Refusal::ThreadFailed);
    }
    return {};
}

void DeviceLink::runReader(Kind kind, LinkPort& port, LinkSink& sink) {
    std::atomic<int>& running = runFlagOf(kind);
    ReaderOutcome outcome = ReaderOutcome::Normal;
    if (kind == Kind::Download)
        outcome = DownloadReader(port, sink, running).run();
    else
        outcome = LiveReader(port, sink, running, timing_.pieceMs).run();
    // The line is free before the user reads any message.
    port.close();
    running.store(0);
    if (outcome == ReaderOutcome::Error)
        sink.showMessage(Message{msg::kLinkFailed, {}});
    state_.portNumber.store(-1);
    state_.portInUse.store(false);
    state_.portRemoved.store(false);
    sink.linkStatus(0);
    readerOf(kind).finished.store(true);
}

bool DeviceLink::stopDownloadLink() {
    if (!download_.recorded.exchange(false))
        return false;
    state_.downloadRunning.store(0);
    return true;
}

bool DeviceLink::stopLiveLink() {
    if (!live_.recorded.exchange(false))
        return false;
    state_.liveRunning.store(0);
    return true;
}

bool DeviceLink::onPortRemoved(const QString& devNode) {
    if (state_.portRemoved.load())
        return true;
    if (!state_.portInUse.load())
        return false;
    if (devNode != portPath_ && (portCanonical_.isEmpty() || devNode != portCanonical_))
        return false;
    state_.portRemoved.store(true);
    return true;
}

bool DeviceLink::waitForReaders(int timeoutMs) {
    if (!waitFor(download_.finished, timeoutMs) || !waitFor(live_.finished, timeoutMs))
        return false;
    for (Reader* r : {&download_, &live_}) {
        if (r->thread.joinable() && r->thread.get_id() != std::this_thread::get_id())
            r->thread.join();
    }
    return true;
}

} // namespace vantora
