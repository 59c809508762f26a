#pragma once

#include "ui/frame/MessageBoxPrompter.h"

#include <QString>

class QToolBar;
class QWidget;

namespace vantora {

class HospitalLink;
class Page;
struct AppState;

// What a page asks of the window that shows it: the shared state, the message
// boxes, the status line, the switch to another page, the print preview and
// the shell's own dialogs. MainFrame is the one host; a page knows no more
// of it than this.
class PageHost {
public:
    virtual ~PageHost() = default;

    virtual AppState& state() const = 0;
    virtual MessageBoxPrompter& prompter() = 0;
    // The page's line on the status bar ("Ready" when empty).
    virtual void showPageStatus(const QString& text) = 0;

    // Switches to another page; null when none is built for the id.
    virtual Page* ShowPage(int pageId) = 0;
    virtual bool pageAvailable(int pageClass) const = 0;
    // Re-evaluates which commands are enabled (a page's state changed).
    virtual void UpdateCommandUI() = 0;
    // The bar a page's own report commands join while it shows.
    virtual QToolBar* toolbarTools() const = 0;
    // Runs a frame command through its handler (print, after the preview).
    virtual void OnCommand(int command) = 0;

    // The print preview takes the page's place until closed.
    virtual void OpenPreview(QWidget* view) = 0;
    virtual void ClosePreview() = 0;

    // The home page's buttons: help, the patient manager, about, exit.
    virtual void openHelp() = 0;
    virtual void OnPatientManager() = 0;
    virtual void OnAbout() = 0;
    virtual void quit() = 0;

    // The hospital connection (DICOM settings, worklist, archive); null in a
    // host without one.
    virtual HospitalLink* hospitalLink() { return nullptr; }
};

} // namespace vantora
