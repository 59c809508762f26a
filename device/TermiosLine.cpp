#include "device/TermiosLine.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vantora {

namespace {

constexpr int kWriteTimeoutMs = 500;
constexpr auto kDrainPoll = std::chrono::milliseconds(2);

bool hungUp(short revents) {
    return (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

} // namespace

bool TermiosLine::open(const QString& path) {
    close();
    const QByteArray native = path.toLocal8Bit();
    fd_ = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        openError_ = errno;
        return false;
    }
    // No sharing: a second opener gets EBUSY while we hold the port.
    if (::isatty(fd_) == 0 || ::ioctl(fd_, TIOCEXCL) != 0) {
        openError_ = errno;
        close();
        return false;
    }
    failed_ = false;
    return true;
}

bool TermiosLine::configure() {
    termios tio{};
    if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~tcflag_t(PARENB | CSTOPB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B38400);
    ::cfsetospeed(&tio, B38400);
    const bool ok = ::tcsetattr(fd_, TCSANOW, &tio) == 0;
    purge();
    return ok;
}

void TermiosLine::close() {
    if (fd_ >= 0) {
        // Others holding the port open (the simulator does) would keep the
        // exclusive mode alive and lock the next link out.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    fd_ = -1;
}

int TermiosLine::bytesWaiting() {
    if (fd_ < 0 || failed_)
        return -1;
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0)
        return -1;
    if (n == 0) {
        // A vanished port reports nothing waiting; poll tells it apart.
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && hungUp(p.revents)) {
            failed_ = true;
            return -1;
        }
    }
    return n;
}

int TermiosLine::read(uint8_t* data, int max) {
    if (fd_ < 0 || failed_)
        return -1;
    const ssize_t n = ::read(fd_, data, size_t(max));
    if (n >= 0)
        return int(n);
    if (errno == EAGAIN || errno == EINTR)
        return 0;
    failed_ = true;
    return -1;
}

int TermiosLine::write(const uint8_t* data, int n) {
    if (fd_ < 0 || failed_)
        return -1;
    int done = 0;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    while (done < n) {
        const ssize_t k = ::write(fd_, data + done, size_t(n - done));
        if (k > 0) {
            done += int(k);
            continue;
        }
        if (k < 0 && errno != EAGAIN && errno != EINTR) {
            failed_ = true;
            return done > 0 ? done : -1;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 10);
    }
    return done;
}

void TermiosLine::purge() {
    if (fd_ >= 0)
        ::tcflush(fd_, TCIOFLUSH);
}

bool TermiosLine::waitForInput(int timeoutMs) {
    if (fd_ < 0 || failed_)
        return false;
    pollfd p{fd_, POLLIN, 0};
    const int r = ::poll(&p, 1, timeoutMs);
    if (r <= 0)
        return false;
    if (!hungUp(p.revents))
        return (p.revents & POLLIN) != 0;
    // Bytes that arrived before the port vanished are still handed out.
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) == 0 && n > 0)
        return true;
    failed_ = true;
    return false;
}

bool TermiosLine::drain(int timeoutMs) {
    if (fd_ < 0 || failed_)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int pending = 0;
        if (::ioctl(fd_, TIOCOUTQ, &pending) != 0 || pending <= 0)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kDrainPoll);
    }
}

} // namespace vantora
