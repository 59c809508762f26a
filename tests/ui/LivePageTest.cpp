// The real-time page against the simulated recorder on a pseudo-terminal,
// through the real serial line: recording a segment for a picked patient,
// stop before a segment is full, display only, a vanishing port, and starts
// that do not get as far as a link.
#include "device/SimHarness.h"

#include "core/AppState.h"
#include "core/Langpack.h"
#include "records/RecordingStore.h"
#include "support/TestData.h"
#include "tools/sim/SimRecordings.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/LivePage.h"
#include "ui/widgets/LiveTraceView.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

namespace {

constexpr int kLinkTimeoutMs = 60000;
const QString kPatient = QStringLiteral("P7");

sim::SimConfig liveConfig(int frames) {
    sim::SimConfig c;
    c.live = true;
    c.paced = false;
    c.liveFrames = frames;
    c.heartRate = 75;
    c.rhythmCodes = {0, 2, 0, 4, 7};
    c.invalidEvery = 5; // a frame without signal between every four
    return c;
}

// Columns of the monitor that show some of the trace.
int tracedColumns(const QImage& image) {
    int n = 0;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixelColor(x, y) == QColor(0, 0, 255)) {
                ++n;
                break;
            }
        }
    }
    return n;
}

class LivePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(binDir() + QStringLiteral("/langpack.rcc")));
        MessageBoxPrompter::setHook([this](const QString& text, bool) {
            messages_ << text;
            return true;
        });
        state_.dataRoot = root_.path();
    }
    void TearDown() override { MessageBoxPrompter::setHook({}); }

    LivePage* openPage(DeviceLink::PortFinder finder) {
        PageRegistry pages;
        pages.add(page::kRealTime,
                  [finder](PageHost& frame) { return new LivePage(frame, finder); });
        pages.add(page::kHome, [](PageHost& frame) { return new Page(frame); });
        frame_ = std::make_unique<MainFrame>(state_, pages);
        EXPECT_TRUE(frame_->OnCreate());
        frame_->runCommand(cmd::kRealTime);
        auto* view = qobject_cast<LivePage*>(frame_->activeView());
        EXPECT_NE(view, nullptr);
        view->setPatientChooser([this]() -> std::optional<PickedPatient> {
            ++picked_;
            return pick_;
        });
        view->setRecordingClock(RecordingClock::unpaced()); // the simulator runs unpaced
        return view;
    }
    static bool waitFor(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, kLinkTimeoutMs);
    }
    RecordingStore store() const {
        return RecordingStore(root_.path(), RecordingMode::Continuous, kPatient);
    }
    static std::vector<AcqPacket> validSent(const sim::SimConfig& c, int frames) {
        sim::LiveSource source(c);
        std::vector<AcqPacket> out;
        for (int i = 0; i < frames; ++i) {
            const AcqPacket p = source.next();
            if (p.valid != 0)
                out.push_back(p);
        }
        return out;
    }

    TempDataRoot root_;
    AppState state_;
    std::unique_ptr<MainFrame> frame_;
    std::optional<PickedPatient> pick_ = PickedPatient{0, kPatient, QStringLiteral("Ada Li"), "F"};
    int picked_ = 0;
    QStringList messages_;
};

} // namespace

// 2459 frames, every fifth without signal: 1875 valid ones and 93 more,
// the last with signal. One segment is stored, the rest is discarded when
// the page stops, and the page says so.
TEST_F(LivePageTest, RecordsOneSegmentOfValidPacketsForThePickedPatient) {
    const sim::SimConfig c = liveConfig(2459);
    SimHarness h(c, false);
    LivePage* view = openPage(h.finder());
    EXPECT_TRUE(view->recordOption()->isChecked());
    EXPECT_FALSE(view->stopButton()->isEnabled());
    QTest::mouseClick(view->startButton(), Qt::LeftButton);
    h.start();
    EXPECT_EQ(picked_, 1);
    EXPECT_FALSE(view->startButton()->isEnabled());
    EXPECT_FALSE(view->recordOption()->isEnabled());
    EXPECT_EQ(view->text(1233)->text(), kPatient);
    EXPECT_EQ(view->text(1234)->text(), QStringLiteral("Ada Li"));
    EXPECT_EQ(view->text(1232)->text(), QStringLiteral("25mm/s"));
    ASSERT_TRUE(waitFor([view] { return view->model().segmentsWritten() == 1; }));
    ASSERT_TRUE(waitFor([view] { return view->model().packetCount() == 93; }));
    EXPECT_EQ(view->text(1229)->text(), QStringLiteral("75"));
    EXPECT_GT(tracedColumns(view->traceWindow()->image()), 600); // all but the sweep gap
    QTest::mouseClick(view->stopButton(), Qt::LeftButton);
    EXPECT_TRUE(view->startButton()->isEnabled());
    EXPECT_TRUE(view->text(1229)->text().isEmpty());
    EXPECT_TRUE(view->text(1233)->text().isEmpty());
    QTest::qWait(300); // packets still under way change nothing

    ASSERT_EQ(store().count().value(), 1);
    const std::vector<AcqPacket> valid = validSent(c, c.liveFrames);
    ASSERT_EQ(valid.size(), 1875u + 93u);
    std::vector<int32_t> samples;
    int64_t rateSum = 0;
    int rates = 0;
    uint16_t mask = 0;
    for (size_t k = 0; k < 1875; ++k) {
        samples.insert(samples.end(), valid[k].samples, valid[k].samples + 4);
        if (valid[k].heartRate > 0 && valid[k].heartRate < 500) {
            rateSum += valid[k].heartRate;
            ++rates;
        }
        if (valid[k].rhythmCode > 0)
            mask |= uint16_t(1u << (valid[k].rhythmCode - 1));
    }
    EXPECT_EQ(store().readSamples(0).value(), samples);
    ASSERT_GT(rates, 0);
    EXPECT_EQ(store().readEntry(0).value().heartRate, rateSum / rates);
    EXPECT_EQ(store().readEntry(0).value().kind, mask);
    EXPECT_EQ(mask, 0x4A); // codes 2, 4 and 7
    EXPECT_EQ(messages_, QStringList(Message{62650, QStringLiteral("1")}.text()));
}

// 2342 frames hold 1874 valid ones: stopped there, nothing is stored, and
// the page says how much signal that was.
TEST_F(LivePageTest, StopBeforeTheSegmentIsFullStoresNothing) {
    const sim::SimConfig c = liveConfig(2342);
    SimHarness h(c, false);
    LivePage* view = openPage(h.finder());
    view->OnStart();
    h.start();
    ASSERT_TRUE(waitFor([view] { return view->model().packetCount() == 1874; }));
    view->OnStop();
    QTest::qWait(300);
    EXPECT_FALSE(view->model().running());
    EXPECT_EQ(store().count().value(), 0);
    EXPECT_FALSE(QFile::exists(store().dataPath()));
    EXPECT_EQ(messages_, QStringList(Message{62650, QStringLiteral("29")}.text()));
}

TEST_F(LivePageTest, DisplayOnlyAsksNothingAndTouchesNoFile) {
    SimHarness h(liveConfig(999), false); // the last frame with signal
    LivePage* view = openPage(h.finder());
    view->displayOnlyOption()->setChecked(true);
    const int icon = view->heartIconShown();
    view->OnStart();
    h.start();
    ASSERT_TRUE(
        waitFor([view] { return view->model().trace().writePosition() == 999 * 4 % 2250; }));
    EXPECT_EQ(picked_, 0);
    EXPECT_EQ(view->heartIconShown(), icon);
    EXPECT_EQ(view->text(1229)->text(), QStringLiteral("75"));
    EXPECT_TRUE(view->text(1233)->text().isEmpty());
    view->OnHome(); // stops the link first
    EXPECT_EQ(frame_->activePageClass(), page::kHome);
    EXPECT_TRUE(QDir(root_.file(QStringLiteral("ContinueData")))
                    .entryList(QDir::Files | QDir::NoDotAndDotDot)
                    .isEmpty());
}

// The port leaves the system mid-segment (the bridge unplugged, and udev
// says so): 61330, idle, nothing partial stored, and the page says what was
// lost. Paced, so the frames are read before the port goes.
TEST_F(LivePageTest, VanishingPortReturnsToIdleWithTheFailure) {
    sim::SimConfig c = liveConfig(-1);
    c.paced = true;
    c.vanishAfterDataBytes = 15 * 100; // 100 frames, 80 of them valid: 1.3 s
    SimHarness h(c, false);
    LivePage* view = openPage(h.finder());
    view->OnStart();
    h.start();
    ASSERT_TRUE(waitFor([&h] { return h.sim().vanished(); }));
    view->onPortRemoved(h.path());
    ASSERT_TRUE(waitFor([view] { return !view->model().running(); }));
    EXPECT_TRUE(view->startButton()->isEnabled());
    EXPECT_TRUE(view->text(1231)->text().isEmpty());
    EXPECT_EQ(messages_, QStringList({Message{msg::kLinkFailed, {}}.text(),
                                      Message{62650, QStringLiteral("1")}.text()}));
    EXPECT_EQ(store().count().value(), 0);
}

// Starts that end before a link: cancelled picker, empty id, no port, a
// port that is no serial line.
TEST_F(LivePageTest, StartsThatDoNotReachALink) {
    const QString notATty = root_.path(); // exists, cannot be opened as a line
    const struct {
        std::optional<PickedPatient> pick;
        std::optional<QString> port;
        int message; // 0: none
    } cases[] = {
        {std::nullopt, notATty, 0},
        {PickedPatient{0, QString(), QStringLiteral("No Id"), {}}, notATty, 61281},
        {PickedPatient{0, kPatient, {}, {}}, std::nullopt, msg::kRecorderNotFound},
        {PickedPatient{0, kPatient, {}, {}}, root_.file(QStringLiteral("gone")), 61282},
        {PickedPatient{0, kPatient, {}, {}}, notATty, 62151},
    };
    for (const auto& c : cases) {
        messages_.clear();
        int looked = 0;
        LivePage* view = openPage([&looked, port = c.port] {
            ++looked;
            return port;
        });
        pick_ = c.pick;
        view->OnStart();
        QTest::qWait(50);
        EXPECT_FALSE(view->model().running());
        EXPECT_TRUE(view->startButton()->isEnabled());
        EXPECT_FALSE(view->stopButton()->isEnabled());
        EXPECT_EQ(looked, c.message == 0 || c.message == 61281 ? 0 : 1);
        const QStringList expected =
            c.message ? QStringList(Message{c.message, c.port.value_or(QString())}.text())
                      : QStringList();
        EXPECT_EQ(messages_, expected) << c.message;
    }
    EXPECT_EQ(store().count().value(), 0);
}
