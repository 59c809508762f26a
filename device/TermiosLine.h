#pragma once

#include "device/SerialLine.h"

#include <QString>

namespace vantora {

// SerialLine over a POSIX tty (a USB serial bridge, or a pseudo-terminal of
// the simulated recorder). Opened exclusively and non-blocking; configured raw
// at 38400 baud, 8N1, no flow control.
class TermiosLine : public SerialLine {
public:
    TermiosLine() = default;
    TermiosLine(const TermiosLine&) = delete;
    TermiosLine& operator=(const TermiosLine&) = delete;
    ~TermiosLine() override { close(); }

    // Opens the device for reading and writing; false when it cannot be opened
    // (missing, busy, no permission).
    bool open(const QString& path);
    // 38400 8N1 raw, queues purged. False when the device refuses the settings.
    bool configure();

    bool isOpen() const override { return fd_ >= 0; }
    void close() override;
    int bytesWaiting() override;
    int read(uint8_t* data, int max) override;
    int write(const uint8_t* data, int n) override;
    void purge() override;
    bool waitForInput(int timeoutMs) override;
    bool drain(int timeoutMs) override;

    int fd() const { return fd_; }
    // errno of the last failed open(): ENOENT, EACCES, EBUSY, ENOTTY...
    int openError() const { return openError_; }

private:
    int fd_ = -1;
    int openError_ = 0;
    bool failed_ = false;
};

} // namespace vantora
