#pragma once

#include "core/RecordingMode.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <cstdint>
#include <vector>

namespace vantora::fuzz {

// The station's data root for one fuzzing process: a folder of its own
// (under $VANTORA_FUZZ_TMP, else /dev/shm when the machine has it, else the
// temporary folder),
// emptied before every input and removed at exit. Targets write their input
// there and call the real readers; a fence beside the root proves that
// nothing was written or removed outside it.
class FuzzRoot {
public:
    static FuzzRoot& instance();

    QString path() const { return root_; }
    QString file(const QString& relative) const { return root_ + u'/' + relative; }
    // Empties the root and recreates its two recording folders.
    void reset();
    // Writes a file at a path inside the root (paths::... or file()).
    void write(const QString& path, const QByteArray& bytes) const;
    // Every file under the root with its bytes, to compare a state before and
    // after an operation that must leave it as it was.
    QMap<QString, QByteArray> snapshot() const;
    // Aborts, naming the files that differ, unless the root is as `before`.
    void requireUnchanged(const QMap<QString, QByteArray>& before, const char* what) const;
    // Aborts (a finding) when anything beside the root changed.
    void checkFence() const;

private:
    FuzzRoot();
    ~FuzzRoot();
    QString base_;
    QString root_;
};

// An input made of parts: each a 32-bit little-endian length and that many
// bytes, cut short at the end of the input. Targets read the files they write
// this way; the seed generator packs them with pack().
class Parts {
public:
    Parts(const uint8_t* data, size_t size) : data_(data), left_(size) {}
    uint8_t byte();
    QByteArray next();
    bool atEnd() const { return left_ == 0; }

private:
    const uint8_t* data_;
    size_t left_;
};
QByteArray pack(const std::vector<QByteArray>& parts);

// How every file target starts: the root emptied, the input's first byte
// (its lowest bit picks the store: 1 Continuous, 0 Snap) and its parts.
struct Input {
    uint8_t op;
    RecordingMode mode;
    Parts parts;
};
Input begin(const uint8_t* data, size_t size);

// Aborts with a message when a property the station promises does not hold,
// so that libFuzzer keeps the input as a crash.
void require(bool holds, const char* what);

} // namespace vantora::fuzz
