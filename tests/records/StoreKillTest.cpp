// A child process runs one store operation over and over on a large store;
// the parent kills it at a random moment, reopens the folder and checks every
// invariant: counts agree, every counted record is whole, each entry labels
// its own record, no patient is listed twice, and the store still takes a
// recording. VANTORA_KILLS sets the kills per operation (20 by default).
#include "StoreFixtures.h"
#include "core/DataPaths.h"
#include "core/Prompter.h"
#include "records/BinaryFile.h"
#include "records/ChartFile.h"
#include "records/RecordingNotes.h"

#include <QSet>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantora;
using namespace vantora::test;

namespace {

const QString kId = QStringLiteral("K1");
constexpr int kSeedRecordings = 120; // 3.6 MB of Continuous samples
constexpr int kMaxKillDelayUs = 40000;

// Each recording carries its label in its data: the first sample equals the
// entry's heart rate, so an entry over another recording's data shows.
std::vector<AcqPacket> labelledSegment(int label) {
    std::vector<int32_t> samples(kSamplesPerRecording, 512);
    samples[0] = label;
    return packetsOf(samples, label);
}

SnapRecording labelledSnap(int label) {
    SnapRecording r = snapRecording(uint64_t(label), at(1, 8, label % 60));
    r.header.heartRate = uint16_t(label);
    r.blocks[0].bytes[0] = uint8_t(label >> 8);
    r.blocks[0].bytes[1] = uint8_t(label);
    return r;
}

int nextLabel(std::mt19937& random) {
    return 1 + int(random() % 400);
}

void seed(const QString& root) {
    BinaryFile::setSyncing(false);
    registerPatient(root, kId);
    const RecordingStore con(root, RecordingMode::Continuous, kId);
    const RecordingStore snap(root, RecordingMode::Snap, kId);
    std::vector<SnapRecording> snaps;
    for (int i = 1; i <= kSeedRecordings; ++i) {
        EXPECT_TRUE(con.appendContinuous(labelledSegment(i), at(2, 8, i % 60)).ok());
        snaps.push_back(labelledSnap(i));
    }
    snap.appendSnap(snaps);
    BinaryFile::setSyncing(true);
}

using Step = std::function<void(const QString& root, std::mt19937& random)>;

void keepFilled(const RecordingStore& store, std::mt19937& random) {
    if (store.count().value() < kSeedRecordings / 2)
        (void)store.appendContinuous(labelledSegment(nextLabel(random)), at(3, 3, 3));
}

const std::pair<const char*, Step> kSteps[] = {
    {"append",
     [](const QString& root, std::mt19937& random) {
         (void)RecordingStore(root, RecordingMode::Continuous, kId)
             .appendContinuous(labelledSegment(nextLabel(random)), at(3, 3, 3));
         const SnapRecording r[] = {labelledSnap(nextLabel(random))};
         RecordingStore(root, RecordingMode::Snap, kId).appendSnap(r);
     }},
    {"remove",
     [](const QString& root, std::mt19937& random) {
         const RecordingStore store(root, RecordingMode::Continuous, kId);
         keepFilled(store, random);
         (void)store.remove(int(random() % uint32_t(std::max(1, store.count().value()))));
     }},
    {"export and import",
     [](const QString& root, std::mt19937& random) {
         FixedPrompter yes(true);
         const ChartFile charts(root, RecordingMode::Continuous);
         keepFilled(RecordingStore(root, RecordingMode::Continuous, kId), random);
         const QString chart = root + QStringLiteral("/k.cEcg");
         QFile::remove(chart);
         if (charts.exportRecordings(1, int(random() % 3), chart, yes).exported > 0)
             charts.importChart(chart, yes, false);
     }},
    {"notes set",
     [](const QString& root, std::mt19937& random) {
         (void)RecordingNotes(root, RecordingMode::Snap, kId)
             .write(at(1 + int(random() % 9), 8, 0), QStringLiteral("note %1").arg(random()));
     }},
    {"patients",
     [](const QString& root, std::mt19937& random) {
         const PatientRegistry registry(root);
         const QString id = QStringLiteral("Q%1").arg(random() % 50);
         if (registry.findById(id) == 0)
             (void)registry.appendRecord(patientRecord(id));
         const int n = registry.count().value();
         PatientFields f = PatientFields::fromRecord(patientRecord(id));
         f.name = QStringLiteral("edited %1").arg(random());
         (void)registry.edit(n, f);
         if (n > 20)
             (void)registry.remove(2 + int(random() % uint32_t(n - 1)), nullptr);
     }},
};

void checkInvariants(const QString& root, const char* step, int kill) {
    SCOPED_TRACE(testing::Message() << step << " kill " << kill);
    const PatientList patients = PatientRegistry(root).loadAll();
    ASSERT_TRUE(patients.message.isNone());
    QSet<QString> ids;
    for (const PatientRecord& p : patients.records) {
        EXPECT_FALSE(ids.contains(p.id.toLower())) << "listed twice: " << p.id.toStdString();
        ids.insert(p.id.toLower());
    }
    ASSERT_FALSE(patients.records.isEmpty());
    EXPECT_EQ(patients.records[0].id, kId);
    for (const RecordingMode mode : {RecordingMode::Continuous, RecordingMode::Snap}) {
        const RecordingStore store(root, mode, kId);
        const auto n = store.count();
        ASSERT_TRUE(n.ok());
        const RecordingListing listing = store.listIndex();
        ASSERT_TRUE(listing.message.isNone());
        ASSERT_EQ(int(listing.recordings.size()), n.value());
        for (int k = 0; k < n.value(); ++k) {
            const auto samples = store.readSamples(k);
            ASSERT_TRUE(samples.ok()) << k;
            EXPECT_EQ(samples.value()[0], listing.recordings[size_t(k)].entry.heartRate) << k;
        }
    }
    const RecordingStore con(root, RecordingMode::Continuous, kId);
    const int before = con.count().value();
    ASSERT_TRUE(con.appendContinuous(labelledSegment(7), at(5, 5, 5)).ok());
    EXPECT_EQ(con.count().value(), before + 1);
}

} // namespace

TEST(StoreKill, RandomKillsLeaveAWholeStore) {
    const int kills = qEnvironmentVariableIntValue("VANTORA_KILLS") > 0
                          ? qEnvironmentVariableIntValue("VANTORA_KILLS")
                          : 20;
    std::mt19937 random(20261208);
    int survived = 0;
    for (const auto& [name, step] : kSteps) {
        TempDataRoot root;
        seed(root.path());
        for (int kill = 0; kill < kills; ++kill) {
            const unsigned childSeed = random();
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                std::mt19937 own(childSeed);
                for (;;)
                    step(root.path(), own);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(random() % kMaxKillDelayUs));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status)) << name;
            checkInvariants(root.path(), name, kill);
            if (::testing::Test::HasFatalFailure())
                return;
            ++survived;
        }
    }
    std::printf("kills survived: %d\n", survived);
}
