#pragma once

// A small tmpfs of a test's own (mounting needs root), and a filler file that
// leaves a chosen number of bytes free on it: a real full file system.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace vantora::test {

class SmallFileSystem {
public:
    explicit SmallFileSystem(const QString& dir) : dir_(QFile::encodeName(dir)) {
        if (::geteuid() != 0)
            error_ = "mounting a tmpfs needs root";
        else if (::mount("tmpfs", dir_.constData(), "tmpfs", 0, "size=2m") != 0)
            error_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
    }
    ~SmallFileSystem() {
        if (error_.empty())
            ::umount2(dir_.constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    // Why there is none; empty when it is mounted.
    const std::string& error() const { return error_; }

private:
    QByteArray dir_;
    std::string error_;
};

// Fills the file system of `path` with that file until `free` bytes are left.
inline bool fillDisk(const QString& path, qint64 free) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const QByteArray block(4096, 'x');
    qint64 size = 0;
    while (::write(fd, block.constData(), size_t(block.size())) == block.size())
        size += block.size();
    const bool ok = ::ftruncate(fd, std::max<qint64>(0, size - free)) == 0;
    ::close(fd);
    return ok;
}

} // namespace vantora::test
