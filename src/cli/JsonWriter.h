#pragma once
// A small streaming JSON writer: objects on indented lines, arrays either
// indented or on one line, numbers in the shortest form that reads back to
// the same double (non-finite values as null), strings escaped so the output
// is always valid UTF-8.

#include <string>
#include <string_view>
#include <vector>

class CJsonWriter {
public:
    void BeginObject();
    void EndObject();
    // An inline array keeps all its elements on one line.
    void BeginArray(bool inlineArray = false);
    void EndArray();
    void Key(std::string_view key);

    void String(std::string_view text);
    void Number(double value);
    void Integer(long long value);
    void Bool(bool value);
    void Null();

    const std::string& Text() const { return m_text; }

    // The JSON string literal of a text, quotes included. Bytes that do not
    // form valid UTF-8 are written as \u00XX (their 8-bit code page reading).
    static std::string Quote(std::string_view text);
    // The text as valid UTF-8: bytes that do not form valid UTF-8 become the
    // code points of their 8-bit code page reading, as in Quote.
    static std::string Utf8Text(std::string_view text);
    static std::string FormatNumber(double value);

private:
    struct Level {
        bool bArray;
        bool bInline;
        bool bEmpty = true;
    };
    void BeforeValue();
    void NewLine();

    std::string m_text;
    std::vector<Level> m_levels;
    bool m_bAfterKey = false;
};
