#include "files/ParameterFile.h"

#include "FilesTestSupport.h"
#include "series/ParameterBlock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A stream over the given bytes, positioned at the start.
std::FILE* StreamWith(const std::string& bytes) {
    std::FILE* f = std::tmpfile();
    if (f != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::rewind(f);
    }
    return f;
}

std::string Contents(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string all;
    char buf[256];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
    return all;
}

CParameterBlock Block(const std::string& name, int version) {
    CParameterBlock block;
    block.m_strName = name;
    block.m_nVersion = version;
    return block;
}

struct HEADERRESULT {
    int result;
    std::string name;
    int version;
};

HEADERRESULT ParseHeader(const std::string& bytes) {
    std::FILE* f = StreamWith(bytes);
    HEADERRESULT r{-1, "unset", -1};
    r.result = ReadHeader(f, r.name, r.version);
    std::fclose(f);
    return r;
}

}  // namespace

TEST(ParameterFileWriter, WritesHeaderAndValuesWithCrLf) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    const CParameterBlock block = Block("Main Parameters", 2013111101);
    EXPECT_EQ(WriteHeader(f, block), 1);
    EXPECT_EQ(WriteIntValue(f, block, -42, ""), 1);
    EXPECT_EQ(WriteStringValue(f, block, "", ""), 1);
    EXPECT_EQ(WriteStringValue(f, block, "  /some path/ ", ""), 1);
    EXPECT_EQ(WriteDoubleValue(f, block, 0.123456789, ""), 1);
    EXPECT_EQ(WriteDoubleValue(f, block, 1e6, ""), 1);
    EXPECT_EQ(WriteDoubleValue(f, block, 300.0, ""), 1);
    EXPECT_EQ(WriteDoubleValue(f, block, 0.25, ""), 1);
    EXPECT_EQ(WriteDoubleValue(f, block, 0.000025, ""), 1);
    EXPECT_EQ(Contents(f), "'[Main Parameters]'\r\nVersion 2013111101\r\n-42\r\n\r\n  /some path/ \r\n"
                           "0.123457\r\n1e+006\r\n300\r\n0.25\r\n2.5e-005\r\n");
    std::fclose(f);
}

TEST(ParameterFileWriter, CommentStartsAtTheColumnOrSixBlanksLater) {
    const CParameterBlock block = Block("B", 1);
    std::string text = "10";
    EXPECT_EQ(AppendComment(text, block, "note"), 1);
    EXPECT_EQ(text, "10" + std::string(38, ' ') + "note");

    std::string longText(40, 'x');
    AppendComment(longText, block, "c");
    EXPECT_EQ(longText, std::string(40, 'x') + std::string(6, ' ') + "c");

    std::string exact34(34, 'y');
    AppendComment(exact34, block, "c");
    EXPECT_EQ(exact34.size(), 41u);

    std::string unchanged = "7";
    AppendComment(unchanged, block, "");
    EXPECT_EQ(unchanged, "7");

    std::FILE* f = std::tmpfile();
    WriteIntValue(f, block, 10, "the comment");
    EXPECT_EQ(Contents(f), "10" + std::string(38, ' ') + "the comment\r\n");
    std::fclose(f);
}

TEST(ParameterFileReader, HeaderNameIsTheTextBetweenTheMarkers) {
    HEADERRESULT r = ParseHeader("junk '[Main Parameters]' trailing\r\nVersion 2013111101\r\n");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.name, "Main Parameters");
    EXPECT_EQ(r.version, 2013111101);

    for (const char* line1 : {"'[]'", "'[Main Parameters", "Main Parameters]'", "]'x'["}) {
        r = ParseHeader(std::string(line1) + "\nVersion 5\n");
        EXPECT_EQ(r.result, 0) << line1;
        EXPECT_EQ(r.name, "") << line1;
        EXPECT_EQ(r.version, 5) << line1;  // the second line is still read
    }
}

TEST(ParameterFileReader, VersionLineRules) {
    EXPECT_EQ(ParseHeader("'[A]'\nVersion \n").result, 0);
    EXPECT_EQ(ParseHeader("'[A]'\nversion 3\n").result, 0);
    HEADERRESULT r = ParseHeader("'[A]'\nVersion abc\n");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.version, 0);
    r = ParseHeader("'[A]'\nVersion 42 and more\n");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.version, 42);
    r = ParseHeader("'[A]'\nVersion   -7");  // no final line feed
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.version, -7);
    EXPECT_EQ(ParseHeader("'[A]'\n").result, 0);
    EXPECT_EQ(ParseHeader("").result, 0);
}

TEST(ParameterFileReader, NumbersAreLeadingValuesOfTheLine) {
    std::FILE* f = StreamWith("  42abc\r\nletters\r\n\r\n1e+006\n1e+06\n-2.5e-005 comment\n");
    int i = -1;
    EXPECT_EQ(ReadIntValue(f, i), 1);
    EXPECT_EQ(i, 42);
    EXPECT_EQ(ReadIntValue(f, i), 1);
    EXPECT_EQ(i, 0);
    i = 77;
    EXPECT_EQ(ReadIntValue(f, i), 0);  // empty line
    EXPECT_EQ(i, 77);
    double d = -1.0;
    EXPECT_EQ(ReadDoubleValue(f, d), 1);
    EXPECT_EQ(d, 1e6);
    EXPECT_EQ(ReadDoubleValue(f, d), 1);
    EXPECT_EQ(d, 1e6);
    EXPECT_EQ(ReadDoubleValue(f, d), 1);
    EXPECT_EQ(d, -2.5e-5);
    d = 3.0;
    EXPECT_EQ(ReadDoubleValue(f, d), 0);  // end of file
    EXPECT_EQ(d, 3.0);
    std::fclose(f);
}

TEST(ParameterFileReader, EmptyLineIsAnEmptyStringButNotANumber) {
    std::FILE* f = StreamWith("\n\n  both ends  \r\n");
    double d = 9.0;
    EXPECT_EQ(ReadDoubleValue(f, d), 0);
    EXPECT_EQ(d, 9.0);
    std::string s = "old";
    EXPECT_EQ(ReadStringValue(f, s), 1);
    EXPECT_EQ(s, "");
    EXPECT_EQ(ReadStringValue(f, s), 1);
    EXPECT_EQ(s, "  both ends  ");
    s = "kept";
    EXPECT_EQ(ReadStringValue(f, s), 0);
    EXPECT_EQ(s, "kept");
    std::fclose(f);
}

TEST(ParameterFileRoundTrip, DoubleKeepsOnlySixDigits) {
    std::FILE* f = std::tmpfile();
    const CParameterBlock block = Block("B", 1);
    WriteDoubleValue(f, block, 0.123456789, "");
    WriteDoubleValue(f, block, -1e-300, "");
    std::rewind(f);
    double d = 0.0;
    EXPECT_EQ(ReadDoubleValue(f, d), 1);
    EXPECT_EQ(d, 0.123457);
    EXPECT_EQ(ReadDoubleValue(f, d), 1);
    EXPECT_EQ(d, -1e-300);
    std::fclose(f);
}

TEST(ParameterFileErrors, NullStreamFailsAtOnce) {
    CRecordingReporter reporter;
    const CParameterBlock block = Block("B", 1);
    std::string s = "x";
    int i = 5;
    double d = 6.0;
    EXPECT_EQ(WriteHeader(nullptr, block), 0);
    EXPECT_EQ(WriteIntValue(nullptr, block, 1, ""), 0);
    EXPECT_EQ(WriteDoubleValue(nullptr, block, 1.0, ""), 0);
    EXPECT_EQ(WriteStringValue(nullptr, block, "v", ""), 0);
    EXPECT_EQ(ReadHeader(nullptr, s, i), 0);
    EXPECT_EQ(s, "");
    EXPECT_EQ(i, 0);
    i = 5;
    EXPECT_EQ(ReadIntValue(nullptr, i), 0);
    EXPECT_EQ(ReadDoubleValue(nullptr, d), 0);
    s = "x";
    EXPECT_EQ(ReadStringValue(nullptr, s), 0);
    EXPECT_EQ(i, 5);
    EXPECT_EQ(d, 6.0);
    EXPECT_EQ(s, "x");
    EXPECT_TRUE(reporter.m_calls.empty());
}

TEST(ParameterFileErrors, WriteErrorIsReportedAndFails) {
    CRecordingReporter reporter;
    std::FILE* f = std::fopen("/dev/full", "wb");
    ASSERT_NE(f, nullptr);
    std::setvbuf(f, nullptr, _IONBF, 0);  // the error shows at the write itself
    const CParameterBlock block = Block("B", 1);
    EXPECT_EQ(WriteHeader(f, block, "/dev/full"), 0);
    ASSERT_EQ(reporter.m_calls.size(), 1u);  // the second header line is not tried
    EXPECT_EQ(reporter.m_calls[0].first, "/dev/full");
    EXPECT_FALSE(reporter.m_calls[0].second.empty());
    EXPECT_EQ(WriteDoubleValue(f, block, 1.0, "c", "/dev/full"), 0);
    EXPECT_EQ(reporter.m_calls.size(), 2u);
    std::fclose(f);
}

TEST(ParameterFileErrors, ReadErrorIsReportedAndKeepsTheValue) {
    CTempFolder folder("dw_files");
    const std::string path = folder.File("writeonly.prm");
    std::FILE* f = std::fopen(path.c_str(), "wb");  // reading from it fails
    ASSERT_NE(f, nullptr);
    CRecordingReporter reporter;
    int i = 3;
    EXPECT_EQ(ReadIntValue(f, i, path), 0);
    EXPECT_EQ(i, 3);
    ASSERT_EQ(reporter.m_calls.size(), 1u);
    EXPECT_EQ(reporter.m_calls[0].first, path);
    std::fclose(f);
}
