// One writer per data folder across processes: a forked child holds the
// folder the way another vantora-cli or the window would, and the test
// checks who may take it, that a refusal names the holder and writes
// nothing, that a killed holder blocks nobody, and that a reader never
// disturbs another process's rewrite in progress.
#include "records/DataFolderLock.h"
#include "StoreFixtures.h"
#include "core/DataPaths.h"
#include "core/Prompter.h"
#include "core/StringIds.h"
#include "records/ChartFile.h"
#include "records/RecordingNotes.h"
#include "records/StoreRewrite.h"
#include "support/FolderHolder.h"
#include "support/FolderSnapshot.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

using namespace vantora;
using namespace vantora::test;
using Kind = DataFolderLock::Kind;

namespace {

const QString kId = QStringLiteral("L1");

void setWaitMs(int ms) {
    qputenv("VANTORA_LOCK_WAIT_MS", QByteArray::number(ms));
}

class DataFolderLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        setWaitMs(60);
        registerPatient(root.path(), kId);
        std::vector<SnapRecording> recordings;
        for (int i = 0; i < 3; ++i)
            recordings.push_back(snapRecording(uint64_t(i), at(2, 8, i)));
        ASSERT_EQ(
            RecordingStore(root.path(), RecordingMode::Snap, kId).appendSnap(recordings).saved, 3);
    }
    void TearDown() override { qunsetenv("VANTORA_LOCK_WAIT_MS"); }
    TempDataRoot root;
};

TEST_F(DataFolderLockTest, SharedHoldersAdmitReadersOnlyAndRefusalsNameTheHolder) {
    struct Case {
        Kind held;
        Kind wanted;
        bool granted;
    };
    for (const Case c :
         {Case{Kind::Shared, Kind::Shared, true}, Case{Kind::Shared, Kind::Exclusive, false},
          Case{Kind::Exclusive, Kind::Shared, false},
          Case{Kind::Exclusive, Kind::Exclusive, false}}) {
        SCOPED_TRACE(testing::Message() << "held " << int(c.held) << " wanted " << int(c.wanted));
        Holder holder(takes(root.path(), c.held));
        ASSERT_TRUE(holder.ready());
        const DataFolderLock lock = DataFolderLock::take(root.path(), c.wanted);
        EXPECT_EQ(lock.held(), c.granted);
        const QString pid = QStringLiteral("(process %1)").arg(holder.pid());
        if (!c.granted) {
            EXPECT_EQ(lock.message().id, ids::kDataFolderBusy);
            EXPECT_TRUE(lock.message().arg.endsWith(pid)) << lock.message().arg.toStdString();
        }
        EXPECT_TRUE(DataFolderLock::otherHolder(root.path()).endsWith(pid));
    }
    EXPECT_TRUE(DataFolderLock::otherHolder(root.path()).isEmpty());
}

TEST_F(DataFolderLockTest, AWriterWaitsForAHolderThatFinishesInTime) {
    setWaitMs(5000);
    Holder holder(takes(root.path(), Kind::Exclusive), [] {
        ::usleep(200 * 1000);
        return true;
    });
    ASSERT_TRUE(holder.ready());
    // Told to go on, the child sleeps, then exits, which drops its lock.
    std::thread releaser([&holder] { holder.release(); });
    EXPECT_TRUE(DataFolderLock::exclusive(root.path()).held());
    releaser.join();
}

TEST_F(DataFolderLockTest, AKilledHolderBlocksNobody) {
    setWaitMs(0);
    Holder holder(takes(root.path(), Kind::Exclusive));
    ASSERT_TRUE(holder.ready());
    EXPECT_FALSE(DataFolderLock::exclusive(root.path()).held());
    holder.kill();
    EXPECT_TRUE(DataFolderLock::exclusive(root.path()).held());
    EXPECT_TRUE(RecordingStore(root.path(), RecordingMode::Snap, kId).remove(0).ok());
}

TEST_F(DataFolderLockTest, NestedHoldsAndAnUpgradeKeepOtherProcessesOut) {
    setWaitMs(0);
    const auto childCanTake = [this](Kind kind) {
        Holder probe(
            [this, kind] { ::_exit(DataFolderLock::take(root.path(), kind).held() ? 0 : 1); });
        int status = -1;
        ::waitpid(probe.pid(), &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    {
        const DataFolderLock reading = DataFolderLock::shared(root.path());
        ASSERT_TRUE(reading.held());
        EXPECT_TRUE(childCanTake(Kind::Shared));
        {
            const DataFolderLock writing = DataFolderLock::exclusive(root.path());
            ASSERT_TRUE(writing.held());
            const DataFolderLock again = DataFolderLock::shared(root.path());
            EXPECT_TRUE(again.held());
            EXPECT_FALSE(childCanTake(Kind::Shared));
        }
        // Raised once, the hold stays exclusive until the outermost goes.
        EXPECT_FALSE(childCanTake(Kind::Shared));
    }
    EXPECT_TRUE(childCanTake(Kind::Exclusive));
}

// Every kind of write, refused while another process holds the folder.
TEST_F(DataFolderLockTest, EveryWriteIsRefusedWithTheHolderAndWritesNothing) {
    const QString r = root.path();
    const QString chart = root.file(QStringLiteral("out.cEcg"));
    FixedPrompter yes(true);
    ASSERT_TRUE(
        ChartFile(r, RecordingMode::Snap).exportRecordings(1, 0, chart, yes).message.isNone());
    PatientIdMap ids;
    PatientFields fields;
    fields.id = QStringLiteral("77");
    fields.name = QStringLiteral("New");
    const std::vector<std::pair<const char*, std::function<Message()>>> writes = {
        {"add", [&] { return PatientRegistry(r).add(fields, ids, true).message(); }},
        {"quick add",
         [&] {
             return PatientRegistry(r)
                 .quickAdd(QStringLiteral("Q"), QStringLiteral("A"), QStringLiteral("B"), {})
                 .message();
         }},
        {"edit", [&] { return PatientRegistry(r).edit(1, fields).message(); }},
        {"delete", [&] { return PatientRegistry(r).remove(1, nullptr).message(); }},
        {"append snap",
         [&] {
             const SnapRecording one = snapRecording(9, at(4, 1, 0));
             return RecordingStore(r, RecordingMode::Snap, kId).appendSnap({&one, 1}).message;
         }},
        {"append continuous",
         [&] {
             return RecordingStore(r, RecordingMode::Continuous, kId)
                 .appendContinuous(segment(1))
                 .message();
         }},
        {"remove", [&] { return RecordingStore(r, RecordingMode::Snap, kId).remove(0).message(); }},
        {"note",
         [&] {
             return RecordingNotes(r, RecordingMode::Snap, kId)
                 .write(at(2, 8, 1), QStringLiteral("x"))
                 .message();
         }},
        {"import",
         [&] { return ChartFile(r, RecordingMode::Snap).importChart(chart, yes, false).message; }},
        {"export",
         [&] {
             return ChartFile(r, RecordingMode::Snap)
                 .exportRecordings(1, 0, root.file(QStringLiteral("2.cEcg")), yes)
                 .message;
         }},
    };
    for (const Kind held : {Kind::Shared, Kind::Exclusive}) {
        Holder holder(takes(r, held));
        ASSERT_TRUE(holder.ready());
        const auto before = folderFiles(r);
        for (const auto& [name, write] : writes) {
            SCOPED_TRACE(name);
            const Message m = write();
            EXPECT_EQ(m.id, ids::kDataFolderBusy);
            EXPECT_TRUE(m.arg.endsWith(QStringLiteral("(process %1)").arg(holder.pid())));
        }
        EXPECT_EQ(folderFiles(r), before);
    }
    // Free again, the same writes go through.
    for (const auto& [name, write] : writes) {
        SCOPED_TRACE(name);
        EXPECT_NE(write().id, ids::kDataFolderBusy);
    }
}

// Readers used to finish or delete whatever scratch files they found, also
// another process's rewrite in progress, whose commit then failed.
TEST_F(DataFolderLockTest, ReadersLeaveAnotherProcesssRewriteInProgressAlone) {
    const QString r = root.path();
    StoreRewrite* rewrite = nullptr;
    Holder writer(
        [&] {
            rewrite = new StoreRewrite(r, RecordingMode::Snap, kId);
            if (!rewrite->begin(StoreRewrite::Start::Keep).isNone())
                ::_exit(4);
            const QByteArray entry = entryBytes(at(5, 5, 5), 3, 70);
            QByteArray record(kSnapRecordBytes, '\x01');
            record[0] = char(0x55);
            record[1] = char(0xAA);
            rewrite->append(reinterpret_cast<const uint8_t*>(entry.constData()),
                            reinterpret_cast<const uint8_t*>(record.constData()));
        },
        [&] { return rewrite->commit().isNone(); });
    ASSERT_TRUE(writer.ready());
    // Every reader meets the scratch files; none may touch them.
    PatientRegistry(r).loadAll();
    (void)PatientRegistry(r).count();
    RecordingStore(r, RecordingMode::Snap, kId).listIndex();
    (void)RecordingStore(r, RecordingMode::Snap, kId).count();
    RecordingStore(r, RecordingMode::Snap, kId).readPage(0);
    EXPECT_TRUE(QFile::exists(paths::scratchDataFile(r, RecordingMode::Snap, kId)));
    EXPECT_EQ(writer.release(), 0);
    const RecordingStore store(r, RecordingMode::Snap, kId);
    EXPECT_EQ(store.count().value(), 4);
    EXPECT_EQ(store.listIndex().recordings.size(), 4u);
    EXPECT_FALSE(QFile::exists(paths::scratchDataFile(r, RecordingMode::Snap, kId)));
}

} // namespace
