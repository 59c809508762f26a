#include "app/ShellTestSupport.h"

#include "core/AppState.h"
#include "core/DataPaths.h"
#include "ui/dialogs/PatientManagerDialog.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/HomePage.h"
#include "ui/widgets/IconButton.h"

#include <QAbstractButton>
#include <QTest>
#include <QTimer>

namespace vantora::test {
namespace {

class HomePageTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        state_.dataRoot = root_.path();
    }

    void makeFrame(const QList<int>& fakes) {
        PageRegistry pages;
        pages.add(page::kHome, [](PageHost& f) { return new HomePage(f); });
        for (int pageClass : fakes)
            pages.add(pageClass, [](PageHost& f) { return new FakePage(f); });
        frame_ = std::make_unique<MainFrame>(state_, pages);
        ASSERT_TRUE(frame_->OnCreate());
    }
    HomePage* home() { return static_cast<HomePage*>(frame_->ShowPage(page::kHome)); }

    void writeRegistryCount(int32_t count) {
        writeAll(paths::registry(root_.path()), ByteWriter().i32(count).bytes());
    }
    QString recording(const QString& relative) {
        const QString path = root_.file(relative);
        writeAll(path, "x");
        return path;
    }
    // Closes the next modal dialog as soon as it is shown; reports its class.
    void closeNextDialog(QString* className) {
        QTimer::singleShot(0, [className] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                *className = QString::fromLatin1(w->metaObject()->className());
                w->close();
            }
        });
    }

    AppState state_;
    std::unique_ptr<MainFrame> frame_;
    const QList<int> allPages{page::kRealTime, page::kSnapData, page::kRecordManagement,
                              page::kReplay, page::kAnalysis};
};

TEST_F(HomePageTest, ButtonsShowIconsAndLeadToTheirPages) {
    makeFrame(allPages);
    HomePage* view = home();
    for (int control = HomePage::kContinuous; control < HomePage::kAnalysis; ++control)
        EXPECT_TRUE(qobject_cast<IconButton*>(view->button(control))) << control;
    EXPECT_FALSE(qobject_cast<IconButton*>(view->button(HomePage::kAnalysis)));

    view->button(HomePage::kContinuous)->click();
    EXPECT_EQ(state_.recordingMode, RecordingMode::Continuous);
    EXPECT_EQ(frame_->activeView()->pageId(), page::kReplayByCommand);

    home()->button(HomePage::kSnap)->click();
    EXPECT_EQ(state_.recordingMode, RecordingMode::Snap);
    EXPECT_EQ(frame_->activeView()->pageId(), page::kSnapDataByCommand);

    home()->button(HomePage::kAnalysis)->click();
    EXPECT_EQ(state_.recordingMode, RecordingMode::Snap); // unchanged
    EXPECT_EQ(frame_->activePageClass(), page::kAnalysis);

    home()->button(HomePage::kRealTime)->click();
    EXPECT_EQ(state_.recordingMode, RecordingMode::None);
    EXPECT_EQ(frame_->activePageClass(), page::kRealTime);
    EXPECT_TRUE(state_.homeShown);
}

TEST_F(HomePageTest, ButtonsOfPagesNotBuiltAreDisabled) {
    makeFrame({page::kAnalysis});
    HomePage* view = home();
    EXPECT_FALSE(view->button(HomePage::kContinuous)->isEnabled());
    EXPECT_FALSE(view->button(HomePage::kSnap)->isEnabled());
    EXPECT_FALSE(view->button(HomePage::kRealTime)->isEnabled());
    EXPECT_TRUE(view->button(HomePage::kAnalysis)->isEnabled());
    EXPECT_TRUE(view->button(HomePage::kPatients)->isEnabled());
}

TEST_F(HomePageTest, EnterIsSwallowed) {
    makeFrame(allPages);
    HomePage* view = home();
    frame_->show();
    QAbstractButton* button = view->button(HomePage::kContinuous);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(frame_->activeView(), view);
    EXPECT_EQ(state_.recordingMode, RecordingMode::None);
    // Space still presses the focused button.
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(state_.recordingMode, RecordingMode::Continuous);
}

TEST_F(HomePageTest, FirstDisplayWithEmptyRegistryDeletesRecordingsOnce) {
    writeRegistryCount(0);
    const QString snap = recording(QStringLiteral("SnapData/7-Snap.dat"));
    const QString con = recording(QStringLiteral("ContinueData/7-Con.dat"));
    makeFrame(allPages);
    home();
    EXPECT_FALSE(QFile::exists(snap));
    EXPECT_FALSE(QFile::exists(con));
    EXPECT_TRUE(state_.dataFolderChecked);

    const QString later = recording(QStringLiteral("SnapData/8-Snap.dat"));
    frame_->ShowPage(page::kAnalysis);
    home();
    EXPECT_TRUE(QFile::exists(later)); // checks are not repeated
    EXPECT_TRUE(log_.texts.isEmpty());
}

TEST_F(HomePageTest, PatientButtonRepeatsTheRegistryCheckBeforeTheManager) {
    writeRegistryCount(0);
    makeFrame(allPages);
    HomePage* view = home();
    const QString snap = recording(QStringLiteral("SnapData/9-Snap.dat"));
    QString shown;
    closeNextDialog(&shown);
    view->button(HomePage::kPatients)->click();
    EXPECT_EQ(shown, QStringLiteral("vantora::PatientManagerDialog"));
    EXPECT_FALSE(QFile::exists(snap));
}

TEST_F(HomePageTest, UnopenableRegistryStopsTheSetUpAndIsRetried) {
    state_.dataRoot = root_.file(QStringLiteral("missing/folder"));
    makeFrame(allPages);
    HomePage* view = home();
    EXPECT_EQ(log_.texts, QStringList{text(61217, QStringLiteral("UserDA.txt"))});
    EXPECT_FALSE(state_.dataFolderChecked);
    EXPECT_FALSE(state_.homeShown);
    EXPECT_FALSE(qobject_cast<IconButton*>(view->button(HomePage::kContinuous)));

    view->button(HomePage::kPatients)->click(); // check fails: no manager
    EXPECT_EQ(log_.texts.size(), 2);

    state_.dataRoot = root_.path();
    home();
    EXPECT_TRUE(state_.dataFolderChecked);
    EXPECT_EQ(log_.texts.size(), 2);
}

TEST_F(HomePageTest, AboutButtonOpensDialog160) {
    makeFrame(allPages);
    HomePage* view = home();
    QString shown;
    closeNextDialog(&shown);
    view->button(HomePage::kAbout)->click();
    EXPECT_EQ(shown, QStringLiteral("vantora::InfoDialog"));
}

} // namespace
} // namespace vantora::test
