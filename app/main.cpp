#include "app/StationApp.h"
#include "app/StationPages.h"
#include "render/PictureMail.h"
#include "ui/frame/MessageBoxPrompter.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {

// VANTORA_MESSAGES=stderr writes every message to the error output instead of
// a message box and answers every question with No (scripts, process tests).
void routeMessagesToStderr() {
    vantora::MessageBoxPrompter::setHook([](const QString& text, bool question) {
        std::fprintf(stderr, "%s%s\n", question ? "? " : "", qPrintable(text));
        std::fflush(stderr);
        return false;
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (qEnvironmentVariable("VANTORA_MESSAGES") == u"stderr")
        routeMessagesToStderr();
    vantora::StationApp corvid({vantora::stationPages(), QString(), true});
    if (!corvid.InitInstance(QDir::currentPath(), app.arguments().mid(1)))
        return corvid.ExitInstance();
    // Mailed pictures stay until the mail program had time to read them; the
    // only instance removes what a crash left, and its own at exit.
    vantora::cleanMailFolder();
    const int code = app.exec();
    corvid.ExitInstance();
    vantora::cleanMailFolder();
    return code;
}
