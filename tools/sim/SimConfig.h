#pragma once

#include <cstdint>
#include <vector>

namespace vantora::sim {

// A fault the simulated recorder shows on request, for the first `times`
// replies to command `code`.
struct SimFault {
    enum class Kind {
        Silence,     // no reply at all
        Garbage,     // `garbageBytes` foreign bytes instead of the reply
        BadChecksum, // the reply with its checksum off by one
    };
    Kind kind = Kind::Silence;
    uint8_t code = 0;
    int times = 1;
    int garbageBytes = 100;
};

// What the simulated recorder holds and how it behaves.
struct SimConfig {
    bool paced = true;   // 38400 baud: 3840 bytes per second
    int recordings = 3;  // stored recordings
    bool chunked = true; // the second recording (the first if alone) in two chunks
    bool live = false;   // stream live frames instead of answering commands
    // Like a recorder switched on: live frames until a command arrives, then
    // the download commands until none came for `idleReturnMs`, then live again.
    bool switchedOn = false;
    int idleReturnMs = 3000;
    int liveFrames = -1; // frames to stream, then silence; -1 endless
    // Paced live: the stream starts this many frames behind its schedule, as
    // a recorder that streamed into a line no one read; the missed frames go
    // out as fast as the line takes them.
    int backlogFrames = 0;
    int heartRate = 75;           // of the live stream
    std::vector<int> rhythmCodes; // live rhythm codes, each for 100 frames in turn
    int invalidEvery = 0;         // every n-th live frame carries no signal (0: none)
    int invalidStart = -1;        // a stretch of frames without signal
    int invalidCount = 0;
    std::vector<SimFault> faults;
    int vanishAfterDataBytes = -1; // the port disappears inside the data replies (live: frames)
};

} // namespace vantora::sim
