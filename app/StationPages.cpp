#include "app/StationPages.h"

#include "ui/pages/CSnapAnanlyseView.h"
#include "ui/pages/CCorvidView.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/CRealMeaView.h"
#include "ui/pages/CSnapDataRePage.h"
#include "ui/pages/CSnapDataRepayProPage.h"
#include "ui/pages/CSnapRecordMPage.h"

namespace vantora {

// One line per page: pages of the work areas are added here as they are built.
PageRegistry stationPages() {
    PageRegistry pages;
    pages.add(page::kHome, [](CMainFrame& f) { return new CCorvidView(f); });
    pages.add(page::kRealTime, [](CMainFrame& f) { return new CRealMeaView(f); });
    pages.add(page::kSnapData, [](CMainFrame& f) { return new CSnapDataRePage(f); });
    pages.add(page::kReplay, [](CMainFrame& f) { return new CSnapDataRepayProPage(f); });
    pages.add(page::kRecordManagement, [](CMainFrame& f) { return new CSnapRecordMPage(f); });
    pages.add(page::kAnalysis, [](CMainFrame& f) { return new CSnapAnanlyseView(f); });
    return pages;
}

} // namespace vantora
