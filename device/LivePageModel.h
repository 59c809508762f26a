#pragma once

#include "core/AcqPacket.h"
#include "core/Message.h"
#include "device/ContinuousSegmenter.h"
#include "device/LiveTrace.h"

#include <QLocale>
#include <QString>

#include <memory>

namespace vantora {

// The texts of the real-time page that follow the stream.
struct LiveTexts {
    QString heartRate; // 1229
    QString rhythm;    // 1230
    QString signal;    // 1231
    friend bool operator==(const LiveTexts&, const LiveTexts&) = default;
};

// The real-time page without its window: the Continuous recording of a live
// link and the display update of every packet (texts, heart icon, trace).
// Each packet is first recorded, then shown, as the page receives it. The
// store side is the command-line `record`'s: one ContinuousSegmenter, reset
// whenever a link starts or ends, so an unfinished segment never joins the
// next link (perhaps another patient's). LivePageModelTest drives it.
class LivePageModel {
public:
    enum class Run { Idle, Recording, DisplayOnly };
    static constexpr int kHeartIconOn = 161;
    static constexpr int kHeartIconOff = 162;
    static constexpr int kPacketsPerMinute = 3750; // 62.5 packets/s

    // simplifiedChinese: the system's language, which decides how a code
    // byte carrying two rhythm findings is read.
    explicit LivePageModel(bool simplifiedChinese = isSimplifiedChinese(QLocale::system()));

    static bool isSimplifiedChinese(const QLocale& locale);

    // The recording's pace and stamps follow `clock` (the real one unless a
    // test gives its own).
    void startRecording(ContinuousSegmenter::Append append, RecordingClock clock = {});
    void startDisplayOnly();
    // The link has ended (stop, home, error, port removed): idle, texts
    // emptied, the unfinished segment dropped. Packets still under way when
    // the page stopped are ignored from here on. Returns 62650 with the
    // seconds of signal dropped, or none.
    Message linkEnded();

    // Recording step, then display update. Returns a message of the store
    // (61217, 61286, 61341) to show, once per cause.
    Message packet(const AcqPacket& packet);

    Run run() const { return run_; }
    bool running() const { return run_ != Run::Idle; }
    // Valid packets buffered for the segment under way (the icon's clock).
    int packetCount() const { return segmenter_ ? segmenter_->bufferedPackets() : 0; }
    int segmentsWritten() const { return segmenter_ ? segmenter_->segmentsWritten() : 0; }
    const LiveTexts& texts() const { return texts_; }
    int heartIcon() const { return heartIcon_; }
    const LiveTrace& trace() const { return trace_; }

    // Why an existing port could not be opened, for a message that helps.
    enum class PortProblem { Missing, NoPermission, Other };
    static PortProblem portProblem(const QString& port);
    // The message for a live link that could not open its port: the port is
    // gone (61282), may not be used by this user (62150, with the fix), or
    // is held by another program (62151).
    static Message openFailureMessage(const QString& port, PortProblem problem);

    // The display rules, one packet at a time.
    static QString heartRateText(const AcqPacket& packet);
    // 161 or 162, or 0 when the packet leaves the icon as it is.
    static int heartIconFor(const AcqPacket& packet, int packetCount);
    static QString rhythmText(const AcqPacket& packet, bool simplifiedChinese);
    static QString signalText(const AcqPacket& packet);

private:
    void show(const AcqPacket& packet);

    bool simplifiedChinese_;
    Run run_ = Run::Idle;
    std::unique_ptr<ContinuousSegmenter> segmenter_;
    LiveTexts texts_;
    int heartIcon_ = kHeartIconOn;
    LiveTrace trace_;
};

} // namespace vantora
