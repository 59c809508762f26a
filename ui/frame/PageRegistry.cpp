#include "ui/frame/PageRegistry.h"

#include "ui/frame/PageIds.h"
#include "ui/pages/Page.h"

namespace vantora {

Page* PageRegistry::create(int pageId, PageHost& frame) const {
    const auto it = factories_.constFind(page::classOf(pageId));
    if (it == factories_.constEnd())
        return nullptr;
    Page* view = (*it)(frame);
    if (view)
        view->setPageId(pageId);
    return view;
}

} // namespace vantora
