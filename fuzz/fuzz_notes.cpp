// A notes file as outside bytes: notes are looked up by a start time taken
// from the input, then set. A note that was set with success reads back.
#include "core/DataPaths.h"
#include "fuzz/FuzzRoot.h"
#include "records/RecordingNotes.h"

#include <array>

using namespace vantora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzRoot& root = fuzz::FuzzRoot::instance();
    fuzz::Input in = fuzz::begin(data, size);
    std::array<uint8_t, SystemTime::kBytes> timeBytes{};
    for (uint8_t& b : timeBytes)
        b = in.parts.byte();
    const SystemTime start = SystemTime::fromBytes(timeBytes.data());
    const QString id = QStringLiteral("P1");
    root.write(paths::notesFile(root.path(), in.mode, id), in.parts.next());

    RecordingNotes notes(root.path(), in.mode, id);
    (void)notes.read(start);
    (void)notes.read(SystemTime::fromFields({2026, 11, 2, 8, 9, 30, 1, 0}));
    const QString text = QStringLiteral("note ") + QString::number(in.op);
    if (notes.write(start, text).ok()) {
        const auto back = notes.read(start);
        fuzz::require(back.ok() && back.value() == text,
                      "a note set with success does not read back");
    }
    root.checkFence();
    return 0;
}
