// The trend of a whole Continuous store: every recording analysed over its
// whole 30 s as the analysis page does it (samples clamped, window 0..7499),
// results kept in a cache beside the store keyed by index entry and record
// digest. An unchanged store (same stamps, long enough ago) is read from the
// cache without touching the records; otherwise every record is read and
// digested, and only those the cache does not know are analysed. The work is
// shared by worker threads that take recordings in small batches.
// TrendCacheTest checks the results against the page's model and the cache's
// invalidation; TrendBench measures cold and cached loads.
#include "analysis/TrendBatch.h"

#include "analysis/TrendAnalyser.h"
#include "analysis/TrendCache.h"
#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "records/DataFolderLock.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"

#include <QDateTime>
#include <QFile>

#include <fcntl.h>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace vantora {

namespace {

// Stamps closer than this to a file's last change may miss a change made in
// the same clock tick; such a cache is verified record by record.
constexpr int64_t kSettledNs = 1'000'000'000; // 1 s
constexpr int kBatchRecordings = 16;          // also how often progress is told

struct KeyHash {
    size_t operator()(const TrendKey& k) const {
        return size_t(k.recordHash ^ contentHash(k.entry.data(), k.entry.size()));
    }
};
using KnownResults = std::unordered_map<TrendKey, TrendResult, KeyHash>;

// What the store held when it was read, under the folder's shared lock.
struct StoreSnapshot {
    FileStamp data;
    FileStamp index;
    int64_t stampedAtNs = 0;
    std::vector<RecordIndexEntry> entries; // those the data file counts, in order
};

Result<StoreSnapshot> readSnapshot(const QString& root, const QString& id) {
    const RecordingStore store(root, RecordingMode::Continuous, id);
    StoreSnapshot s;
    s.stampedAtNs = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    s.data = FileStamp::of(store.dataPath());
    s.index = FileStamp::of(store.indexPath());
    const auto held = store.count();
    if (!held)
        return held.message();
    RecordingListing listing = store.listIndex();
    if (!listing.message.isNone())
        return listing.message;
    for (const ListedRecording& r : listing.recordings)
        if (r.number <= held.value())
            s.entries.push_back(r.entry);
    return s;
}

bool cacheCoversSnapshot(const std::optional<TrendCacheFile>& cache, const StoreSnapshot& s) {
    if (!cache || cache->data != s.data || cache->index != s.index ||
        cache->records.size() != s.entries.size())
        return false;
    if (cache->stampedAtNs - std::max(s.data.ctimeNs, s.index.ctimeNs) < kSettledNs)
        return false;
    for (size_t k = 0; k < s.entries.size(); ++k)
        if (cache->records[k].key.entry != s.entries[k].toBytes())
            return false;
    return true;
}

// Reads, digests and (when unknown) analyses every record on the workers.
class BatchRun {
public:
    BatchRun(const StoreSnapshot& s, const KnownResults& known, TrendAnalyser& analyser,
             const std::function<void(TrendProgress)>& progress, const std::atomic<bool>* cancel)
        : snapshot_(s), known_(known), analyser_(analyser), progress_(progress), cancel_(cancel),
          records_(s.entries.size()) {}

    Message run(const QString& dataPath) {
        fd_ = ::open(QFile::encodeName(dataPath).constData(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0 && !records_.empty())
            return {ids::kCannotOpen, dataPath};
        std::vector<std::thread> helpers;
        for (int t = 1; t < analyser_.threads(); ++t)
            helpers.emplace_back([this] { work(); });
        work();
        for (std::thread& t : helpers)
            t.join();
        if (fd_ >= 0)
            ::close(fd_);
        if (cancelled() && done_.load() < int(records_.size()))
            return {ids::kTrendAnalysisCancelled, {}};
        return failed_.load() ? Message{ids::kDamagedFile, dataPath} : Message{};
    }
    std::vector<CachedTrendRecord> take() { return std::move(records_); }
    int analysed() const { return analysed_.load(); }

private:
    bool cancelled() const { return cancel_ && cancel_->load(); }

    void work() {
        QByteArray record(kContinuousRecordBytes, Qt::Uninitialized);
        auto* bytes = reinterpret_cast<uint8_t*>(record.data());
        const int total = int(records_.size());
        for (int first; (first = next_.fetch_add(kBatchRecordings)) < total;) {
            for (int k = first; k < std::min(total, first + kBatchRecordings); ++k) {
                if (cancelled() || failed_.load())
                    return;
                const off_t at = kStoreHeaderBytes + off_t(k) * kContinuousRecordBytes;
                if (::pread(fd_, bytes, kContinuousRecordBytes, at) != kContinuousRecordBytes) {
                    failed_ = true;
                    return;
                }
                records_[size_t(k)] = keyed(k, bytes);
            }
            report(std::min(kBatchRecordings, total - first));
        }
    }

    CachedTrendRecord keyed(int k, const uint8_t* bytes) {
        CachedTrendRecord r;
        r.key.entry = snapshot_.entries[size_t(k)].toBytes();
        r.key.recordHash = contentHash(bytes, kContinuousRecordBytes);
        if (const auto it = known_.find(r.key); it != known_.end()) {
            r.result = it->second;
        } else {
            const std::vector<int32_t> samples = continuousSamples(bytes + 2);
            r.result = analyser_.analyse(samples.data());
            ++analysed_;
        }
        return r;
    }

    void report(int finished) {
        const int done = done_.fetch_add(finished) + finished;
        if (!progress_)
            return;
        const std::lock_guard hold(progressMutex_);
        // Told in order: a worker that finished later may get here first.
        if (done > told_) {
            told_ = done;
            progress_({done, int(records_.size())});
        }
    }

    const StoreSnapshot& snapshot_;
    const KnownResults& known_;
    TrendAnalyser& analyser_;
    const std::function<void(TrendProgress)>& progress_;
    const std::atomic<bool>* cancel_;
    std::vector<CachedTrendRecord> records_;
    int fd_ = -1;
    std::atomic<int> next_{0};
    std::atomic<int> done_{0};
    std::atomic<int> analysed_{0};
    std::atomic<bool> failed_{false};
    std::mutex progressMutex_;
    int told_ = 0; // under progressMutex_
};

// The spans of many entries. A local time's offset from UTC is the same over
// a whole hour except where the clocks change, and asking the system for it
// costs microseconds (file lookups of the zone), so each hour's offset is
// asked once; an hour with a change, or a segment that starts in one, goes
// the full way. The instants, and the wall times shown, are the same.
class SpanMaker {
public:
    RecordingSpan span(const RecordIndexEntry& e) {
        const SystemTime& t = e.time;
        const QDate date(t.year, t.month, t.day);
        const QTime time(t.hour, t.minute, t.second, t.milliseconds);
        if (!date.isValid() || !time.isValid())
            return recordingSpan(RecordingMode::Continuous, e);
        const int64_t hour = date.toJulianDay() * 24 + t.hour;
        const auto offset = offsetOf(hour, date, t.hour);
        const bool startsBefore = QTime(t.hour, 0).secsTo(time) < kSecondsPerRecording;
        if (!offset || (startsBefore && offsetOf(hour - 1, date.addDays(t.hour ? 0 : -1),
                                                 (t.hour + 23) % 24) != offset))
            return recordingSpan(RecordingMode::Continuous, e);
        const QDateTime end(date, time, Qt::OffsetFromUTC, *offset);
        return {end.addSecs(-kSecondsPerRecording), end};
    }

private:
    std::optional<int> offsetOf(int64_t key, const QDate& date, int hour) {
        const auto [it, fresh] = hours_.try_emplace(key);
        if (fresh) {
            const QTime first(hour, 0);
            const QTime last(hour, 59, 59, 999);
            const QDateTime a(date, first);
            const QDateTime b(date, last);
            if (a.isValid() && b.isValid() && a.time() == first && b.time() == last &&
                a.offsetFromUtc() == b.offsetFromUtc())
                it->second = a.offsetFromUtc();
        }
        return it->second;
    }
    std::unordered_map<int64_t, std::optional<int>> hours_;
};

TrendSeries seriesOf(const QString& id, const StoreSnapshot& s,
                     const std::vector<CachedTrendRecord>& records) {
    TrendSeries series;
    series.patientId = id;
    series.points.reserve(records.size());
    SpanMaker spans;
    for (size_t k = 0; k < records.size(); ++k) {
        const RecordIndexEntry& entry = s.entries[k];
        const TrendResult& r = records[k].result;
        TrendPoint p;
        p.number = int(k) + 1;
        const RecordingSpan span = spans.span(entry);
        p.start = span.start;
        p.end = span.end;
        p.analysed = r.analysed;
        if (r.analysed) {
            ParameterBlock block{};
            block[kSlotST] = r.st;
            p.heartRate = r.heartRate;
            p.stMm = stMillimetres(block);
            p.pr = r.pr;
            p.qrs = r.qrs;
            p.qt = r.qt;
            p.qtc = r.qtc;
        }
        p.eventMask = entry.kind;
        p.storedHeartRate = entry.heartRate;
        series.points.push_back(p);
    }
    return series;
}

KnownResults knownResults(const std::optional<TrendCacheFile>& cache) {
    KnownResults known;
    if (cache)
        for (const CachedTrendRecord& r : cache->records)
            known.emplace(r.key, r.result);
    return known;
}

} // namespace

Result<TrendSeries> loadTrend(const QString& dataRoot, const QString& patientId,
                              const std::function<void(TrendProgress)>& progress,
                              const std::atomic<bool>* cancel) {
    return loadTrendWith(TrendOptions{}, dataRoot, patientId, progress, cancel);
}

Result<TrendSeries> loadTrendWith(const TrendOptions& options, const QString& dataRoot,
                                  const QString& patientId,
                                  const std::function<void(TrendProgress)>& progress,
                                  const std::atomic<bool>* cancel) {
    // Shared: writers wait until the records are read, and the stamps name
    // what was read.
    DataFolderLock lock = DataFolderLock::shared(dataRoot);
    if (!lock.message().isNone())
        return lock.message();
    auto snapshot = readSnapshot(dataRoot, patientId); // checks the id first
    if (!snapshot)
        return snapshot.message();
    const StoreSnapshot& s = snapshot.value();
    const int total = int(s.entries.size());
    const QString cachePath = paths::continueTrendCache(dataRoot, patientId);
    if (total == 0) {
        // Nothing to keep; readers never create files for an empty store.
        QFile::remove(cachePath);
        if (progress)
            progress({0, 0});
        return TrendSeries{patientId, {}};
    }
    std::optional<TrendCacheFile> cache = readTrendCache(cachePath);
    TrendLoadStats ignored;
    TrendLoadStats& stats = options.stats ? *options.stats : ignored;
    stats = {};
    if (cacheCoversSnapshot(cache, s)) {
        stats.fromCache = true;
        lock.release();
        if (progress)
            progress({total, total});
        return seriesOf(patientId, s, cache->records);
    }

    const auto analyser = TrendAnalyser::create(options);
    const KnownResults known = knownResults(cache);
    cache.reset();
    BatchRun batch(s, known, *analyser, progress, cancel);
    if (Message m = batch.run(paths::continueData(dataRoot, patientId)); !m.isNone())
        return m;
    lock.release();

    stats.analysed = batch.analysed();
    TrendCacheFile fresh{s.data, s.index, s.stampedAtNs, batch.take()};
    TrendSeries series = seriesOf(patientId, s, fresh.records);
    // A cache that cannot be written costs the next load its time, nothing else.
    stats.cacheWritten = writeTrendCache(cachePath, fresh).ok();
    return series;
}

} // namespace vantora
