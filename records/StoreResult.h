#pragma once

#include "core/Message.h"

#include <utility>

namespace vantora {

// A value or the message that explains why there is none.
template <class T> struct StoreResult {
    T value{};
    Message message;

    bool ok() const { return message.isNone(); }
    static StoreResult success(T v) { return StoreResult{std::move(v), {}}; }
    static StoreResult failure(Message m) { return StoreResult{T{}, std::move(m)}; }
};

} // namespace vantora
