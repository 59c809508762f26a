#include "app/StationPages.h"

#include "analysis/CSnapAnanlyseView.h"
#include "app/CCorvidView.h"
#include "app/PageIds.h"
#include "device/CRealMeaView.h"
#include "records/CSnapDataRePage.h"
#include "records/CSnapDataRepayProPage.h"
#include "records/CSnapRecordMPage.h"

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
