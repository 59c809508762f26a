#include "records/BinaryFile.h"

#include <QFileInfo>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace vantora {

namespace {
std::atomic<qint64> g_writeBudget{-1}; // bytes left before injected failure; -1 = none
std::atomic<int> g_faultAt{-1};        // step that fails; -1 = none
std::atomic<int> g_steps{0};           // writes, syncs and renames since injectAt()
std::atomic<bool> g_faultStops{false};
std::atomic<bool> g_syncing{true};
} // namespace

void BinaryFile::setSyncing(bool on) {
    g_syncing = on;
}

void BinaryFile::injectAt(int k, Fault fault) {
    g_steps = 0;
    g_faultStops = fault == Fault::Stop;
    g_faultAt = k;
}

int BinaryFile::operationsSeen() {
    return g_steps.load();
}

bool BinaryFile::faultNow() {
    const int step = g_steps++;
    if (g_faultAt.load() < 0 || step != g_faultAt.load())
        return false;
    if (g_faultStops.load())
        std::_Exit(137); // as a kill: no flushing, no destructors
    return true;
}

void BinaryFile::failWritesAfter(qint64 bytes) {
    g_writeBudget = bytes < 0 ? -1 : bytes;
}

qint64 BinaryFile::takeWriteBudget(qint64 len) {
    const qint64 budget = g_writeBudget.load();
    if (budget < 0)
        return len;
    const qint64 allowed = std::min(len, budget);
    g_writeBudget = budget - allowed;
    return allowed;
}

bool BinaryFile::open(const QString& path, Mode mode) {
    close();
    file_.setFileName(path);
    switch (mode) {
    case Mode::Read:
        return file_.open(QIODevice::ReadOnly);
    case Mode::ReadWrite:
        return file_.exists() && file_.open(QIODevice::ReadWrite);
    case Mode::OpenOrCreate:
        return file_.open(QIODevice::ReadWrite);
    case Mode::Truncate:
        return file_.open(QIODevice::ReadWrite | QIODevice::Truncate);
    }
    return false;
}

bool BinaryFile::readAt(qint64 offset, void* data, qint64 len) {
    if (!file_.isOpen() || offset < 0 || len < 0 || !file_.seek(offset))
        return false;
    return file_.read(static_cast<char*>(data), len) == len;
}

bool BinaryFile::writeAt(qint64 offset, const void* data, qint64 len) {
    if (!file_.isOpen() || offset < 0 || len < 0 || !file_.seek(offset))
        return false;
    if (faultNow())
        return false;
    const qint64 allowed = takeWriteBudget(len);
    if (file_.write(static_cast<const char*>(data), allowed) != allowed)
        return false;
    return allowed == len;
}

std::optional<int32_t> BinaryFile::readInt32At(qint64 offset) {
    uint8_t b[4];
    if (!readAt(offset, b, 4))
        return std::nullopt;
    return int32_t(getLE32(b));
}

bool BinaryFile::writeInt32At(qint64 offset, int32_t value) {
    uint8_t b[4];
    putLE32(b, uint32_t(value));
    return writeAt(offset, b, 4);
}

bool BinaryFile::flush() {
    return file_.isOpen() && file_.flush();
}

bool BinaryFile::sync() {
    if (!file_.isOpen() || !file_.flush() || faultNow())
        return false;
    return !g_syncing.load() || ::fdatasync(file_.handle()) == 0;
}

void BinaryFile::close() {
    if (file_.isOpen())
        file_.close();
}

bool replaceFile(const QString& from, const QString& to) {
    if (BinaryFile::faultNow())
        return false;
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdString()),
                            std::filesystem::path(to.toStdString()), error);
    return !error && syncFolder(QFileInfo(to).absolutePath());
}

bool syncFolder(const QString& folder) {
    if (!g_syncing.load())
        return true;
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

QString readUtf16Field(const uint8_t* field, int widthBytes) {
    const int n = utf16FieldLength(field, widthBytes);
    QString s(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        s[i] = QChar(getLE16(field + 2 * i));
    return s;
}

void writeUtf16Field(uint8_t* field, int widthBytes, const QString& text) {
    const int capacity = widthBytes / 2 - 1;
    int n = std::min<int>(capacity, int(text.size()));
    // A cut never splits a surrogate pair.
    if (n > 0 && n < text.size() && text[n - 1].isHighSurrogate())
        --n;
    std::fill(field, field + widthBytes, uint8_t(0));
    for (int i = 0; i < n; ++i)
        putLE16(field + 2 * i, text[i].unicode());
}

int utf16FieldLength(const uint8_t* field, int widthBytes) {
    const int chars = widthBytes / 2;
    for (int i = 0; i < chars; ++i)
        if (getLE16(field + 2 * i) == 0)
            return i;
    return chars;
}

} // namespace vantora
