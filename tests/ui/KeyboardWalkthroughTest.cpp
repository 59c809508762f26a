// The station worked from the keyboard alone (and its Tab order), as the user guide's keyboard
// walk describes it: the whole window with every page, a fresh data folder,
// two simulated recorders on pseudo-terminals (one streaming live, one with
// stored recordings). Every step is a key pressed on the widget that has the
// focus (or on the open menu); real dialogs are worked with keys too, only
// message boxes go to the test's prompter.
#include "device/SimHarness.h"

#include "app/StationPages.h"
#include "core/StringIds.h"
#include "records/PatientRegistry.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "support/PageFixture.h"
#include "ui/dialogs/NoteDialog.h"
#include "ui/dialogs/PatientEditDialog.h"
#include "ui/dialogs/PatientManagerDialog.h"
#include "ui/dialogs/PatientPickerDialog.h"
#include "ui/frame/ModalDialogs.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/AnalysisPage.h"
#include "ui/pages/DownloadPage.h"
#include "ui/pages/LivePage.h"
#include "ui/pages/RecordsPage.h"
#include "ui/pages/ReplayPage.h"
#include "ui/widgets/AnalysisRowList.h"
#include "ui/widgets/CaliperStripView.h"
#include "ui/widgets/NoteField.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFocusFrame>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <map>

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << l.join(QStringLiteral(", ")).toStdString();
}

using namespace vantora;
using namespace vantora::test;

namespace {

constexpr int kLinkTimeoutMs = 60000;
const QString kId = QStringLiteral("K1");
const QString kName = QStringLiteral("Kim Lee");

// Where a key goes: the open menu, else the widget with the focus.
QWidget* keyTarget() {
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    return QApplication::focusWidget();
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1) {
    for (int i = 0; i < times; ++i) {
        QWidget* target = keyTarget();
        ASSERT_NE(target, nullptr) << "nothing has the focus";
        QTest::keyClick(target, Qt::Key(key), modifiers);
        QCoreApplication::processEvents(); // as the event loop runs between keys
    }
}

void type(const QString& text) {
    QWidget* target = keyTarget();
    ASSERT_NE(target, nullptr) << "nothing has the focus";
    QTest::keyClicks(target, text);
}

// Tab until the focus is on a widget that passes `is`; false after a round.
bool tabTo(const std::function<bool(QWidget*)>& is) {
    for (int i = 0; i < 30; ++i) {
        QWidget* w = QApplication::focusWidget();
        if (!w)
            return false;
        if (is(w))
            return true;
        QTest::keyClick(w, Qt::Key_Tab);
    }
    return false;
}

// The window manager's part when a window above closes: the one below gets
// the keys again (the offscreen platform leaves no window active).
void reactivate(QWidget* window) {
    QCoreApplication::processEvents(); // the closed window's deactivation
    QApplication::setActiveWindow(window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

bool isButton(QWidget* w, int textId) {
    auto* b = qobject_cast<QAbstractButton*>(w);
    return b && b->text().remove(u'&') == Langpack::text(textId);
}

sim::SimConfig liveConfig() {
    sim::SimConfig c;
    c.live = true;
    c.paced = false;
    c.liveFrames = 2459; // one 30 s segment of valid frames and some more
    c.heartRate = 75;
    c.invalidEvery = 5;
    return c;
}

sim::SimConfig storedConfig() {
    sim::SimConfig c;
    c.paced = false;
    c.recordings = 2;
    return c;
}

class KeyboardWalkthroughTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        state_.recordingMode = RecordingMode::None; // as the program starts
        // Modal dialogs show, and the step waiting for them works them with keys.
        setModalHook([this](QDialog& dialog) {
            const QString kind = QString::fromLatin1(dialog.metaObject()->className());
            dialogsRun_ << kind;
            QWidget* before = QApplication::activeWindow();
            dialog.setModal(true); // as exec() shows it
            dialog.show();
            QApplication::setActiveWindow(&dialog); // offscreen windows do not ask for it
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog)) << kind.toStdString();
            if (const auto step = dialogSteps_.find(kind); step != dialogSteps_.end())
                step->second(dialog);
            else
                press(Qt::Key_Escape);
            EXPECT_FALSE(dialog.isVisible()) << kind.toStdString() << " left open";
            // The window manager's part: the window below gets the keys again.
            if (before)
                reactivate(before);
            return dialog.result();
        });
    }
    void TearDown() override {
        setModalHook({});
        PageFixture::TearDown();
    }

    void openStation(SimHarness& stored, SimHarness& live) {
        PageRegistry pages = stationPages();
        pages.add(page::kSnapData,
                  [f = stored.finder()](PageHost& frame) { return new DownloadPage(frame, f); });
        pages.add(page::kRealTime, [f = live.finder()](PageHost& frame) {
            auto* p = new LivePage(frame, f);
            p->setRecordingClock(RecordingClock::unpaced()); // the simulator runs unpaced
            return p;
        });
        pages.add(page::kAnalysis, [](PageHost& frame) {
            return new AnalysisPage(frame, binDir() + QStringLiteral("/libbeatscan.so"));
        });
        frame_ = std::make_unique<MainFrame>(state_, pages);
        ASSERT_TRUE(frame_->OnCreate());
        frame_->ShowPage(page::kHome);
        frame_->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    }
    template <class P> P* active() const { return qobject_cast<P*>(frame_->activeView()); }

    // The picker: Space picks the first patient (the current row), Enter.
    void pickFirstPatient() {
        dialogSteps_["vantora::PatientPickerDialog"] = [](QDialog&) {
            press(Qt::Key_Space); // the current row, the first
            press(Qt::Key_Return);
        };
    }
    // The save dialog: the whole path typed over the proposed name, Enter.
    void saveAs(const QString& path) {
        dialogSteps_["vantora::ExportFileDialog"] = [path](QDialog&) {
            ASSERT_TRUE(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
            press(Qt::Key_A, Qt::ControlModifier);
            type(path);
            press(Qt::Key_Return);
        };
    }

    QStringList dialogsRun_;
    std::map<QString, std::function<void(QDialog&)>> dialogSteps_;
};

} // namespace

TEST_F(KeyboardWalkthroughTest, PatientLiveDownloadAnalysisPdfAndExportByKeysAlone) {
    SimHarness live(liveConfig(), false);
    SimHarness stored(storedConfig());
    ASSERT_TRUE(live.opened() && stored.opened());
    openStation(stored, live);

    // The home page opens on its first button, in reading order, ringed.
    auto* continuous = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    ASSERT_NE(continuous, nullptr);
    EXPECT_EQ(continuous->objectName(), QStringLiteral("1000"));
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("1002")); // Snap
    const QImage ringed = QApplication::focusWidget()->grab().toImage();
    int ringPixels = 0;
    for (int y = 0; y < ringed.height(); ++y)
        for (int x = 0; x < ringed.width(); ++x)
            ringPixels += ringed.pixelColor(x, y) == QColor(0x0A, 0x28, 0x8C);
    EXPECT_GT(ringPixels, ringed.width()); // a solid outline, not a faint dotted one

    // A patient: the patient manager (Ctrl+Shift+N), Add, id, name, Enter, Esc.
    dialogSteps_["vantora::PatientManagerDialog"] = [](QDialog&) {
        ASSERT_TRUE(tabTo([](QWidget* w) { return isButton(w, ids::kAdd); }));
        press(Qt::Key_Space);
        press(Qt::Key_Escape);
    };
    dialogSteps_["vantora::PatientEditDialog"] = [](QDialog&) {
        type(kId);
        press(Qt::Key_Tab);
        type(kName);
        press(Qt::Key_Return);
    };
    press(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(dialogsRun_,
              (QStringList{"vantora::PatientManagerDialog", "vantora::PatientEditDialog"}));
    const PatientList patients = PatientRegistry(root_.path()).loadAll();
    ASSERT_EQ(patients.records.size(), 1u);
    EXPECT_EQ(patients.records[0].id, kId);
    EXPECT_EQ(patients.records[0].name, kName);

    // Live: Ctrl+4, Space on Start, the picker, a segment, Tab to Stop, Space.
    press(Qt::Key_4, Qt::ControlModifier);
    auto* livePage = active<LivePage>();
    ASSERT_NE(livePage, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), livePage->startButton());
    pickFirstPatient();
    press(Qt::Key_Space);
    live.start();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return livePage->model().segmentsWritten() == 1; }, kLinkTimeoutMs));
    ASSERT_TRUE(tabTo([&](QWidget* w) { return w == livePage->stopButton(); }));
    press(Qt::Key_Space);
    EXPECT_EQ(RecordingStore(root_.path(), RecordingMode::Continuous, kId).count().value(), 1);

    // Download: F10 opens the menus, Right the View menu, S its Snap entry.
    press(Qt::Key_F10);
    press(Qt::Key_Right);
    press(Qt::Key_S);
    auto* download = active<DownloadPage>();
    ASSERT_NE(download, nullptr);
    EXPECT_EQ(state_.recordingMode, RecordingMode::Snap);
    EXPECT_EQ(QApplication::focusWidget(), download->downloadButton());
    press(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !download->model().linkRunning(); }, kLinkTimeoutMs));
    reactivate(frame_.get());                                       // the progress window closed
    EXPECT_EQ(QApplication::focusWidget(), download->saveButton()); // the next step's button
    pickFirstPatient();
    press(Qt::Key_Space);
    // Every row downloaded was chosen for saving (rows are the recorder's table entries).
    ASSERT_GE(download->model().rows().size(), 2u);
    EXPECT_EQ(RecordingStore(root_.path(), RecordingMode::Snap, kId).count().value(),
              int(download->model().rows().size()));

    // Analysis (Alt+V, A): the first recording from the tree, then a window set
    // on the rows: 100 px right and Enter, End, 3 px on into the next row, Enter.
    press(Qt::Key_V, Qt::AltModifier);
    press(Qt::Key_A);
    auto* analysis = active<AnalysisPage>();
    ASSERT_NE(analysis, nullptr);
    ASSERT_EQ(QApplication::focusWidget(), analysis->tree());
    press(Qt::Key_Down);
    if (!analysis->tree()->isExpanded(analysis->tree()->currentIndex()))
        press(Qt::Key_Right);
    press(Qt::Key_Down);
    ASSERT_TRUE(analysis->model().analysisValid());
    EXPECT_EQ(analysis->model().run().windowEnd(), 7499);
    ASSERT_TRUE(tabTo([&](QWidget* w) { return w == analysis->rowList(); }));
    press(Qt::Key_Right, Qt::NoModifier, 100);
    press(Qt::Key_Return);
    EXPECT_FALSE(analysis->model().analysisValid()); // the first end, as a first click
    press(Qt::Key_End);
    press(Qt::Key_Right, Qt::NoModifier, 3);
    EXPECT_EQ(analysis->rowList()->caret(), QPoint(17, 230));
    press(Qt::Key_Return);
    ASSERT_TRUE(analysis->model().analysisValid());
    EXPECT_EQ(analysis->model().run().windowStart(), 325); // (115 - 15) x 3.259...
    EXPECT_EQ(analysis->model().run().windowEnd(), 2506);  // 2500 + (17 - 15) x 3.259...

    // The note: Tab to it, Enter; the dialog opens on the note, Tab leaves it.
    const QString note = QStringLiteral("Sinus rhythm");
    dialogSteps_["vantora::NoteDialog"] = [&note](QDialog&) {
        auto* text = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
        ASSERT_NE(text, nullptr);
        type(note);
        press(Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), text);
        EXPECT_EQ(text->toPlainText(), note); // no tab typed into it
        ASSERT_TRUE(tabTo([](QWidget* w) {
            auto* b = qobject_cast<QPushButton*>(w);
            return b && b->isDefault();
        }));
        press(Qt::Key_Space);
    };
    ASSERT_TRUE(tabTo([&](QWidget* w) { return w == analysis->noteField(); }));
    press(Qt::Key_Return);
    EXPECT_EQ(analysis->noteField()->toPlainText(), note);

    // The report as PDF (Ctrl+Shift+S) and the recording for other tools
    // (Ctrl+Shift+E), each through the save dialog.
    const QString pdf = root_.file(QStringLiteral("walk.pdf"));
    saveAs(pdf);
    press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.read(5).startsWith("%PDF-"));
    const QString edf = root_.file(QStringLiteral("walk.edf"));
    saveAs(edf);
    press(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QFile exported(edf);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    EXPECT_EQ(exported.read(8), QByteArray("0       ")); // the EDF+ header's version
    EXPECT_EQ(dialogsRun_.count(QStringLiteral("vantora::ExportFileDialog")), 2);

    // Alt alone steps into the menu bar, Esc out of it; home again (Ctrl+1)
    // and out (Ctrl+Q).
    QWidget* before = QApplication::focusWidget();
    press(Qt::Key_Alt, Qt::AltModifier);
    EXPECT_TRUE(frame_->menuBar()->hasFocus());
    EXPECT_NE(frame_->menuBar()->activeAction(), nullptr);
    press(Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), before);
    press(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(frame_->activePageClass(), page::kHome);
    press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(frame_->isVisible());
    EXPECT_TRUE(messages_.filter(QStringLiteral("error"), Qt::CaseInsensitive).isEmpty())
        << messages_.join(u'\n').toStdString();
}

// The caret along the rows: one pixel a key, on into the neighbouring row at
// a row's end (keeping its height in the row), held at the first row's start
// and the last row's end; positions off the trace are taken to its edge.
TEST(AnalysisRowCaret, MovesAlongTheRowsAndStopsAtTheRecordingsEnds) {
    const struct {
        QPoint from;
        int dx;
        QPoint to;
    } cases[] = {
        {{15, 80}, 1, {16, 80}},          {{15, 80}, -1, {15, 80}},  {{782, 80}, 1, {15, 230}},
        {{15, 230}, -1, {782, 80}},       {{780, 99}, 5, {17, 249}}, {{782, 380}, 1, {782, 380}},
        {{781, 380}, 10, {782, 380}},     {{5, 230}, 0, {15, 230}},  {{15, 380}, -1, {782, 230}},
        {{400, 80}, 768 * 2, {400, 380}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnalysisRowList::caretMovedBy(c.from, c.dx), c.to)
            << c.from.x() << "," << c.from.y() << " by " << c.dx;
}

// Tab from a page's first control visits its controls as they stand on the
// screen, row by row and pane by pane; of a pair of exclusive choices only
// the chosen one is a stop. Shift+Tab walks the same way back.
TEST_F(KeyboardWalkthroughTest, TabFollowsTheScreenOnTheRecordPages) {
    SimHarness live(liveConfig(), false);
    SimHarness stored(storedConfig(), false);
    openStation(stored, live);
    press(Qt::Key_3, Qt::ControlModifier); // Snap: the record pages need a mode
    const auto tabs = [](int count) {
        QList<QWidget*> visited{QApplication::focusWidget()};
        for (int i = 1; i < count; ++i) {
            press(Qt::Key_Tab);
            visited << QApplication::focusWidget();
        }
        return visited;
    };
    press(Qt::Key_7, Qt::ControlModifier); // Records
    auto* records = active<RecordsPage>();
    ASSERT_NE(records, nullptr);
    const QList<QWidget*> recordsOrder = QList<QWidget*>()
                                         << records->searchById() << records->searchText()
                                         << records->button(RecordsPage::kFind)
                                         << records->button(RecordsPage::kShowAll)
                                         << records->patientList() << records->recordingList()
                                         << records->infoBox() << records->gainChoice();
    EXPECT_EQ(tabs(int(recordsOrder.size())), recordsOrder);
    for (qsizetype i = recordsOrder.size() - 2; i >= 0; --i) {
        press(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), recordsOrder[i]) << i;
    }

    press(Qt::Key_6, Qt::ControlModifier); // Replay
    auto* replay = active<ReplayPage>();
    ASSERT_NE(replay, nullptr);
    const QList<QWidget*> bar = QList<QWidget*>()
                                << replay->pageButton(0) << replay->pageButton(1)
                                << replay->pageButton(2) << replay->pageButton(3)
                                << replay->allRecordings() << replay->gainChoice();
    QList<QWidget*> enabledBar;
    for (QWidget* w : bar)
        if (w->isEnabled())
            enabledBar << w;
    ASSERT_FALSE(enabledBar.isEmpty());
    ASSERT_TRUE(tabTo([&](QWidget* w) { return w == enabledBar.first(); }));
    EXPECT_EQ(tabs(int(enabledBar.size())), enabledBar);
    // The trace view draws no focus itself: the focus frame rings it.
    ASSERT_TRUE(tabTo([&](QWidget* w) { return w == replay->trace(); }));
    const auto* ring = replay->findChild<QFocusFrame*>();
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->widget(), replay->trace());
    EXPECT_TRUE(ring->isVisible());
    EXPECT_TRUE(ring->geometry().contains(replay->trace()->geometry()));
}
