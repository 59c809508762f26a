#include "app/ShellTestSupport.h"

#include "core/AppState.h"
#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "support/FolderHolder.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/HomePage.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSet>
#include <QToolBar>

namespace vantora::test {
namespace {

class MainFrameTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        state_.dataRoot = root_.path();
    }

    // A frame with the home page and fake pages for the given classes.
    std::unique_ptr<MainFrame> makeFrame(const QList<int>& fakes) {
        PageRegistry pages;
        pages.add(page::kHome, [](PageHost& f) { return new HomePage(f); });
        for (int pageClass : fakes)
            pages.add(pageClass, [](PageHost& f) { return new FakePage(f); });
        auto frame = std::make_unique<MainFrame>(state_, pages);
        EXPECT_TRUE(frame->OnCreate());
        return frame;
    }
    const QList<int> allPages{page::kRealTime, page::kSnapData, page::kRecordManagement,
                              page::kReplay, page::kAnalysis};

    // A chart file: a patient record, then the kind marker at offset 1392.
    QString chartFile(const QString& name, uint8_t a, uint8_t b) {
        const QString path = root_.file(name);
        writeAll(path, ByteWriter().zeros(1392).u8(a).u8(b).zeros(32).bytes());
        return path;
    }

    // "Label (key)" as the toolbar's tooltip names a command.
    static QString keyTip(const QAction* a) {
        return a->iconText() + QStringLiteral(" (") +
               a->shortcut().toString(QKeySequence::NativeText) + u')';
    }

    AppState state_;
};

TEST_F(MainFrameTest, WindowIsFixedAndHasThreeToolbars) {
    auto frame = makeFrame({});
    EXPECT_EQ(frame->minimumSize(), QSize(1024, 768));
    EXPECT_EQ(frame->maximumSize(), QSize(1024, 768));
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(frame->toolbarMain()->actions().size(), 8);
    EXPECT_EQ(frame->toolbarRecords()->actions().size(), 4);
    EXPECT_EQ(frame->toolbarTools()->actions().size(), 4);
    for (QToolBar* bar : {frame->toolbarMain(), frame->toolbarRecords(), frame->toolbarTools()})
        for (QAction* a : bar->actions())
            EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
}

// Every toolbar command sits in one menu of the one-line menu bar, with a
// mnemonic of its own in that menu; the commands' keys are all different and
// each tooltip names its key.
TEST_F(MainFrameTest, MenusHoldEveryCommandWithMnemonicsAndKeys) {
    auto frame = makeFrame(allPages);
    frame->ShowPage(page::kHome);
    QList<QAction*> inMenus;
    QSet<QChar> titles;
    for (QAction* menuAction : frame->menuBar()->actions()) {
        const qsizetype mark = menuAction->text().indexOf(u'&');
        ASSERT_GE(mark, 0) << menuAction->text().toStdString();
        EXPECT_FALSE(titles.contains(menuAction->text()[mark + 1].toLower()));
        titles.insert(menuAction->text()[mark + 1].toLower());
        QSet<QChar> letters;
        for (QAction* a : menuAction->menu()->actions()) {
            if (a->isSeparator())
                continue;
            inMenus << a;
            const qsizetype at = a->text().indexOf(u'&');
            ASSERT_GE(at, 0) << a->text().toStdString();
            const QChar letter = a->text()[at + 1].toLower();
            EXPECT_FALSE(letters.contains(letter)) << a->text().toStdString();
            letters.insert(letter);
        }
    }
    QSet<QKeySequence> keys;
    for (QToolBar* bar : {frame->toolbarMain(), frame->toolbarRecords(), frame->toolbarTools()})
        for (QAction* a : bar->actions()) {
            EXPECT_EQ(inMenus.count(a), 1) << a->iconText().toStdString();
            EXPECT_FALSE(a->iconText().contains(u'&'));
            if (a->shortcut().isEmpty())
                continue;
            EXPECT_FALSE(keys.contains(a->shortcut())) << a->iconText().toStdString();
            keys.insert(a->shortcut());
            EXPECT_TRUE(a->toolTip().startsWith(keyTip(a))) << a->toolTip().toStdString();
        }
    EXPECT_EQ(keys.size(), 15); // all but About
    EXPECT_EQ(frame->action(ids::kCmdAnalysis)->shortcut(), QKeySequence(QStringLiteral("Ctrl+8")));
    // One line above the toolbars, and gone with them while the preview shows.
    EXPECT_LE(frame->menuBar()->sizeHint().height(), 2 * frame->fontMetrics().height());
    auto* preview = new QWidget;
    frame->OpenPreview(preview);
    EXPECT_FALSE(frame->menuBar()->isVisibleTo(frame.get()));
    frame->ClosePreview();
    EXPECT_TRUE(frame->menuBar()->isVisibleTo(frame.get()));
}

TEST_F(MainFrameTest, WithoutTheResourceLibraryTheFrameIsNotCreated) {
    Langpack::unload();
    MainFrame frame(state_, PageRegistry());
    EXPECT_FALSE(frame.OnCreate());
}

TEST_F(MainFrameTest, ShowPageBuildsAfreshAndDeletesThePageLeft) {
    auto frame = makeFrame(allPages);
    QPointer<Page> home = frame->ShowPage(page::kHome);
    ASSERT_TRUE(home);
    QPointer<Page> analysis = frame->ShowPage(page::kAnalysis);
    ASSERT_TRUE(analysis);
    EXPECT_EQ(frame->activeView(), analysis.data());
    EXPECT_EQ(static_cast<FakePage*>(analysis.data())->initialUpdates, 1);
    flushDeletes();
    EXPECT_TRUE(home.isNull());
    QPointer<Page> again = frame->ShowPage(page::kAnalysis);
    flushDeletes();
    EXPECT_TRUE(analysis.isNull());
    EXPECT_TRUE(again);
    EXPECT_EQ(frame->findChildren<Page*>().size(), 1);
}

TEST_F(MainFrameTest, UnregisteredPageKeepsTheActivePage) {
    auto frame = makeFrame({});
    Page* home = frame->ShowPage(page::kHome);
    EXPECT_EQ(frame->ShowPage(page::kAnalysis), nullptr);
    EXPECT_EQ(frame->activeView(), home);
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdRealTime));
    EXPECT_TRUE(frame->isCommandEnabled(ids::kCmdContinuous));
    // The mode command without its page only changes the mode.
    frame->runCommand(ids::kCmdContinuous);
    EXPECT_EQ(state_.recordingMode, RecordingMode::Continuous);
    EXPECT_EQ(frame->activeView(), home);
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdAnalysis));
}

TEST_F(MainFrameTest, ContinuousFromHomeShowsReplayAndEnablesRecordCommands) {
    auto frame = makeFrame(allPages);
    frame->ShowPage(page::kHome);
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdHome));
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdReplay));
    frame->runCommand(ids::kCmdContinuous);
    EXPECT_EQ(state_.recordingMode, RecordingMode::Continuous);
    EXPECT_EQ(frame->activeView()->pageId(), page::kReplayByCommand);
    EXPECT_EQ(frame->activePageClass(), page::kReplay);
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdReplay));
    EXPECT_TRUE(frame->isCommandEnabled(ids::kCmdRecords));
    EXPECT_TRUE(frame->isCommandEnabled(ids::kCmdAnalysis));
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdDownload));
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdContinuous));
    EXPECT_TRUE(frame->isCommandEnabled(ids::kCmdHome));

    frame->runCommand(ids::kCmdSnap);
    EXPECT_EQ(state_.recordingMode, RecordingMode::Snap);
    EXPECT_EQ(frame->activeView()->pageId(), page::kSnapDataByCommand);
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdDownload));
    frame->runCommand(ids::kCmdAnalysis);
    EXPECT_EQ(frame->activePageClass(), page::kAnalysis);
    EXPECT_TRUE(frame->isCommandEnabled(ids::kCmdDownload));

    frame->runCommand(ids::kCmdRealTime);
    EXPECT_EQ(state_.recordingMode, RecordingMode::None);
    EXPECT_EQ(frame->activePageClass(), page::kRealTime);
    EXPECT_TRUE(frame->isCommandEnabled(ids::kCmdAnalysis)); // as the home page's button
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdReplay));

    frame->runCommand(ids::kCmdHome);
    EXPECT_EQ(frame->activePageClass(), page::kHome);
}

// Without their pages the mode commands leave the page where it is; the page
// re-reads its list, the mode command shows checked and the status bar names it.
TEST_F(MainFrameTest, ModeCommandsShowTheModeAndRefreshThePage) {
    auto frame = makeFrame({page::kAnalysis});
    frame->ShowPage(page::kHome);
    EXPECT_TRUE(frame->modeStatus().isEmpty());
    auto* analysis = static_cast<FakePage*>(frame->ShowPage(page::kAnalysis));
    // Opened without a mode, the analysis page lists Snap recordings.
    EXPECT_TRUE(frame->action(ids::kCmdSnap)->isChecked());
    EXPECT_EQ(frame->modeStatus(), text(ids::kStatusSnapMode));

    frame->runCommand(ids::kCmdContinuous);
    EXPECT_EQ(frame->activeView(), analysis);
    EXPECT_EQ(analysis->recordsChanged, 1);
    EXPECT_TRUE(frame->action(ids::kCmdContinuous)->isChecked());
    EXPECT_FALSE(frame->action(ids::kCmdSnap)->isChecked());
    EXPECT_EQ(frame->modeStatus(), text(ids::kStatusContinuousMode));
    // The checked command is the disabled one and says why.
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdContinuous));
    EXPECT_EQ(frame->action(ids::kCmdContinuous)->toolTip(),
              keyTip(frame->action(ids::kCmdContinuous)) + u'\n' + text(ids::kIsCurrentMode));

    frame->runCommand(ids::kCmdSnap);
    EXPECT_EQ(analysis->recordsChanged, 2);
    EXPECT_TRUE(frame->action(ids::kCmdSnap)->isChecked());
    EXPECT_FALSE(frame->action(ids::kCmdContinuous)->isChecked());
    EXPECT_EQ(frame->modeStatus(), text(ids::kStatusSnapMode));

    frame->runCommand(ids::kCmdHome);
    EXPECT_TRUE(frame->modeStatus().isEmpty());
    EXPECT_FALSE(frame->action(ids::kCmdSnap)->isChecked());
    // Disabled commands name what they need, enabled ones only their label.
    const struct {
        int command;
        int need;
    } disabled[] = {{ids::kCmdPrint, ids::kNeedsRecording},
                    {ids::kCmdPicture, ids::kNeedsAnalysedRecording},
                    {ids::kCmdReplay, ids::kNotInThisVersion},
                    {ids::kCmdRecords, ids::kNotInThisVersion},
                    {ids::kCmdHome, ids::kPageAlreadyShown}};
    for (const auto& d : disabled) {
        ASSERT_FALSE(frame->isCommandEnabled(d.command)) << d.command;
        EXPECT_EQ(frame->action(d.command)->toolTip(),
                  keyTip(frame->action(d.command)) + u'\n' + text(d.need))
            << d.command;
    }
    EXPECT_EQ(frame->action(ids::kCmdAnalysis)->toolTip(),
              keyTip(frame->action(ids::kCmdAnalysis)));
}

// Dialogs and page switches never leave another title; the patient manager
// makes the active page re-read its patients.
TEST_F(MainFrameTest, TitleStaysTheProgramsAndPatientManagerRefreshesThePage) {
    auto frame = makeFrame({page::kAnalysis});
    QStringList dialogs;
    frame->setDialogRunner([&](QDialog& dialog) {
        dialogs << dialog.windowTitle();
        return 0;
    });
    const QString title = text(ids::kAppTitle).trimmed();
    frame->ShowPage(page::kHome);
    EXPECT_EQ(frame->windowTitle(), title);
    auto* analysis = static_cast<FakePage*>(frame->ShowPage(page::kAnalysis));
    frame->runCommand(ids::kCmdPatients);
    EXPECT_EQ(analysis->recordsChanged, 1);
    EXPECT_EQ(frame->windowTitle(), title);
    frame->runCommand(ids::kCmdAbout);
    EXPECT_EQ(analysis->recordsChanged, 1);
    frame->runCommand(ids::kCmdHome);
    EXPECT_EQ(frame->windowTitle(), title);
    EXPECT_EQ(dialogs.size(), 2);
}

TEST_F(MainFrameTest, HomeCommandOnTheHomePageOnlyResetsTheMode) {
    auto frame = makeFrame(allPages);
    Page* home = frame->ShowPage(page::kHome);
    state_.recordingMode = RecordingMode::Snap;
    frame->UpdateCommandUI();
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdHome));
    frame->OnCommand(ids::kCmdHome);
    EXPECT_EQ(state_.recordingMode, RecordingMode::None);
    EXPECT_EQ(frame->activeView(), home);
}

TEST_F(MainFrameTest, PrintAndPictureCommandsFollowTheActivePage) {
    auto frame = makeFrame(allPages);
    state_.recordingMode = RecordingMode::Snap;
    Page* replay = frame->ShowPage(page::kReplay);
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdPrint));
    replay->setHasRecord(true);
    EXPECT_TRUE(frame->isCommandEnabled(ids::kCmdPrint));
    EXPECT_TRUE(frame->isCommandEnabled(ids::kCmdPreview));
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdPicture));
    Page* analysis = frame->ShowPage(page::kAnalysis);
    EXPECT_FALSE(frame->isCommandEnabled(ids::kCmdPrint));
    analysis->setHasRecord(true);
    EXPECT_TRUE(frame->isCommandEnabled(ids::kCmdPicture));
    EXPECT_TRUE(frame->isCommandEnabled(ids::kCmdMail));
}

// ECG.chm in the data folder wins; without it the installed guide, when there
// is one; with neither, ECG.chm all the same (the desktop says it is missing).
// Only a writer makes the window read-only: a reader elsewhere does not, and
// a killed writer's hold is gone at the next look.
TEST_F(MainFrameTest, StatusBarNamesAnotherProcessWritingTheDataFolder) {
    auto frame = makeFrame({});
    for (const auto kind : {DataFolderLock::Kind::Shared, DataFolderLock::Kind::Exclusive}) {
        Holder holder(takes(root_.path(), kind));
        ASSERT_TRUE(holder.ready());
        frame->refreshFolderStatus();
        const QString writer = QStringLiteral("(process %1)").arg(holder.pid());
        if (kind == DataFolderLock::Kind::Shared)
            EXPECT_EQ(frame->folderStatus(), QString());
        else
            EXPECT_EQ(
                frame->folderStatus(),
                Langpack::format(ids::kFolderReadOnly, frame->folderStatus().section(u' ', 2, 4)));
        EXPECT_EQ(frame->folderStatus().contains(writer), kind == DataFolderLock::Kind::Exclusive);
        holder.kill();
        frame->refreshFolderStatus();
        EXPECT_EQ(frame->folderStatus(), QString());
    }
}

TEST_F(MainFrameTest, HelpOpensTheHelpFileElseTheInstalledGuide) {
    const QString chm = paths::helpFile(root_.path());
    const QString guide = root_.file(QStringLiteral("guide/index.html"));
    const struct {
        bool chm, guide;
        QString expected;
    } cases[] = {{true, true, chm}, {true, false, chm}, {false, true, guide}, {false, false, chm}};
    for (const auto& c : cases) {
        QFile::remove(chm);
        QFile::remove(guide);
        if (c.chm)
            writeAll(chm, QByteArray("chm"));
        if (c.guide) {
            QDir().mkpath(QFileInfo(guide).path());
            writeAll(guide, QByteArray("<html>"));
        }
        auto frame = makeFrame({});
        frame->setInstalledGuide(guide);
        QList<QUrl> opened;
        frame->setUrlOpener([&](const QUrl& url) {
            opened << url;
            return true;
        });
        frame->runCommand(ids::kCmdHelp);
        ASSERT_EQ(opened.size(), 1);
        EXPECT_EQ(opened.first().toLocalFile(), c.expected) << c.chm << c.guide;
    }
}

TEST_F(MainFrameTest, TwoDroppedFilesOpenOnlyTheFirst) {
    auto frame = makeFrame(allPages);
    frame->ShowPage(page::kAnalysis);
    const QString first = chartFile(QStringLiteral("a.cEcg"), 0x77, 0xEE);
    const QString second = chartFile(QStringLiteral("b.cEcg"), 0x55, 0xAA);
    frame->dropFiles({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    EXPECT_EQ(state_.recordingMode, RecordingMode::Continuous);
    EXPECT_TRUE(state_.pendingFile);
    EXPECT_EQ(frame->activePageClass(), page::kRecordManagement);
    EXPECT_TRUE(log_.texts.isEmpty());
    // While the first waits for import, another drop is ignored.
    frame->dropFiles({QUrl::fromLocalFile(second)});
    EXPECT_EQ(state_.recordingMode, RecordingMode::Continuous);
}

TEST_F(MainFrameTest, FileForAnActiveRecordManagementPageGoesToItsImport) {
    auto frame = makeFrame(allPages);
    state_.recordingMode = RecordingMode::Snap;
    auto* records = static_cast<FakePage*>(frame->ShowPage(page::kRecordManagement));
    const QString chart = chartFile(QStringLiteral("c.cEcg"), 0x55, 0xAA);
    frame->dropFiles({QUrl::fromLocalFile(chart)});
    EXPECT_EQ(frame->activeView(), records);
    EXPECT_EQ(records->imported, QStringList{chart});
}

TEST_F(MainFrameTest, UnrecognisedFileShowsTheMessageAndChangesNothing) {
    auto frame = makeFrame(allPages);
    Page* home = frame->ShowPage(page::kHome);
    const QString bad = root_.file(QStringLiteral("notes.txt"));
    writeAll(bad, "just text");
    const QString bad2 = root_.file(QStringLiteral("other.txt"));
    writeAll(bad2, "more text");
    frame->dropFiles({QUrl::fromLocalFile(bad), QUrl::fromLocalFile(bad2)});
    EXPECT_EQ(log_.texts, QStringList{text(ids::kDamagedFile, QStringLiteral("notes.txt"))});
    EXPECT_EQ(state_.recordingMode, RecordingMode::None);
    EXPECT_FALSE(state_.pendingFile);
    EXPECT_EQ(frame->activeView(), home);
}

} // namespace
} // namespace vantora::test
