#include "ui/frame/CCorvidDoc.h"

#include "ui/frame/CMainFrame.h"
#include "records/DataFolder.h"
#include "core/Langpack.h"

namespace vantora {

CCorvidDoc::CCorvidDoc(AppState& state, MessageBoxPrompter& prompter)
    : state_(state), prompter_(prompter) {}

void CCorvidDoc::OnNewDocument() {
    title_ = Langpack::text(Langpack::kAppTitle);
}

bool CCorvidDoc::OnOpenDocument(const QString& path, CMainFrame* frame) {
    if (state_.pendingFile)
        return true;
    Message refusal;
    if (!DataFolder::ClassifyRecordFile(path, state_, &refusal)) {
        prompter_.show(refusal);
        return true;
    }
    if (frame) {
        pathName_ = path;
        frame->HandFileToPages(path);
    }
    return true;
}

} // namespace vantora
