#pragma once

#include "support/TestData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace vantora::test {

// One run of the built vantora-cli.
struct CliRun {
    int exitCode = -1; // -1: crashed or did not finish
    QByteArray out;
    QString err;
    QJsonValue json() const {
        const QJsonDocument doc = QJsonDocument::fromJson(out);
        return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
    }
};

// Runs vantora-cli with args; input is its standard input, closed afterwards
// (a question then reads end of input, which answers No).
inline CliRun finishCli(QProcess& p) {
    CliRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    if (p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

inline CliRun runCli(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.setProgram(binDir() + QStringLiteral("/vantora-cli"));
    p.setArguments(args);
    p.start();
    p.write(input);
    p.closeWriteChannel();
    return finishCli(p);
}

// Runs vantora-cli with a terminal on its standard input, as a person at a
// shell: the other side of a pseudo-terminal types `input` (whole lines).
inline CliRun runCliOnTerminal(const QStringList& args, const QByteArray& input) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        if (master >= 0)
            ::close(master);
        return {};
    }
    QProcess p;
    p.setProgram(binDir() + QStringLiteral("/vantora-cli"));
    p.setArguments(args);
    p.setStandardInputFile(QString::fromLocal8Bit(::ptsname(master)));
    p.start();
    const bool typed = ::write(master, input.constData(), size_t(input.size())) == input.size();
    if (!typed)
        p.kill();
    const CliRun r = finishCli(p);
    ::close(master);
    return typed ? r : CliRun{};
}

} // namespace vantora::test
