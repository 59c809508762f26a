#include "ui/frame/ShellDocument.h"

#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "core/RecentFiles.h"
#include "core/StringIds.h"
#include "records/DataFolder.h"
#include "ui/frame/MainFrame.h"

namespace vantora {

ShellDocument::ShellDocument(AppState& state, MessageBoxPrompter& prompter)
    : state_(state), prompter_(prompter) {}

void ShellDocument::OnNewDocument() {
    title_ = Langpack::text(ids::kAppTitle);
}

bool ShellDocument::OnOpenDocument(const QString& path, MainFrame* frame) {
    if (state_.pendingFile)
        return true;
    if (const Result<> classified = DataFolder::ClassifyRecordFile(path, state_);
        !classified.ok()) {
        prompter_.show(classified.message());
        return true;
    }
    if (frame) {
        pathName_ = path;
        AppSettings settings;
        RecentFiles::record(settings, path);
        frame->HandFileToPages(path);
    }
    return true;
}

} // namespace vantora
