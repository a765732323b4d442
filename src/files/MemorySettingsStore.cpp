#include "files/MemorySettingsStore.h"

namespace {

template <typename T, typename Map>
bool GetAs(const Map& entries, const std::string& section, const std::string& key, T& value) {
    const auto it = entries.find({section, key});
    if (it == entries.end()) return false;
    const T* stored = std::get_if<T>(&it->second);
    if (stored == nullptr) return false;
    value = *stored;
    return true;
}

}  // namespace

bool CMemorySettingsStore::GetString(const std::string& section, const std::string& key, std::string& value) {
    return GetAs(m_entries, section, key, value);
}

bool CMemorySettingsStore::GetInt(const std::string& section, const std::string& key, int& value) {
    return GetAs(m_entries, section, key, value);
}

bool CMemorySettingsStore::GetBinary(const std::string& section, const std::string& key,
                                     std::vector<unsigned char>& value) {
    return GetAs(m_entries, section, key, value);
}

bool CMemorySettingsStore::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (m_bReadOnly) return false;
    m_entries[{section, key}] = value;
    return true;
}

bool CMemorySettingsStore::WriteInt(const std::string& section, const std::string& key, int value) {
    if (m_bReadOnly) return false;
    m_entries[{section, key}] = value;
    return true;
}

bool CMemorySettingsStore::WriteBinary(const std::string& section, const std::string& key,
                                       const std::vector<unsigned char>& value) {
    if (m_bReadOnly) return false;
    m_entries[{section, key}] = value;
    return true;
}

bool CMemorySettingsStore::Contains(const std::string& section, const std::string& key) const {
    return m_entries.count({section, key}) != 0;
}

void CMemorySettingsStore::Remove(const std::string& section, const std::string& key) {
    m_entries.erase({section, key});
}

void CMemorySettingsStore::Clear() { m_entries.clear(); }
