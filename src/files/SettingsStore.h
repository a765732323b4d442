#pragma once
// The per-user settings store: sections of named string, integer and binary
// entries. The desktop program uses QSettings; tests use the memory store.

#include <map>
#include <string>
#include <vector>

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // Reads leave the output untouched and return false when the entry is
    // missing or of another kind.
    virtual bool GetString(const std::string& section, const std::string& key, std::string& value) = 0;
    virtual bool GetInt(const std::string& section, const std::string& key, int& value) = 0;
    virtual bool GetBinary(const std::string& section, const std::string& key, std::vector<unsigned char>& value) = 0;
    virtual bool WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual bool WriteInt(const std::string& section, const std::string& key, int value) = 0;
    virtual bool WriteBinary(const std::string& section, const std::string& key,
                             const std::vector<unsigned char>& value) = 0;
};
