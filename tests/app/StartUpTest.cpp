#include "app/StartUp.h"
#include "app/SingleInstance.h"
#include "core/AppSettings.h"
#include "core/DataPaths.h"
#include "core/Langpack.h"
#include "core/RecentFiles.h"
#include "core/StringIds.h"
#include "records/DataFolder.h"
#include "support/TestData.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

// A file of `size` bytes with the two given bytes at the chart marker offset.
void writeWithMarker(const QString& path, int size, uint8_t a, uint8_t b) {
    QByteArray bytes(size, '\x11');
    if (size >= 1394) {
        bytes[1392] = char(a);
        bytes[1393] = char(b);
    }
    ASSERT_TRUE(test::writeAll(path, bytes));
}

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppSettings::setStoreFile(settingsDir.filePath(QStringLiteral("settings.ini")));
    }
    void TearDown() override {
        AppSettings::setStoreFile(QString());
        Langpack::unload();
    }
    QString file(const QString& name) const { return files.filePath(name); }
    void putRecordingFiles() const {
        ASSERT_TRUE(test::writeAll(paths::snapData(root.path(), QStringLiteral("1")), "s"));
        ASSERT_TRUE(test::writeAll(paths::continueIndex(root.path(), QStringLiteral("1")), "i"));
        ASSERT_TRUE(
            test::writeAll(paths::snapFolder(root.path()) + QStringLiteral("/.hidden"), "h"));
        ASSERT_TRUE(QDir(paths::snapFolder(root.path())).mkpath(QStringLiteral("keep")));
        ASSERT_TRUE(
            test::writeAll(paths::snapFolder(root.path()) + QStringLiteral("/keep/f"), "k"));
    }
    int recordingFileCount() const {
        const auto filter = QDir::Files | QDir::Hidden | QDir::System;
        return int(QDir(paths::snapFolder(root.path())).entryList(filter).size() +
                   QDir(paths::continueFolder(root.path())).entryList(filter).size());
    }

    QTemporaryDir settingsDir;
    QTemporaryDir files;
    test::TempDataRoot root;
};

} // namespace

TEST_F(StartUpTest, DatNamesAreClassifiedByNameWithoutOpening) {
    const auto card = DataFolder::classify(QStringLiteral("/media/card/ECGDATA.DAT"));
    EXPECT_TRUE(card.accepted);
    EXPECT_EQ(card.mode, RecordingMode::Snap);
    // The name comparison is case-sensitive.
    const auto lower = DataFolder::classify(QStringLiteral("/media/card/ecgdata.dat"));
    EXPECT_TRUE(lower.accepted);
    EXPECT_EQ(lower.mode, RecordingMode::Continuous);
    const auto recording = DataFolder::classify(QStringLiteral("/data/ContinueData/7-Con.dat"));
    EXPECT_TRUE(recording.accepted);
    EXPECT_EQ(recording.mode, RecordingMode::Continuous);
}

TEST_F(StartUpTest, MixedCaseExtensionIsJudgedByItsMarker) {
    const QString missing = file(QStringLiteral("ECGDATA.Dat"));
    const auto refused = DataFolder::classify(missing);
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.message, (Message{ids::kDamagedFile, QStringLiteral("ECGDATA.Dat")}));
    writeWithMarker(missing, 1394, 0x55, 0xAA);
    const auto snap = DataFolder::classify(missing);
    EXPECT_TRUE(snap.accepted);
    EXPECT_EQ(snap.mode, RecordingMode::Snap);
}

TEST_F(StartUpTest, DatNameWithoutSeparatorIsJudgedByItsMarker) {
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(files.path()));
    writeWithMarker(QStringLiteral("ECGDATA.DAT"), 3000, 0x00, 0x00);
    const auto plain = DataFolder::classify(QStringLiteral("ECGDATA.DAT"));
    writeWithMarker(QStringLiteral("ECGDATA.DAT"), 3000, 0x77, 0xEE);
    const auto chart = DataFolder::classify(QStringLiteral("ECGDATA.DAT"));
    QDir::setCurrent(before);
    EXPECT_FALSE(plain.accepted);
    EXPECT_EQ(plain.message.arg, QStringLiteral("ECGDATA.DAT"));
    EXPECT_TRUE(chart.accepted);
    EXPECT_EQ(chart.mode, RecordingMode::Continuous);
}

TEST_F(StartUpTest, ChartMarkersSelectTheMode) {
    writeWithMarker(file(QStringLiteral("a.cEcg")), 1394, 0x55, 0xAA);
    writeWithMarker(file(QStringLiteral("b.cEcg")), 9000, 0x77, 0xEE);
    writeWithMarker(file(QStringLiteral("c.cEcg")), 9000, 0xAA, 0x55);
    writeWithMarker(file(QStringLiteral("d.cEcg")), 1393, 0, 0);
    EXPECT_EQ(DataFolder::classify(file(QStringLiteral("a.cEcg"))).mode, RecordingMode::Snap);
    EXPECT_EQ(DataFolder::classify(file(QStringLiteral("b.cEcg"))).mode, RecordingMode::Continuous);
    EXPECT_FALSE(DataFolder::classify(file(QStringLiteral("c.cEcg"))).accepted);
    // Shorter than 1394 bytes: the second marker byte cannot be read.
    const auto shortFile = DataFolder::classify(file(QStringLiteral("d.cEcg")));
    EXPECT_FALSE(shortFile.accepted);
    EXPECT_EQ(shortFile.message, (Message{ids::kDamagedFile, QStringLiteral("d.cEcg")}));
}

TEST_F(StartUpTest, ClassifyRecordFileSetsTheSharedStateOnlyOnSuccess) {
    AppState state;
    EXPECT_EQ(DataFolder::ClassifyRecordFile(file(QStringLiteral("none.cEcg")), state).message().id,
              ids::kDamagedFile);
    EXPECT_EQ(state.recordingMode, RecordingMode::None);
    EXPECT_FALSE(state.pendingFile);
    EXPECT_TRUE(DataFolder::ClassifyRecordFile(QStringLiteral("/c/ECGDATA.DAT"), state).ok());
    EXPECT_EQ(state.recordingMode, RecordingMode::Snap);
    EXPECT_TRUE(state.pendingFile);
    EXPECT_EQ(state.pendingPath, QStringLiteral("/c/ECGDATA.DAT"));
}

TEST_F(StartUpTest, MissingResourceLibraryLeavesTheProgramsOwnTexts) {
    Langpack::unload();
    EXPECT_EQ(StartUp::applicationName(), QStringLiteral("Vantora  System "));
    const auto refused = DataFolder::classify(file(QStringLiteral("x.bin")));
    EXPECT_EQ(refused.message.id, ids::kDamagedFile);
    EXPECT_TRUE(refused.message.text().isEmpty());
    ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    EXPECT_TRUE(refused.message.text().contains(QStringLiteral("x.bin")));
    EXPECT_NE(StartUp::applicationName(), QStringLiteral("Vantora  System "));
}

TEST_F(StartUpTest, DataRootIsSavedAndLoaded) {
    QString path = QStringLiteral("unchanged");
    EXPECT_FALSE(StartUp::LoadDataRoot(path));
    EXPECT_EQ(path, QStringLiteral("unchanged"));
    EXPECT_TRUE(StartUp::SaveDataRoot(QStringLiteral("/home/u/ecg")));
    EXPECT_TRUE(StartUp::LoadDataRoot(path));
    EXPECT_EQ(path, QStringLiteral("/home/u/ecg"));
}

TEST_F(StartUpTest, DatAssociationIsWrittenOnlyWhenFreeOrOurs) {
    EXPECT_TRUE(StartUp::RegisterDatShellNew(QStringLiteral("Corvid.Document")));
    AppSettings settings;
    EXPECT_EQ(settings.string(AppSettings::kDatDefault), QStringLiteral("Corvid.Document"));
    EXPECT_EQ(settings.string(AppSettings::kDatNullFile), QString());
    settings.remove(AppSettings::kDatNullFile);
    EXPECT_TRUE(StartUp::RegisterDatShellNew(QStringLiteral("Corvid.Document")));
    EXPECT_TRUE(AppSettings().string(AppSettings::kDatNullFile).has_value());

    AppSettings().setString(AppSettings::kDatDefault, QStringLiteral("Other.Program"));
    AppSettings().remove(AppSettings::kDatNullFile);
    EXPECT_TRUE(StartUp::RegisterDatShellNew(QStringLiteral("Corvid.Document")));
    EXPECT_EQ(AppSettings().string(AppSettings::kDatDefault), QStringLiteral("Other.Program"));
    EXPECT_FALSE(AppSettings().string(AppSettings::kDatNullFile).has_value());
}

TEST_F(StartUpTest, FileTypeIdComesFromTheTemplateString) {
    Langpack::unload();
    EXPECT_EQ(StartUp::fileTypeIdOfTemplate(Langpack::text(ids::kDocTemplate)),
              QStringLiteral("Corvid.Document"));
    EXPECT_EQ(StartUp::fileTypeIdOfTemplate(QStringLiteral("a\nb\nc")), QString());
}

TEST_F(StartUpTest, FirstStartZeroEmptiesRegistryAndRecordings) {
    ASSERT_TRUE(test::writeAll(paths::registry(root.path()), QByteArray(4 + 1388, '\1')));
    putRecordingFiles();
    AppSettings().setInt32(AppSettings::kFirstStart, 0);
    DataFolder::CheckFirstStart(root.path());
    EXPECT_EQ(QFileInfo(paths::registry(root.path())).size(), 0);
    EXPECT_EQ(recordingFileCount(), 0);
    EXPECT_TRUE(QFileInfo::exists(paths::snapFolder(root.path()) + QStringLiteral("/keep/f")));
    EXPECT_EQ(AppSettings().int32(AppSettings::kFirstStart), 1);
    // The next start changes nothing.
    ASSERT_TRUE(test::writeAll(paths::registry(root.path()), "abcd"));
    DataFolder::CheckFirstStart(root.path());
    EXPECT_EQ(test::readAll(paths::registry(root.path())), QByteArray("abcd"));
}

TEST_F(StartUpTest, FirstStartMissingOrOneChangesNothing) {
    ASSERT_TRUE(test::writeAll(paths::registry(root.path()), "abcd"));
    putRecordingFiles();
    const int files = recordingFileCount();
    DataFolder::CheckFirstStart(root.path());
    EXPECT_FALSE(AppSettings().int32(AppSettings::kFirstStart).has_value());
    AppSettings().setInt32(AppSettings::kFirstStart, 1);
    DataFolder::CheckFirstStart(root.path());
    EXPECT_EQ(test::readAll(paths::registry(root.path())), QByteArray("abcd"));
    EXPECT_EQ(recordingFileCount(), files);
}

TEST_F(StartUpTest, FirstStartWithoutRegistryFolderStaysPending) {
    AppSettings().setInt32(AppSettings::kFirstStart, 0);
    putRecordingFiles();
    DataFolder::CheckFirstStart(root.path() + QStringLiteral("/missing"));
    EXPECT_EQ(AppSettings().int32(AppSettings::kFirstStart), 0);
}

TEST_F(StartUpTest, FirstDisplayDeletesRecordingsOfAnEmptyRegistry) {
    putRecordingFiles();
    ASSERT_TRUE(test::writeAll(paths::registry(root.path()), test::ByteWriter().i32(2).bytes()));
    EXPECT_TRUE(DataFolder::checkDataFolder(root.path()).ok());
    EXPECT_EQ(recordingFileCount(), 3);
    ASSERT_TRUE(test::writeAll(paths::registry(root.path()), test::ByteWriter().i32(0).bytes()));
    EXPECT_TRUE(DataFolder::checkDataFolder(root.path()).ok());
    EXPECT_EQ(recordingFileCount(), 0);
    EXPECT_TRUE(QFileInfo::exists(paths::snapFolder(root.path()) + QStringLiteral("/keep/f")));
}

TEST_F(StartUpTest, FirstDisplayCreatesAMissingRegistry) {
    putRecordingFiles();
    EXPECT_TRUE(DataFolder::checkDataFolder(root.path()).ok());
    EXPECT_TRUE(QFileInfo::exists(paths::registry(root.path())));
    EXPECT_EQ(recordingFileCount(), 0);
    EXPECT_EQ(DataFolder::checkDataFolder(root.path() + QStringLiteral("/missing")).message(),
              (Message{ids::kCannotOpen, QStringLiteral("UserDA.txt")}));
}

TEST_F(StartUpTest, RecordingFoldersAreCreatedUnderTheDataRoot) {
    QTemporaryDir bare;
    EXPECT_TRUE(DataFolder::ensureRecordingFolders(bare.path()));
    EXPECT_TRUE(QFileInfo(paths::snapFolder(bare.path())).isDir());
    EXPECT_TRUE(QFileInfo(paths::continueFolder(bare.path())).isDir());
    EXPECT_TRUE(DataFolder::ensureRecordingFolders(bare.path()));
    EXPECT_FALSE(DataFolder::ensureRecordingFolders(QString()));
}

TEST_F(StartUpTest, StartWithoutFileUsesAndSavesTheCurrentFolder) {
    QTemporaryDir current;
    AppState state;
    const auto outcome = StartUp::prepare(state, current.path(), QString(), nullptr);
    EXPECT_TRUE(outcome.proceed());
    EXPECT_EQ(state.dataRoot, current.path());
    EXPECT_EQ(state.recordingMode, RecordingMode::None);
    EXPECT_FALSE(state.pendingFile);
    EXPECT_EQ(AppSettings().string(AppSettings::kFullPath), current.path());
    EXPECT_TRUE(QFileInfo(paths::snapFolder(current.path())).isDir());
    EXPECT_TRUE(QFileInfo(paths::continueFolder(current.path())).isDir());
    EXPECT_EQ(AppSettings().string(AppSettings::kDatDefault), QStringLiteral("Corvid.Document"));
}

TEST_F(StartUpTest, StartWithFileUsesTheSavedDataRoot) {
    StartUp::SaveDataRoot(root.path());
    writeWithMarker(file(QStringLiteral("p.cEcg")), 1394, 0x77, 0xEE);
    AppState state;
    const auto outcome = StartUp::prepare(state, files.path(), QStringLiteral("p.cEcg"), nullptr);
    EXPECT_TRUE(outcome.proceed());
    EXPECT_EQ(state.dataRoot, root.path());
    EXPECT_EQ(state.recordingMode, RecordingMode::Continuous);
    EXPECT_TRUE(state.pendingFile);
    EXPECT_EQ(state.pendingPath, file(QStringLiteral("p.cEcg")));
    EXPECT_EQ(AppSettings().string(AppSettings::kFullPath), root.path());
    EXPECT_EQ(RecentFiles::load(AppSettings()), QStringList{state.pendingPath});
}

TEST_F(StartUpTest, StartWithFileWithoutSavedRootUsesTheWorkingFolderUnsaved) {
    AppState state;
    state.dataRoot = QStringLiteral("before");
    const auto outcome =
        StartUp::prepare(state, files.path(), QStringLiteral("/x/ECGDATA.DAT"), nullptr);
    EXPECT_TRUE(outcome.proceed());
    EXPECT_EQ(state.dataRoot, files.path());
    EXPECT_TRUE(QFileInfo(paths::snapFolder(files.path())).isDir());
    EXPECT_EQ(state.recordingMode, RecordingMode::Snap);
    EXPECT_FALSE(AppSettings().string(AppSettings::kFullPath).has_value());
}

TEST_F(StartUpTest, StartWithUnknownFileEnds) {
    ASSERT_TRUE(test::writeAll(file(QStringLiteral("notes.txt")), "hello"));
    AppState state;
    const auto outcome =
        StartUp::prepare(state, files.path(), QStringLiteral("notes.txt"), nullptr);
    EXPECT_EQ(outcome.kind, StartUp::Outcome::Kind::RefusedFile);
    EXPECT_EQ(outcome.message, (Message{ids::kDamagedFile, QStringLiteral("notes.txt")}));
    EXPECT_FALSE(state.pendingFile);
    EXPECT_TRUE(RecentFiles::load(AppSettings()).isEmpty());
}

TEST_F(StartUpTest, SecondCopyEndsWithoutTouchingSettings) {
    QTemporaryDir lockDir;
    SingleInstance first(lockDir.path());
    ASSERT_TRUE(first.tryBecomePrimary());
    SingleInstance second(lockDir.path());
    AppState state;
    const auto outcome = StartUp::prepare(state, files.path(), QString(), &second);
    EXPECT_EQ(outcome.kind, StartUp::Outcome::Kind::SecondCopy);
    EXPECT_EQ(outcome.message.id, ids::kAlreadyRunning);
    EXPECT_FALSE(AppSettings().string(AppSettings::kFullPath).has_value());
    EXPECT_FALSE(QFileInfo::exists(paths::snapFolder(files.path())));
}
