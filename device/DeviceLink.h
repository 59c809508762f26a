#pragma once

#include "core/Result.h"
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
// linkStatus(0). An open that starts no reader fails with 61282 when no port
// was found (the sink has shown it) and 61330 otherwise; openFailure() says why.
class DeviceLink {
public:
    // Why an open started no reader. The numbers are the ones the command
    // line prints ("link error N") when the recorder said nothing.
    enum class Refusal {
        StaleReader = 0,  // an earlier reader did not end in time
        NoPort = -1,      // message 61282 was shown
        OpenFailed = -2,  // missing, busy or not permitted
        SetupFailed = -3, // the line refused 38400 8N1
        ThreadFailed = -5,
    };

    struct OpenedLine {
        std::unique_ptr<SerialLine> line;      // set when opened and configured
        Refusal refusal = Refusal::OpenFailed; // OpenFailed or SetupFailed without a line
        int error = 0;                         // errno of a failed open
    };
    // The last open that started no reader: why, and the port and errno of
    // one that could not be opened or set up.
    struct OpenFailure {
        Refusal why = Refusal::StaleReader;
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
    Result<> openDownloadLink(LinkSink& sink);
    Result<> openLiveLink(LinkSink& sink);
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

    Result<> open(Kind kind, LinkSink& sink);
    Result<> fail(LinkSink& sink, Refusal why);
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
