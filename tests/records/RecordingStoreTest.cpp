#include "StoreFixtures.h"
#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "records/BinaryFile.h"
#include "records/RecordingTime.h"
#include "records/ReplayPageModel.h"

#include <QDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

namespace {

struct Store {
    TempDataRoot root;
    QString id = QStringLiteral("P7");
    RecordingStore snap{root.path(), RecordingMode::Snap, id};
    RecordingStore con{root.path(), RecordingMode::Continuous, id};
    QByteArray data(const RecordingStore& s) const { return readAll(s.dataPath()); }
    QByteArray index(const RecordingStore& s) const { return readAll(s.indexPath()); }
};

// Every counted entry can be listed and every counted record read.
void expectConsistent(const RecordingStore& s) {
    const auto n = s.count();
    ASSERT_TRUE(n.ok());
    const auto listing = s.listIndex();
    ASSERT_TRUE(listing.message.isNone());
    EXPECT_EQ(int(listing.recordings.size()), n.value());
    for (int k = 0; k < n.value(); ++k)
        EXPECT_TRUE(s.readSamples(k).ok()) << k;
}

} // namespace

TEST(RecordIndexEntryLayout, BytesFieldByField) {
    const SystemTime t{2026, 12, 2, 8, 23, 59, 58, 999};
    const QByteArray expected = entryBytes(t, 13, 72, 0x77, 0xEE, 1, 2);
    RecordIndexEntry e;
    e.marker = {0x77, 0xEE};
    e.time = t;
    e.kind = 13;
    e.heartRate = 72;
    e.extra = {1, 2};
    const auto bytes = e.toBytes();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(bytes.data()), 24), expected);
    EXPECT_EQ(RecordIndexEntry::fromBytes(reinterpret_cast<const uint8_t*>(expected.constData())),
              e);
    EXPECT_EQ(localDateTime(t), QDateTime(QDate(2026, 12, 8), QTime(23, 59, 58, 999)));
}

TEST(RecordIndexEntryLayout, RecordingTypeTable) {
    const std::pair<int, int> table[] = {{3, 1},   {4, 2},   {6, 3},  {7, 4},  {9, 5},
                                         {10, 6},  {11, 7},  {12, 8}, {14, 9}, {15, 10},
                                         {20, 11}, {21, 12}, {84, 13}};
    for (auto [type, code] : table)
        EXPECT_EQ(recordingTypeCode(type), code) << type;
    for (int other : {0, 1, 2, 5, 8, 13, 16, 22, 83, 85, 255, -3})
        EXPECT_EQ(recordingTypeCode(other), 0) << other;
}

TEST(RecordingStoreSnap, AppendWritesTheLayoutByteForByte) {
    Store s;
    SnapRecording r0 = snapRecording(1, at(2, 9, 30), 84, 72);
    r0.header.extra[0] = 0x11;
    SnapRecording r1 = snapRecording(2, at(2, 9, 45), 5, 640); // above 500: stored as 0
    const SnapRecording both[] = {r0, r1};
    const SnapAppendResult result = s.snap.appendSnap(both);
    EXPECT_TRUE(result.message.isNone());
    EXPECT_EQ(result.saved, 2);
    ByteWriter data;
    data.i32(2)
        .u8(0x55)
        .u8(0xAA)
        .raw(blockBytes(r0.blocks))
        .u8(0x55)
        .u8(0xAA)
        .raw(blockBytes(r1.blocks));
    EXPECT_EQ(s.data(s.snap), data.bytes());
    ByteWriter index;
    index.i32(2)
        .raw(entryBytes(at(2, 9, 30), 13, 72, 0x55, 0xAA, 0x11, 0))
        .raw(entryBytes(at(2, 9, 45), 0, 0));
    EXPECT_EQ(s.index(s.snap), index.bytes());
    const auto samples = s.snap.readSamples(1);
    ASSERT_TRUE(samples.ok());
    EXPECT_EQ(samples.value(), decodeSnapBlocks(r1.blocks));
}

TEST(RecordingStoreSnap, FirstRecordOverwritesTheQuickAddFiller) {
    Store s;
    writeAll(paths::snapData(s.root.path(), s.id),
             ByteWriter().i32(0).raw(patientRecord(s.id).encode()).bytes());
    const SnapRecording r = snapRecording(3, at(3, 10, 0));
    EXPECT_EQ(s.snap.appendSnap(std::span(&r, 1)).saved, 1);
    EXPECT_EQ(s.data(s.snap).size(), 4 + kSnapRecordBytes);
    expectConsistent(s.snap);
}

TEST(RecordingStoreSnap, CapacityIs5760) {
    Store s;
    writeCountedFile(s.snap.dataPath(), 5759, kSnapRecordBytes);
    writeCountedFile(s.snap.indexPath(), 5759, RecordIndexEntry::kBytes);
    const SnapRecording r[] = {snapRecording(4, at(4, 8, 0)), snapRecording(5, at(4, 8, 1))};
    const SnapAppendResult result = s.snap.appendSnap(r);
    EXPECT_EQ(result.saved, 1);
    EXPECT_EQ(result.message, (Message{ids::kStoreFull, s.id}));
    EXPECT_EQ(s.snap.count().value(), 5760);
    const QByteArray before = s.data(s.snap);
    EXPECT_EQ(s.snap.appendSnap(std::span(r, 1)).saved, 0);
    EXPECT_EQ(s.data(s.snap), before);
    EXPECT_EQ(s.snap.readEntry(5759).value().time, at(4, 8, 0));
}

TEST(RecordingStoreContinuous, AppendWritesSamplesAverageAndEventMask) {
    Store s;
    std::vector<AcqPacket> packets = segment(9, 80);
    packets[0].heartRate = 0;   // not counted
    packets[1].heartRate = 500; // not counted
    packets[2].heartRate = 499;
    packets[3].rhythmCode = 1;
    packets[4].rhythmCode = 3;
    packets[5].rhythmCode = 40;   // no bit in 16 bits
    AcqPacket extra = packets[6]; // beyond the 1875th: counts, but is not stored
    extra.heartRate = 200;
    extra.rhythmCode = 16;
    extra.samples[0] = 1000;
    packets.push_back(extra);
    ASSERT_TRUE(s.con.appendContinuous(packets, at(5, 12, 0, 30)).ok());
    const int64_t sum = 80 * (1875 - 3) + 499 + 200;
    ByteWriter index;
    index.i32(1).raw(entryBytes(at(5, 12, 0, 30), 0x8005, uint16_t(sum / 1874)));
    EXPECT_EQ(s.index(s.con), index.bytes());
    ByteWriter data;
    data.i32(1).u8(0x55).u8(0xAA);
    for (size_t i = 0; i < 1875; ++i)
        for (int32_t v : packets[i].samples)
            data.i32(v);
    EXPECT_EQ(s.data(s.con), data.bytes());
}

TEST(RecordingStoreContinuous, RatesOfZeroOrFiveHundredAverageToZero) {
    std::vector<AcqPacket> packets = segment(10, 0);
    for (size_t i = 0; i < packets.size(); i += 2)
        packets[i].heartRate = 500 + int(i % 7);
    EXPECT_EQ(summariseSegment(packets).averageHeartRate, 0);
    EXPECT_EQ(summariseSegment({}).averageHeartRate, 0);
    packets[1].heartRate = 61;
    packets[3].heartRate = 62;
    EXPECT_EQ(summariseSegment(packets).averageHeartRate, 61); // truncated
}

// A page may still read the store of a patient deleted meanwhile: reading
// must not bring its files back.
TEST(RecordingStoreRead, MissingFilesReadAsEmptyAndStayMissing) {
    Store s;
    for (const RecordingStore* store : {&s.con, &s.snap}) {
        const auto listing = store->listIndex();
        EXPECT_TRUE(listing.message.isNone());
        EXPECT_TRUE(listing.recordings.empty());
        const Message none{ids::kNoRecordingNumber, QStringLiteral("1")};
        EXPECT_EQ(store->readRecordData(0).message(), none);
        EXPECT_EQ(store->readSamples(0).message(), none);
        EXPECT_EQ(store->readEntry(0).message(), none);
        EXPECT_EQ(store->count().value(), 0);
        const RecordingPage page = store->readPage(0);
        EXPECT_TRUE(page.message.isNone());
        EXPECT_TRUE(page.recordings.empty());
        EXPECT_EQ(PagingControls::of(page).captionCount, 0);
        EXPECT_FALSE(QFile::exists(store->dataPath()));
        EXPECT_FALSE(QFile::exists(store->indexPath()));
    }
    // The first write creates the store.
    ASSERT_TRUE(s.con.appendContinuous(segment(3), at(6, 1, 2)).ok());
    EXPECT_EQ(s.con.count().value(), 1);
}

TEST(RecordingStoreRead, ContinuousSamplesRoundTrip) {
    Store s;
    const auto packets = segment(11);
    ASSERT_TRUE(s.con.appendContinuous(packets, at(6, 1, 2)).ok());
    const auto samples = s.con.readSamples(0);
    ASSERT_TRUE(samples.ok());
    ASSERT_EQ(samples.value().size(), size_t(kSamplesPerRecording));
    EXPECT_EQ(samples.value()[7499], packets[1874].samples[3]);
    EXPECT_EQ(samples.value()[4], packets[1].samples[0]);
    EXPECT_FALSE(s.con.readSamples(1).ok());
    EXPECT_FALSE(s.con.readSamples(-1).ok());
}

TEST(RecordingStorePaging, SixteenRecordingsMakeTwoPages) {
    Store s;
    std::vector<SnapRecording> r;
    for (int i = 0; i < 16; ++i)
        r.push_back(snapRecording(20 + i, at(7, 10, i)));
    ASSERT_EQ(s.snap.appendSnap(r).saved, 16);
    const RecordingPage first = s.snap.readPage(0);
    ASSERT_EQ(first.recordings.size(), 15u);
    EXPECT_EQ(first.recordings.front().number, 1);
    EXPECT_EQ(first.recordings.back().number, 15);
    EXPECT_EQ(first.recordings[14].entry.time, at(7, 10, 14));
    EXPECT_EQ(PagingControls::of(first).captionPage, 1);
    EXPECT_EQ(PagingControls::of(first).captionCount, 2);
    EXPECT_TRUE(PagingControls::of(first).caption().endsWith(QStringLiteral(" 1/2")));
    EXPECT_FALSE(PagingControls::of(first).first || PagingControls::of(first).previous);
    EXPECT_TRUE(PagingControls::of(first).next && PagingControls::of(first).last);
    const RecordingPage second = s.snap.readPage(1);
    ASSERT_EQ(second.recordings.size(), 1u);
    EXPECT_EQ(second.recordings[0].number, 16);
    EXPECT_EQ(QByteArray(second.recordings[0].data.left(501)), blockBytes(r[15].blocks).left(501));
    EXPECT_TRUE(PagingControls::of(second).first && PagingControls::of(second).previous);
    EXPECT_FALSE(PagingControls::of(second).next || PagingControls::of(second).last);
    const RecordingPage beyond = s.snap.readPage(2);
    EXPECT_TRUE(beyond.recordings.empty());
    EXPECT_EQ(PagingControls::of(beyond).captionPage, 0);
    EXPECT_EQ(PagingControls::of(beyond).captionCount, 0);
}

TEST(RecordingStorePaging, OnePageDisablesAllControls) {
    Store s;
    const SnapRecording r = snapRecording(40, at(8, 1, 1));
    s.snap.appendSnap(std::span(&r, 1));
    const RecordingPage page = s.snap.readPage(0);
    EXPECT_EQ(page.recordings.size(), 1u);
    EXPECT_FALSE(PagingControls::of(page).first || PagingControls::of(page).previous ||
                 PagingControls::of(page).next || PagingControls::of(page).last);
}

TEST(RecordingStoreRemove, RemovingKeepsOrderAndLeavesNoScratchFiles) {
    Store s;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(s.con.appendContinuous(segment(50 + i), at(9, 1, i)).ok());
    const auto third = s.con.readSamples(2).value();
    ASSERT_TRUE(s.con.remove(1).ok());
    const auto listing = s.con.listIndex();
    ASSERT_EQ(listing.recordings.size(), 2u);
    EXPECT_EQ(listing.recordings[1].entry.time, at(9, 1, 2));
    EXPECT_EQ(listing.recordings[1].number, 2);
    EXPECT_EQ(s.con.readSamples(1).value(), third);
    EXPECT_EQ(QDir(s.root.path()).entryList(QDir::Files), QStringList());
    EXPECT_EQ(s.con.remove(2).message(), (Message{ids::kNoRecordingNumber, QStringLiteral("3")}));
}

TEST(RecordingStoreRemove, RemovingTheOnlyRecordingLeavesTwoFourByteFiles) {
    Store s;
    const SnapRecording r = snapRecording(60, at(10, 2, 2));
    s.snap.appendSnap(std::span(&r, 1));
    ASSERT_TRUE(s.snap.remove(0).ok());
    EXPECT_EQ(s.data(s.snap), ByteWriter().i32(0).bytes());
    EXPECT_EQ(s.index(s.snap), ByteWriter().i32(0).bytes());
}

TEST(RecordingStoreRemove, RemoveAllAndUnequalCounts) {
    Store s;
    const SnapRecording r[] = {snapRecording(61, at(11, 3, 0)), snapRecording(62, at(11, 3, 1))};
    s.snap.appendSnap(r);
    // The index one ahead of the data file is no interrupted append (those
    // raise the data count first): the store is damaged.
    BinaryFile file;
    ASSERT_TRUE(file.open(s.snap.dataPath(), BinaryFile::Mode::ReadWrite));
    ASSERT_TRUE(file.writeInt32At(0, 1));
    file.close();
    const QByteArray data = s.data(s.snap);
    EXPECT_EQ(s.snap.removeAll().message(), (Message{ids::kDamagedFile, s.snap.dataPath()}));
    EXPECT_EQ(s.data(s.snap), data);
    ASSERT_TRUE(file.open(s.snap.dataPath(), BinaryFile::Mode::ReadWrite));
    ASSERT_TRUE(file.writeInt32At(0, 2));
    file.close();
    ASSERT_TRUE(s.snap.removeAll().ok());
    EXPECT_EQ(s.snap.count().value(), 0);
    EXPECT_EQ(s.data(s.snap).size(), 4);
}

TEST(RecordingStoreDamage, BadCountsAreRefusedWithoutWriting) {
    Store s;
    const QString path = s.con.dataPath();
    const auto packets = segment(70);
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"negative", ByteWriter().i32(-1).bytes()},
        {"beyond the file",
         ByteWriter().i32(2).raw(QByteArray(kContinuousRecordBytes, 'x')).bytes()},
    };
    for (const Case& c : cases) {
        writeAll(path, c.bytes);
        EXPECT_EQ(s.con.appendContinuous(packets, at(12, 1, 1)).message(),
                  (Message{ids::kDamagedFile, path}))
            << c.what;
        EXPECT_EQ(readAll(path), c.bytes) << c.what;
        EXPECT_FALSE(s.con.readSamples(0).ok()) << c.what;
        EXPECT_FALSE(s.con.remove(0).ok()) << c.what;
        EXPECT_EQ(readAll(path), c.bytes) << c.what;
    }
    writeCountedFile(path, 5761, kContinuousRecordBytes); // above capacity, whatever the size
    EXPECT_EQ(s.con.appendContinuous(packets, at(12, 1, 1)).message(),
              (Message{ids::kDamagedFile, path}));
    EXPECT_EQ(QFileInfo(path).size(), 4 + 5761LL * kContinuousRecordBytes);
}

TEST(RecordingStoreDamage, IndexThatDoesNotHoldTheDataCountIsRefused) {
    Store s;
    writeCountedFile(s.snap.dataPath(), 2, kSnapRecordBytes);
    writeAll(s.snap.indexPath(), ByteWriter().i32(1).raw(entryBytes(at(1, 1, 1), 0, 0)).bytes());
    const SnapRecording r = snapRecording(71, at(12, 2, 2));
    EXPECT_EQ(s.snap.appendSnap(std::span(&r, 1)).message,
              (Message{ids::kDamagedFile, s.snap.indexPath()}));
}

TEST(RecordingStoreDamage, ListingStopsWhereTheIndexEnds) {
    Store s;
    writeAll(s.snap.indexPath(), ByteWriter()
                                     .i32(3)
                                     .raw(entryBytes(at(1, 2, 3), 1, 60))
                                     .raw(entryBytes(at(1, 2, 4), 2, 61))
                                     .zeros(10)
                                     .bytes());
    const auto listing = s.snap.listIndex();
    ASSERT_EQ(listing.recordings.size(), 2u);
    EXPECT_EQ(listing.recordings[1].entry.heartRate, 61);
    writeAll(s.snap.indexPath(), ByteWriter().i32(-4).bytes());
    EXPECT_EQ(s.snap.listIndex().message, (Message{ids::kDamagedFile, s.snap.indexPath()}));
}

TEST(RecordingStoreDamage, UnusableIdTouchesNoFile) {
    TempDataRoot root;
    const RecordingStore store(root.path(), RecordingMode::Snap, QStringLiteral("../x"));
    EXPECT_EQ(store.listIndex().message.id, ids::kInvalidPatientId);
    const SnapRecording r = snapRecording(72, at(1, 1, 1));
    EXPECT_EQ(store.appendSnap(std::span(&r, 1)).saved, 0);
    EXPECT_FALSE(QFile::exists(root.file(QStringLiteral("x-idx.dat"))));
}

// A write that fails part-way, anywhere before the counts, leaves nothing
// counted; a later append works and the store stays consistent.
TEST(RecordingStoreInterrupted, FailedAppendLeavesNothingCounted) {
    const qint64 cuts[] = {0, 1, 2, 501, 15000, 30001, 30002, 30010, 30025};
    for (qint64 cut : cuts) {
        Store s;
        ASSERT_TRUE(s.con.appendContinuous(segment(80), at(13, 1, 0)).ok());
        BinaryFile::failWritesAfter(cut);
        const Message m = s.con.appendContinuous(segment(81), at(13, 1, 1)).message();
        BinaryFile::failWritesAfter(-1);
        EXPECT_EQ(m, (Message{ids::kWriteFailed, {}})) << cut;
        EXPECT_EQ(s.con.count().value(), 1) << cut;
        EXPECT_EQ(s.con.listIndex().recordings.size(), 1u) << cut;
        ASSERT_TRUE(s.con.appendContinuous(segment(82), at(13, 1, 2)).ok()) << cut;
        EXPECT_EQ(s.con.readEntry(1).value().time, at(13, 1, 2)) << cut;
        expectConsistent(s.con);
    }
}

TEST(RecordingStoreInterrupted, FailureWhileRaisingTheCountsHeals) {
    // The record and entry are whole; the cut falls in the data count, or
    // between the data count and the index count.
    for (qint64 cut = 7517 + 24; cut <= 7517 + 24 + 8; ++cut) {
        Store s;
        const SnapRecording r[] = {snapRecording(90, at(14, 1, 0)),
                                   snapRecording(91, at(14, 1, 1))};
        BinaryFile::failWritesAfter(cut);
        s.snap.appendSnap(std::span(r, 1));
        BinaryFile::failWritesAfter(-1);
        const SnapAppendResult next = s.snap.appendSnap(std::span(r + 1, 1));
        EXPECT_TRUE(next.message.isNone()) << cut;
        expectConsistent(s.snap);
    }
}

TEST(RecordingStoreDamage, ExtremeContinuousSamplesAreClampedOnRead) {
    const struct {
        int32_t stored;
        int32_t read;
    } cases[] = {{INT32_MIN, -kSampleLimit},
                 {INT32_MAX, kSampleLimit},
                 {-kSampleLimit - 1, -kSampleLimit},
                 {kSampleLimit, kSampleLimit},
                 {-5, -5},
                 {1023, 1023}};
    Store s;
    std::vector<int32_t> samples(kSamplesPerRecording, 512);
    for (size_t i = 0; i < std::size(cases); ++i)
        samples[i * 1000] = cases[i].stored;
    ASSERT_TRUE(s.con.appendContinuous(packetsOf(samples, 70), at(3, 3, 3)).ok());
    const auto read = s.con.readSamples(0);
    ASSERT_TRUE(read.ok());
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(read.value()[i * 1000], cases[i].read) << cases[i].stored;
    EXPECT_EQ(read.value()[1], 512);
}
