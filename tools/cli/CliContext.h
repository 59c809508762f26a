#pragma once

#include "core/Message.h"
#include "core/Result.h"

#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace vantora::cli {

// Exit status 2: the command line itself is wrong.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Exit status 1: the operation failed with a message of the station.
struct CommandFailure {
    Message message;
};

// The one way a failed result leaves a command: as a CommandFailure, which
// main turns into exit status 1 with the message on stderr.
template <class T> T valueOf(Result<T> result) {
    if (!result.ok())
        throw CommandFailure{result.message()};
    return std::move(result).value();
}
template <class T> void check(const Result<T>& result) {
    if (!result.ok())
        throw CommandFailure{result.message()};
}

// The arguments of one run. Options are taken as commands ask for them; what is
// left over when the command finishes is a usage error.
class CliContext {
public:
    explicit CliContext(QStringList args);

    QString dataRoot;       // --data, default the current folder
    bool dataReady = false; // its recording folders exist (made as start-up makes them)
    bool json = false;      // --json

    // Next positional word, or a usage error naming what was expected.
    QString takeWord(const char* what);
    std::optional<QString> takeOption(const char* name);
    QString requireOption(const char* name);
    std::optional<int> takeIntOption(const char* name);
    int requireIntOption(const char* name);
    bool takeFlag(const char* name);
    // Throws UsageError when any argument was not used.
    void finish() const;

    // Output: JSON on stdout when --json or when the command only speaks JSON.
    void printJson(const QJsonValue& value) const;
    void printLine(const QString& text) const;

private:
    QStringList args_;
};

// The command groups; each lives in its own file.
int runPatients(CliContext& ctx);
int runRecordings(CliContext& ctx);
int runNotes(CliContext& ctx);
int runImport(CliContext& ctx);
int runExport(CliContext& ctx);
int runDemo(CliContext& ctx);
int runDownload(CliContext& ctx);
int runRecord(CliContext& ctx);
int runAnalyse(CliContext& ctx);
int runReport(CliContext& ctx);
int runPicture(CliContext& ctx);
int runExportEdf(CliContext& ctx);
int runExportCsv(CliContext& ctx);
int runDicom(CliContext& ctx);

} // namespace vantora::cli
