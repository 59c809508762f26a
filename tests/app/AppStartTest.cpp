#include "ShellTestSupport.h"

#include "app/StationApp.h"
#include "app/StationPages.h"
#include "core/StringIds.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PageIds.h"
#include "ui/widgets/SplashScreen.h"

#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QTest>

namespace vantora::test {
namespace {

class AppStartTest : public ShellFixture {
protected:
    StationApp::Options options(bool splash = false) {
        return {stationPages(), instanceDir_.path(), splash};
    }
    QTemporaryDir instanceDir_;
};

TEST_F(AppStartTest, OrdinaryStartShowsTheHomePageOnTheWorkingFolder) {
    StationApp app(options());
    ASSERT_TRUE(app.InitInstance(root_.path(), {}));
    ASSERT_TRUE(app.mainFrame());
    EXPECT_EQ(app.mainFrame()->activePageClass(), page::kHome);
    EXPECT_EQ(app.state().dataRoot, QDir(root_.path()).absolutePath());
    EXPECT_EQ(app.mainFrame()->windowTitle(), text(ids::kAppTitle));
    EXPECT_TRUE(QFile::exists(root_.file(QStringLiteral("UserDA.txt"))));
    EXPECT_TRUE(log_.texts.isEmpty());
    app.ExitInstance();
}

TEST_F(AppStartTest, SecondCopyWithoutFileShowsTheMessageAndEnds) {
    StationApp first(options());
    ASSERT_TRUE(first.InitInstance(root_.path(), {}));
    StationApp second(options());
    EXPECT_FALSE(second.InitInstance(root_.path(), {}));
    EXPECT_EQ(second.mainFrame(), nullptr);
    EXPECT_EQ(log_.texts, QStringList{text(ids::kAlreadyRunning)});
    EXPECT_TRUE(first.mainFrame()->isVisible());
}

TEST_F(AppStartTest, UnknownFileOnTheCommandLineEndsTheStart) {
    const QString bad = root_.file(QStringLiteral("letter.txt"));
    writeAll(bad, "hello");
    StationApp app(options());
    EXPECT_FALSE(app.InitInstance(root_.path(), {bad}));
    EXPECT_EQ(app.mainFrame(), nullptr);
    EXPECT_FALSE(text(ids::kDamagedFile).isEmpty());
    EXPECT_EQ(log_.texts, QStringList{text(ids::kDamagedFile, QStringLiteral("letter.txt"))});
}

TEST_F(AppStartTest, CommandLineHelpers) {
    EXPECT_EQ(StationApp::fileArgument({"-embedding", "a.cEcg", "b"}), "a.cEcg");
    EXPECT_EQ(StationApp::fileArgument({}), QString());
    EXPECT_FALSE(StationApp::splashWanted({"-Embedding"}));
    EXPECT_FALSE(StationApp::splashWanted({"/automation"}));
    EXPECT_TRUE(StationApp::splashWanted({"x.cEcg"}));
}

TEST_F(AppStartTest, SplashShowsBitmap183AndInputEndsIt) {
    StationApp app(options(true));
    ASSERT_TRUE(app.InitInstance(root_.path(), {}));
    SplashScreen* splash = SplashScreen::current();
    ASSERT_TRUE(splash);
    EXPECT_EQ(splash->size(), Langpack::bitmap(Langpack::kSplashBitmap).size());
    EXPECT_EQ(SplashScreen::ShowSplashScreen(app.mainFrame()), nullptr); // one at a time
    // The key press ends the splash and never reaches the frame.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    EXPECT_TRUE(QCoreApplication::sendEvent(app.mainFrame(), &press) || press.isAccepted());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(SplashScreen::current(), nullptr);
}

TEST_F(AppStartTest, SplashEndsAfterItsTime) {
    StationApp app(options(true));
    ASSERT_TRUE(app.InitInstance(root_.path(), {}));
    ASSERT_TRUE(SplashScreen::current());
    QElapsedTimer t;
    t.start();
    while (SplashScreen::current() && t.elapsed() < 10000)
        QTest::qWait(20);
    EXPECT_EQ(SplashScreen::current(), nullptr);
}

// The real program, twice: a second start hands its file to the first.
class ProgramInstanceTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env_.insert(QStringLiteral("VANTORA_SETTINGS"), runtime_.filePath("settings.ini"));
        env_.insert(QStringLiteral("VANTORA_MESSAGES"), QStringLiteral("stderr"));
    }
    void TearDown() override {
        if (first_.state() != QProcess::NotRunning) {
            first_.terminate();
            if (!first_.waitForFinished(5000))
                first_.kill();
        }
        ShellFixture::TearDown();
    }
    void start(QProcess& p, const QStringList& args) {
        p.setProcessEnvironment(env_);
        p.setWorkingDirectory(root_.path());
        p.start(binDir() + QStringLiteral("/VantoraECG"), args);
        ASSERT_TRUE(p.waitForStarted(10000));
    }
    bool startFirstAndWait() {
        start(first_, {});
        const QString socket = QDir(runtime_.path()).filePath(QStringLiteral("PreTwoVantraProfra"));
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(socket) && t.elapsed() < 15000)
            QTest::qWait(50);
        return QFile::exists(socket) && first_.state() == QProcess::Running;
    }
    QString firstStderr(const QString& wanted) {
        QElapsedTimer t;
        t.start();
        while (!errors_.contains(wanted) && t.elapsed() < 15000) {
            first_.waitForReadyRead(100);
            errors_ += QString::fromUtf8(first_.readAllStandardError());
        }
        return errors_;
    }

    QProcessEnvironment env_;
    QTemporaryDir runtime_;
    QProcess first_;
    QString errors_;
};

TEST_F(ProgramInstanceTest, SecondStartWithoutFileSaysSoAndEnds) {
    ASSERT_TRUE(startFirstAndWait());
    QProcess second;
    start(second, {});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(
        QString::fromUtf8(second.readAllStandardError()).contains(text(ids::kAlreadyRunning)));
    EXPECT_EQ(first_.state(), QProcess::Running);
}

TEST_F(ProgramInstanceTest, SecondStartWithFileHandsItToTheRunningCopy) {
    ASSERT_TRUE(startFirstAndWait());
    const QString file = root_.file(QStringLiteral("handed.txt"));
    writeAll(file, "not a recording");
    QProcess second;
    start(second, {file});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(
        QString::fromUtf8(second.readAllStandardError()).contains(text(ids::kAlreadyRunning)));
    // The running copy judged the file: this one is no recording.
    const QString expected = text(ids::kDamagedFile, QStringLiteral("handed.txt"));
    EXPECT_TRUE(firstStderr(expected).contains(expected));
    EXPECT_EQ(first_.state(), QProcess::Running);
}

} // namespace
} // namespace vantora::test
