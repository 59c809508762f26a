// The analysis page's logic: recording selection, the two-click window
// selection on the rows (click x back to samples at 3.2594524119947845 per
// pixel) and the analysis run with its result fields.
// Tested by tests/render/AnalysisPageModelTest.cpp.
#include "render/AnalysisPageModel.h"

#include "core/StringIds.h"
#include "render/StripGeometry.h"
#include "render/StripPointBuilder.h"

#include <algorithm>

namespace vantora {

AnalysisPageModel::AnalysisPageModel(QString libraryPath)
    : run_(std::move(libraryPath)), samples_(kSamplesPerRecording, 0),
      fields_(clearedResultFields()) {}

QSize AnalysisPageModel::rowSize() {
    return QSize(strip::kAnalysisRowWidth, strip::kAnalysisRowHeight);
}

void AnalysisPageModel::forgetClicks() {
    firstTaken_ = false;
    secondTaken_ = false;
}

void AnalysisPageModel::discardRows() {
    points_.clear();
    first_ = second_ = QPoint(-1, -1);
}

void AnalysisPageModel::buildRows() {
    StripRows rows;
    rows.fill(StripRow{0, strip::kAnalysisRowHeight});
    points_ = buildStripPoints(samples_, rows, gain_);
}

void AnalysisPageModel::showRecording(std::span<const int32_t> samples) {
    forgetClicks();
    discardRows();
    hasRecording_ = true;
    std::fill(samples_.begin(), samples_.end(), 0);
    std::copy_n(samples.begin(), std::min<size_t>(samples.size(), samples_.size()),
                samples_.begin());
    buildRows();
    if (!RunAnalysis(0, kSamplesPerRecording - 1))
        clearResults();
}

void AnalysisPageModel::showNoRecording() {
    forgetClicks();
    clearResults();
    run_.invalidate();
    discardRows();
    hasRecording_ = false;
    std::fill(samples_.begin(), samples_.end(), 0);
}

bool AnalysisPageModel::RunAnalysis(int32_t start, int32_t end) {
    if (!run_.run(samples_, start, end))
        return false;
    beatShown_ = true;
    ++resultRevision_;
    fields_ = resultFieldTexts(run_.parameters());
    return true;
}

Message AnalysisPageModel::libraryProblem() const {
    return run_.libraryMissing() ? Message{ids::kLibraryNotLoaded, run_.libraryPath()} : Message{};
}

void AnalysisPageModel::clearResults() {
    beatShown_ = false;
    ++resultRevision_;
    fields_ = clearedResultFields();
}

int AnalysisPageModel::rowAt(int x, int y) {
    if (x < 0 || x >= strip::kAnalysisRowWidth || y < 0)
        return -1;
    const int row = y / strip::kAnalysisRowHeight;
    return row < strip::kRowCount ? row : -1;
}

int32_t AnalysisPageModel::sampleAt(int x, int row) {
    return int32_t((x - strip::kLeftMargin) * strip::kSamplesPerPixel +
                   row * strip::kSamplesPerRow);
}

RowClickOutcome AnalysisPageModel::rowClicked(int x, int y) {
    if (rowAt(x, y) < 0 || x < strip::kLeftMargin || !hasRecording_)
        return RowClickOutcome{true, false, false};
    if (firstTaken_ && secondTaken_)
        forgetClicks();
    if (!firstTaken_) {
        first_ = QPoint(x, y);
        second_ = QPoint(-1, -1);
        firstTaken_ = true;
        clearResults();
        run_.invalidate();
        return RowClickOutcome{false, true, true};
    }
    second_ = QPoint(x, y);
    secondTaken_ = true;
    const int r1 = rowAt(first_.x(), first_.y());
    const int r2 = rowAt(second_.x(), second_.y());
    if (r1 < 0 || r2 < 0)
        return RowClickOutcome{false, true, false};
    if (r1 == r2 && first_.x() == second_.x())
        return RowClickOutcome{false, false, false};
    if (!RunAnalysis(sampleAt(first_.x(), r1), sampleAt(second_.x(), r2)))
        clearResults();
    return RowClickOutcome{false, true, true};
}

RowCursor AnalysisPageModel::firstCursor() const {
    return first_.x() < 0 ? RowCursor{} : RowCursor{rowAt(first_.x(), first_.y()), first_.x()};
}

RowCursor AnalysisPageModel::secondCursor() const {
    return second_.x() < 0 ? RowCursor{} : RowCursor{rowAt(second_.x(), second_.y()), second_.x()};
}

} // namespace vantora
