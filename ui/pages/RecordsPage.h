#pragma once

#include "records/RecordDialogs.h"
#include "records/RecordsPageModel.h"
#include "ui/pages/Page.h"

#include <memory>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextEdit;
class QTreeView;

namespace vantora {

class RecordPreview;
class RowTableModel;

// The record management page (page 1001): patients with search, the selected
// patient's recordings in the current mode, the information box, the preview
// in three rows, and delete, note, export and import. It also imports the
// file the program was handed. The logic lives in RecordsPageModel; the page
// mirrors it and shows its messages.
class RecordsPage : public Page {
    Q_OBJECT
public:
    explicit RecordsPage(PageHost& frame);
    ~RecordsPage() override;

    void OnInitialUpdate() override;
    void OnRecordsChanged() override;
    void importHandedFile(const QString& path) override;

    // The page's dialogs; tests answer them with a script.
    void setDialogs(RecordDialogs* dialogs) { dialogs_ = dialogs; }

    const RecordsPageModel& model() const { return model_; }
    QTreeView* patientList() const { return patients_; }
    QTreeView* recordingList() const { return recordings_; }
    QTextEdit* infoBox() const { return info_; }
    QLineEdit* searchText() const { return searchText_; }
    QRadioButton* searchById() const { return byId_; }
    QRadioButton* searchByName() const { return byName_; }
    QComboBox* gainChoice() const { return gain_; }
    QLabel* gainCaption() const { return gainCaption_; }
    QRadioButton* deleteAllChoice() const { return deleteAll_; }
    QRadioButton* exportAllChoice() const { return exportAll_; }
    QPushButton* button(int which) const;
    RecordPreview* preview() const { return preview_; }
    enum Button {
        kFind,
        kShowAll,
        kDelete,
        kNote,
        kExport,
        kImport,
        kSendToArchive,
        kFromArchive,
        kWorklist,
        kButtonCount
    };

    // Handlers (also driven by tests).
    void OnFind();
    void OnShowAll();
    void OnDelete();
    void OnNote();
    void OnExport();
    void OnExportForOtherTools();
    void OnImport();
    // The hospital connection: what the export choice names goes to the
    // archive; the selected patient's studies come back from it; a patient
    // is taken from the worklist.
    void OnSendToArchive() override;
    void OnFromArchive();
    void OnWorklist();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    QWidget* buildPatientPane();
    QWidget* buildCommandPane();
    void onSearchChoice();
    void onPatientRow();
    void onRecordingRow();
    void onGain(int index);
    void show(const Message& message);
    void showPatients();
    void showRecordings();
    void showRecording();
    void syncPatientSelection();

    RecordsPageModel model_;
    std::unique_ptr<RecordDialogs> ownDialogs_;
    RecordDialogs* dialogs_ = nullptr;
    int shownRevision_ = -1;
    bool syncing_ = false; // the page itself moves the lists' selection
    QTreeView* patients_ = nullptr;
    QTreeView* recordings_ = nullptr;
    RowTableModel* patientRows_ = nullptr;
    RowTableModel* recordingRows_ = nullptr;
    QTextEdit* info_ = nullptr;
    QLineEdit* searchText_ = nullptr;
    QRadioButton* byId_ = nullptr;
    QRadioButton* byName_ = nullptr;
    QComboBox* gain_ = nullptr;
    QLabel* gainCaption_ = nullptr;
    QRadioButton* deleteAll_ = nullptr;
    QRadioButton* exportAll_ = nullptr;
    QPushButton* buttons_[kButtonCount] = {};
    RecordPreview* preview_ = nullptr;
};

} // namespace vantora
