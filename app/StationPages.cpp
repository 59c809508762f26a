#include "app/StationPages.h"

#include "ui/frame/PageIds.h"
#include "ui/pages/AnalysisPage.h"
#include "ui/pages/DownloadPage.h"
#include "ui/pages/HomePage.h"
#include "ui/pages/LivePage.h"
#include "ui/pages/RecordsPage.h"
#include "ui/pages/ReplayPage.h"
#include "ui/pages/TrendPage.h"

namespace vantora {

// One line per page: pages of the work areas are added here as they are built.
PageRegistry stationPages() {
    PageRegistry pages;
    pages.add(page::kHome, [](PageHost& f) { return new HomePage(f); });
    pages.add(page::kRealTime, [](PageHost& f) { return new LivePage(f); });
    pages.add(page::kSnapData, [](PageHost& f) { return new DownloadPage(f); });
    pages.add(page::kReplay, [](PageHost& f) { return new ReplayPage(f); });
    pages.add(page::kRecordManagement, [](PageHost& f) { return new RecordsPage(f); });
    pages.add(page::kAnalysis, [](PageHost& f) { return new AnalysisPage(f); });
    pages.add(page::kTrend, [](PageHost& f) { return new TrendPage(f); });
    return pages;
}

} // namespace vantora
