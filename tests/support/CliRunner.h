#pragma once

#include "support/TestData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

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
inline CliRun runCli(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.setProgram(binDir() + QStringLiteral("/vantora-cli"));
    p.setArguments(args);
    p.start();
    p.write(input);
    p.closeWriteChannel();
    CliRun r;
    if (!p.waitForFinished(60000))
        return r;
    if (p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace vantora::test
