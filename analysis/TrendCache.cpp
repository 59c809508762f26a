// The trend cache file: encoding, decoding with every length and the
// checksum checked, and the content digest that keys its records.
// TrendCacheTest damages the file in many ways and changes the store by
// import, delete and export.
#include "analysis/TrendCache.h"

#include "records/SafeFileWriter.h"

#include <QFile>
#include <QtEndian>

#include <bit>
#include <cstring>
#include <sys/stat.h>

namespace vantora {

namespace {

constexpr char kMagic[4] = {'V', 'T', 'R', 'C'};
constexpr uint32_t kVersion = 1;
constexpr int kStampBytes = 32;
constexpr int kHeaderBytes = 84;
constexpr int kRecordBytes = RecordIndexEntry::kBytes + 8 + 4 + 6 * 4; // 60
constexpr int kChecksumBytes = 8;

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

uint64_t read64(const uint8_t* p) {
    return qFromLittleEndian<uint64_t>(p);
}

uint64_t round64(uint64_t acc, uint64_t input) {
    acc += input * kPrime2;
    return std::rotl(acc, 31) * kPrime1;
}

uint64_t merge64(uint64_t acc, uint64_t lane) {
    acc ^= round64(0, lane);
    return acc * kPrime1 + kPrime4;
}

// Appends little-endian values; the decoder reads them back in order.
class Writer {
public:
    explicit Writer(int reserve) { bytes_.reserve(reserve); }
    template <typename T> void put(T value) {
        char raw[sizeof(T)];
        qToLittleEndian(value, raw);
        bytes_.append(raw, sizeof(T));
    }
    void putBytes(const void* p, int len) { bytes_.append(static_cast<const char*>(p), len); }
    void putStamp(const FileStamp& s) {
        put<int64_t>(s.size);
        put<int64_t>(s.mtimeNs);
        put<int64_t>(s.ctimeNs);
        put<uint64_t>(s.inode);
    }
    QByteArray& bytes() { return bytes_; }

private:
    QByteArray bytes_;
};

class Reader {
public:
    explicit Reader(const uint8_t* p) : p_(p) {}
    template <typename T> T get() {
        const T v = qFromLittleEndian<T>(p_);
        p_ += sizeof(T);
        return v;
    }
    void getBytes(void* out, size_t len) {
        std::memcpy(out, p_, len);
        p_ += len;
    }
    FileStamp getStamp() {
        FileStamp s;
        s.size = get<int64_t>();
        s.mtimeNs = get<int64_t>();
        s.ctimeNs = get<int64_t>();
        s.inode = get<uint64_t>();
        return s;
    }

private:
    const uint8_t* p_;
};

void putRecord(Writer& w, const CachedTrendRecord& r) {
    w.putBytes(r.key.entry.data(), int(r.key.entry.size()));
    w.put<uint64_t>(r.key.recordHash);
    w.put<uint32_t>(r.result.analysed ? 1 : 0);
    for (int32_t v :
         {r.result.heartRate, r.result.st, r.result.pr, r.result.qrs, r.result.qt, r.result.qtc})
        w.put<int32_t>(v);
}

std::optional<CachedTrendRecord> getRecord(Reader& in) {
    CachedTrendRecord r;
    in.getBytes(r.key.entry.data(), r.key.entry.size());
    r.key.recordHash = in.get<uint64_t>();
    const uint32_t analysed = in.get<uint32_t>();
    if (analysed > 1)
        return std::nullopt;
    r.result.analysed = analysed == 1;
    for (int32_t* v : {&r.result.heartRate, &r.result.st, &r.result.pr, &r.result.qrs, &r.result.qt,
                       &r.result.qtc})
        *v = in.get<int32_t>();
    return r;
}

int64_t nanoseconds(const struct timespec& t) {
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

} // namespace

uint64_t contentHash(const void* data, size_t len) {
    const auto* p = static_cast<const uint8_t*>(data);
    const uint8_t* const end = p + len;
    uint64_t h;
    if (len >= 32) {
        uint64_t v[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
        for (; p + 32 <= end; p += 32)
            for (int lane = 0; lane < 4; ++lane)
                v[lane] = round64(v[lane], read64(p + 8 * lane));
        h = std::rotl(v[0], 1) + std::rotl(v[1], 7) + std::rotl(v[2], 12) + std::rotl(v[3], 18);
        for (uint64_t lane : v)
            h = merge64(h, lane);
    } else {
        h = kPrime5;
    }
    h += len;
    for (; p + 8 <= end; p += 8)
        h = std::rotl(h ^ round64(0, read64(p)), 27) * kPrime1 + kPrime4;
    if (p + 4 <= end) {
        h = std::rotl(h ^ (uint64_t(qFromLittleEndian<uint32_t>(p)) * kPrime1), 23) * kPrime2 +
            kPrime3;
        p += 4;
    }
    for (; p < end; ++p)
        h = std::rotl(h ^ (*p * kPrime5), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    return h ^ (h >> 32);
}

FileStamp FileStamp::of(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {int64_t(st.st_size), nanoseconds(st.st_mtim), nanoseconds(st.st_ctim),
            uint64_t(st.st_ino)};
}

QByteArray encodeTrendCache(const TrendCacheFile& cache) {
    const int n = int(cache.records.size());
    Writer w(kHeaderBytes + n * kRecordBytes + kChecksumBytes);
    w.putBytes(kMagic, 4);
    w.put<uint32_t>(kVersion);
    w.putStamp(cache.data);
    w.putStamp(cache.index);
    w.put<int64_t>(cache.stampedAtNs);
    w.put<uint32_t>(uint32_t(n));
    for (const CachedTrendRecord& r : cache.records)
        putRecord(w, r);
    w.put<uint64_t>(contentHash(w.bytes().constData(), size_t(w.bytes().size())));
    return w.bytes();
}

std::optional<TrendCacheFile> decodeTrendCache(const QByteArray& bytes) {
    if (bytes.size() < kHeaderBytes + kChecksumBytes || std::memcmp(bytes.constData(), kMagic, 4))
        return std::nullopt;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
    const qsizetype body = bytes.size() - kChecksumBytes;
    if (qFromLittleEndian<uint64_t>(p + body) != contentHash(p, size_t(body)))
        return std::nullopt;
    Reader in(p + 4);
    if (in.get<uint32_t>() != kVersion)
        return std::nullopt;
    TrendCacheFile cache;
    cache.data = in.getStamp();
    cache.index = in.getStamp();
    cache.stampedAtNs = in.get<int64_t>();
    const uint32_t n = in.get<uint32_t>();
    static_assert(kHeaderBytes == 8 + 2 * kStampBytes + 8 + 4);
    if (qsizetype(n) != (body - kHeaderBytes) / kRecordBytes ||
        kHeaderBytes + qsizetype(n) * kRecordBytes != body)
        return std::nullopt;
    cache.records.reserve(n);
    for (uint32_t k = 0; k < n; ++k) {
        auto r = getRecord(in);
        if (!r)
            return std::nullopt;
        cache.records.push_back(*r);
    }
    return cache;
}

std::optional<TrendCacheFile> readTrendCache(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decodeTrendCache(file.readAll());
}

Result<> writeTrendCache(const QString& path, const TrendCacheFile& cache) {
    return writeWholeFile(path, encodeTrendCache(cache));
}

} // namespace vantora
