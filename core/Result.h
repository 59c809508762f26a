#pragma once

#include "core/Message.h"

#include <utility>

namespace vantora {

// The outcome of an operation that can fail in an expected way: a value, or
// the message that explains why there is none. A failure always carries a
// message (id != 0). What a successful operation still has to say (a list
// read only in part, a notice) belongs to the value type, not here.
//
// A failed result still holds a default value, so that code which shows
// "nothing" on failure reads it without a branch.
template <class T = void> class [[nodiscard]] Result {
public:
    Result() = default;
    Result(T value) : value_(std::move(value)) {}
    Result(Message why) : message_(std::move(why)) {}

    static Result success(T value) { return Result(std::move(value)); }
    static Result failure(Message why) { return Result(std::move(why)); }

    bool ok() const { return message_.isNone(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return value_; }
    T& value() & { return value_; }
    T&& value() && { return std::move(value_); }
    const Message& message() const { return message_; }

private:
    T value_{};
    Message message_;
};

// An operation with nothing to return but success.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Message why) : message_(std::move(why)) {}

    static Result success() { return {}; }
    static Result failure(Message why) { return Result(std::move(why)); }

    bool ok() const { return message_.isNone(); }
    explicit operator bool() const { return ok(); }
    const Message& message() const { return message_; }

private:
    Message message_;
};

} // namespace vantora
