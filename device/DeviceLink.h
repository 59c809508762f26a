#pragma once

#include "device/LinkPort.h"
#include "device/LinkSink.h"
#include "device/LinkState.h"
#include "device/ReaderOutcome.h"
#include "device/SerialLine.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace vantora {

// Opens and stops the two kinds of link to the recorder and runs each on its
// own reader thread. Open and stop are called from one controlling thread
// (the user-interface thread); stop may also be called from inside a sink
// call. Every link end, and every failed open, is reported to the sink with
// linkStatus(0).
class DeviceLink {
public:
    enum Result {
        kStarted = 1,
        kStaleReader = 0,  // an earlier reader did not end in time
        kNoPort = -1,      // message 61282 was shown
        kOpenFailed = -2,  // missing, busy or not permitted
        kSetupFailed = -3, // the line refused 38400 8N1
        kThreadFailed = -5,
    };

    struct OpenedLine {
        std::unique_ptr<SerialLine> line; // set when opened and configured
        int result = kStarted;            // kOpenFailed or kSetupFailed otherwise
        int error = 0;                    // errno of a failed open
    };
    // The port of the last open that failed with kOpenFailed, and why.
    struct OpenFailure {
        QString port;
        int error = 0;
    };
    const OpenFailure& openFailure() const { return openFailure_; }
    using PortFinder = std::function<std::optional<QString>()>;
    using LineOpener = std::function<OpenedLine(const QString& path)>;

    // The real port: the termios line, opened without sharing.
    static OpenedLine openTermiosLine(const QString& path);

    explicit DeviceLink(PortFinder finder, LineOpener opener = openTermiosLine,
                        LinkTiming timing = {});
    ~DeviceLink(); // stops both readers and waits for them
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // The sink must outlive the link it is given to.
    int openDownloadLink(LinkSink& sink);
    int openLiveLink(LinkSink& sink);
    // True when a reader of that kind was recorded; it ends at its next check.
    bool stopDownloadLink();
    bool stopLiveLink();
    // A port was removed (udev "remove"); true when the frame shall refresh.
    bool onPortRemoved(const QString& devNode);
    // Waits until no reader runs; false when one still runs after timeoutMs.
    bool waitForReaders(int timeoutMs);

    const LinkState& state() const { return state_; }

private:
    enum class Kind { Download, Live };
    struct Reader {
        std::thread thread;
        std::atomic<bool> recorded{false};
        std::atomic<bool> finished{true};
    };

    int open(Kind kind, LinkSink& sink);
    int fail(LinkSink& sink, int code);
    bool releaseReader(Reader& reader, std::atomic<int>& running, int timeoutMs);
    void sendHello(SerialLine& line);
    void runReader(Kind kind, LinkPort& port, LinkSink& sink);
    Reader& readerOf(Kind kind) { return kind == Kind::Download ? download_ : live_; }
    std::atomic<int>& runFlagOf(Kind kind);

    PortFinder finder_;
    LineOpener opener_;
    LinkTiming timing_;
    LinkState state_;
    QString portPath_; // the device in use, as opened and as resolved
    QString portCanonical_;
    OpenFailure openFailure_;
    Reader download_;
    Reader live_;
};

} // namespace vantora
