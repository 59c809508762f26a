#include "StoreFixtures.h"
#include "core/Prompter.h"
#include "records/CardRecord.h"
#include "records/ChartFile.h"
#include "records/StoreMessages.h"

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

namespace {

struct CardHeader {
    int year = 2026, month = 11, day = 20, hour = 7, minute = 45;
    int heartRate = 72;
    int type = 3;
};

// One CardRecord written field by field.
QByteArray cardRecord(const CardHeader& h, const SnapBlocks& blocks,
                      std::array<uint8_t, 3> head = {0x55, 0xAA, 0x05}) {
    return ByteWriter()
        .u8(0xC1)
        .u8(uint8_t(h.year - 2000))
        .u8(uint8_t(h.month))
        .u8(uint8_t(h.day))
        .u8(uint8_t(h.hour))
        .u8(uint8_t(h.minute))
        .u16(uint16_t(h.heartRate))
        .u8(1)
        .u8(2)
        .u8(3)
        .u8(uint8_t(h.type))
        .zeros(3)
        .u8(head[0])
        .u8(head[1])
        .u8(head[2])
        .raw(blockBytes(blocks))
        .u8(0xEE)
        .u8(0xEE)
        .u8(0xEE)
        .bytes();
}

SnapBlocks blocksOf(uint64_t seed) {
    return snapRecording(seed, at(1, 1, 1)).blocks;
}

struct Card {
    TempDataRoot root;
    FixedPrompter yes{true};
    int position = registerPatient(root.path(), QStringLiteral("CARD"));
    QString path = root.file(QStringLiteral("ECGDATA.DAT"));
    ChartImportResult import(RecordingMode mode) {
        return ChartFile(root.path(), mode).importCard(path, position, yes);
    }
    RecordingStore store(RecordingMode mode) const {
        return RecordingStore(root.path(), mode, QStringLiteral("CARD"));
    }
};

} // namespace

TEST(CardRecord, IndexEntryFromTheHeader) {
    struct Case {
        int heartRate, type, storedRate, kind;
    };
    for (const Case c :
         {Case{600, 84, 0, 13}, Case{500, 5, 500, 0}, Case{501, 21, 0, 12}, Case{0, 3, 0, 1}}) {
        CardHeader h;
        h.heartRate = c.heartRate;
        h.type = c.type;
        const QByteArray r = cardRecord(h, blocksOf(1));
        const RecordIndexEntry e = card::entryOf(reinterpret_cast<const uint8_t*>(r.constData()));
        EXPECT_EQ(e.heartRate, c.storedRate) << c.heartRate;
        EXPECT_EQ(e.kind, c.kind) << c.type;
        EXPECT_EQ(e.time, (SystemTime{2026, 11, 0, 20, 7, 45, 0, 0}));
        EXPECT_EQ(e.extra, (std::array<uint8_t, 2>{0, 0}));
    }
}

TEST(CardImport, SnapModeStoresTheBlocksUnchanged) {
    Card c;
    CardHeader second;
    second.minute = 50;
    second.heartRate = 600;
    second.type = 84;
    writeAll(c.path, ByteWriter()
                         .i32(2)
                         .raw(cardRecord(CardHeader{}, blocksOf(1)))
                         .raw(cardRecord(second, blocksOf(2)))
                         .bytes());
    const ChartImportResult in = c.import(RecordingMode::Snap);
    EXPECT_TRUE(in.message.isNone());
    EXPECT_EQ(in.imported, 2);
    EXPECT_EQ(c.yes.last(), (Message{storemsg::kImportQuestion, QStringLiteral("CARD")}));
    const SystemTime t1{2026, 11, 0, 20, 7, 45, 0, 0};
    const SystemTime t2{2026, 11, 0, 20, 7, 50, 0, 0};
    EXPECT_EQ(readAll(c.store(RecordingMode::Snap).indexPath()),
              ByteWriter().i32(2).raw(entryBytes(t1, 1, 72)).raw(entryBytes(t2, 13, 0)).bytes());
    EXPECT_EQ(readAll(c.store(RecordingMode::Snap).dataPath()), ByteWriter()
                                                                    .i32(2)
                                                                    .u8(0x55)
                                                                    .u8(0xAA)
                                                                    .raw(blockBytes(blocksOf(1)))
                                                                    .u8(0x55)
                                                                    .u8(0xAA)
                                                                    .raw(blockBytes(blocksOf(2)))
                                                                    .bytes());
}

TEST(CardImport, ContinuousModeDecodesToSamples) {
    Card c;
    writeAll(c.path, ByteWriter().i32(1).raw(cardRecord(CardHeader{}, blocksOf(3))).bytes());
    ASSERT_TRUE(c.import(RecordingMode::Continuous).message.isNone());
    const QByteArray data = readAll(c.store(RecordingMode::Continuous).dataPath());
    ByteWriter expected;
    expected.i32(1).u8(0x55).u8(0xAA);
    for (int32_t v : decodeSnapBlocks(blocksOf(3)))
        expected.i32(v);
    EXPECT_EQ(data, expected.bytes());
}

TEST(CardImport, OneMatchingRecognitionByteIsEnough) {
    const std::array<uint8_t, 3> heads[] = {{0x55, 0, 0}, {0, 0xAA, 0}, {0, 0, 0x05}};
    for (const auto& head : heads) {
        Card c;
        writeAll(c.path,
                 ByteWriter().i32(1).raw(cardRecord(CardHeader{}, blocksOf(4), head)).bytes());
        EXPECT_TRUE(ChartFile::looksLikeCardFile(c.path));
        EXPECT_EQ(c.import(RecordingMode::Snap).imported, 1);
    }
    Card c;
    writeAll(
        c.path,
        ByteWriter().i32(1).raw(cardRecord(CardHeader{}, blocksOf(4), {0xAA, 0x55, 0x06})).bytes());
    EXPECT_EQ(c.import(RecordingMode::Snap).message, (Message{storemsg::kNotContinuousFile, {}}));
    EXPECT_EQ(c.store(RecordingMode::Snap).count().value(), 0);
}

TEST(CardImport, DamagedCountsAndCapacity) {
    Card c;
    const QByteArray record = cardRecord(CardHeader{}, blocksOf(5));
    for (int32_t count : {0, -2, 2, 5761}) {
        writeAll(c.path, ByteWriter().i32(count).raw(record).bytes());
        EXPECT_EQ(c.import(RecordingMode::Snap).message, (Message{storemsg::kDamaged, c.path}))
            << count;
    }
    writeCountedFile(c.store(RecordingMode::Snap).dataPath(), 5759, kSnapRecordBytes);
    writeCountedFile(c.store(RecordingMode::Snap).indexPath(), 5759, RecordIndexEntry::kBytes);
    writeAll(c.path, ByteWriter().i32(2).raw(record).raw(record).bytes());
    EXPECT_EQ(c.import(RecordingMode::Snap).message,
              (Message{storemsg::kStoreFull, QStringLiteral("CARD")}));
    writeAll(c.path, ByteWriter().i32(1).raw(record).bytes());
    EXPECT_EQ(c.import(RecordingMode::Snap).imported, 1);
    EXPECT_EQ(c.store(RecordingMode::Snap).count().value(), 5760);
}

TEST(CardImport, FileNamesThatSelectACardImport) {
    EXPECT_TRUE(ChartFile::isCardFileName(QStringLiteral("/media/card/ECGDATA.DAT")));
    EXPECT_TRUE(ChartFile::isCardFileName(QStringLiteral("/data/x/7-Con.dat")));
    EXPECT_TRUE(ChartFile::isCardFileName(QStringLiteral("ECGDATA.DAT")));
    EXPECT_FALSE(ChartFile::isCardFileName(QStringLiteral("/media/card/ECGDATA.Dat")));
    EXPECT_FALSE(ChartFile::isCardFileName(QStringLiteral("/home/u/Snap 42-3.cEcg")));
    EXPECT_FALSE(ChartFile::isCardFileName(QStringLiteral("/home/u/dat")));
    EXPECT_FALSE(ChartFile::isCardFileName(QStringLiteral("/home/u/x.dat.cEcg")));
}
