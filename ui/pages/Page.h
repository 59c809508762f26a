#pragma once

#include <QList>
#include <QPointer>
#include <QToolBar>
#include <QWidget>

class QAction;

namespace vantora {

class PageHost;
class MessageBoxPrompter;
struct AppState;
struct Message;

// Base of every page the main frame shows. A page is built afresh by the frame
// on every switch (PageHost::ShowPage), gets OnInitialUpdate once, and is
// deleted when the user leaves it: it keeps nothing but what it wrote to files
// or to the shared AppState.
class Page : public QWidget {
    Q_OBJECT
public:
    explicit Page(PageHost& frame);
    ~Page() override;

    // Set by a page while it shows a recording that can be printed; enables the
    // frame's print, preview, picture and mail commands.
    bool m_bHasRecord = false;
    void setHasRecord(bool hasRecord);
    // A command of the page that needs its printable content: enabled with
    // m_bHasRecord, and a button on the frame's report toolbar while the page
    // shows (its menu, if any, drops down from the button).
    void addRecordCommand(QAction* action);

    // The id the frame created the page with (its control id).
    int pageId() const { return pageId_; }
    void setPageId(int id) { pageId_ = id; }

    // Called by the frame once, after the page became the active view.
    virtual void OnInitialUpdate() {}
    // Frame commands handled by the active page: print 32779, preview 32782,
    // save picture 32780 and mail picture 32781.
    virtual void OnFilePrint() {}
    virtual void OnFilePrintPreview() {}
    virtual void OnSavePicture() {}
    virtual void OnMailPicture() {}
    // "Send to archive" (Tools menu): what the page has selected goes to the
    // archive in the background; pages without recordings do nothing.
    virtual void OnSendToArchive() {}
    // Patients or recordings may have changed under the page (the patient
    // manager closed, or the mode changed while the page stays): re-read what
    // it lists.
    virtual void OnRecordsChanged() {}
    // Idle-time step, given while the page is active and the event loop is idle.
    virtual void OnIdle() {}
    // Chart import for the current mode of a file handed to the running program
    // (the record management page).
    virtual void importHandedFile(const QString& path) { Q_UNUSED(path); }

    static constexpr unsigned kBackground = 0xB4C8FF; // pages and toolbars

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    PageHost& frame() const { return frame_; }
    AppState& state() const;
    MessageBoxPrompter& prompter() const;
    void showMessage(const Message& message) const;

private:
    void placeRecordCommand(QAction* action);

    PageHost& frame_;
    int pageId_ = 0;
    QList<QAction*> recordCommands_; // children of the page
    // Where they were placed: hiding may come from the frame's destructor,
    // when the frame can no longer be asked.
    QPointer<QToolBar> commandBar_;
};

} // namespace vantora
