// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GoldenFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

bool UpdateGolden() {
    const char* update = std::getenv("DW_UPDATE_GOLDEN");
    return update != nullptr && std::string(update) == "1";
}

}  // namespace

std::string TestDataFile(const std::string& name) { return std::string(DW_TEST_DATA_DIR) + "/" + name; }

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ExpectSameAsGolden(const std::string& produced, const std::string& goldenName) {
    ExpectTextAsGolden(ReadFileBytes(produced), goldenName);
}

void ExpectTextAsGolden(const std::string& text, const std::string& goldenName) {
    const std::string golden = TestDataFile(goldenName);
    if (UpdateGolden()) {
        WriteFileBytes(golden, text);
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(golden)) << "missing " << golden;
    EXPECT_EQ(text, ReadFileBytes(golden)) << "differs from " << golden;
}
