// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RecentLogs.h"

#include "files/SettingsStore.h"

#include <algorithm>
#include <string>

namespace {

std::string EntryKey(int number) { return "File" + std::to_string(number); }

}  // namespace

void CRecentLogs::Add(const std::string& path) {
    if (path.empty()) return;
    Remove(path);
    m_astrFiles.insert(m_astrFiles.begin(), path);
    if (m_astrFiles.size() > static_cast<std::size_t>(kMaxFiles)) m_astrFiles.resize(kMaxFiles);
}

bool CRecentLogs::Remove(const std::string& path) {
    const auto it = std::find(m_astrFiles.begin(), m_astrFiles.end(), path);
    if (it == m_astrFiles.end()) return false;
    m_astrFiles.erase(it);
    return true;
}

void CRecentLogs::Load(ISettingsStore* store) {
    m_astrFiles.clear();
    if (!store) return;
    for (int n = 1; n <= kMaxFiles; ++n) {
        std::string path;
        if (!store->GetString(kSection, EntryKey(n), path) || path.empty()) continue;
        if (std::find(m_astrFiles.begin(), m_astrFiles.end(), path) == m_astrFiles.end()) m_astrFiles.push_back(path);
    }
}

void CRecentLogs::Save(ISettingsStore* store) const {
    if (!store) return;
    store->WriteInt(kSection, "Count", static_cast<int>(m_astrFiles.size()));
    for (int n = 1; n <= kMaxFiles; ++n) {
        const std::size_t i = static_cast<std::size_t>(n) - 1;
        store->WriteString(kSection, EntryKey(n), i < m_astrFiles.size() ? m_astrFiles[i] : std::string());
    }
}
