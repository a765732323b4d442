#include "cli/JsonWriter.h"

#include "text/Format.h"

#include <charconv>
#include <cmath>

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one
// (overlong forms, surrogates and code points above U+10FFFF are invalid).
std::size_t Utf8Length(std::string_view t, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(t[k]); };
    const unsigned char c = b(i);
    std::size_t n = 0;
    unsigned lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else return 0;
    if (i + n > t.size()) return 0;
    if (b(i + 1) < lo || b(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    return n;
}

}  // namespace

std::string CJsonWriter::Quote(std::string_view t) {
    std::string out;
    out.reserve(t.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < t.size();) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        if (c < 0x80) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) out += FormatText("\\u%04x", c);
                else out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        const std::size_t n = Utf8Length(t, i);
        if (n == 0) {
            out += FormatText("\\u%04x", c);
            ++i;
        } else {
            out.append(t.substr(i, n));
            i += n;
        }
    }
    out += '"';
    return out;
}

std::string CJsonWriter::Utf8Text(std::string_view t) {
    std::string out;
    out.reserve(t.size());
    for (std::size_t i = 0; i < t.size();) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        const std::size_t n = c < 0x80 ? 1 : Utf8Length(t, i);
        if (n == 0) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
            ++i;
        } else {
            out.append(t.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string CJsonWriter::FormatNumber(double value) {
    if (!std::isfinite(value)) return "null";
    // The shortest text that reads back to the same double; its exponent
    // ("1e-07", "1e+300") is valid JSON as it stands.
    char buffer[32];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

void CJsonWriter::NewLine() {
    m_text += '\n';
    m_text.append(2 * m_levels.size(), ' ');
}

void CJsonWriter::BeforeValue() {
    if (m_bAfterKey) {
        m_bAfterKey = false;
        return;
    }
    if (m_levels.empty()) return;
    Level& l = m_levels.back();
    if (!l.bEmpty) m_text += l.bInline ? ", " : ",";
    if (!l.bInline) NewLine();
    l.bEmpty = false;
}

void CJsonWriter::BeginObject() {
    BeforeValue();
    m_text += '{';
    m_levels.push_back({false, false});
}

void CJsonWriter::EndObject() {
    const bool empty = m_levels.back().bEmpty;
    m_levels.pop_back();
    if (!empty) NewLine();
    m_text += '}';
    if (m_levels.empty()) m_text += '\n';
}

void CJsonWriter::BeginArray(bool inlineArray) {
    BeforeValue();
    m_text += '[';
    // Inside an inline array everything stays on the line.
    const bool inl = inlineArray || (!m_levels.empty() && m_levels.back().bInline);
    m_levels.push_back({true, inl});
}

void CJsonWriter::EndArray() {
    const Level l = m_levels.back();
    m_levels.pop_back();
    if (!l.bEmpty && !l.bInline) NewLine();
    m_text += ']';
    if (m_levels.empty()) m_text += '\n';
}

void CJsonWriter::Key(std::string_view key) {
    BeforeValue();
    m_text += Quote(key);
    m_text += ": ";
    m_bAfterKey = true;
}

void CJsonWriter::String(std::string_view text) {
    BeforeValue();
    m_text += Quote(text);
}

void CJsonWriter::Number(double value) {
    BeforeValue();
    m_text += FormatNumber(value);
}

void CJsonWriter::Integer(long long value) {
    BeforeValue();
    m_text += FormatText("%lld", value);
}

void CJsonWriter::Bool(bool value) {
    BeforeValue();
    m_text += value ? "true" : "false";
}

void CJsonWriter::Null() {
    BeforeValue();
    m_text += "null";
}
