#include "app/StationApp.h"

#include "app/SingleInstance.h"
#include "app/StartUp.h"
#include "core/Langpack.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PageIds.h"
#include "ui/frame/ShellDocument.h"
#include "ui/widgets/SplashScreen.h"

#include <QGuiApplication>

namespace vantora {

StationApp::StationApp(Options options) : options_(std::move(options)) {}

StationApp::~StationApp() = default;

QString StationApp::fileArgument(const QStringList& arguments) {
    for (const QString& a : arguments)
        if (!a.startsWith(u'-'))
            return a;
    return {};
}

bool StationApp::splashWanted(const QStringList& arguments) {
    for (const QString& a : arguments) {
        const QString s = a.toLower();
        if (s == u"-embedding" || s == u"/embedding" || s == u"-automation" || s == u"/automation")
            return false;
    }
    return true;
}

bool StationApp::InitInstance(const QString& currentFolder, const QStringList& arguments) {
    instance_ = std::make_unique<SingleInstance>(options_.instanceFolder);
    const StartUp::Outcome outcome =
        StartUp::prepare(state_, currentFolder, fileArgument(arguments), instance_.get());
    if (!outcome.proceed()) {
        if (!outcome.message.isNone())
            prompter_.show(outcome.message);
        return false;
    }
    if (const QString name = StartUp::applicationName(); !name.isEmpty())
        QGuiApplication::setApplicationDisplayName(name.trimmed());

    frame_ = std::make_unique<MainFrame>(state_, options_.pages);
    if (!frame_->OnCreate())
        return false;
    const int first =
        state_.recordingMode == RecordingMode::None ? page::kHome : page::kRecordManagement;
    if (!frame_->ShowPage(first) && first != page::kHome)
        frame_->ShowPage(page::kHome);
    if (options_.splash && splashWanted(arguments))
        SplashScreen::ShowSplashScreen(frame_.get());
    connect(instance_.get(), &SingleInstance::pathReceived, this, &StationApp::onPathHandedOver);
    frame_->show();
    frame_->setWindowTitle(Langpack::text(Langpack::kAppTitle));
    return true;
}

void StationApp::onPathHandedOver(const QString& path) {
    if (!frame_)
        return;
    frame_->raise();
    frame_->activateWindow();
    frame_->document().OnOpenDocument(path, frame_.get());
}

int StationApp::ExitInstance() {
    frame_.reset();
    if (Langpack::isLoaded())
        Langpack::unload();
    return 0;
}

} // namespace vantora
