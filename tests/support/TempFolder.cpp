// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

CTempFolder::CTempFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
    else ADD_FAILURE() << "cannot make a temporary folder " << pattern;
}

CTempFolder::~CTempFolder() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
}

std::string CTempFolder::File(const std::string& name) const { return m_path + "/" + name; }

std::string CTempFolder::Write(const std::string& name, std::string_view bytes) const {
    const std::string path = File(name);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr) << path;
    if (f) {
        const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
        EXPECT_EQ(written, bytes.size()) << path;
        EXPECT_EQ(std::fclose(f), 0) << path;
    }
    return path;
}
