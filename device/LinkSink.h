#pragma once

#include "core/AcqPacket.h"
#include "core/DeviceRecordHeader.h"
#include "core/Message.h"
#include "device/WireProtocol.h"

#include <cstdint>

namespace vantora {

// Window messages between the readers and the pages. The values are kept so
// that a page can route them as before; a LinkSink receives them as calls.
namespace wm {
constexpr int kUser = 0x400;
constexpr int kEcgData = kUser + 0x101;         // 0x501 WM_ECG_DATA
constexpr int kEcgRecordHeader = kUser + 0x102; // 0x502 WM_ECG_RECORD_HEADER
constexpr int kEcgLinkStatus = kUser + 0x103;   // 0x503 WM_ECG_LINK_STATUS
constexpr int kEcgStop = kUser + 0x106;         // 0x506 WM_ECG_STOP
constexpr int kChildClick = kUser + 0x108;      // 0x508 WM_CHILD_CLICK
} // namespace wm

// Where one downloaded block belongs. A recording the recorder keeps in
// several chunks has several table entries; block numbers continue past 14.
struct BlockTag {
    int tableIndex = 0;   // entry of the record table, 0 ... 254
    int recordNumber = 0; // the recorder's 1-based number
    int blockNumber = 0;  // chunk * 15 + block
    // WM_ECG_DATA wParam: record number - 1 in the high word, block number low.
    uint32_t wParam() const {
        return (uint32_t(recordNumber - 1) << 16) | (uint32_t(blockNumber) & 0xFFFF);
    }
};

// Receives what a reader reports. Every call is made on the reader thread and
// returns before the reader goes on (a synchronous message); data passed by
// reference is valid only during the call, the receiver copies what it keeps.
// The program's sink forwards each call to the page on the user-interface
// thread and waits for it.
class LinkSink {
public:
    virtual ~LinkSink() = default;
    // WM_ECG_DATA from the live reader.
    virtual void livePacket(const AcqPacket&) {}
    // WM_ECG_RECORD_HEADER, once per table entry, in table order.
    virtual void recordHeader(int /*tableIndex*/, const DeviceRecordHeader&) {}
    // WM_ECG_DATA with one block of a chunk.
    virtual void dataBlock(const BlockTag&, const SampleBlock&) {}
    // WM_ECG_DATA with wParam -1: the chunk of this table entry is complete.
    virtual void recordEnd(int /*tableIndex*/, int /*recordNumber*/) {}
    // WM_ECG_LINK_STATUS: 1 ... 4 download progress, 0 the link has ended.
    virtual void linkStatus(int /*status*/) {}
    // A message box the link shows (61282, 61330, 61331, 61335).
    virtual void showMessage(const Message&) {}
};

} // namespace vantora
