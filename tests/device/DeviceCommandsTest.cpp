// vantora-cli download and record as a user runs them: the built recorder-sim
// on its pseudo-terminal, the built command-line tool, JSON on stdout.
#include "support/CliRunner.h"
#include "support/TestData.h"

#include "core/Langpack.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <unistd.h>

using namespace vantora;
using namespace vantora::test;

namespace {

// recorder-sim running with the given options; its stdin is a pipe, so it
// ends when the test closes it.
class SimProcess {
public:
    explicit SimProcess(const QStringList& options) {
        process_.start(binDir() + QStringLiteral("/recorder-sim"), options);
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(5000))
            port_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~SimProcess() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    const QString& port() const { return port_; }

private:
    QProcess process_;
    QString port_;
};

struct DeviceRun {
    int exitCode = -1;
    QJsonObject json;
    QString errors;
};

DeviceRun cli(const QString& root, const QStringList& args) {
    const test::CliRun r = test::runCli(QStringList{"--data", root} + args);
    return {r.exitCode, r.json().toObject(), r.err};
}

std::vector<int> ints(const QJsonValue& v) {
    std::vector<int> out;
    for (const QJsonValue& x : v.toArray())
        out.push_back(x.toInt());
    return out;
}

class DeviceCommands : public ::testing::Test {
protected:
    void SetUp() override {
        const auto added =
            PatientRegistry(root_.path()).quickAdd(QStringLiteral("R7"), "Ada", "Ray", {});
        ASSERT_TRUE(added.ok());
    }
    TempDataRoot root_;
};

} // namespace

// Downloading again saves only what the patient does not have yet: the
// second run adds the one recording left out, the third saves nothing.
TEST_F(DeviceCommands, DownloadSavesTheChosenRecordingsOnce) {
    SimProcess sim({"--unpaced", "--recordings", "2"});
    ASSERT_FALSE(sim.port().isEmpty());
    const struct {
        const char* select;
        int alreadyStored;
        int saved;
        std::vector<int> messages;
    } runs[] = {
        {"1,3", 0, 2, {61335}},
        {"all", 2, 1, {61335}},
        {"all", 3, 0, {61335, 62653}},
    };
    for (const auto& run : runs) {
        const DeviceRun r = cli(root_.path(), {"download", "--patient", "r7", "--port", sim.port(),
                                               "--select", run.select, "--yes"});
        EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
        EXPECT_EQ(r.json["received"].toInt(), 3); // record 2 in two chunks: three recordings
        EXPECT_EQ(r.json["alreadyStored"].toInt(), run.alreadyStored) << run.select;
        EXPECT_EQ(r.json["saved"].toInt(), run.saved) << run.select;
        EXPECT_EQ(ints(r.json["messages"]), run.messages) << run.select;
    }
    const RecordingStore store(root_.path(), RecordingMode::Snap, QStringLiteral("R7"));
    EXPECT_EQ(store.count().value(), 3);
}

TEST_F(DeviceCommands, DownloadWithoutRecordingsSavesNothing) {
    SimProcess sim({"--unpaced", "--recordings", "0"});
    const DeviceRun r =
        cli(root_.path(), {"download", "--patient", "R7", "--port", sim.port(), "--yes"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.json["received"].toInt(), 0);
    EXPECT_EQ(r.json["saved"].toInt(), 0);
    EXPECT_EQ(ints(r.json["messages"]), (std::vector<int>{61331, 61328}));
}

TEST_F(DeviceCommands, DownloadThatFailsReportsAndExitsWithOne) {
    SimProcess sim({"--unpaced", "--bad-checksum", "2:9"});
    const DeviceRun r =
        cli(root_.path(), {"download", "--patient", "R7", "--port", sim.port(), "--yes"});
    EXPECT_EQ(r.exitCode, 1);
    // The failure, then the save step's word that nothing came to save.
    EXPECT_EQ(ints(r.json["messages"]), (std::vector<int>{61330, 61328}));
    EXPECT_FALSE(r.errors.isEmpty());
    const DeviceRun missing = cli(root_.path(), {"download", "--patient", "R7", "--port",
                                                 root_.file("no-such-port"), "--yes"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.json["received"].toInt(), 0);
}

// A recorder that has streamed for four minutes into a line no one read.
// The backlog is read but is no recording: the one segment asked for is 30 s
// of signal from after the start, stored once those 30 s have passed and
// stamped with the start plus 30 s. (The one test that waits 30 s.)
TEST_F(DeviceCommands, RecordStoresOnlySignalFromAfterTheStart) {
    SimProcess sim({"--live", "--backlog", "240", "--rhythm", "0,2"});
    const QDateTime before = QDateTime::currentDateTime();
    const DeviceRun r =
        cli(root_.path(), {"record", "--patient", "R7", "--port", sim.port(), "--segments", "1"});
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(r.json["segments"].toInt(), 1);
    EXPECT_GT(r.json["packets"].toInt(), 4 * 1875); // the backlog did arrive
    EXPECT_TRUE(r.json["messages"].toArray().isEmpty());
    EXPECT_TRUE(r.errors.isEmpty()) << r.errors.toStdString();
    const RecordingStore store(root_.path(), RecordingMode::Continuous, QStringLiteral("R7"));
    ASSERT_EQ(store.count().value(), 1);
    const RecordIndexEntry entry = store.readEntry(0).value();
    EXPECT_EQ(entry.kind, 2); // rhythm code 2 sets bit 1
    const QDateTime stamp(
        QDate(entry.time.year, entry.time.month, entry.time.day),
        QTime(entry.time.hour, entry.time.minute, entry.time.second, entry.time.milliseconds));
    EXPECT_GE(stamp, before.addSecs(30));
    EXPECT_LE(stamp, after);
}

// The port goes before the first segment is whole: the failure, and what
// was not stored, in the JSON messages and on stderr.
TEST_F(DeviceCommands, RecordCutShortSaysWhatWasNotStored) {
    ASSERT_TRUE(Langpack::load(binDir() + QStringLiteral("/langpack.rcc")));
    SimProcess sim({"--live", "--vanish-after", QString::number(15 * 200)}); // 3.2 s
    const DeviceRun r =
        cli(root_.path(), {"record", "--patient", "R7", "--port", sim.port(), "--segments", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.json["segments"].toInt(), 0);
    EXPECT_EQ(ints(r.json["messages"]), (std::vector<int>{61330, 62650}));
    const QString said = Message{62650, QStringLiteral("0")}.text().mid(1); // after the seconds
    Langpack::unload();
    EXPECT_FALSE(said.trimmed().isEmpty());
    EXPECT_TRUE(r.errors.contains(said)) << r.errors.toStdString();
    EXPECT_EQ(RecordingStore(root_.path(), RecordingMode::Continuous, QStringLiteral("R7"))
                  .count()
                  .value(),
              0);
}

TEST_F(DeviceCommands, UsageErrors) {
    EXPECT_EQ(cli(root_.path(), {"record", "--patient", "R7", "--segments", "0"}).exitCode, 2);
    EXPECT_EQ(cli(root_.path(), {"download", "--patient", "R7", "--select", "0,x"}).exitCode, 2);
    EXPECT_EQ(
        cli(root_.path(), {"download", "--patient", "NOBODY", "--port", "/dev/null"}).exitCode, 1);
}

TEST_F(DeviceCommands, PortThatCannotBeOpenedSaysWhy) {
    // A port that exists but is no terminal, or may not be opened.
    const QString plain = root_.file("plain-file");
    test::writeAll(plain, QByteArray("x"));
    const QString locked = root_.file("locked-port");
    test::writeAll(locked, QByteArray("x"));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    const bool asRoot = ::geteuid() == 0; // root opens anything: the file is no terminal
    const struct {
        QString port;
        int error;
    } cases[] = {{plain, ENOTTY}, {locked, asRoot ? ENOTTY : EACCES}};
    for (const auto& c : cases) {
        for (const char* command : {"download", "record"}) {
            QStringList args{command, "--patient", "R7", "--port", c.port};
            args += QString(command) == "record" ? QStringList{"--segments", "1"}
                                                 : QStringList{"--yes"};
            const DeviceRun r = cli(root_.path(), args);
            EXPECT_EQ(r.exitCode, 1) << command;
            EXPECT_EQ(ints(r.json["messages"]).at(0), 61330) << command;
            EXPECT_TRUE(r.errors.contains(QString::fromLocal8Bit(std::strerror(c.error))))
                << command << " " << r.errors.toStdString();
            EXPECT_FALSE(r.errors.contains("link error")) << command;
        }
    }
}
