// SPDX-License-Identifier: MIT
#pragma once

// A small strict JSON reader for checking the tool's output: anything that is
// not well-formed JSON makes Parse throw, so a test also proves the syntax.

#include <cstddef>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace minijson {

struct Value;
using Array = std::vector<Value>;
using Object = std::map<std::string, Value>;

struct Value {
    std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<Array>, std::shared_ptr<Object>>
        v;
    std::vector<std::string> keys; // object keys in the order written

    bool isNull() const { return std::holds_alternative<std::nullptr_t>(v); }
    bool boolean() const { return std::get<bool>(v); }
    double number() const { return std::get<double>(v); }
    long integer() const {
        const double d = number();
        if (d != static_cast<double>(static_cast<long>(d)))
            throw std::runtime_error("not an integer");
        return static_cast<long>(d);
    }
    const std::string& str() const { return std::get<std::string>(v); }
    const Array& array() const { return *std::get<std::shared_ptr<Array>>(v); }
    const Object& object() const { return *std::get<std::shared_ptr<Object>>(v); }
    bool has(const std::string& key) const { return object().count(key) != 0; }
    const Value& operator[](const std::string& key) const {
        auto it = object().find(key);
        if (it == object().end())
            throw std::runtime_error("missing key " + key);
        return it->second;
    }
    const Value& operator[](std::size_t i) const { return array().at(i); }
};

class Parser {
  public:
    explicit Parser(std::string_view text) : s_(text) {}
    Value parseAll() {
        Value v = parse();
        skip();
        if (i_ != s_.size())
            fail("trailing text");
        return v;
    }

  private:
    std::string_view s_;
    std::size_t i_ = 0;

    [[noreturn]] void fail(const std::string& why) {
        throw std::runtime_error(why + " at " + std::to_string(i_));
    }
    void skip() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t'))
            ++i_;
    }
    bool take(std::string_view word) {
        if (s_.substr(i_, word.size()) != word)
            return false;
        i_ += word.size();
        return true;
    }
    Value parse() {
        skip();
        if (i_ >= s_.size())
            fail("unexpected end");
        Value out;
        const char c = s_[i_];
        if (c == '{') {
            ++i_;
            auto obj = std::make_shared<Object>();
            skip();
            if (!take("}")) {
                do {
                    skip();
                    if (i_ >= s_.size() || s_[i_] != '"')
                        fail("key expected");
                    std::string key = parseString();
                    skip();
                    if (!take(":"))
                        fail(": expected");
                    if (obj->count(key))
                        fail("duplicate key " + key);
                    out.keys.push_back(key);
                    (*obj)[key] = parse();
                    skip();
                } while (take(","));
                if (!take("}"))
                    fail("} expected");
            }
            out.v = obj;
        } else if (c == '[') {
            ++i_;
            auto arr = std::make_shared<Array>();
            skip();
            if (!take("]")) {
                do {
                    arr->push_back(parse());
                    skip();
                } while (take(","));
                if (!take("]"))
                    fail("] expected");
            }
            out.v = arr;
        } else if (c == '"') {
            out.v = parseString();
        } else if (take("true")) {
            out.v = true;
        } else if (take("false")) {
            out.v = false;
        } else if (take("null")) {
            out.v = nullptr;
        } else {
            std::size_t start = i_;
            if (s_[i_] == '-')
                ++i_;
            while (i_ < s_.size() && ((s_[i_] >= '0' && s_[i_] <= '9') || s_[i_] == '.' || s_[i_] == 'e' ||
                                      s_[i_] == 'E' || s_[i_] == '+' || s_[i_] == '-'))
                ++i_;
            if (start == i_)
                fail("value expected");
            out.v = std::stod(std::string(s_.substr(start, i_ - start)));
        }
        return out;
    }
    std::string parseString() {
        ++i_; // opening quote
        std::string out;
        while (true) {
            if (i_ >= s_.size())
                fail("unterminated string");
            const char c = s_[i_++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                fail("raw control character in string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size())
                fail("bad escape");
            const char e = s_[i_++];
            switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                if (i_ + 4 > s_.size())
                    fail("bad \\u");
                const unsigned code =
                    static_cast<unsigned>(std::stoul(std::string(s_.substr(i_, 4)), nullptr, 16));
                i_ += 4;
                if (code >= 0x80)
                    fail("only ASCII \\u escapes expected");
                out += static_cast<char>(code);
                break;
            }
            default:
                fail("bad escape");
            }
        }
    }
};

inline Value Parse(std::string_view text) {
    return Parser(text).parseAll();
}

} // namespace minijson
