#pragma once
// The per-user settings store on QSettings: organisation "Corvolab", the
// application's name as the application, each section a QSettings group.
// Strings and integers are stored as they are, binary entries as byte arrays.
// An entry of another kind than the one asked for is not read: a text entry
// counts as an integer only when it holds one whole number.

#include "files/SettingsStore.h"

#include <memory>
#include <string>

class QSettings;

class CQtSettingsStore : public ISettingsStore {
public:
    // applicationName: usually the executable's base name.
    explicit CQtSettingsStore(const std::string& applicationName);
    ~CQtSettingsStore() override;

    CQtSettingsStore(const CQtSettingsStore&) = delete;
    CQtSettingsStore& operator=(const CQtSettingsStore&) = delete;

    bool GetString(const std::string& section, const std::string& key, std::string& value) override;
    bool GetInt(const std::string& section, const std::string& key, int& value) override;
    bool GetBinary(const std::string& section, const std::string& key, std::vector<unsigned char>& value) override;
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    bool WriteInt(const std::string& section, const std::string& key, int value) override;
    bool WriteBinary(const std::string& section, const std::string& key,
                     const std::vector<unsigned char>& value) override;

    // Writes pending changes to the backing file; false when that failed.
    bool Sync();
    // The backing file (under the user's configuration folder).
    std::string FileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
};
