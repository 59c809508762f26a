// Walks an injected fault over every write, sync and rename of each store
// operation: the step fails (the operation sees an error) or the process stops
// there as if killed. After the next open the data folder must hold exactly
// the old state or the new one.
#include "StoreFixtures.h"
#include "core/DataPaths.h"
#include "core/Prompter.h"
#include "records/BinaryFile.h"
#include "records/ChartFile.h"
#include "records/RecordingNotes.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace vantora;
using namespace vantora::test;

namespace {

const QString kId = QStringLiteral("P7");

// What a reader can see: counted files up to their count, every other file whole.
using Folder = std::map<QString, QByteArray>;

int itemBytesOf(const QString& relative) {
    if (relative == QStringLiteral("UserDA.txt"))
        return PatientRecord::kSize;
    if (!relative.contains(u'/'))
        return 0; // scratch files and journals count as they are
    if (relative.endsWith(QStringLiteral("-Snap.dat")))
        return kSnapRecordBytes;
    if (relative.endsWith(QStringLiteral("-Con.dat")))
        return kContinuousRecordBytes;
    if (relative.endsWith(QStringLiteral("-idx.dat")))
        return RecordIndexEntry::kBytes;
    return 0;
}

// The id a recording file belongs to: its name before "-" or "_Diag".
QString stemOf(const QString& relative) {
    const QString name = QFileInfo(relative).fileName();
    const qsizetype diag = name.indexOf(QStringLiteral("_Diag"));
    return diag >= 0 ? name.left(diag) : name.left(name.lastIndexOf(u'-'));
}

// What the next open sees (reading the registry finishes what was
// interrupted). Files of ids the registry does not list count too, except
// empty stores (a quick add stopped before its registry append): a patient
// delete stopped after its registry rename must not leave its recordings or
// notes for a later patient of the same id.
Folder visible(const QString& root) {
    const QStringList listed = PatientRegistry(root).ids();
    Folder folder;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        QByteArray bytes = readAll(path);
        const int item = itemBytesOf(relative);
        if (item > 0 && bytes.isEmpty())
            bytes = QByteArray(4, '\0'); // an empty file counts 0
        if (item > 0 && bytes.size() >= 4) {
            const int32_t n = int32_t(getLE32(reinterpret_cast<const uint8_t*>(bytes.constData())));
            bytes.truncate(int(std::min<qint64>(bytes.size(), 4 + qint64(n) * item)));
        }
        if (relative.contains(u'/') && !listed.contains(stemOf(relative)) && item > 0 &&
            bytes == QByteArray(4, '\0'))
            continue;
        folder[relative] = bytes;
    }
    return folder;
}

// The store starts with two registered patients, the first with three Snap recordings, two
// Continuous ones and a note.
void seed(const QString& root) {
    registerPatient(root, kId);
    registerPatient(root, QStringLiteral("P8"));
    const SnapRecording snaps[] = {snapRecording(1, at(1, 8, 0)), snapRecording(2, at(1, 9, 0)),
                                   snapRecording(3, at(1, 10, 0))};
    RecordingStore(root, RecordingMode::Snap, kId).appendSnap(snaps);
    const RecordingStore con(root, RecordingMode::Continuous, kId);
    ASSERT_TRUE(con.appendContinuous(segment(4), at(2, 8, 0)).ok());
    ASSERT_TRUE(con.appendContinuous(segment(5), at(2, 8, 1)).ok());
    ASSERT_TRUE(RecordingNotes(root, RecordingMode::Snap, kId)
                    .write(at(1, 8, 0), QStringLiteral("first"))
                    .ok());
}

struct Operation {
    const char* name;
    std::function<void(const QString& root, const QString& outside)> run;
};

const Operation kOperations[] = {
    {"append Snap",
     [](const QString& root, const QString&) {
         const SnapRecording r[] = {snapRecording(9, at(3, 8, 0))};
         RecordingStore(root, RecordingMode::Snap, kId).appendSnap(r);
     }},
    {"append Continuous",
     [](const QString& root, const QString&) {
         (void)RecordingStore(root, RecordingMode::Continuous, kId)
             .appendContinuous(segment(9), at(3, 9, 0));
     }},
    {"remove one",
     [](const QString& root, const QString&) {
         (void)RecordingStore(root, RecordingMode::Snap, kId).remove(1);
     }},
    {"remove all",
     [](const QString& root, const QString&) {
         (void)RecordingStore(root, RecordingMode::Continuous, kId).removeAll();
     }},
    {"export",
     [](const QString& root, const QString& outside) {
         FixedPrompter yes(true);
         ChartFile(root, RecordingMode::Snap).exportRecordings(1, 0, outside + "/out.cEcg", yes);
     }},
    {"import",
     [](const QString& root, const QString& outside) {
         FixedPrompter yes(true);
         ChartFile(root, RecordingMode::Snap).importChart(outside + "/in.cEcg", yes);
     }},
    {"import of a new patient",
     [](const QString& root, const QString& outside) {
         FixedPrompter yes(true);
         ChartFile(root, RecordingMode::Snap).importChart(outside + "/new.cEcg", yes);
     }},
    {"notes set",
     [](const QString& root, const QString&) {
         (void)RecordingNotes(root, RecordingMode::Snap, kId)
             .write(at(1, 9, 0), QStringLiteral("second"));
     }},
    {"patient add",
     [](const QString& root, const QString&) { registerPatient(root, QStringLiteral("Q1")); }},
    {"patient quick add",
     [](const QString& root, const QString&) {
         (void)PatientRegistry(root).quickAdd(QStringLiteral("Q2"), QStringLiteral("A"),
                                              QStringLiteral("B"), {});
     }},
    {"patient edit",
     [](const QString& root, const QString&) {
         PatientFields f = PatientFields::fromRecord(patientRecord(kId));
         f.name = QStringLiteral("Edited");
         (void)PatientRegistry(root).edit(1, f);
     }},
    {"patient delete",
     [](const QString& root, const QString&) {
         FixedPrompter yes(true);
         (void)PatientRegistry(root).remove(1, nullptr);
     }},
};

// A chart of one recording of the same patient, to import.
void writeImportChart(const QString& outside) {
    TempDataRoot other;
    registerPatient(other.path(), kId);
    const SnapRecording r[] = {snapRecording(7, at(4, 8, 0))};
    RecordingStore(other.path(), RecordingMode::Snap, kId).appendSnap(r);
    FixedPrompter yes(true);
    ChartFile(other.path(), RecordingMode::Snap).exportRecordings(1, -1, outside + "/in.cEcg", yes);
    registerPatient(other.path(), QStringLiteral("N5"));
    RecordingStore(other.path(), RecordingMode::Snap, QStringLiteral("N5")).appendSnap(r);
    ChartFile(other.path(), RecordingMode::Snap)
        .exportRecordings(2, -1, outside + "/new.cEcg", yes);
}

struct CleanRun {
    Folder before;
    Folder after;
    int steps = 0;
};

CleanRun cleanRun(const Operation& op, const QString& outside) {
    TempDataRoot root;
    seed(root.path());
    CleanRun run;
    run.before = visible(root.path());
    BinaryFile::injectAt(-1);
    op.run(root.path(), outside);
    run.steps = BinaryFile::operationsSeen();
    run.after = visible(root.path());
    return run;
}

// Any open of the patient's stores finishes or clears what was interrupted.
Folder reopened(const QString& root) {
    (void)RecordingStore(root, RecordingMode::Snap, kId).count();
    return visible(root);
}

} // namespace

TEST(StoreFault, EveryStepFailedOrKilledLeavesOldOrNewFolder) {
    GTEST_FLAG_SET(death_test_style, "fast");
    QTemporaryDir outside;
    writeImportChart(outside.path());
    int injected = 0;
    for (const Operation& op : kOperations) {
        const CleanRun clean = cleanRun(op, outside.path());
        ASSERT_NE(clean.before, clean.after) << op.name;
        ASSERT_GT(clean.steps, 0) << op.name;
        for (int k = 0; k < clean.steps; ++k) {
            for (const auto fault : {BinaryFile::Fault::Fail, BinaryFile::Fault::Stop}) {
                TempDataRoot root;
                seed(root.path());
                QFile::remove(outside.path() + "/out.cEcg");
                if (fault == BinaryFile::Fault::Fail) {
                    BinaryFile::injectAt(k, fault);
                    op.run(root.path(), outside.path());
                    BinaryFile::injectAt(-1);
                } else {
                    EXPECT_EXIT(
                        {
                            BinaryFile::injectAt(k, fault);
                            op.run(root.path(), outside.path());
                            std::_Exit(0);
                        },
                        ::testing::ExitedWithCode(137), "")
                        << op.name << " step " << k;
                }
                const Folder now = reopened(root.path());
                EXPECT_TRUE(now == clean.before || now == clean.after)
                    << op.name << " step " << k
                    << (fault == BinaryFile::Fault::Stop ? " stopped" : " failed");
                ++injected;
            }
        }
    }
    std::printf("faults injected: %d\n", injected);
}
