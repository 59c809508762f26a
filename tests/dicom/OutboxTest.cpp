// The outbox against a real archive: objects kept until the archive
// confirmed them, whatever goes wrong in between.
#include "dicom/Outbox.h"

#include "core/StringIds.h"
#include "support/CliRunner.h"
#include "support/DicomServers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

namespace {

const QString kStation = QStringLiteral("VANTORAECG");

// Objects of one study of `patient`; `broken` of them lack their series,
// which the archive answers with a failure status.
std::vector<SampleObject> studyObjects(const QString& patient, int count, int broken = 0) {
    const QString study = QStringLiteral("1.2.826.0.1.3680043.10.9.%1").arg(qHash(patient));
    std::vector<SampleObject> objects;
    for (int i = 1; i <= count; ++i) {
        SampleObject o;
        o.patientId = patient;
        o.studyInstanceUid = study;
        o.seriesInstanceUid = i > count - broken ? QString() : study + QStringLiteral(".1");
        o.sopInstanceUid = study + QStringLiteral(".1.%1").arg(i);
        o.payload = QByteArray(2000 + 2 * i, char(i)); // even: values are padded to even
        objects.push_back(o);
    }
    return objects;
}

void enqueueAll(const QString& root, const std::vector<SampleObject>& objects) {
    for (const SampleObject& o : objects)
        ASSERT_TRUE(outbox::enqueue(root, o.sopInstanceUid, sampleObject(o)).ok());
}

int arrived(const OrthancArchive& archive, const std::vector<SampleObject>& objects) {
    int count = 0;
    for (const SampleObject& o : objects) {
        const QString id = archive.findInstance(o.sopInstanceUid);
        count += !id.isEmpty() && payloadOf(archive.instanceFile(id)) == o.payload;
    }
    return count;
}

// How many of the objects the archive holds, by their UIDs alone.
int arrivedUids(const OrthancArchive& archive, const std::vector<SampleObject>& objects) {
    const QStringList held = archive.instanceUidsOf(objects.front().patientId);
    return int(std::count_if(objects.begin(), objects.end(), [&](const SampleObject& o) {
        return held.contains(o.sopInstanceUid);
    }));
}

} // namespace

TEST(Outbox, KeepsEachObjectOnceDurably) {
    QTemporaryDir root;
    const auto objects = studyObjects(QStringLiteral("P-Q"), 3);
    enqueueAll(root.path(), objects);
    // The same UID again is the object already waiting, not a second copy.
    ASSERT_TRUE(
        outbox::enqueue(root.path(), objects[0].sopInstanceUid, QByteArrayLiteral("other")).ok());
    EXPECT_EQ(outbox::waitingCount(root.path()), 3);
    for (const SampleObject& o : objects) {
        QFile file(outbox::folder(root.path()) + u'/' + o.sopInstanceUid + QStringLiteral(".dcm"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), sampleObject(o));
    }
    const QStringList leftovers =
        QDir(outbox::folder(root.path()))
            .entryList({QStringLiteral("*.part")}, QDir::Hidden | QDir::Files);
    EXPECT_TRUE(leftovers.isEmpty());
    // Names a file could be made of are refused.
    for (const char* bad : {"../1.2", "1.2/3", "", "1..2", "1.2.a"}) {
        const auto refused = outbox::enqueue(root.path(), QString::fromLatin1(bad), "x");
        EXPECT_EQ(refused.message().id, ids::kNotADicomFile) << bad;
    }
    EXPECT_EQ(outbox::waitingCount(root.path()), 3);
}

TEST(Outbox, SendsEverythingAndEmpties) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    QTemporaryDir root;
    auto objects = studyObjects(QStringLiteral("P-S"), 3);
    objects[2].sopClassUid = "1.2.840.10008.5.1.4.1.1.104.1";
    objects[2].payload = QByteArrayLiteral("%PDF-1.4\n%%EOF\n\n");
    enqueueAll(root.path(), objects);
    std::vector<int> done;
    const auto report =
        outbox::sendWaiting(root.path(), kStation, archive.node(), [&](outbox::SendProgress p) {
            EXPECT_EQ(p.total, 3);
            done.push_back(p.done);
        });
    EXPECT_EQ(report.problem.id, 0) << report.problem.text().toStdString();
    EXPECT_EQ(report.sent, 3);
    EXPECT_EQ(report.waiting, 0);
    EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(arrived(archive, objects), 3);
    // Nothing left to send: nothing happens.
    const auto again = outbox::sendWaiting(root.path(), kStation, archive.node());
    EXPECT_EQ(again.sent + again.waiting + again.problem.id, 0);
}

TEST(Outbox, FaultsLeaveTheObjectsWaiting) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    OrthancArchive down;
    VANTORA_START_SERVER(down);
    down.stop();
    struct Case {
        const char* what;
        DicomNode archive;
        int broken;       // objects the archive refuses with a failure status
        bool cancelled;   // cancel set before sending
        bool otherSender; // another process holds the sending lock
        int problem;
        int sent;
        int failed;
    };
    const int n = 3;
    const Case cases[] = {
        {"archive down", down.node(), 0, false, false, ids::kDicomConnectionRefused, 0, 0},
        {"refused association", archive.nodeCalled(QStringLiteral("PACS")), 0, false, false,
         ids::kDicomCalledAetRefused, 0, 0},
        {"failure status", archive.node(), 1, false, false, ids::kDicomStoreRefused, 2, 1},
        {"cancelled", archive.node(), 0, true, false, ids::kOutboxStopped, 0, 0},
        {"sent by another", archive.node(), 0, false, true, ids::kOutboxSentElsewhere, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir root;
        const auto objects = studyObjects(QString::fromLatin1(c.what), n, c.broken);
        enqueueAll(root.path(), objects);
        int holder = -1;
        if (c.otherSender) {
            holder = ::open(QFile::encodeName(outbox::folder(root.path()) + "/.sending"),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            ASSERT_EQ(::flock(holder, LOCK_EX), 0);
        }
        const std::atomic<bool> cancel = c.cancelled;
        const auto report = outbox::sendWaiting(root.path(), kStation, c.archive, {}, &cancel, 2);
        if (holder >= 0)
            ::close(holder);
        EXPECT_EQ(report.problem.id, c.problem) << report.problem.text().toStdString();
        EXPECT_EQ(report.sent, c.sent);
        EXPECT_EQ(report.failed, c.failed);
        EXPECT_EQ(report.waiting, n - c.sent);
        EXPECT_EQ(outbox::waitingCount(root.path()), n - c.sent);
        EXPECT_EQ(arrived(archive, objects), c.sent);
        // What stays is what did not arrive.
        for (const SampleObject& o : objects) {
            const bool waiting = QFile::exists(outbox::folder(root.path()) + u'/' +
                                               o.sopInstanceUid + QStringLiteral(".dcm"));
            EXPECT_NE(waiting, !archive.findInstance(o.sopInstanceUid).isEmpty())
                << o.sopInstanceUid.toStdString();
        }
    }
}

TEST(Outbox, ArchiveStoppedMidSendGetsTheRestLater) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    QTemporaryDir root;
    const auto objects = studyObjects(QStringLiteral("P-M"), 4);
    enqueueAll(root.path(), objects);
    const auto cut =
        outbox::sendWaiting(root.path(), kStation, archive.node(), [&](outbox::SendProgress p) {
            if (p.done == 1)
                archive.kill(); // gone at once, as in a crash
        });
    EXPECT_NE(cut.problem.id, 0);
    EXPECT_EQ(cut.sent, 1);
    EXPECT_EQ(cut.waiting, 3);
    ASSERT_TRUE(archive.start()) << archive.error().toStdString();
    const auto rest = outbox::sendWaiting(root.path(), kStation, archive.node());
    EXPECT_EQ(rest.problem.id, 0) << rest.problem.text().toStdString();
    EXPECT_EQ(rest.sent, 3);
    EXPECT_EQ(rest.waiting, 0);
    EXPECT_EQ(arrived(archive, objects), 4);
}

// `vantora-cli dicom send --waiting` killed (SIGKILL) after a number of
// objects went, then sent again: every object arrives, the outbox ends empty,
// and the second run sends exactly what the first left (an object leaves
// only once it was confirmed, so none is sent twice to the station's
// knowledge).
TEST(Outbox, KillAtAnyMomentLosesNothing) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    const int total = 40;
    for (const int killAfter : {1, 17, 33}) {
        SCOPED_TRACE(killAfter);
        QTemporaryDir root;
        const auto objects = studyObjects(QStringLiteral("P-K%1").arg(killAfter), total);
        enqueueAll(root.path(), objects);
        QProcess child;
        child.setProgram(binDir() + QStringLiteral("/vantora-cli"));
        child.setArguments({QStringLiteral("dicom"), QStringLiteral("send"),
                            QStringLiteral("--waiting"), QStringLiteral("--data"), root.path(),
                            QStringLiteral("--aet"), kStation, QStringLiteral("--archive"),
                            archive.node().text()});
        child.start();
        ASSERT_TRUE(child.waitForStarted());
        while (outbox::waitingCount(root.path()) > total - killAfter && !child.waitForFinished(2))
            ;
        child.kill();
        child.waitForFinished();
        const int left = outbox::waitingCount(root.path());
        ASSERT_LE(left, total - killAfter);
        // What left the outbox had arrived.
        EXPECT_GE(arrivedUids(archive, objects), total - left);
        const auto rest = outbox::sendWaiting(root.path(), kStation, archive.node());
        EXPECT_EQ(rest.problem.id, 0) << rest.problem.text().toStdString();
        EXPECT_EQ(rest.sent, left);
        EXPECT_EQ(rest.waiting, 0);
        EXPECT_EQ(arrivedUids(archive, objects), total);
    }
}
