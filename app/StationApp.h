#pragma once

#include "core/AppState.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/frame/PageRegistry.h"

#include <QObject>
#include <QStringList>

#include <memory>

namespace vantora {

class MainFrame;
class SingleInstance;

// The application object: start-up in order (resource library, single copy,
// data root, a file given on the command line), the main frame with its first
// page and the splash screen, and files handed over by later starts.
class StationApp : public QObject {
    Q_OBJECT
public:
    struct Options {
        PageRegistry pages;
        QString instanceFolder; // where the single-instance guard lives; empty: default
        bool splash = true;
    };
    explicit StationApp(Options options);
    ~StationApp() override;

    // True to enter the event loop; false ends the program (a second copy, a
    // file handed to the running copy, a file the program does not know).
    bool InitInstance(const QString& currentFolder, const QStringList& arguments);
    // Releases the resource library. Returns the exit code.
    int ExitInstance();

    MainFrame* mainFrame() const { return frame_.get(); }
    AppState& state() { return state_; }

    // The one file of a command line: the first argument that is no switch.
    static QString fileArgument(const QStringList& arguments);
    // Whether the splash may show: not for embedding or automation starts.
    static bool splashWanted(const QStringList& arguments);

private:
    void onPathHandedOver(const QString& path);

    Options options_;
    AppState state_;
    MessageBoxPrompter prompter_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<MainFrame> frame_;
};

} // namespace vantora
