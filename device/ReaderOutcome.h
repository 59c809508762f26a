#pragma once

namespace vantora {

// How a reader's link ended: normally (stopped, or the recorder had nothing
// more), or with an error that the user is told about (61330).
enum class ReaderOutcome { Normal, Error };

} // namespace vantora
