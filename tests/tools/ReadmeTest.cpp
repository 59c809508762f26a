// Runs the README's commands the way a new user pastes them, so the two cannot
// drift apart.
//
// Marker convention: a block fenced with ```sh holds commands to paste into a
// shell from the repository root, in the order they appear; every such block
// runs here. Blocks fenced with a bare ``` (synopses with placeholders, file
// layouts, a udev rule, commands that need root, a display, the recorder or a
// cross toolchain) are never run.
//
// All ```sh blocks run in one bash, as one pasted session (variables carry
// over), with errexit and pipefail, from a scratch folder that stands for the
// repository root: its build/bin links to the built tools, so the README's own
// PATH line is what finds them. Temporary folders go into the scratch folder.
// At the end no background job may still run: every simulator the README
// starts, it stops.
#include "support/TestData.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace vantora;

namespace {

constexpr int kTimeoutMs = 90000;
const QString kMarker = QStringLiteral("::readme-block::");

struct Block {
    int line = 0; // 1-based line of the opening fence
    QString text;
};

std::vector<Block> shellBlocks(const QString& markdown) {
    std::vector<Block> blocks;
    const QStringList lines = markdown.split(u'\n');
    bool inSh = false;
    bool inOther = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString fence = lines[i].trimmed();
        if (!fence.startsWith(QStringLiteral("```"))) {
            if (inSh)
                blocks.back().text += lines[i] + u'\n';
            continue;
        }
        if (inSh || inOther) {
            inSh = inOther = false;
        } else if (fence == QStringLiteral("```sh")) {
            inSh = true;
            blocks.push_back({int(i) + 1, {}});
        } else {
            inOther = true;
        }
    }
    return blocks;
}

QString sessionScript(const std::vector<Block>& blocks) {
    QString script =
        QStringLiteral("set -eo pipefail\n"
                       "trap 'rc=$?; kill $(jobs -p) 2>/dev/null || true; exit $rc' EXIT\n");
    for (size_t i = 0; i < blocks.size(); ++i)
        script += QStringLiteral("echo '%1 %2'\n").arg(kMarker).arg(i) + blocks[i].text;
    script += QStringLiteral("echo '%1 end'\n"
                             "left=$(jobs -pr)\n"
                             "if [ -n \"$left\" ]; then\n"
                             "    echo 'still running in the background:'\n"
                             "    ps -o pid=,args= -p \"$(echo $left)\"; exit 97\n"
                             "fi\n")
                  .arg(kMarker);
    return script;
}

struct Session {
    int exitCode = -1; // -1: crashed or timed out
    QString output;
};

Session runSession(const QString& script, const QString& scratch) {
    QProcess bash;
    bash.setWorkingDirectory(scratch);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), scratch + QStringLiteral("/tmp"));
    env.insert(QStringLiteral("VANTORA_SETTINGS"), scratch + QStringLiteral("/settings.conf"));
    bash.setProcessEnvironment(env);
    // Its own process group, so a hung session takes its background jobs along.
    bash.setChildProcessModifier([] { ::setsid(); });
    bash.setProcessChannelMode(QProcess::MergedChannels);
    bash.start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
    Session s;
    if (!bash.waitForFinished(kTimeoutMs)) {
        ::kill(-pid_t(bash.processId()), SIGKILL);
        bash.waitForFinished(5000);
    } else if (bash.exitStatus() == QProcess::NormalExit) {
        s.exitCode = bash.exitCode();
    }
    s.output = QString::fromUtf8(bash.readAll());
    return s;
}

// The block whose marker came last, and what it printed.
std::string failureReport(const Session& s, const std::vector<Block>& blocks) {
    const qsizetype at = s.output.lastIndexOf(kMarker);
    if (at < 0)
        return "the session failed before its first block:\n" + s.output.toStdString();
    const qsizetype lineEnd = s.output.indexOf(u'\n', at);
    const QString tag = s.output.mid(at + kMarker.size() + 1, lineEnd - at - kMarker.size() - 1);
    const QString printed = s.output.mid(lineEnd + 1);
    if (tag == QStringLiteral("end"))
        return "after the last block (exit " + std::to_string(s.exitCode) + "):\n" +
               printed.toStdString();
    const Block& b = blocks[size_t(tag.toInt())];
    return "README.md block at line " + std::to_string(b.line) + " failed (exit " +
           std::to_string(s.exitCode) + "):\n" + b.text.toStdString() + "--- output ---\n" +
           printed.toStdString();
}

} // namespace

TEST(Readme, ShellBlocksRunInOrder) {
    QFile readme(QStringLiteral(VANTORA_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const std::vector<Block> blocks = shellBlocks(QString::fromUtf8(readme.readAll()));
    ASSERT_GE(blocks.size(), 3u) << "no ```sh blocks found: has the marker convention changed?";

    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    ASSERT_TRUE(QDir(scratch.path()).mkpath(QStringLiteral("build")));
    ASSERT_TRUE(QDir(scratch.path()).mkpath(QStringLiteral("tmp")));
    ASSERT_TRUE(QFile::link(test::binDir(), scratch.filePath(QStringLiteral("build/bin"))));

    const Session s = runSession(sessionScript(blocks), scratch.path());
    EXPECT_EQ(s.exitCode, 0) << failureReport(s, blocks);
    EXPECT_TRUE(s.output.contains(kMarker + QStringLiteral(" end"))) << failureReport(s, blocks);
}
