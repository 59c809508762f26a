#pragma once

#include <QString>

namespace vantora::sim {

// A pseudo-terminal pair: the simulated recorder holds the master side, the
// station opens the slave path as its serial port. The slave is kept open
// here too, raw, so the line stays up between the station's links.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() { close(); }

    bool open();
    // Closes both sides: the slave path disappears, like an unplugged bridge.
    void close();

    int masterFd() const { return master_; }
    const QString& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int keepAlive_ = -1;
    QString slavePath_;
};

} // namespace vantora::sim
