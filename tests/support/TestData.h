#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

namespace vantora::test {

// A fresh data root with its two recording folders, removed after the test.
class TempDataRoot {
public:
    TempDataRoot() {
        QDir(dir_.path()).mkpath(QStringLiteral("SnapData"));
        QDir(dir_.path()).mkpath(QStringLiteral("ContinueData"));
    }
    QString path() const { return dir_.path(); }
    QString file(const QString& relative) const { return dir_.path() + u'/' + relative; }

private:
    QTemporaryDir dir_;
};

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Builds little-endian layouts field by field.
class ByteWriter {
public:
    ByteWriter& u8(uint8_t v) {
        bytes_.append(char(v));
        return *this;
    }
    ByteWriter& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    ByteWriter& i32(int32_t v) {
        return u16(uint16_t(uint32_t(v))).u16(uint16_t(uint32_t(v) >> 16));
    }
    // UTF-16LE text padded with zeros to widthBytes.
    ByteWriter& text(const QString& s, int widthBytes) {
        const qsizetype start = bytes_.size();
        for (QChar c : s)
            u16(c.unicode());
        bytes_.append(QByteArray(widthBytes - (bytes_.size() - start), '\0'));
        return *this;
    }
    ByteWriter& zeros(int n) {
        bytes_.append(QByteArray(n, '\0'));
        return *this;
    }
    ByteWriter& raw(const QByteArray& b) {
        bytes_.append(b);
        return *this;
    }
    const QByteArray& bytes() const { return bytes_; }
    qsizetype size() const { return bytes_.size(); }

private:
    QByteArray bytes_;
};

inline QString testDataDir() {
    return QStringLiteral(VANTORA_TEST_DATA_DIR);
}
inline QString binDir() {
    return QStringLiteral(VANTORA_BIN_DIR);
}

} // namespace vantora::test
