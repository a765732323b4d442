// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole-file reads and writes, and comparisons with the expected files of
// tests/data. With DW_UPDATE_GOLDEN=1 in the environment the comparisons
// rewrite the expected file from what was produced instead.

#include <string>

// tests/data/name.
std::string TestDataFile(const std::string& name);

// The file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The file `produced` holds exactly the bytes of tests/data/goldenName.
void ExpectSameAsGolden(const std::string& produced, const std::string& goldenName);
// The text is exactly the content of tests/data/goldenName.
void ExpectTextAsGolden(const std::string& text, const std::string& goldenName);
