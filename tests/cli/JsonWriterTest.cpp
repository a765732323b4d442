#include "cli/JsonWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(JsonWriter, NumbersHaveSeventeenDigitsAndNonFiniteIsNull) {
    EXPECT_EQ(CJsonWriter::FormatNumber(0.1), "0.10000000000000001");
    EXPECT_EQ(CJsonWriter::FormatNumber(2.0), "2");
    EXPECT_EQ(CJsonWriter::FormatNumber(-0.85), "-0.84999999999999998");
    EXPECT_EQ(CJsonWriter::FormatNumber(1e300), "1.0000000000000001e+300");
    EXPECT_EQ(CJsonWriter::FormatNumber(1.5e-7), "1.4999999999999999e-007");  // a valid JSON exponent
    EXPECT_EQ(CJsonWriter::FormatNumber(std::nan("")), "null");
    EXPECT_EQ(CJsonWriter::FormatNumber(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(CJsonWriter::FormatNumber(-std::numeric_limits<double>::infinity()), "null");
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
