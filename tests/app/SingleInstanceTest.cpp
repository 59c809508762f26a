#include "app/SingleInstance.h"
#include "app/StartUp.h"
#include "core/AppSettings.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

using namespace vantora;

namespace {

constexpr int kWaitMs = 5000; // only a ceiling for a broken hand-over

// Runs `work` on another thread while this thread serves the primary's events;
// returns the first path the primary received (empty when none came).
QString serveWhile(SingleInstance& primary, const std::function<void()>& work) {
    QString received;
    QEventLoop loop;
    std::atomic<bool> done{false};
    QObject::connect(&primary, &SingleInstance::pathReceived, &loop, [&](const QString& path) {
        if (received.isEmpty())
            received = path;
    });
    std::thread worker([&] {
        work();
        done = true;
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done)
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
    loop.exec();
    worker.join();
    return received;
}

} // namespace

TEST(SingleInstanceTest, OnlyOneCopyIsPrimaryAtATime) {
    QTemporaryDir dir;
    auto first = std::make_unique<SingleInstance>(dir.path());
    EXPECT_TRUE(first->tryBecomePrimary());
    EXPECT_TRUE(first->isPrimary());
    EXPECT_TRUE(first->tryBecomePrimary()); // asking again changes nothing
    SingleInstance second(dir.path());
    EXPECT_FALSE(second.tryBecomePrimary());
    EXPECT_FALSE(second.isPrimary());
    first.reset(); // the first copy ends
    EXPECT_TRUE(second.tryBecomePrimary());
}

TEST(SingleInstanceTest, SecondCopyHandsItsPathToThePrimary) {
    QTemporaryDir dir;
    SingleInstance primary(dir.path());
    ASSERT_TRUE(primary.tryBecomePrimary());
    const QString path = QStringLiteral("/data/Snap 42-3.cEcg");
    bool sent = false;
    const QString received = serveWhile(primary, [&] {
        SingleInstance second(dir.path());
        if (!second.tryBecomePrimary())
            sent = second.sendToPrimary(path);
    });
    EXPECT_TRUE(sent);
    EXPECT_EQ(received, path);
}

TEST(SingleInstanceTest, NothingToHandOverToWithoutAPrimary) {
    QTemporaryDir dir;
    SingleInstance lonely(dir.path());
    EXPECT_FALSE(lonely.sendToPrimary(QStringLiteral("/x.cEcg"), 200));
}

TEST(SingleInstanceTest, LeftoverSocketOfACrashedCopyIsReplaced) {
    QTemporaryDir dir;
    SingleInstance primary(dir.path());
    QFile stale(primary.serverPath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    ASSERT_TRUE(primary.tryBecomePrimary());
    bool sent = false;
    const QString received = serveWhile(primary, [&] {
        SingleInstance second(dir.path());
        sent = second.sendToPrimary(QStringLiteral("/a/ECGDATA.DAT"));
    });
    EXPECT_TRUE(sent);
    EXPECT_EQ(received, QStringLiteral("/a/ECGDATA.DAT"));
}

TEST(SingleInstanceTest, StartWithFileWhileRunningHandsTheFileOver) {
    QTemporaryDir dir;
    QTemporaryDir settings;
    AppSettings::setStoreFile(settings.filePath(QStringLiteral("s.ini")));
    SingleInstance primary(dir.path());
    ASSERT_TRUE(primary.tryBecomePrimary());
    StartUp::Outcome outcome;
    const QString received = serveWhile(primary, [&] {
        SingleInstance second(dir.path());
        AppState state;
        outcome =
            StartUp::prepare(state, QStringLiteral("/work"), QStringLiteral("a.cEcg"), &second);
    });
    AppSettings::setStoreFile(QString());
    EXPECT_EQ(outcome.kind, StartUp::Outcome::Kind::HandedOver);
    EXPECT_EQ(received, QStringLiteral("/work/a.cEcg"));
}
