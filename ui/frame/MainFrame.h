#pragma once

#include "ui/frame/MessageBoxPrompter.h"
#include "ui/frame/PageHost.h"
#include "ui/frame/PageRegistry.h"

#include <QHash>
#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <memory>

class QAction;
class QDialog;
class QLabel;
class QToolBar;

namespace vantora {

class ShellDocument;
class Page;
struct AppState;
struct FrameSituation;

// The station's one top-level window: three toolbars and exactly one page at a
// time, built afresh on every switch. It opens at 1024 x 768 or where it was
// closed, always wholly on a screen that exists, and may be resized: pages
// lay out in what it offers and scroll below their smallest size.
class MainFrame : public QMainWindow, public PageHost {
    Q_OBJECT
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;
    // Small enough for a 1024 x 600 screen with panels and a title bar.
    static constexpr int kMinimumWidth = 640;
    static constexpr int kMinimumHeight = 400;

    MainFrame(AppState& state, PageRegistry pages, QWidget* parent = nullptr);
    ~MainFrame() override;

    // Builds the toolbars; false when one of them cannot be loaded from the
    // resource library (the program then does not start).
    bool OnCreate();

    // Switches to a page: builds it, makes it active, gives it its initial update
    // and deletes the page left. Returns the new page, or null when no class is
    // registered for the id (the active page then stays).
    Page* ShowPage(int pageId) override;
    Page* activeView() const { return active_; }
    // Page class of the active view (page::classOf), page::kNone when none.
    int activePageClass() const;
    bool pageAvailable(int pageClass) const override { return pages_.has(pageClass); }

    // A file handed to the running program, after the document accepted it.
    void HandFileToPages(const QString& path);
    // The data root's help file with the desktop's viewer.
    void openHelp() override;
    // Patient manager dialog (32776), information dialog 160 (32778). After
    // the patient manager the active page re-reads its patients.
    void OnPatientManager() override;
    void OnAbout() override;

    // Runs the frame's modal dialogs (exec); tests replace it.
    using DialogRunner = std::function<int(QDialog&)>;
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }

    // The status bar: the page's own line (left; "Ready" when the page has
    // none, cleared on every page switch) and the name of the shown mode (right).
    void showPageStatus(const QString& text) override;
    const QString& pageStatus() const { return pageStatusText_; }
    QString modeStatus() const;
    // While another process writes the data folder, the status bar says so
    // (62601 with the writer): the window can only read meanwhile. Asked
    // every second; tests call it directly.
    void refreshFolderStatus();
    QString folderStatus() const;

    // Re-evaluates the enabling rule of every command.
    void UpdateCommandUI() override;
    bool isCommandEnabled(int command) const;
    // Runs a command as its toolbar button does (when enabled).
    void runCommand(int command);
    // The handler of a command, whatever its enabling.
    void OnCommand(int command) override;
    QAction* action(int command) const { return actions_.value(command); }
    QToolBar* toolbarMain() const { return toolbarMain_; }
    QToolBar* toolbarRecords() const { return toolbarRecords_; }
    QToolBar* toolbarTools() const override { return toolbarTools_; }

    AppState& state() const override { return state_; }
    MessageBoxPrompter& prompter() override { return prompter_; }
    ShellDocument& document() const { return *doc_; }

    // Opens a URL with the desktop (help file); tests replace it.
    using UrlOpener = std::function<bool(const QUrl&)>;
    void setUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
    // The user guide Help opens when the data folder has no ECG.chm: by default
    // the one the package installs beside the program's folder. Tests replace it.
    void setInstalledGuide(const QString& path) { installedGuide_ = path; }
    // Files dropped on the window: only the first is opened.
    void dropFiles(const QList<QUrl>& urls);

    // Print preview (32782 of a page): `view` takes the active page's place,
    // which stays alive but hidden, and the frame's toolbars step aside until
    // ClosePreview returns to that page. A page switch closes it first.
    void OpenPreview(QWidget* view) override;
    void ClosePreview() override;
    void quit() override { close(); }
    HospitalLink* hospitalLink() override { return link_; }
    QWidget* previewView() const { return preview_; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool createToolbars();
    void buildMenus();
    QToolBar* addBar(const QString& name, const QList<std::pair<int, int>>& commandIcons);
    QAction* makeAction(int command, int icon);
    void switchByCommand(int command);
    void switchMode(int command);
    void placeOnScreen();
    void keepOnScreen();
    void giveIdleStep();
    FrameSituation situation() const;
    void keepProgramTitle();

    AppState& state_;
    PageRegistry pages_;
    MessageBoxPrompter prompter_;
    std::unique_ptr<ShellDocument> doc_;
    QWidget* host_ = nullptr;
    Page* active_ = nullptr;
    QWidget* preview_ = nullptr;
    QToolBar* toolbarMain_ = nullptr;
    QToolBar* toolbarRecords_ = nullptr;
    QToolBar* toolbarTools_ = nullptr;
    QHash<int, QAction*> actions_;
    QLabel* rootLabel_ = nullptr;
    QLabel* modeLabel_ = nullptr;
    QLabel* pageStatus_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    HospitalLink* link_ = nullptr;
    QString pageStatusText_;
    UrlOpener openUrl_;
    QString installedGuide_;
    DialogRunner runDialog_;
};

} // namespace vantora
