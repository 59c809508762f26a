#include "app/StartUp.h"

#include "app/SingleInstance.h"
#include "core/AppSettings.h"
#include "core/DataPaths.h"
#include "core/Langpack.h"
#include "core/RecentFiles.h"
#include "core/StringIds.h"
#include "records/DataFolder.h"

#include <QDir>
#include <QFileInfo>

namespace vantora {

namespace {

constexpr int kTemplateFileTypeField = 5;

} // namespace

bool StartUp::SaveDataRoot(const QString& path) {
    return AppSettings().setString(AppSettings::kFullPath, path);
}

bool StartUp::LoadDataRoot(QString& path) {
    const auto value = AppSettings().string(AppSettings::kFullPath);
    if (!value)
        return false;
    path = *value;
    return true;
}

bool StartUp::RegisterDatShellNew(const QString& fileTypeId) {
    AppSettings settings;
    const auto current = settings.string(AppSettings::kDatDefault);
    if (current && !current->isEmpty() && *current != fileTypeId)
        return true; // ".dat" belongs to another program
    if (!settings.setString(AppSettings::kDatDefault, fileTypeId))
        return false;
    settings.setString(AppSettings::kDatNullFile, QString());
    return true;
}

QString StartUp::fileTypeIdOfTemplate(const QString& templateText) {
    const QStringList fields = templateText.split(u'\n');
    return fields.size() > kTemplateFileTypeField ? fields[kTemplateFileTypeField] : QString();
}

QString StartUp::applicationName() {
    return Langpack::text(ids::kAppTitle);
}

StartUp::Outcome StartUp::prepare(AppState& state, const QString& currentFolder,
                                  const QString& fileArg, SingleInstance* instance) {
    Langpack::loadBesideExecutable();
    const QString file =
        fileArg.isEmpty() ? QString() : QDir(currentFolder).absoluteFilePath(fileArg);
    if (instance && !instance->tryBecomePrimary()) {
        if (!file.isEmpty() && instance->sendToPrimary(file))
            return {Outcome::Kind::HandedOver, {}};
        return {Outcome::Kind::SecondCopy, Message{ids::kAlreadyRunning, {}}};
    }

    state.dataRoot = QDir::cleanPath(QDir(currentFolder).absolutePath());
    if (file.isEmpty()) {
        SaveDataRoot(state.dataRoot);
    } else {
        // Without a saved root an empty one would put every data file at the
        // file system's root; the working folder serves instead, unsaved.
        QString saved;
        if (LoadDataRoot(saved) && !saved.isEmpty())
            state.dataRoot = saved;
        if (const Result<> classified = DataFolder::ClassifyRecordFile(file, state);
            !classified.ok())
            return {Outcome::Kind::RefusedFile, classified.message()};
        AppSettings settings; // the file the station was started with is an opened file
        RecentFiles::record(settings, state.pendingPath);
    }
    DataFolder::ensureRecordingFolders(state.dataRoot);

    const QString fileTypeId = fileTypeIdOfTemplate(Langpack::text(ids::kDocTemplate));
    if (!fileTypeId.isEmpty())
        RegisterDatShellNew(fileTypeId);
    return {};
}

} // namespace vantora
