#pragma once

#include "core/Message.h"
#include "records/RecordingStore.h"

#include <span>
#include <vector>

namespace vantora {

// Which received recordings the patient's Snap store already holds: the same
// start time and the same 15 blocks, byte for byte. Read through the store's
// listing; a store that cannot be read holds nothing that is known. The
// download page and the command-line download never save those again.
std::vector<bool> alreadyStored(const RecordingStore& store,
                                std::span<const SnapRecording> received);

// The save question: how many recordings go to which patient (62651).
Message saveQuestion(const QString& patient, int count);

} // namespace vantora
