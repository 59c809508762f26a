// The trend of a Continuous store against the analysis page's own run of each
// recording, and the cache beside the store: what changes of the store make
// it analyse again (only what changed), and that a damaged cache is rebuilt.
#include "analysis/TrendCache.h"
#include "analysis/ResultFields.h"
#include "analysis/TrendBatch.h"
#include "core/DataPaths.h"
#include "core/Prompter.h"
#include "core/StringIds.h"
#include "records/ChartFile.h"
#include "records/RecordingNotes.h"
#include "records/RecordingTime.h"
#include "records/StoreFixtures.h"
#include "render/AnalysisPageModel.h"

#include <QFileInfo>

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>

using namespace vantora;
using namespace vantora::test;

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kId = QStringLiteral("T1");

// Recordings the library meets in a day: rates from slow to fast, irregular,
// without P waves, ST up and down, inverted T, a flat line without beats and
// samples far outside the converter's range (clamped as the page clamps).
std::vector<AcqPacket> shapedSegment(int k) {
    EcgParameters p;
    p.seed = uint64_t(100 + k);
    p.noiseMv = 0.02;
    p.heartRateBpm = 45.0 + 13.0 * (k % 9);
    p.irregularity = (k % 4 == 1) ? 0.3 : 0.0;
    p.pAmplitudeMv = (k % 4 == 1) ? 0.0 : 0.15;
    p.stShiftMv = (k % 3 == 0) ? 0.0 : (k % 3 == 1 ? 0.25 : -0.2);
    p.invertedT = k % 5 == 2;
    std::vector<int32_t> samples = EcgGenerator(p).nextRecording();
    if (k % 11 == 7)
        std::fill(samples.begin(), samples.end(), kSampleBaseline);
    if (k % 11 == 9)
        for (size_t i = 0; i < samples.size(); i += 2)
            samples[i] = int32_t(i % 4 ? -70000 : 90000);
    return packetsOf(samples, int(p.heartRateBpm), k % 3);
}

struct Station {
    TempDataRoot root;
    RecordingStore store(const QString& id = kId) const {
        return RecordingStore(root.path(), RecordingMode::Continuous, id);
    }
    QString cachePath() const { return paths::continueTrendCache(root.path(), kId); }
    void append(int first, int n, const QString& id = kId) const {
        for (int k = first; k < first + n; ++k)
            ASSERT_TRUE(
                store(id).appendContinuous(shapedSegment(k), at(4, 10, k / 2, 30 * (k % 2))).ok());
    }
    Result<TrendSeries> load(TrendLoadStats* stats = nullptr, int threads = 0) const {
        return loadTrendWith({threads, stats}, root.path(), kId);
    }
    // A cache written as if well after the store last changed, so that the
    // next load may trust its stamps.
    void settleCache() const {
        auto cache = readTrendCache(cachePath());
        ASSERT_TRUE(cache);
        cache->stampedAtNs += 10'000'000'000;
        ASSERT_TRUE(writeTrendCache(cachePath(), *cache).ok());
    }
    // `held` recordings loaded once into a settled cache, `change`, and the
    // load that follows it.
    Result<TrendSeries> reloadAfter(int held, const std::function<void(Station&)>& change,
                                    TrendLoadStats& stats) {
        append(0, held);
        if (!load().ok())
            return Message{ids::kDamagedFile, QStringLiteral("first load")};
        settleCache();
        change(*this);
        return load(&stats);
    }
};

std::string joined(const ResultFieldTexts& texts) {
    return QStringList(texts.begin(), texts.end()).join(u'|').toStdString();
}

// The store as the analysis page shows it, recording by recording, with the
// library beside the program.
void expectThePagesResults(const Station& s, const TrendSeries& series, const char* what) {
    const RecordingStore store = s.store();
    const RecordingListing listing = store.listIndex();
    ASSERT_EQ(series.points.size(), listing.recordings.size()) << what;
    AnalysisPageModel page(binDir() + QStringLiteral("/libbeatscan.so"));
    for (const ListedRecording& r : listing.recordings) {
        const TrendPoint& p = series.points[size_t(r.number - 1)];
        page.showRecording(store.readSamples(r.number - 1).value());
        EXPECT_EQ(p.number, r.number) << what;
        EXPECT_EQ(p.analysed, page.analysisValid()) << what << " #" << r.number;
        EXPECT_EQ(joined(resultFieldTexts(p)), joined(page.fields())) << what << " #" << r.number;
        const RecordingSpan span = recordingSpan(RecordingMode::Continuous, r.entry);
        EXPECT_EQ(p.start, span.start) << what;
        EXPECT_EQ(p.end, span.end) << what;
        // The same wall times and offsets as every page shows.
        EXPECT_EQ(isoDateTimeText(p.start), isoDateTimeText(span.start)) << what << r.number;
        EXPECT_EQ(isoDateTimeText(p.end), isoDateTimeText(span.end)) << what << r.number;
        EXPECT_EQ(p.eventMask, r.entry.kind) << what;
        EXPECT_EQ(p.storedHeartRate, r.entry.heartRate) << what;
    }
}

void setFileTimes(const QString& path, const struct stat& before) {
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

} // namespace

TEST(TrendCache, EveryRecordingAsTheAnalysisPageShowsIt) {
    Station s;
    s.append(0, 22);
    TrendSeries first;
    for (const int threads : {1, 2}) {
        QFile::remove(s.cachePath());
        TrendLoadStats stats;
        const auto loaded = s.load(&stats, threads);
        ASSERT_TRUE(loaded.ok()) << threads;
        EXPECT_EQ(stats.analysed, 22);
        EXPECT_TRUE(stats.cacheWritten);
        expectThePagesResults(s, loaded.value(), threads == 1 ? "one thread" : "two threads");
        if (threads == 1)
            first = loaded.value();
        else
            EXPECT_EQ(loaded.value().points, first.points);
    }
    // Both kinds of recording the library cannot analyse are in the table.
    EXPECT_GE(std::count_if(first.points.begin(), first.points.end(),
                            [](const TrendPoint& p) { return !p.analysed; }),
              1);
    s.settleCache();
    TrendLoadStats stats;
    const auto cached = s.load(&stats);
    EXPECT_TRUE(stats.fromCache);
    EXPECT_EQ(cached.value().points, first.points);
}

// Each change of the store, after a load that left a settled cache: how many
// recordings are analysed again, and the trend still the page's.
TEST(TrendCache, ChangesOfTheStoreAnalyseOnlyWhatChanged) {
    constexpr int kHeld = 6;
    const struct Case {
        const char* what;
        std::function<void(Station&)> change;
        int analysed;
        bool fromCache;
        int points;
    } cases[] = {
        {"nothing", [](Station&) {}, 0, true, kHeld},
        {"a note written",
         [](Station& s) {
             const RecordIndexEntry e = s.store().readEntry(2).value();
             const RecordingSpan span = recordingSpan(RecordingMode::Continuous, e);
             ASSERT_TRUE(RecordingNotes(s.root.path(), RecordingMode::Continuous, kId)
                             .write(SystemTime::fromDateTime(span.start), QStringLiteral("ST?"))
                             .ok());
         },
         0, true, kHeld},
        {"a live segment appended", [](Station& s) { s.append(kHeld, 1); }, 1, false, kHeld + 1},
        {"recording 3 deleted", [](Station& s) { ASSERT_TRUE(s.store().remove(2).ok()); }, 0, false,
         kHeld - 1},
        {"recording 2 exported",
         [](Station& s) {
             FixedPrompter yes(true);
             const int position = registerPatient(s.root.path(), kId);
             const auto out = ChartFile(s.root.path(), RecordingMode::Continuous)
                                  .exportRecordings(position, 1, s.root.file("out.cEcg"), yes);
             ASSERT_EQ(out.exported, 1);
         },
         0, false, kHeld - 1},
        {"a chart of two new recordings imported",
         [](Station& s) {
             Station other;
             other.append(40, 2);
             FixedPrompter yes(true);
             const int position = registerPatient(other.root.path(), kId);
             const QString chart = s.root.file("in.cEcg");
             ASSERT_EQ(ChartFile(other.root.path(), RecordingMode::Continuous)
                           .exportRecordings(position, -1, chart, yes)
                           .exported,
                       2);
             registerPatient(s.root.path(), kId);
             ASSERT_EQ(ChartFile(s.root.path(), RecordingMode::Continuous)
                           .importChart(chart, yes, false)
                           .message,
                       Message{});
         },
         2, false, kHeld + 2},
        {"recording 4 replaced in place, its file time put back",
         [](Station& s) {
             const QString path = s.store().dataPath();
             struct stat before {};
             ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
             QByteArray bytes = readAll(path);
             const qsizetype at = kStoreHeaderBytes + 3 * kContinuousRecordBytes + 2 + 4 * 4000;
             bytes[at] = char(bytes[at] ^ 0x3F);
             ASSERT_TRUE(writeAll(path, bytes));
             setFileTimes(path, before);
         },
         1, false, kHeld},
        {"recording 5's entry given another time",
         [](Station& s) {
             const QString path = s.store().indexPath();
             QByteArray bytes = readAll(path);
             bytes[4 + 4 * RecordIndexEntry::kBytes + 2 + 10] = 23; // the minute
             ASSERT_TRUE(writeAll(path, bytes));
         },
         1, false, kHeld},
        {"the patient deleted, then registered again with two recordings",
         [](Station& s) {
             const int position = registerPatient(s.root.path(), kId);
             ASSERT_TRUE(PatientRegistry(s.root.path()).remove(position, nullptr).ok());
             EXPECT_FALSE(QFileInfo::exists(s.cachePath()));
             registerPatient(s.root.path(), kId);
             s.append(30, 2);
         },
         2, false, 2},
        {"both files copied over themselves",
         [](Station& s) {
             for (const QString& path : {s.store().dataPath(), s.store().indexPath()}) {
                 const QByteArray bytes = readAll(path);
                 ASSERT_TRUE(QFile::remove(path));
                 ASSERT_TRUE(writeAll(path, bytes));
             }
         },
         0, false, kHeld},
    };
    for (const Case& c : cases) {
        Station s;
        TrendLoadStats stats;
        const auto loaded = s.reloadAfter(kHeld, c.change, stats);
        ASSERT_TRUE(loaded.ok()) << c.what;
        EXPECT_EQ(stats.analysed, c.analysed) << c.what;
        EXPECT_EQ(stats.fromCache, c.fromCache) << c.what;
        EXPECT_EQ(loaded.value().points.size(), size_t(c.points)) << c.what;
        expectThePagesResults(s, loaded.value(), c.what);
    }
}

// A cache that is missing or damaged in any way is rebuilt from the store,
// every recording analysed again; none of its values is used.
TEST(TrendCache, DamagedOrMissingCacheIsRebuiltNeverTrusted) {
    constexpr int kHeld = 5;
    // Re-encodes a decoded cache after `edit`, so the checksum holds and only
    // the edited field is wrong.
    const auto edited = [](std::function<void(QByteArray&)> edit) {
        return [edit](Station& s) {
            QByteArray bytes = readAll(s.cachePath());
            edit(bytes);
            const qsizetype body = bytes.size() - 8;
            const uint64_t sum = contentHash(bytes.constData(), size_t(body));
            for (int b = 0; b < 8; ++b)
                bytes[body + b] = char(sum >> (8 * b));
            ASSERT_TRUE(writeAll(s.cachePath(), bytes));
        };
    };
    const auto damaged = [](std::function<void(QByteArray&)> edit) {
        return [edit](Station& s) {
            QByteArray bytes = readAll(s.cachePath());
            edit(bytes);
            ASSERT_TRUE(writeAll(s.cachePath(), bytes));
        };
    };
    const struct Case {
        const char* what;
        std::function<void(Station&)> damage;
        bool written = true;
    } cases[] = {
        {"missing", [](Station& s) { ASSERT_TRUE(QFile::remove(s.cachePath())); }},
        {"empty", damaged([](QByteArray& b) { b.clear(); })},
        {"one byte short", damaged([](QByteArray& b) { b.chop(1); })},
        {"one byte longer", damaged([](QByteArray& b) { b.append('\0'); })},
        {"a result's byte flipped", damaged([](QByteArray& b) { b[84 + 60 * 2 + 40] ^= 1; })},
        {"the checksum's byte flipped", damaged([](QByteArray& b) { b[b.size() - 1] ^= 0x80; })},
        {"another magic", edited([](QByteArray& b) { b[0] = 'X'; })},
        {"another version", edited([](QByteArray& b) { b[4] = 2; })},
        {"a count above what it holds", edited([](QByteArray& b) { b[80] = kHeld + 1; })},
        {"a count below what it holds", edited([](QByteArray& b) { b[80] = kHeld - 1; })},
        {"an analysed flag of 2", edited([](QByteArray& b) { b[84 + 60 + 32] = 2; })},
        {"another patient's cache",
         [](Station& s) {
             s.append(60, kHeld, QStringLiteral("T2"));
             ASSERT_TRUE(loadTrend(s.root.path(), QStringLiteral("T2")).ok());
             ASSERT_TRUE(QFile::remove(s.cachePath()));
             ASSERT_TRUE(QFile::copy(paths::continueTrendCache(s.root.path(), QStringLiteral("T2")),
                                     s.cachePath()));
         }},
        {"a folder in its place",
         [](Station& s) {
             ASSERT_TRUE(QFile::remove(s.cachePath()));
             ASSERT_TRUE(QDir().mkpath(s.cachePath() + QStringLiteral("/x")));
         },
         false},
    };
    for (const Case& c : cases) {
        Station s;
        TrendLoadStats stats;
        const auto loaded = s.reloadAfter(kHeld, c.damage, stats);
        ASSERT_TRUE(loaded.ok()) << c.what;
        EXPECT_EQ(stats.analysed, kHeld) << c.what;
        EXPECT_EQ(stats.cacheWritten, c.written) << c.what;
        expectThePagesResults(s, loaded.value(), c.what);
        if (c.written) {
            EXPECT_TRUE(decodeTrendCache(readAll(s.cachePath()))) << c.what;
        }
    }
}

TEST(TrendCache, ProgressCancelAndStoresItCannotRead) {
    Station s;
    s.append(0, 40);
    std::vector<TrendProgress> seen;
    std::atomic<bool> cancel{false};
    const auto cancelled = loadTrend(
        s.root.path(), kId,
        [&](TrendProgress p) {
            seen.push_back(p);
            cancel = true;
        },
        &cancel);
    EXPECT_EQ(cancelled.message().id, ids::kTrendAnalysisCancelled);
    EXPECT_FALSE(QFileInfo::exists(s.cachePath())) << "a cancelled load writes no cache";
    ASSERT_FALSE(seen.empty());
    EXPECT_LT(seen.back().done, 40);

    seen.clear();
    ASSERT_TRUE(loadTrend(s.root.path(), kId, [&](TrendProgress p) { seen.push_back(p); }).ok());
    ASSERT_FALSE(seen.empty());
    for (size_t k = 0; k < seen.size(); ++k) {
        EXPECT_EQ(seen[k].total, 40);
        EXPECT_GT(seen[k].done, k ? seen[k - 1].done : 0);
    }
    EXPECT_EQ(seen.back().done, 40);

    // No store: an empty trend, and no file made for it.
    const auto none = loadTrend(s.root.path(), QStringLiteral("T9"));
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none.value().points.empty());
    EXPECT_FALSE(QFileInfo::exists(paths::continueTrendCache(s.root.path(), QStringLiteral("T9"))));
    // A count the data file cannot hold, and an id that is no file name.
    writeCountedFile(s.store().dataPath(), 41, 0);
    EXPECT_EQ(loadTrend(s.root.path(), kId).message(),
              (Message{ids::kDamagedFile, s.store().dataPath()}));
    EXPECT_FALSE(loadTrend(s.root.path(), QStringLiteral("../T1")).ok());
}

// Segments ending around the clock changes of a zone with summer time,
// including local times that do not exist or exist twice: the spans are the
// page's, in instants and in the wall times shown.
TEST(TrendCache, TimesAcrossClockChanges) {
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    ::tzset();
    struct Stamp {
        int month, day, hour, minute, second, ms;
    };
    const Stamp stamps[] = {
        {3, 29, 1, 59, 50, 0},    {3, 29, 2, 0, 10, 0},    {3, 29, 2, 30, 0, 0},
        {3, 29, 3, 0, 10, 0},     {3, 29, 3, 0, 40, 0},    {3, 29, 3, 59, 59, 999},
        {10, 25, 1, 59, 50, 0},   {10, 25, 2, 0, 20, 0},   {10, 25, 2, 30, 0, 0},
        {10, 25, 2, 59, 59, 999}, {10, 25, 3, 0, 10, 0},   {10, 25, 3, 0, 40, 0},
        {10, 25, 12, 0, 15, 500}, {12, 31, 23, 59, 59, 0}, {1, 1, 0, 0, 5, 0},
    };
    Station s;
    int k = 0;
    for (const Stamp& t : stamps) {
        SystemTime at;
        at.year = t.month == 1 ? 2027 : 2026;
        at.month = uint16_t(t.month);
        at.day = uint16_t(t.day);
        at.hour = uint16_t(t.hour);
        at.minute = uint16_t(t.minute);
        at.second = uint16_t(t.second);
        at.milliseconds = uint16_t(t.ms);
        ASSERT_TRUE(s.store().appendContinuous(shapedSegment(k++), at).ok());
    }
    const auto loaded = s.load();
    ASSERT_TRUE(loaded.ok());
    expectThePagesResults(s, loaded.value(), "Europe/Berlin");
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    ::tzset();
}
