#include "tools/sim/PseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace vantora::sim {

bool PseudoTerminal::open() {
    close();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        close();
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        close();
        return false;
    }
    slavePath_ = QString::fromLocal8Bit(name);
    keepAlive_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (keepAlive_ < 0 || ::tcgetattr(keepAlive_, &tio) != 0) {
        close();
        return false;
    }
    // Raw from the start, or the line discipline would echo the recorder's
    // bytes back to it before the station has configured the port.
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B38400);
    ::cfsetospeed(&tio, B38400);
    ::tcsetattr(keepAlive_, TCSANOW, &tio);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

void PseudoTerminal::close() {
    if (keepAlive_ >= 0)
        ::close(keepAlive_);
    if (master_ >= 0)
        ::close(master_);
    keepAlive_ = -1;
    master_ = -1;
}

} // namespace vantora::sim
