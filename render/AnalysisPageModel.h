#pragma once

#include "analysis/AnalysisRun.h"
#include "analysis/ResultFields.h"
#include "core/Message.h"
#include "render/StripGeometry.h"
#include "render/StripPointList.h"

#include <QPoint>
#include <QSize>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vantora {

// What the analysis page must do after a row click.
struct RowClickOutcome {
    bool ignored = false;
    bool redrawRows = false;
    bool repaintPanel = false;
};

// The analysis page without its widgets: the loaded recording, its strip
// points, the two-click window selection, the analysis run, the averaged beat
// it shows and the six result fields. The page forwards tree selections and
// row clicks here and draws what it holds.
class AnalysisPageModel {
public:
    explicit AnalysisPageModel(QString libraryPath = {});

    // A recording was selected: forget the clicks, build its rows and analyse
    // all of it (0 to 7499); a failed run clears the results.
    void showRecording(std::span<const int32_t> samples);
    // A patient or nothing was selected: no results, no rows, zero samples.
    void showNoRecording();
    // The tree selection changed to an item whose label is not a recording
    // number: only the click flags are cleared.
    void forgetClicks();

    // Analyses the window of the loaded samples; fills the fields and shows the
    // new beat on success. False leaves the fields as they were.
    bool RunAnalysis(int32_t start, int32_t end);
    // "..." in the six fields, no beat shown.
    void clearResults();

    // A click at (x, y) of the row list (x from the list's left edge, y from
    // the top of row 0).
    RowClickOutcome rowClicked(int x, int y);
    // Row under a point of the list, -1 when none.
    static int rowAt(int x, int y);
    // Sample index of a click point: (x - 15) * 3.2594524119947845 + row * 2500.
    static int32_t sampleAt(int x, int row);

    // After a run: the analysis library could not be loaded (62029 with the
    // path tried); none when it loaded.
    Message libraryProblem() const;

    bool hasRecording() const { return hasRecording_; }
    bool analysisValid() const { return run_.valid(); }
    const AnalysisRun& run() const { return run_; }
    const ResultFieldTexts& fields() const { return fields_; }
    const std::vector<int32_t>& samples() const { return samples_; }
    const StripPointList& points() const { return points_; }
    RowCursor firstCursor() const;
    RowCursor secondCursor() const;
    bool firstClickTaken() const { return firstTaken_; }
    bool secondClickTaken() const { return secondTaken_; }

    // The run's beat and parameters are shown (a run succeeded since the last
    // clearing). The revision changes whenever what is shown changes, so a
    // panel knows when to take the beat again.
    bool beatShown() const { return beatShown_; }
    int resultRevision() const { return resultRevision_; }

    static QSize rowSize();
    int gain() const { return gain_; }
    void setGain(int gain) { gain_ = gain; }

private:
    void discardRows();
    void buildRows();

    AnalysisRun run_;
    std::vector<int32_t> samples_;
    StripPointList points_;
    ResultFieldTexts fields_;
    bool beatShown_ = false;
    int resultRevision_ = 0;
    bool hasRecording_ = false;
    int gain_ = 1;
    QPoint first_{-1, -1};
    QPoint second_{-1, -1};
    bool firstTaken_ = false;
    bool secondTaken_ = false;
};

} // namespace vantora
