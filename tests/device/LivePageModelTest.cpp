// The real-time page's logic: the display rules of a packet, the heart icon's
// rhythm, the rhythm findings on a simplified-Chinese and another system, and
// the Continuous recording as the page drives it.
#include "support/TestData.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "device/LivePageModel.h"

#include <gtest/gtest.h>

#include <map>

using namespace vantora;

namespace {

class LivePageModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    }
    void TearDown() override { Langpack::unload(); }
};

AcqPacket packet(int valid, int rate, int code = 0, int mode = 0) {
    AcqPacket p;
    p.valid = valid;
    p.heartRate = rate;
    p.rhythmCode = code;
    p.mode = mode;
    for (int32_t& s : p.samples)
        s = 512;
    return p;
}

QString t(int id) {
    return Langpack::text(id);
}

// Counts the appends and what they were given.
struct StoreSpy {
    std::vector<std::vector<AcqPacket>> segments;
    ContinuousSegmenter::Append append() {
        return [this](std::span<const AcqPacket> p, const SystemTime&) {
            segments.emplace_back(p.begin(), p.end());
            return Message{};
        };
    }
};

} // namespace

TEST_F(LivePageModelTest, HeartRateSignalAndIconRulesOfOnePacket) {
    const struct {
        AcqPacket p;
        const char* rate;
        int signal;
        bool moves; // the heart icon follows the packet
    } cases[] = {
        {packet(1, 75), "75", ids::kGoodSignal, true},
        {packet(1, 0), "0", ids::kGoodSignal, false},
        {packet(1, 499), "499", ids::kGoodSignal, true},
        {packet(1, 500), "--", ids::kGoodSignal, false},
        {packet(1, 511), "--", ids::kGoodSignal, false},
        {packet(0, 75), "--", ids::kPoorSignal, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LivePageModel::heartRateText(c.p), QLatin1String(c.rate)) << c.p.heartRate;
        EXPECT_EQ(LivePageModel::signalText(c.p), t(c.signal));
        EXPECT_FALSE(LivePageModel::signalText(c.p).isEmpty());
        EXPECT_EQ(LivePageModel::heartIconFor(c.p, 0) != 0, c.moves) << c.p.heartRate;
    }
}

TEST_F(LivePageModelTest, RhythmFindingsByCodeByteAndSystemLanguage) {
    const QString none = QStringLiteral("--");
    const struct {
        AcqPacket p;
        QString chinese; // on a simplified-Chinese system
        QString other;
    } cases[] = {
        {packet(1, 70, 0x27, 1), t(ids::kEventPrematureBeat) + t(ids::kEventTachycardia), none},
        {packet(1, 70, 0x07, 1), none, t(ids::kEventPrematureBeat)},
        {packet(1, 70, 0x70, 1), none, none},
        {packet(1, 70, 0x3D, 1), t(ids::kEventWideQrs) + t(ids::kEventBradycardia), none},
        {packet(1, 70, 0x61, 1), QString(), none},                 // neither part is a finding
        {packet(1, 70, 0x25, 1), t(ids::kEventTachycardia), none}, // low 5 is not used
        {packet(1, 70, 0x1D, 1), t(ids::kEventWideQrs), none},     // high 1 is not used
        {packet(1, 70, 0x27, 0), none, none},                      // one code, above 15
        {packet(1, 70, 3, 0), t(ids::kEventBradycardia), t(ids::kEventBradycardia)},
        {packet(1, 70, 15, 0), t(ids::kEventLeadOff), t(ids::kEventLeadOff)},
        {packet(1, 70, 16, 0), none, none},
        {packet(1, 70, 0, 1), none, none},
        {packet(0, 70, 3, 0), none, none},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LivePageModel::rhythmText(c.p, true), c.chinese) << c.p.rhythmCode;
        EXPECT_EQ(LivePageModel::rhythmText(c.p, false), c.other) << c.p.rhythmCode;
    }
    EXPECT_TRUE(LivePageModel::isSimplifiedChinese(QLocale(QStringLiteral("zh_CN"))));
    for (const char* name : {"en_US", "zh_TW", "zh_HK", "zh_SG", "de_DE"})
        EXPECT_FALSE(LivePageModel::isSimplifiedChinese(QLocale(QLatin1String(name)))) << name;
}

TEST_F(LivePageModelTest, HeartIconBlinksWithTheRecordingOnly) {
    StoreSpy store;
    LivePageModel m(false);
    m.startRecording(store.append(), RecordingClock::unpaced());
    std::map<int, int> shown;
    for (int k = 0; k < 50; ++k) {
        m.packet(packet(1, 75));
        ++shown[m.heartIcon()];
    }
    EXPECT_EQ(shown[161], 12);
    EXPECT_EQ(shown[162], 38);
    m.packet(packet(1, 75)); // the 51st: count 51, phase 1
    EXPECT_EQ(m.heartIcon(), 161);
    for (int k = 0; k < 12; ++k)
        m.packet(packet(1, 75));
    EXPECT_EQ(m.heartIcon(), 162);

    m.linkEnded();
    m.startDisplayOnly();
    for (int k = 0; k < 60; ++k) {
        m.packet(packet(1, 75));
        EXPECT_EQ(m.heartIcon(), 161);
        EXPECT_EQ(m.packetCount(), 0);
    }
    EXPECT_TRUE(store.segments.empty());
}

// Valid packets only, 1875 to a segment; a link end drops the unfinished one,
// so it never joins the next link; once ended, late packets change nothing.
TEST_F(LivePageModelTest, RecordingCutsSegmentsOfValidPacketsOnly) {
    StoreSpy store;
    LivePageModel m(false);
    m.startRecording(store.append(), RecordingClock::unpaced());
    int valid = 0;
    int fed = 0;
    for (int k = 0; valid < 1874; ++k, ++fed) {
        AcqPacket p = packet(k % 7 == 3 ? 0 : 1, 60 + k % 50);
        p.samples[0] = k;
        valid += p.valid;
        m.packet(p);
    }
    EXPECT_TRUE(store.segments.empty());
    EXPECT_EQ(m.packetCount(), 1874);
    m.packet(packet(0, 60));
    EXPECT_TRUE(store.segments.empty());
    m.packet(packet(1, 61));
    fed += 2;
    ASSERT_EQ(store.segments.size(), 1u);
    EXPECT_EQ(store.segments[0].size(), 1875u);
    for (const AcqPacket& p : store.segments[0])
        EXPECT_NE(p.valid, 0);
    EXPECT_EQ(store.segments[0].front().samples[0], 0);
    EXPECT_EQ(m.packetCount(), 0);

    for (int k = 0; k < 1000; ++k, ++fed)
        m.packet(packet(1, 70));
    EXPECT_EQ(m.linkEnded(), (Message{ids::kNotStored, QStringLiteral("16")})); // 16 s not stored
    EXPECT_EQ(m.texts(), LiveTexts{});
    EXPECT_FALSE(m.running());
    m.packet(packet(1, 70)); // late, after the stop
    EXPECT_EQ(m.texts(), LiveTexts{});
    m.startRecording(store.append(), RecordingClock::unpaced());
    for (int k = 0; k < 875; ++k, ++fed)
        m.packet(packet(1, 70));
    EXPECT_EQ(store.segments.size(), 1u);
    EXPECT_EQ(m.packetCount(), 875);
    EXPECT_EQ(m.texts().heartRate, QStringLiteral("70"));
    EXPECT_EQ(m.texts().signal, t(ids::kGoodSignal));
    EXPECT_EQ(m.trace().writePosition(), fed * 4 % 2250); // the late packet is not drawn
}

// A port that was found but not opened: gone, not permitted (with the fix),
// or held by another program.
TEST_F(LivePageModelTest, OpenFailureSaysWhyThePortCouldNotBeUsed) {
    using P = LivePageModel::PortProblem;
    const QString port = QStringLiteral("/dev/ttyUSB0");
    EXPECT_EQ(LivePageModel::openFailureMessage(port, P::Missing).id, ids::kRecorderNotFound);
    const Message denied = LivePageModel::openFailureMessage(port, P::NoPermission);
    EXPECT_EQ(denied.id, ids::kPortNotPermitted);
    EXPECT_TRUE(denied.text().contains(port));
    EXPECT_TRUE(denied.text().contains(QStringLiteral("dialout")));
    EXPECT_EQ(LivePageModel::openFailureMessage(port, P::Other), (Message{ids::kPortBusy, port}));
    test::TempDataRoot root;
    EXPECT_EQ(LivePageModel::portProblem(root.file(QStringLiteral("none"))), P::Missing);
    EXPECT_EQ(LivePageModel::portProblem(root.path()), P::Other); // as root or the owner
}
