#pragma once

#include <cstdint>

namespace vantora {

// The byte line to the recorder: 38400 baud, 8 data bits, no parity, one
// stop bit. Every protocol step is written against this interface so the
// same code runs over a real port and over an in-memory line. A line is used
// by one thread at a time: the reader owns it for the life of a link.
class SerialLine {
public:
    virtual ~SerialLine() = default;

    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // Bytes waiting in the input queue; -1 when the line has failed (port gone).
    virtual int bytesWaiting() = 0;
    // Reads up to max bytes that are already waiting; returns the count (0 when
    // none), or -1 when the line has failed.
    virtual int read(uint8_t* data, int max) = 0;
    // Queues n bytes for sending; returns the count accepted, -1 on failure.
    virtual int write(const uint8_t* data, int n) = 0;
    // Discards everything not yet sent and everything received but not read.
    virtual void purge() = 0;
    // Waits until at least one byte waits or timeoutMs pass; false on time-out
    // or when the line has failed.
    virtual bool waitForInput(int timeoutMs) = 0;
    // Waits until everything written has left the line; false on time-out.
    virtual bool drain(int timeoutMs) = 0;
};

} // namespace vantora
