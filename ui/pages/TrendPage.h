#pragma once

#include "analysis/TrendBatch.h"
#include "render/TrendPageModel.h"
#include "ui/pages/Page.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace vantora {

class ReportPage;
class TrendView;
struct FileRequest;

// The trend page (ours, page 1010, Continuous mode): heart rate, ST, PR, QRS,
// QT and QTc of every recording of a patient's Continuous store against
// clock time. The store is analysed (or read from its cache) on a thread of
// its own while a progress bar and Cancel show; the window stays live. The
// plots' logic lives in TrendPageModel; the page holds the controls, keeps
// the limits in the settings and opens a recording on the analysis page.
class TrendPage : public Page {
    Q_OBJECT
public:
    explicit TrendPage(PageHost& frame);
    ~TrendPage() override;

    void OnInitialUpdate() override;
    void OnRecordsChanged() override;
    void OnFilePrint() override;
    void OnFilePrintPreview() override;
    void OnSavePdf();

    const TrendPageModel& model() const { return model_; }
    TrendView* view() const { return view_; }
    QComboBox* patientChooser() const { return patients_; }
    QLineEdit* cursorField() const { return cursor_; }
    QLabel* summaryField() const { return summary_; }
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* cancelButton() const { return cancel_; }
    QSpinBox* rateBelowField() const { return rateBelow_; }
    // Whether the store is being loaded.
    bool loading() const { return worker_.joinable(); }
    // Loads the chosen patient's trend again.
    void loadChosenPatient();
    // Opens the cursor's recording on the analysis page.
    void openCursorRecording();

    using FileChooser = std::function<std::optional<QString>(const FileRequest&)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    void setPrinter(QPrinter* printer) { printer_ = printer; }

private:
    void buildLayout();
    QWidget* buildLimits();
    void fillPatients();
    void stopLoading();
    void onProgress(int generation, TrendProgress progress);
    void onLoaded(int generation, Result<TrendSeries> series);
    void onLimitsEdited();
    void showCursor();
    void showLoading(bool loading);
    QString chosenId() const;
    std::unique_ptr<ReportPage> reportPage(const QSize& sheetUnits) const;

    TrendPageModel model_;
    TrendView* view_ = nullptr;
    QComboBox* patients_ = nullptr;
    QSpinBox* rateBelow_ = nullptr;
    QSpinBox* rateAbove_ = nullptr;
    QDoubleSpinBox* st_ = nullptr;
    QSpinBox* qtc_ = nullptr;
    QPushButton* showAll_ = nullptr;
    QPushButton* open_ = nullptr;
    QLineEdit* cursor_ = nullptr;
    QLabel* summary_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* progressText_ = nullptr;

    std::thread worker_;
    std::atomic<bool> cancelled_{false};
    int generation_ = 0; // tells a finished load from an earlier, abandoned one
    FileChooser chooseFile_;
    QPrinter* printer_ = nullptr;
};

} // namespace vantora
