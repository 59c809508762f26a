#include "records/DataFolder.h"

#include "core/AppSettings.h"
#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "records/BinaryFile.h"
#include "records/DataFolderLock.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace vantora {

namespace {

// A chart file names its recording kind at this offset (after the count and
// the patient record).
constexpr qint64 kChartMarkerOffset = 1392;
void deletePlainFiles(const QString& folder) {
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries)
        QFile::remove(entry.absoluteFilePath());
}

std::optional<RecordingMode> chartMarkerMode(const QString& path) {
    BinaryFile file;
    uint8_t marker[2];
    if (!file.open(path, BinaryFile::Mode::Read) ||
        !file.readAt(kChartMarkerOffset, marker, sizeof marker))
        return std::nullopt;
    if (marker[0] == 0x55 && marker[1] == 0xAA)
        return RecordingMode::Snap;
    if (marker[0] == 0x77 && marker[1] == 0xEE)
        return RecordingMode::Continuous;
    return std::nullopt;
}

} // namespace

DataFolder::Classification DataFolder::classify(const QString& path) {
    Classification result;
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString extension = dot >= 0 ? path.mid(dot) : QString();
    const qsizetype separator = path.lastIndexOf(u'/');
    if ((extension == QStringLiteral(".dat") || extension == QStringLiteral(".DAT")) &&
        separator >= 0) {
        // Only the recorder's card file has this exact name.
        const bool card = path.mid(separator + 1) == QStringLiteral("ECGDATA.DAT");
        result.accepted = true;
        result.mode = card ? RecordingMode::Snap : RecordingMode::Continuous;
        return result;
    }
    if (const auto mode = chartMarkerMode(path)) {
        result.accepted = true;
        result.mode = *mode;
        return result;
    }
    result.message = Message{ids::kDamagedFile, QFileInfo(path).fileName()};
    return result;
}

Result<> DataFolder::ClassifyRecordFile(const QString& path, AppState& state) {
    const Classification c = classify(path);
    if (!c.accepted)
        return c.message;
    state.recordingMode = c.mode;
    state.pendingFile = true;
    state.pendingPath = path;
    return {};
}

void DataFolder::CheckFirstStart(const QString& dataRoot) {
    AppSettings settings;
    const auto firstStart = settings.int32(AppSettings::kFirstStart);
    if (!firstStart || *firstStart != 0)
        return;
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot);
    if (!lock.held())
        return;
    BinaryFile registry;
    if (!registry.open(paths::registry(dataRoot), BinaryFile::Mode::Truncate))
        return;
    DeleteAllRecordingFiles(dataRoot);
    registry.close();
    settings.setInt32(AppSettings::kFirstStart, 1);
}

void DataFolder::DeleteAllRecordingFiles(const QString& dataRoot) {
    deletePlainFiles(paths::continueFolder(dataRoot));
    deletePlainFiles(paths::snapFolder(dataRoot));
}

Result<> DataFolder::checkDataFolder(const QString& dataRoot) {
    // Another process may be registering the first patient right now.
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot);
    if (!lock.held())
        return lock.message();
    BinaryFile registry;
    if (!registry.open(paths::registry(dataRoot), BinaryFile::Mode::OpenOrCreate))
        return Message{ids::kCannotOpen, QStringLiteral("UserDA.txt")};
    const int32_t count = registry.size() < 4 ? 0 : registry.readInt32At(0).value_or(0);
    // Recordings cannot belong to any patient of an empty registry.
    if (count == 0)
        DeleteAllRecordingFiles(dataRoot);
    return {};
}

bool DataFolder::ensureRecordingFolders(const QString& dataRoot) {
    if (dataRoot.isEmpty())
        return false;
    const QDir root(dataRoot);
    return root.mkpath(QFileInfo(paths::snapFolder(dataRoot)).fileName()) &&
           root.mkpath(QFileInfo(paths::continueFolder(dataRoot)).fileName());
}

} // namespace vantora
