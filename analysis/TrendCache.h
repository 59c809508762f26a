#pragma once

#include "core/Result.h"
#include "records/RecordIndexEntry.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantora {

// A 64-bit digest of bytes (the public XXH64 algorithm, seed 0): fast enough
// to key every recording of a 48-hour store on each load.
uint64_t contentHash(const void* data, size_t len);

// What identifies a recording for the cache: its index entry as stored and a
// digest of its record. A recording added, removed or replaced changes one
// of them; a note, kept in its own file, changes neither.
struct TrendKey {
    std::array<uint8_t, RecordIndexEntry::kBytes> entry{};
    uint64_t recordHash = 0;
    friend bool operator==(const TrendKey&, const TrendKey&) = default;
};

// The library's answer for a whole recording, as the page would show it.
struct TrendResult {
    bool analysed = false;
    int32_t heartRate = -1;
    int32_t st = 0; // sample units; millimetres are computed where shown
    int32_t pr = 0;
    int32_t qrs = 0;
    int32_t qt = 0;
    int32_t qtc = -1;
    friend bool operator==(const TrendResult&, const TrendResult&) = default;
};

struct CachedTrendRecord {
    TrendKey key;
    TrendResult result;
    friend bool operator==(const CachedTrendRecord&, const CachedTrendRecord&) = default;
};

// A file as the kernel last saw it change. Any write moves the change time,
// and removal replaces the file (a new inode), so equal stamps mean an
// unchanged file unless it changed within the clock's tick after stamping;
// the cache guards that with `stampedAtNs` (see TrendBatch).
struct FileStamp {
    int64_t size = -1; // -1: no such file
    int64_t mtimeNs = 0;
    int64_t ctimeNs = 0;
    uint64_t inode = 0;
    static FileStamp of(const QString& path);
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The cache beside a Continuous store ("<id>-trend.dat"): the stamps of the
// store's two files when it was made, and one record per recording in store
// order.
//   0   4  "VTRC"        4  4  version
//   8  32  data stamp   40 32  index stamp (size, mtime ns, ctime ns, inode)
//  72   8  stampedAtNs  80  4  count
//  84  60 per record: entry 24, record hash 8, analysed 4, then heart rate,
//         ST, PR, QRS, QT, QTc (4 each)
//  end  8  XXH64 of every byte before it
// All little-endian. A file of another length, version or checksum is no
// cache at all: it is rebuilt, never trusted.
struct TrendCacheFile {
    FileStamp data;
    FileStamp index;
    int64_t stampedAtNs = 0;
    std::vector<CachedTrendRecord> records;
    friend bool operator==(const TrendCacheFile&, const TrendCacheFile&) = default;
};

QByteArray encodeTrendCache(const TrendCacheFile& cache);
std::optional<TrendCacheFile> decodeTrendCache(const QByteArray& bytes);
// Missing, unreadable or damaged: nullopt.
std::optional<TrendCacheFile> readTrendCache(const QString& path);
// Written whole or not at all (temporary file, sync, rename).
Result<> writeTrendCache(const QString& path, const TrendCacheFile& cache);

} // namespace vantora
