#include "platform/qt/QtSettingsStore.h"

#include "text/Parse.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <climits>

namespace {

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

// Runs a read of one entry of a section; false when the entry is missing.
bool Lookup(QSettings& settings, const std::string& section, const std::string& key, QVariant& value) {
    settings.beginGroup(ToQString(section));
    const QString name = ToQString(key);
    const bool present = settings.contains(name);
    if (present) value = settings.value(name);
    settings.endGroup();
    return present;
}

bool Store(QSettings& settings, const std::string& section, const std::string& key, const QVariant& value) {
    if (!settings.isWritable()) return false;
    settings.beginGroup(ToQString(section));
    settings.setValue(ToQString(key), value);
    settings.endGroup();
    return settings.status() == QSettings::NoError;
}

bool IsIntegerType(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: return true;
    default: return false;
    }
}

}  // namespace

CQtSettingsStore::CQtSettingsStore(const std::string& applicationName)
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Corvolab"), ToQString(applicationName))) {}

CQtSettingsStore::~CQtSettingsStore() = default;

bool CQtSettingsStore::GetString(const std::string& section, const std::string& key, std::string& value) {
    QVariant stored;
    if (!Lookup(*m_settings, section, key, stored) || stored.typeId() != QMetaType::QString) return false;
    value = stored.toString().toStdString();
    return true;
}

bool CQtSettingsStore::GetInt(const std::string& section, const std::string& key, int& value) {
    QVariant stored;
    if (!Lookup(*m_settings, section, key, stored)) return false;
    if (IsIntegerType(stored)) {
        bool ok = false;
        const qlonglong number = stored.toLongLong(&ok);
        if (!ok || number < INT_MIN || number > INT_MAX) return false;
        value = static_cast<int>(number);
        return true;
    }
    if (stored.typeId() != QMetaType::QString) return false;
    // A text entry (the form the settings file keeps) counts as an integer
    // only when it is one number and nothing else.
    const std::string text = stored.toString().trimmed().toStdString();
    std::size_t consumed = 0;
    const int number = ReadLeadingInt(text, &consumed);
    if (text.empty() || !HasLeadingNumber(text) || consumed != text.size()) return false;
    value = number;
    return true;
}

bool CQtSettingsStore::GetBinary(const std::string& section, const std::string& key,
                                 std::vector<unsigned char>& value) {
    QVariant stored;
    if (!Lookup(*m_settings, section, key, stored) || stored.typeId() != QMetaType::QByteArray) return false;
    const QByteArray bytes = stored.toByteArray();
    value.assign(reinterpret_cast<const unsigned char*>(bytes.constData()),
                 reinterpret_cast<const unsigned char*>(bytes.constData()) + bytes.size());
    return true;
}

bool CQtSettingsStore::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    return Store(*m_settings, section, key, QVariant(ToQString(value)));
}

bool CQtSettingsStore::WriteInt(const std::string& section, const std::string& key, int value) {
    return Store(*m_settings, section, key, QVariant(value));
}

bool CQtSettingsStore::WriteBinary(const std::string& section, const std::string& key,
                                   const std::vector<unsigned char>& value) {
    const QByteArray bytes(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size()));
    return Store(*m_settings, section, key, QVariant(bytes));
}

bool CQtSettingsStore::Sync() {
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

std::string CQtSettingsStore::FileName() const { return m_settings->fileName().toStdString(); }
