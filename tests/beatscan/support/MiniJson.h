// A small JSON reader for the reference results: objects, arrays, strings
// without escapes beyond the simple ones, integers and numbers, true, false,
// null. Malformed input throws std::runtime_error naming the offset.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace minijson {

struct Value {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<Value> items;
    std::map<std::string, Value> members;

    // The member `key`; throws when absent or when this is no object.
    const Value& operator[](const std::string& key) const;
    // The number as an integer; throws when it is none or has a fraction.
    int64_t asInt() const;
    std::vector<int32_t> asIntList() const;
};

Value parse(std::string_view json);

} // namespace minijson
