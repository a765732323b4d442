#pragma once
// A settings store held in memory, for tests and the batch tool. Each entry
// keeps its kind, so reading it as another kind fails as it would with the
// per-user store.

#include "files/SettingsStore.h"

#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

class CMemorySettingsStore : public ISettingsStore {
public:
    bool GetString(const std::string& section, const std::string& key, std::string& value) override;
    bool GetInt(const std::string& section, const std::string& key, int& value) override;
    bool GetBinary(const std::string& section, const std::string& key, std::vector<unsigned char>& value) override;
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    bool WriteInt(const std::string& section, const std::string& key, int value) override;
    bool WriteBinary(const std::string& section, const std::string& key,
                     const std::vector<unsigned char>& value) override;

    bool Contains(const std::string& section, const std::string& key) const;
    void Remove(const std::string& section, const std::string& key);
    void Clear();
    // When set, every write fails (a store that cannot be written).
    void SetReadOnly(bool readOnly) { m_bReadOnly = readOnly; }

private:
    using Value = std::variant<std::string, int, std::vector<unsigned char>>;
    std::map<std::pair<std::string, std::string>, Value> m_entries;
    bool m_bReadOnly = false;
};
