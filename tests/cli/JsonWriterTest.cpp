#include "cli/JsonWriter.h"

#include "JsonCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

TEST(JsonWriter, NumbersTakeTheShortestRoundTripFormAndNonFiniteIsNull) {
    EXPECT_EQ(CJsonWriter::FormatNumber(0.766132), "0.766132");
    EXPECT_EQ(CJsonWriter::FormatNumber(0.1), "0.1");
    EXPECT_EQ(CJsonWriter::FormatNumber(0.1 + 0.2), "0.30000000000000004");  // 17 digits are needed here
    EXPECT_EQ(CJsonWriter::FormatNumber(2.0), "2");
    EXPECT_EQ(CJsonWriter::FormatNumber(-0.85), "-0.85");
    EXPECT_EQ(CJsonWriter::FormatNumber(1e300), "1e+300");
    EXPECT_EQ(CJsonWriter::FormatNumber(1.5e-7), "1.5e-07");  // a valid JSON exponent
    EXPECT_EQ(CJsonWriter::FormatNumber(5e-324), "5e-324");
    EXPECT_EQ(CJsonWriter::FormatNumber(std::numeric_limits<double>::max()), "1.7976931348623157e+308");
    EXPECT_EQ(CJsonWriter::FormatNumber(std::nan("")), "null");
    EXPECT_EQ(CJsonWriter::FormatNumber(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(CJsonWriter::FormatNumber(-std::numeric_limits<double>::infinity()), "null");
}

TEST(JsonWriter, NumbersReadBackExactlyAndNoShorterTextWould) {
    std::uint64_t state = 88172645463325252ull;
    for (int i = 0; i < 20000; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        double value = 0.0;
        std::memcpy(&value, &state, sizeof value);
        if (!std::isfinite(value)) continue;
        const std::string text = CJsonWriter::FormatNumber(value);
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
        EXPECT_TRUE(clitest::IsShortestNumberText(text)) << text;
    }
}

TEST(JsonWriter, StringsAreEscapedAndAlwaysValidUtf8) {
    EXPECT_EQ(CJsonWriter::Quote("plain"), "\"plain\"");
    EXPECT_EQ(CJsonWriter::Quote("a\"b\\c/d"), "\"a\\\"b\\\\c/d\"");
    EXPECT_EQ(CJsonWriter::Quote("\b\f\n\r\t"), "\"\\b\\f\\n\\r\\t\"");
    EXPECT_EQ(CJsonWriter::Quote(std::string("\0\x01\x1f\x7f", 4)), "\"\\u0000\\u0001\\u001f\\u007f\"");
    // Valid UTF-8 passes unchanged: U+00B5, U+20AC, U+1F600.
    EXPECT_EQ(CJsonWriter::Quote("\xC2\xB5 \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "\"\xC2\xB5 \xE2\x82\xAC \xF0\x9F\x98\x80\"");
    // Bytes of an 8-bit code page become their code points.
    EXPECT_EQ(CJsonWriter::Quote("M\xFCller"), "\"M\\u00fcller\"");
    EXPECT_EQ(CJsonWriter::Quote("\xC0\x80"), "\"\\u00c0\\u0080\"");                        // overlong NUL
    EXPECT_EQ(CJsonWriter::Quote("\xED\xA0\x80"), "\"\\u00ed\\u00a0\\u0080\"");             // surrogate
    EXPECT_EQ(CJsonWriter::Quote("\xF4\x90\x80\x80"), "\"\\u00f4\\u0090\\u0080\\u0080\"");  // above U+10FFFF
    EXPECT_EQ(CJsonWriter::Quote("\xE2\x82"), "\"\\u00e2\\u0082\"");                        // cut short at the end
    EXPECT_EQ(CJsonWriter::Quote("\xC3"), "\"\\u00c3\"");
    EXPECT_EQ(CJsonWriter::Quote("\x80x"), "\"\\u0080x\"");
}

TEST(JsonWriter, Utf8TextKeepsValidUtf8AndReadsOtherBytesAsTheirCodePoints) {
    EXPECT_EQ(CJsonWriter::Utf8Text("plain/J\xC3\xA4nner \xF0\x9F\x98\x80"), "plain/J\xC3\xA4nner \xF0\x9F\x98\x80");
    EXPECT_EQ(CJsonWriter::Utf8Text("M\xFCller"), "M\xC3\xBCller");
    EXPECT_EQ(CJsonWriter::Utf8Text("\xC0\x80"), "\xC3\x80\xC2\x80");  // overlong NUL
    EXPECT_EQ(CJsonWriter::Utf8Text("\xE2\x82"), "\xC3\xA2\xC2\x82");  // cut short at the end
    EXPECT_EQ(CJsonWriter::Utf8Text(""), "");
}

TEST(JsonWriter, Layout) {
    CJsonWriter j;
    j.BeginObject();
    j.Key("a");
    j.Integer(-5);
    j.Key("empty");
    j.BeginArray();
    j.EndArray();
    j.Key("rows");
    j.BeginArray();
    j.BeginArray(true);
    j.Integer(1);
    j.Number(0.5);
    j.Null();
    j.EndArray();
    j.BeginArray(true);
    j.Bool(true);
    j.EndArray();
    j.EndArray();
    j.Key("o");
    j.BeginObject();
    j.EndObject();
    j.Key("s");
    j.String("x");
    j.EndObject();
    EXPECT_EQ(j.Text(), "{\n"
                        "  \"a\": -5,\n"
                        "  \"empty\": [],\n"
                        "  \"rows\": [\n"
                        "    [1, 0.5, null],\n"
                        "    [true]\n"
                        "  ],\n"
                        "  \"o\": {},\n"
                        "  \"s\": \"x\"\n"
                        "}\n");
}
