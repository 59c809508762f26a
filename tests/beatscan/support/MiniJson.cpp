#include "MiniJson.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace minijson {
namespace {

class Parser {
public:
    explicit Parser(std::string_view json) : in(json) {}

    Value document() {
        Value v = value();
        skipSpace();
        if (pos != in.size()) {
            fail("trailing characters");
        }
        return v;
    }

private:
    std::string_view in;
    size_t pos = 0;

    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(pos));
    }

    void skipSpace() {
        while (pos < in.size() &&
               (in[pos] == ' ' || in[pos] == '\n' || in[pos] == '\r' || in[pos] == '\t')) {
            ++pos;
        }
    }

    char peek() {
        skipSpace();
        if (pos >= in.size()) {
            fail("unexpected end");
        }
        return in[pos];
    }

    void expect(char c) {
        if (peek() != c) {
            fail(std::string("expected '") + c + "'");
        }
        ++pos;
    }

    bool literal(std::string_view word) {
        if (in.substr(pos, word.size()) == word) {
            pos += word.size();
            return true;
        }
        return false;
    }

    Value value() {
        const char c = peek();
        if (c == '{') {
            return object();
        }
        if (c == '[') {
            return array();
        }
        Value v;
        if (c == '"') {
            v.kind = Value::Kind::String;
            v.text = string();
        } else if (literal("true")) {
            v.kind = Value::Kind::Bool;
            v.boolean = true;
        } else if (literal("false")) {
            v.kind = Value::Kind::Bool;
        } else if (literal("null")) {
            v.kind = Value::Kind::Null;
        } else {
            v.kind = Value::Kind::Number;
            v.number = number();
        }
        return v;
    }

    double number() {
        const std::string rest(in.substr(pos, 64));
        char* end = nullptr;
        const double n = std::strtod(rest.c_str(), &end);
        if (end == rest.c_str()) {
            fail("expected a value");
        }
        pos += static_cast<size_t>(end - rest.c_str());
        return n;
    }

    std::string string() {
        expect('"');
        std::string s;
        while (pos < in.size() && in[pos] != '"') {
            char c = in[pos++];
            if (c == '\\') {
                if (pos >= in.size()) {
                    fail("unterminated escape");
                }
                const char e = in[pos++];
                c = e == 'n' ? '\n' : e == 't' ? '\t' : e;
            }
            s += c;
        }
        if (pos >= in.size()) {
            fail("unterminated string");
        }
        ++pos;
        return s;
    }

    Value array() {
        Value v;
        v.kind = Value::Kind::Array;
        expect('[');
        if (peek() == ']') {
            ++pos;
            return v;
        }
        for (;;) {
            v.items.push_back(value());
            if (peek() == ']') {
                ++pos;
                return v;
            }
            expect(',');
        }
    }

    Value object() {
        Value v;
        v.kind = Value::Kind::Object;
        expect('{');
        if (peek() == '}') {
            ++pos;
            return v;
        }
        for (;;) {
            peek();
            std::string key = string();
            expect(':');
            v.members[key] = value();
            if (peek() == '}') {
                ++pos;
                return v;
            }
            expect(',');
        }
    }
};

} // namespace

const Value& Value::operator[](const std::string& key) const {
    if (kind != Kind::Object) {
        throw std::runtime_error("JSON: not an object when looking up " + key);
    }
    const auto it = members.find(key);
    if (it == members.end()) {
        throw std::runtime_error("JSON: missing member " + key);
    }
    return it->second;
}

int64_t Value::asInt() const {
    if (kind != Kind::Number || std::trunc(number) != number) {
        throw std::runtime_error("JSON: not an integer");
    }
    return static_cast<int64_t>(number);
}

std::vector<int32_t> Value::asIntList() const {
    if (kind != Kind::Array) {
        throw std::runtime_error("JSON: not an array");
    }
    std::vector<int32_t> list;
    for (const Value& item : items) {
        list.push_back(static_cast<int32_t>(item.asInt()));
    }
    return list;
}

Value parse(std::string_view json) {
    return Parser(json).document();
}

} // namespace minijson
