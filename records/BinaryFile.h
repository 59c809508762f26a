#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>

namespace vantora {

// One fixed-layout data file, opened for one operation: absolute seeks,
// little-endian integers, whole-record reads and writes that report short
// transfers. Every file of the record store goes through this class, which is
// also where tests inject write failures.
class BinaryFile {
public:
    enum class Mode {
        Read,         // "rb"
        ReadWrite,    // "rb+": the file must exist
        OpenOrCreate, // "rb+", or "wb+" when the file does not exist
        Truncate,     // "wb+"
    };

    BinaryFile() = default;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    ~BinaryFile() { close(); }

    bool open(const QString& path, Mode mode);
    bool isOpen() const { return file_.isOpen(); }
    QString path() const { return file_.fileName(); }
    qint64 size() const { return file_.size(); }

    // True only when all len bytes were transferred at offset.
    bool readAt(qint64 offset, void* data, qint64 len);
    bool writeAt(qint64 offset, const void* data, qint64 len);
    std::optional<int32_t> readInt32At(qint64 offset);
    bool writeInt32At(qint64 offset, int32_t value);
    bool flush();
    // Flushes and puts the file's data on the disk (fdatasync): what is
    // written before a sync survives a power cut that follows it.
    bool sync();
    void close();

    // Test hook: after `bytes` more bytes have been written by any BinaryFile,
    // writes fail (the write that crosses the limit is cut short there). A
    // negative value lifts the fault.
    static void failWritesAfter(qint64 bytes);
    // The part of a `len`-byte write that the limit above lets through
    // (all of it when no limit is set); other writers of files share it.
    static qint64 takeWriteBudget(qint64 len);

    // Benchmarks turn syncing off to fill stores quickly and to measure what
    // it costs; sync() then only flushes. On by default.
    static void setSyncing(bool on);

    // Test seam: the k-th write, sync or rename from now (0-based, counted
    // over all three) fails, or stops the process as a kill would. A negative
    // k lifts it. operationsSeen() counts the steps taken so far, so a test
    // can learn how many steps an operation has and walk k over all of them.
    enum class Fault { Fail, Stop };
    static void injectAt(int k, Fault fault = Fault::Fail);
    static int operationsSeen();
    // True when the step about to be taken is the injected one (and stops
    // the process for Fault::Stop). Called by each write, sync and rename.
    static bool faultNow();

private:
    QFile file_;
};

// Renames `from` to `to`, replacing `to`, and syncs the folder of `to` so
// that the new name survives a power cut.
bool replaceFile(const QString& from, const QString& to);
// Puts a folder's entries (new names, removals) on the disk.
bool syncFolder(const QString& folder);

// Little-endian fields inside a record buffer.
inline void putLE16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
inline uint16_t getLE16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t getLE32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// UTF-16LE text of a fixed-width field, ending at the first 16-bit zero or at
// the end of the field.
QString readUtf16Field(const uint8_t* field, int widthBytes);
// Writes text as UTF-16LE with a terminating zero, cut to fit the field at a
// whole character; the rest of the field is cleared.
void writeUtf16Field(uint8_t* field, int widthBytes, const QString& text);
// Number of characters before the terminator, or widthBytes/2 when the field
// holds none (a damaged field).
int utf16FieldLength(const uint8_t* field, int widthBytes);

} // namespace vantora
