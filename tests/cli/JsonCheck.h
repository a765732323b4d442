#pragma once
// A strict little JSON reader for the tests: it accepts exactly the JSON
// grammar (no trailing commas, no comments, no bare words) and keeps object
// keys in their order, so a test can check the syntax and the structure of
// the tool's document.

#include "text/Parse.h"

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace clitest {

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool b = false;
    double number = 0.0;
    std::string text;  // a string, or the number's literal
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    bool IsNull() const { return type == Type::Null; }
    const JsonValue* Find(const std::string& key) const {
        for (const auto& m : members)
            if (m.first == key) return &m.second;
        return nullptr;
    }
    const JsonValue& operator[](const std::string& key) const {
        static const JsonValue missing;
        const JsonValue* v = Find(key);
        return v ? *v : missing;
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (const auto& m : members) keys.push_back(m.first);
        return keys;
    }
};

class JsonReader {
public:
    // False with a message and the offset of the fault when the text is not
    // one JSON value (surrounding white space allowed).
    bool Parse(const std::string& text, JsonValue& value, std::string& error) {
        m_t = &text;
        m_p = 0;
        m_error.clear();
        const bool ok = Value(value, 0) && (Space(), m_p == text.size() || Fail("text after the value"));
        error = m_error;
        return ok;
    }

private:
    bool Fail(const std::string& what) {
        if (m_error.empty()) m_error = what + " at offset " + std::to_string(m_p);
        return false;
    }
    void Space() {
        while (m_p < m_t->size() &&
               ((*m_t)[m_p] == ' ' || (*m_t)[m_p] == '\n' || (*m_t)[m_p] == '\r' || (*m_t)[m_p] == '\t'))
            ++m_p;
    }
    bool Literal(const char* word) {
        const std::string w(word);
        if (m_t->compare(m_p, w.size(), w) != 0) return Fail("unknown word");
        m_p += w.size();
        return true;
    }
    static bool Digit(char c) { return c >= '0' && c <= '9'; }
    bool Number(JsonValue& v) {
        const std::size_t start = m_p;
        const std::string& t = *m_t;
        auto digits = [&]() {
            const std::size_t from = m_p;
            while (m_p < t.size() && Digit(t[m_p])) ++m_p;
            return m_p > from;
        };
        if (m_p < t.size() && t[m_p] == '-') ++m_p;
        if (m_p < t.size() && t[m_p] == '0') ++m_p;
        else if (!digits()) return Fail("bad number");
        if (m_p < t.size() && t[m_p] == '.') {
            ++m_p;
            if (!digits()) return Fail("bad fraction");
        }
        if (m_p < t.size() && (t[m_p] == 'e' || t[m_p] == 'E')) {
            ++m_p;
            if (m_p < t.size() && (t[m_p] == '+' || t[m_p] == '-')) ++m_p;
            if (!digits()) return Fail("bad exponent");
        }
        v.type = JsonValue::Type::Number;
        v.text = t.substr(start, m_p - start);
        v.number = ReadLeadingDouble(v.text);
        return true;
    }
    bool String(std::string& out) {
        const std::string& t = *m_t;
        ++m_p;  // opening quote
        while (m_p < t.size() && t[m_p] != '"') {
            const unsigned char c = static_cast<unsigned char>(t[m_p]);
            if (c < 0x20) return Fail("control character in a string");
            if (c == '\\') {
                if (++m_p >= t.size()) return Fail("open escape");
                const char e = t[m_p];
                if (e == 'u') {
                    for (int k = 1; k <= 4; ++k)
                        if (m_p + k >= t.size() || !std::isxdigit(static_cast<unsigned char>(t[m_p + k])))
                            return Fail("bad \\u escape");
                    out += '?';
                    m_p += 4;
                } else if (std::string("\"\\/bfnrt").find(e) != std::string::npos) {
                    out += e;
                } else {
                    return Fail("bad escape");
                }
            } else {
                out += static_cast<char>(c);
            }
            ++m_p;
        }
        if (m_p >= t.size()) return Fail("open string");
        ++m_p;
        return true;
    }
    bool Value(JsonValue& v, int depth) {
        if (depth > 64) return Fail("too deep");
        Space();
        if (m_p >= m_t->size()) return Fail("missing value");
        const char c = (*m_t)[m_p];
        if (c == 'n') return Literal("null");
        if (c == 't' || c == 'f') {
            v.type = JsonValue::Type::Bool;
            v.b = c == 't';
            return Literal(c == 't' ? "true" : "false");
        }
        if (c == '"') {
            v.type = JsonValue::Type::String;
            return String(v.text);
        }
        if (c == '[') {
            v.type = JsonValue::Type::Array;
            ++m_p;
            Space();
            if (m_p < m_t->size() && (*m_t)[m_p] == ']') return ++m_p, true;
            for (;;) {
                v.items.emplace_back();
                if (!Value(v.items.back(), depth + 1)) return false;
                Space();
                if (m_p < m_t->size() && (*m_t)[m_p] == ',') {
                    ++m_p;
                    continue;
                }
                if (m_p < m_t->size() && (*m_t)[m_p] == ']') return ++m_p, true;
                return Fail("expected , or ]");
            }
        }
        if (c == '{') {
            v.type = JsonValue::Type::Object;
            ++m_p;
            Space();
            if (m_p < m_t->size() && (*m_t)[m_p] == '}') return ++m_p, true;
            for (;;) {
                Space();
                if (m_p >= m_t->size() || (*m_t)[m_p] != '"') return Fail("expected a key");
                std::string key;
                if (!String(key)) return false;
                Space();
                if (m_p >= m_t->size() || (*m_t)[m_p] != ':') return Fail("expected :");
                ++m_p;
                v.members.emplace_back(key, JsonValue{});
                if (!Value(v.members.back().second, depth + 1)) return false;
                Space();
                if (m_p < m_t->size() && (*m_t)[m_p] == ',') {
                    ++m_p;
                    continue;
                }
                if (m_p < m_t->size() && (*m_t)[m_p] == '}') return ++m_p, true;
                return Fail("expected , or }");
            }
        }
        if (c == '-' || Digit(c)) return Number(v);
        return Fail("unexpected character");
    }

    const std::string* m_t = nullptr;
    std::size_t m_p = 0;
    std::string m_error;
};

// True when a number literal is no longer than the shortest text of the
// double it reads as: the scientific form with the fewest significant digits
// that still reads back to that double ("7.66132e-01" for 0.766132; a plain
// form may be shorter still: "0.766132", "-2116178168839186432").
inline bool IsShortestNumberText(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    char shortest[64];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(shortest, sizeof shortest, "%.*e", digits - 1, value);
        if (std::strtod(shortest, nullptr) == value) break;
    }
    return text.size() <= std::strlen(shortest);
}

// The literals of every number in a document.
inline void CollectNumberTexts(const JsonValue& v, std::vector<std::string>& texts) {
    if (v.type == JsonValue::Type::Number) texts.push_back(v.text);
    for (const JsonValue& item : v.items) CollectNumberTexts(item, texts);
    for (const auto& m : v.members) CollectNumberTexts(m.second, texts);
}

}  // namespace clitest
