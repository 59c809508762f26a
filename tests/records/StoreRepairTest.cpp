// Damaged or half-finished data folders: store files of an id the registry
// does not list, short registries, leftovers of interrupted rewrites, notes of
// a deleted patient. Nothing that holds recordings is overwritten.
#include "StoreFixtures.h"
#include "core/DataPaths.h"
#include "core/Prompter.h"
#include "core/StringIds.h"
#include "records/ChartFile.h"
#include "records/RecordingNotes.h"
#include "records/StoreJournal.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

namespace {

const QString kId = QStringLiteral("P7");

// A folder whose registry lost P7 while P7's Snap store still holds two
// recordings: the registry lists only "other".
void unlistedStore(const QString& root) {
    registerPatient(root, kId);
    const SnapRecording r[] = {snapRecording(1, at(1, 8, 0)), snapRecording(2, at(1, 9, 0))};
    RecordingStore(root, RecordingMode::Snap, kId).appendSnap(r);
    writeAll(paths::registry(root), QByteArray(4, '\0'));
    registerPatient(root, QStringLiteral("other"));
}

} // namespace

// Kept unless a delete of that id stopped after its registry rename: those
// recordings were deleted and must not come back under the new patient.
TEST(StoreRepair, AddingAnUnlistedIdKeepsItsRecordingsUnlessDeleted) {
    QTemporaryDir charts;
    const QString chart = charts.path() + QStringLiteral("/p7.cEcg");
    {
        TempDataRoot source;
        registerPatient(source.path(), kId);
        const SnapRecording r[] = {snapRecording(3, at(2, 8, 0))};
        RecordingStore(source.path(), RecordingMode::Snap, kId).appendSnap(r);
        FixedPrompter yes(true);
        ASSERT_EQ(ChartFile(source.path(), RecordingMode::Snap)
                      .exportRecordings(1, -1, chart, yes)
                      .exported,
                  1);
    }
    struct Case {
        const char* how;
        std::function<Message(const QString& root)> add;
        bool deleted;   // a whole delete journal of P7 is left
        int recordings; // P7's Snap recordings afterwards
    };
    const auto quickAdd = [](const QString& root) {
        return PatientRegistry(root)
            .quickAdd(kId, QStringLiteral("A"), QStringLiteral("B"), {QStringLiteral("other")})
            .message();
    };
    const auto import = [&chart](const QString& root) {
        FixedPrompter yes(true);
        return ChartFile(root, RecordingMode::Snap).importChart(chart, yes).message;
    };
    const Case cases[] = {{"quick add", quickAdd, false, 2},
                          {"chart import", import, false, 3},
                          {"quick add after a delete", quickAdd, true, 0},
                          {"chart import after a delete", import, true, 1}};
    for (const Case& c : cases) {
        TempDataRoot root;
        unlistedStore(root.path());
        ASSERT_TRUE(RecordingNotes(root.path(), RecordingMode::Snap, kId)
                        .write(at(1, 8, 0), QStringLiteral("old"))
                        .ok());
        if (c.deleted) {
            ASSERT_TRUE(StoreJournal::announceDelete(root.path(), kId));
        }
        const RecordingStore store(root.path(), RecordingMode::Snap, kId);
        const QByteArray first = readAll(store.dataPath()).mid(4, kSnapRecordBytes * 2);
        EXPECT_TRUE(c.add(root.path()).isNone()) << c.how;
        EXPECT_EQ(PatientRegistry(root.path()).findById(kId), 2) << c.how;
        ASSERT_EQ(store.count().value(), c.recordings) << c.how;
        EXPECT_EQ(RecordingNotes(root.path(), RecordingMode::Snap, kId).read(at(1, 8, 0)).value(),
                  c.deleted ? QString() : QStringLiteral("old"))
            << c.how;
        if (!c.deleted) {
            EXPECT_EQ(readAll(store.dataPath()).mid(4, kSnapRecordBytes * 2), first) << c.how;
        }
        EXPECT_FALSE(QFileInfo::exists(paths::deleteJournal(root.path(), kId))) << c.how;
    }
}

TEST(StoreRepair, ShortOrOvercountedRegistryIsDamagedAndNothingIsWritten) {
    const QByteArray oneRecord = patientRecord(kId).encode();
    struct Case {
        const char* what;
        QByteArray registry;
    };
    const Case cases[] = {
        {"1 byte", QByteArray(1, '\1')},
        {"3 bytes", QByteArray(3, '\0')},
        {"count 2, one record", ByteWriter().i32(2).raw(oneRecord).bytes()},
    };
    for (const Case& c : cases) {
        TempDataRoot root;
        writeAll(paths::registry(root.path()), c.registry);
        const PatientRegistry registry(root.path());
        EXPECT_EQ(registry.loadAll().message.id, ids::kDamagedFile) << c.what;
        EXPECT_EQ(
            registry.quickAdd(QStringLiteral("N1"), QStringLiteral("A"), QStringLiteral("B"), {})
                .message()
                .id,
            ids::kDamagedFile)
            << c.what;
        if (c.registry.size() > 4) {
            EXPECT_EQ(registry.edit(1, PatientFields::fromRecord(patientRecord(kId))).message().id,
                      ids::kDamagedFile)
                << c.what;
        }
        EXPECT_EQ(readAll(paths::registry(root.path())), c.registry) << c.what;
        EXPECT_FALSE(QFileInfo::exists(paths::snapData(root.path(), QStringLiteral("N1"))));
    }
}

TEST(StoreRepair, IdsThatAreNoTextAreRefused) {
    TempDataRoot root;
    const QString lone = QString(QChar(0xD800)) + QStringLiteral("7");
    const QString paired = QString::fromUcs4(U"\U0001F600");
    EXPECT_FALSE(isValidPatientId(lone));
    EXPECT_FALSE(isValidPatientId(QString(QChar(0xDC00))));
    EXPECT_TRUE(isValidPatientId(paired));
    EXPECT_EQ(PatientRegistry(root.path())
                  .quickAdd(lone, QStringLiteral("A"), QStringLiteral("B"), {})
                  .message()
                  .id,
              ids::kInvalidPatientId);
    EXPECT_EQ(PatientRegistry(root.path()).count().value(), 0);
}

TEST(StoreRepair, LeftoversOfInterruptedRewritesGoAtTheNextOpen) {
    TempDataRoot root;
    registerPatient(root.path(), kId);
    const QString leftovers[] = {
        paths::scratchDataFile(root.path(), RecordingMode::Snap, kId),
        paths::scratchDataFile(root.path(), RecordingMode::Continuous, kId),
        paths::scratchIndexFile(root.path(), kId),
        paths::journalFile(root.path(), RecordingMode::Snap, kId) /* cut short */,
        paths::scratchRegistry(root.path())};
    for (const QString& path : leftovers)
        writeAll(path, QByteArray(3, 'x'));
    EXPECT_EQ(RecordingStore(root.path(), RecordingMode::Snap, kId).count().value(), 0);
    EXPECT_EQ(PatientRegistry(root.path()).count().value(), 1);
    for (const QString& path : leftovers)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
}

TEST(StoreRepair, DeletedPatientsNotesAreNotInherited) {
    TempDataRoot root;
    registerPatient(root.path(), kId);
    for (const RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous})
        ASSERT_TRUE(RecordingNotes(root.path(), mode, kId)
                        .write(at(1, 8, 0), QStringLiteral("old patient"))
                        .ok());
    ASSERT_TRUE(PatientRegistry(root.path()).remove(1, nullptr).ok());
    registerPatient(root.path(), kId);
    for (const RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous}) {
        EXPECT_FALSE(QFileInfo::exists(paths::notesFile(root.path(), mode, kId)));
        EXPECT_EQ(RecordingNotes(root.path(), mode, kId).read(at(1, 8, 0)).value(), QString());
    }
}
