#include "records/BinaryFile.h"

#include <atomic>

namespace vantora {

namespace {
std::atomic<qint64> g_writeBudget{-1}; // bytes left before injected failure; -1 = none
}

void BinaryFile::failWritesAfter(qint64 bytes) {
    g_writeBudget = bytes < 0 ? -1 : bytes;
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
    qint64 allowed = len;
    const qint64 budget = g_writeBudget.load();
    if (budget >= 0) {
        allowed = std::min(len, budget);
        g_writeBudget = budget - allowed;
    }
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

void BinaryFile::close() {
    if (file_.isOpen())
        file_.close();
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
    const int n = std::min<int>(capacity, int(text.size()));
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
