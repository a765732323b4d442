// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/LineArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(LineArray, KeepsEachLineApartIncludingEmptyOnes) {
    CLineArray lines;
    EXPECT_TRUE(lines.empty());
    lines.push_back("img a22x");
    lines.push_back("");
    lines.emplace_back(std::string("1 0.5"));
    lines.push_back("#");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "img a22x");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "1 0.5");
    EXPECT_EQ(lines.front(), "img a22x");
    EXPECT_EQ(lines.back(), "#");
    EXPECT_EQ(lines, (std::vector<std::string>{"img a22x", "", "1 0.5", "#"}));
    EXPECT_FALSE(lines == (std::vector<std::string>{"img a22x", "1 0.5", "", "#"}));  // same text, other split
    const std::vector<std::string> copied(lines.begin(), lines.end());
    EXPECT_EQ(copied, (std::vector<std::string>{"img a22x", "", "1 0.5", "#"}));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), ""), 1);
}

TEST(LineArray, ResizeCutsOrPadsWithEmptyLines) {
    CLineArray lines = {"a", "bb", "ccc"};
    lines.resize(2);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "bb"}));
    lines.push_back("d");  // the cut text is gone, not shown again
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "bb", "d"}));
    lines.resize(5);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "bb", "d", "", ""}));
    lines.resize(0);
    EXPECT_TRUE(lines.empty());
    lines.push_back("e");
    EXPECT_EQ(lines, (std::vector<std::string>{"e"}));
    lines.clear();
    EXPECT_EQ(lines.size(), 0u);
}

TEST(LineArray, AppendingItsOwnLineWhileGrowing) {
    CLineArray lines;
    lines.push_back("first line of some length");
    for (int i = 0; i < 12; ++i) lines.push_back(lines[static_cast<std::size_t>(i)]);  // the text grows meanwhile
    ASSERT_EQ(lines.size(), 13u);
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], "first line of some length") << i;
}

TEST(LineArray, CopiesAndComparisonsSeeTheLines) {
    CLineArray a = {"x", "yz"};
    CLineArray b;
    b.reserve(10, 1000);
    b.push_back("x");
    b.push_back("yz");
    EXPECT_EQ(a, b);
    CLineArray c = a;
    c.push_back("");
    EXPECT_FALSE(a == c);  // an added empty line is a line
    CLineArray d = {"xy", "z"};
    EXPECT_FALSE(a == d);
    c = {"only"};
    EXPECT_EQ(c, (std::vector<std::string>{"only"}));
}
