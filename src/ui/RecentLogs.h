// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Recent Logs" list of the File menu: the last eight imported files,
// newest first, kept in the settings store in a section of its own.

#include <string>
#include <vector>

class ISettingsStore;

class CRecentLogs {
public:
    static constexpr int kMaxFiles = 8;
    static constexpr const char* kSection = "Recent Logs";

    // Puts the file at the top (once), dropping the oldest beyond eight.
    void Add(const std::string& path);
    // Removes the file; false when it was not in the list.
    bool Remove(const std::string& path);
    void Clear() { m_astrFiles.clear(); }
    const std::vector<std::string>& Files() const { return m_astrFiles; }

    // Reads "File1" ... "File8"; empty and repeated entries are skipped.
    void Load(ISettingsStore* store);
    // Writes all eight entries (unused ones empty) and "Count".
    void Save(ISettingsStore* store) const;

private:
    std::vector<std::string> m_astrFiles;
};
