#include "text/TextFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
std::vector<std::string> Lines(std::string_view text) {
    CLineSplitter s(text);
    std::vector<std::string> out;
    std::string_view line;
    while (s.Next(line)) out.emplace_back(line);
    return out;
}
}  // namespace

TEST(LineSplitter, AcceptsLfAndCrLf) {
    EXPECT_EQ(Lines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Lines("a\n\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(Lines("").empty());
    EXPECT_EQ(Lines("\r\n"), (std::vector<std::string>{""}));
    EXPECT_EQ(Lines(std::string_view("x\0y\n", 4)), (std::vector<std::string>{std::string("x\0y", 3)}));
}

TEST(TextWriterAndReader, RoundTripWithCrLfOnDisk) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    CTextWriter w(f);
    EXPECT_TRUE(w.Write("one\n"));
    EXPECT_TRUE(w.Write("\ntwo"));
    std::rewind(f);
    std::string all;
    ASSERT_TRUE(ReadAll(f, all));
    EXPECT_EQ(all, "one\r\n\r\ntwo");
    std::rewind(f);
    CTextReader r(f);
    std::string line;
    EXPECT_EQ(r.ReadLine(line), CTextReader::Line);
    EXPECT_EQ(line, "one");
    EXPECT_EQ(r.ReadLine(line), CTextReader::Line);
    EXPECT_EQ(line, "");
    EXPECT_EQ(r.ReadLine(line), CTextReader::Line);
    EXPECT_EQ(line, "two");
    EXPECT_EQ(r.ReadLine(line), CTextReader::End);
    std::fclose(f);
}

TEST(TextWriter, FullDiskIsReported) {
    std::FILE* f = std::fopen("/dev/full", "wb");
    if (!f) GTEST_SKIP() << "/dev/full not available";
    std::setvbuf(f, nullptr, _IONBF, 0);
    CTextWriter w(f);
    EXPECT_FALSE(w.Write("data\n"));
    EXPECT_FALSE(w.Ok());
    EXPECT_FALSE(w.ErrorText().empty());
    std::fclose(f);
}
