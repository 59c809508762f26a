#pragma once

#include "core/RecordingMode.h"
#include "records/PatientListModel.h"
#include "records/RecordDialogs.h"
#include "records/ReplayPageModel.h"
#include "ui/pages/Page.h"

#include <QIcon>
#include <QList>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPrinter;
class QPushButton;
class QTextEdit;
class QTreeView;

namespace vantora {

class CaliperStripView;
class RowTableModel;
struct RecordReportSet;

// The replay page (pages 1002 and 32785): the patients with search and show
// all, the selected patient's recordings of the current kind as pages of 15
// thumbnails, and the selected one with its time, heart rate, description,
// note and large trace. A click on a thumbnail's trace chooses the stretch the
// large trace shows, marked green on the thumbnail. Page Up and Page Down
// change pages, the arrows move between thumbnails. The logic lives in
// PatientListModel and ReplayPageModel.
class ReplayPage : public Page {
    Q_OBJECT
public:
    enum PageButton { kFirst, kPrevious, kNext, kLast, kPageButtons };
    static constexpr int kThumbnailWidth = 236;

    explicit ReplayPage(PageHost& frame);

    void OnInitialUpdate() override;
    void OnRecordsChanged() override;

    // The store kind shown: Continuous in Continuous mode, else Snap.
    RecordingMode storeMode() const;

    // Handlers (also driven by tests).
    void OnPatientSelected(int row);
    void OnPageButton(int button);
    void OnThumbnailSelected(int index);
    // A click at `inImage` (thumbnail image pixels) on thumbnail `index`:
    // selects it and, when the click lies on the trace's grid band, shows the
    // stretch from there. True when the stretch moved.
    bool OnStretchChosen(int index, QPoint inImage);
    int stretchX() const { return stretchX_; }
    void OnGainChosen(int item);
    void OnFind();
    void OnShowAll();

    // The record reports of the selected recording, or of every recording of
    // the list page while the all-recordings box is ticked: print (32779, one
    // document each), preview (32782) and save as PDF (Ctrl+Shift+S or the
    // toolbar button; one file). A printer or file chooser set here answers
    // instead of the dialogs (tests).
    void OnFilePrint() override;
    void OnFilePrintPreview() override;
    void OnSavePdf();
    // "Send to archive": the selected recording and its report, in the background.
    void OnSendToArchive() override;
    void setPrinter(QPrinter* printer) { printer_ = printer; }
    using FileChooser = std::function<std::optional<QString>(const FileRequest&)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    const ReplayPageModel& model() const { return replay_; }
    const PatientListModel& patients() const { return patients_; }
    QTreeView* patientList() const { return patientList_; }
    QListView* thumbnails() const { return thumbs_; }
    QPushButton* pageButton(int button) const { return pageButtons_[size_t(button)]; }
    QLabel* pageCaption() const { return caption_; }
    QLineEdit* timeField() const { return time_; }
    QLineEdit* rateField() const { return rate_; }
    QTextEdit* infoBox() const { return info_; }
    QComboBox* gainChoice() const { return gain_; }
    QCheckBox* allRecordings() const { return all_; }
    QLineEdit* searchText() const { return search_; }
    QComboBox* searchField() const { return searchField_; }
    CaliperStripView* trace() const { return trace_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildPatientSide();
    QWidget* buildRecordSide();
    void fillPatients();
    void showPage(const Message& message);
    void showSelected();
    void showSelectionMark();
    QRect thumbnailImageRect(const QModelIndex& item) const;
    void describeTrace();

    PatientListModel patients_;
    ReplayPageModel replay_;
    QTreeView* patientList_ = nullptr;
    RowTableModel* patientRows_ = nullptr;
    QLineEdit* search_ = nullptr;
    QComboBox* searchField_ = nullptr;
    QListView* thumbs_ = nullptr;
    RowTableModel* thumbRows_ = nullptr;
    QList<QImage> thumbImages_; // one per thumbnail of the page shown, unmarked
    QList<QIcon> thumbIcons_;   // the images shown, the selected one marked
    int markedRow_ = -1;
    int stretchX_ = 0; // where the large trace's stretch starts, thumbnail pixels
    std::array<QPushButton*, kPageButtons> pageButtons_{};
    QLabel* caption_ = nullptr;
    QLineEdit* time_ = nullptr;
    QLineEdit* rate_ = nullptr;
    QTextEdit* info_ = nullptr;
    QComboBox* gain_ = nullptr;
    QLabel* gainCaption_ = nullptr;
    QCheckBox* all_ = nullptr;
    CaliperStripView* trace_ = nullptr;
    bool filling_ = false;
    QPrinter* printer_ = nullptr;
    FileChooser chooseFile_;

    // The recordings the report commands take, read for their reports: the
    // selected one, or the whole list page; no items without a selection.
    RecordReportSet selectedReport() const;
};

} // namespace vantora
