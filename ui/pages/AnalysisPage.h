#pragma once

#include "core/RecordingMode.h"
#include "records/AnalysisTreeModel.h"
#include "render/AnalysisPageModel.h"
#include "ui/pages/Page.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QLineEdit;
class QPushButton;
class QPrinter;
class QTreeView;

namespace vantora {

class AnalysisRowList;
class AnalysisTreeItemModel;
class AveragedBeatView;
class NoteField;
struct AnalysisPictureContent;
class ReportPage;
struct FileRequest;

// The analysis page (page 1007): a patient and recording tree, the record
// fields, the recording in three 10 s rows, the averaged beat and six results.
// Selecting a recording analyses all of it; two clicks on the rows analyse the
// stretch between them. The tree lives in AnalysisTreeModel, the rows, the
// analysis and its results in AnalysisPageModel; the page forwards and draws.
class AnalysisPage : public Page {
    Q_OBJECT
public:
    // libraryPath: the analysis library; empty is the one beside the program.
    explicit AnalysisPage(PageHost& frame, QString libraryPath = {});
    ~AnalysisPage() override;

    void OnInitialUpdate() override;
    // Re-reads the tree (patients changed, or the mode): the selection stays
    // when its patient and recording are still listed in the same store.
    void OnRecordsChanged() override;

    // The store kind the page lists: Continuous in Continuous mode, else Snap.
    RecordingMode storeMode() const;

    const AnalysisPageModel& model() const { return model_; }
    const AnalysisTreeModel& treeModel() const { return treeModel_; }
    QTreeView* tree() const { return tree_; }
    AnalysisRowList* rowList() const { return rows_; }
    AveragedBeatView* beatWindow() const { return beat_; }
    NoteField* noteField() const { return note_; }
    QLineEdit* resultField(int k) const { return results_[size_t(k)]; }
    QLineEdit* dateField() const { return date_; }
    QLineEdit* rateField() const { return rate_; }
    QPushButton* trendButton() const { return trend_; }

    // Handlers (also driven by tests).
    void OnRecordingSelected();
    void OnRowClicked(int x, int y);
    void OnNoteClicked();
    // Save picture (32780) and mail picture (32781) of the selected recording.
    void OnSavePicture() override;
    void OnMailPicture() override;
    // The save dialog; tests answer it instead of the user.
    using FileChooser = std::function<std::optional<QString>(const FileRequest&)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    // The analysis report: print (32779), preview (32782) and save as PDF
    // (Ctrl+Shift+S, or the toolbar button whose menu chooses the paper). A
    // printer set here stands for the dialog's choice (tests).
    void OnFilePrint() override;
    void OnFilePrintPreview() override;
    void OnSavePdf();
    // "Export for other tools": the selected recording, or all recordings of
    // the selected patient, as EDF+ or CSV (Ctrl+Shift+E, the tree's menu).
    void OnExportForOtherTools();
    // "Send to archive": the selected recording and its report, in the background.
    void OnSendToArchive() override;
    void setPrinter(QPrinter* printer) { printer_ = printer; }

private:
    void buildLayout();
    QWidget* buildResults();
    void fillTree();
    void showLibraryStatus();
    void showFields();
    void describeViews();
    void showRecordFields(bool shown);
    AnalysisPictureContent pictureContent() const;
    std::unique_ptr<ReportPage> reportPage(const QSize& sheetUnits) const;

    AnalysisPageModel model_;
    AnalysisTreeModel treeModel_;
    AnalysisTreeItemModel* treeItems_ = nullptr;
    QTreeView* tree_ = nullptr;
    AnalysisRowList* rows_ = nullptr;
    AveragedBeatView* beat_ = nullptr;
    NoteField* note_ = nullptr;
    QLineEdit* date_ = nullptr;
    QLineEdit* rate_ = nullptr;
    QPushButton* trend_ = nullptr;
    std::array<QLineEdit*, 6> results_{};
    FileChooser chooseFile_;
    QPrinter* printer_ = nullptr;
};

} // namespace vantora
