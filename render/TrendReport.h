#pragma once

#include "render/ReportPage.h"
#include "render/TrendPageModel.h"

#include <QSize>

#include <memory>

namespace vantora {

// The trend report: title, patient, the summary line and the six plots of the
// model's view on one landscape sheet of `sheetUnits`. The page draws from
// `model`, which must outlive it.
std::unique_ptr<ReportPage> MakeTrendReportPage(const TrendPageModel& model,
                                                const QString& patientId,
                                                const QString& patientName,
                                                const QSize& sheetUnits);

} // namespace vantora
