#include "ui/frame/PageRegistry.h"

#include "ui/pages/CFormViewEx.h"
#include "ui/frame/PageIds.h"

namespace vantora {

CFormViewEx* PageRegistry::create(int pageId, CMainFrame& frame) const {
    const auto it = factories_.constFind(page::classOf(pageId));
    if (it == factories_.constEnd())
        return nullptr;
    CFormViewEx* view = (*it)(frame);
    if (view)
        view->setPageId(pageId);
    return view;
}

} // namespace vantora
