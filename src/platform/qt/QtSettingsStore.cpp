#include "platform/qt/QtSettingsStore.h"

#include <QSettings>

CQtSettingsStore::CQtSettingsStore(const std::string& applicationName)
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Corvolab"), QString::fromStdString(applicationName)))
{
}

CQtSettingsStore::~CQtSettingsStore() = default;

bool CQtSettingsStore::GetString(const std::string&, const std::string&, std::string&) { return false; }
bool CQtSettingsStore::GetInt(const std::string&, const std::string&, int&) { return false; }
bool CQtSettingsStore::GetBinary(const std::string&, const std::string&, std::vector<unsigned char>&) { return false; }
bool CQtSettingsStore::WriteString(const std::string&, const std::string&, const std::string&) { return false; }
bool CQtSettingsStore::WriteInt(const std::string&, const std::string&, int) { return false; }
bool CQtSettingsStore::WriteBinary(const std::string&, const std::string&, const std::vector<unsigned char>&) { return false; }
bool CQtSettingsStore::Sync() { return true; }
