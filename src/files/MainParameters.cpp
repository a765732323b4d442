#include "files/MainParameters.h"

#include "eval/EvalInputs.h"
#include "files/FileErrorReporter.h"
#include "files/ParameterFile.h"
#include "files/SettingsStore.h"
#include "log/LogFile.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <variant>
#include <vector>

namespace {

constexpr int kMainParametersVersion = 2013111101;
const char* const kMainParametersName = "Main Parameters";

// The settings store keeps doubles as the 8 bytes of the IEEE-754 value,
// least significant byte first, whatever the byte order of the host.
std::vector<unsigned char> DoubleToBytes(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::vector<unsigned char> bytes(8);
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    return bytes;
}

double BytesToDouble(const std::vector<unsigned char>& bytes) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void LoadBinaryDouble(ISettingsStore& store, const std::string& section, const char* key, double& field) {
    std::vector<unsigned char> bytes;
    if (store.GetBinary(section, key, bytes) && bytes.size() == 8) field = BytesToDouble(bytes);
}

// Where each program parameter of kEvalInputs is kept in the object.
using ParameterMember = std::variant<std::string CMainParameters::*, int CMainParameters::*, double CMainParameters::*>;

struct ParameterBinding {
    EvalInput id;
    ParameterMember member;
};

const ParameterBinding kBindings[] = {
    {EvalInput::ImportPath, &CMainParameters::ImportPath},
    {EvalInput::OutputPath, &CMainParameters::OutputPath},
    {EvalInput::ImportType, &CMainParameters::ImportType},
    {EvalInput::ImportMirrorY, &CMainParameters::ImportMirrorY},
    {EvalInput::ImportRotDeg, &CMainParameters::ImportRotDeg},
    {EvalInput::DataDisplayType, &CMainParameters::DataDisplayType},
    {EvalInput::MinDiversity, &CMainParameters::MinDiversity},
    {EvalInput::ElEnergykV, &CMainParameters::ElEnergykV},
    {EvalInput::TargetResAng, &CMainParameters::TargetResAng},
    {EvalInput::LimitPhase, &CMainParameters::LimitPhase},
};

// Calls visit(entry, member) for every program parameter, in the order of
// kEvalInputs (the order of the value lines in the file); false as soon as
// one call is.
template <typename Visit>
bool ForEachParameter(Visit visit) {
    for (const EvalInputSpec& entry : kEvalInputs) {
        if (entry.szSettingsKey == nullptr) continue;
        const auto binding = std::find_if(std::begin(kBindings), std::end(kBindings),
                                          [&entry](const ParameterBinding& b) { return b.id == entry.id; });
        if (binding == std::end(kBindings) || !visit(entry, binding->member)) return false;
    }
    return true;
}

template <typename... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
// Spelled out for compilers without aggregate deduction (clang 14).
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

int WriteAll(std::FILE* file, CMainParameters& p, const std::string& path) {
    if (!WriteHeader(file, p, path)) return 0;
    const std::string none;
    return ForEachParameter([&](const EvalInputSpec&, const ParameterMember& member) {
        return std::visit(
            Overloaded{
                [&](std::string CMainParameters::*m) { return WriteStringValue(file, p, p.*m, none, path) != 0; },
                [&](int CMainParameters::*m) { return WriteIntValue(file, p, p.*m, none, path) != 0; },
                [&](double CMainParameters::*m) { return WriteDoubleValue(file, p, p.*m, none, path) != 0; }},
            member);
    });
}

int ReadAllValues(std::FILE* file, CMainParameters& p, const std::string& path) {
    return ForEachParameter([&](const EvalInputSpec&, const ParameterMember& member) {
        return std::visit(
            Overloaded{[&](std::string CMainParameters::*m) { return ReadStringValue(file, p.*m, path) != 0; },
                       [&](int CMainParameters::*m) { return ReadIntValue(file, p.*m, path) != 0; },
                       [&](double CMainParameters::*m) { return ReadDoubleValue(file, p.*m, path) != 0; }},
            member);
    });
}

}  // namespace

CMainParameters::CMainParameters() {
    m_nCommentColumn = 40;
    m_nVersion = kMainParametersVersion;
    m_strName = kMainParametersName;
    ResetToDefaults();
}

void CMainParameters::ResetToDefaults() {
    ForEachParameter([this](const EvalInputSpec& entry, const ParameterMember& member) {
        std::visit(Overloaded{[this](std::string CMainParameters::*m) { (this->*m).clear(); },
                              [&](int CMainParameters::*m) { this->*m = static_cast<int>(entry.dDefault); },
                              [&](double CMainParameters::*m) { this->*m = entry.dDefault; }},
                   member);
        return true;
    });
}

int WriteMainParameters(std::FILE* file, CMainParameters& params) {
    return WriteMainParameters(file, params, std::string());
}

int WriteMainParameters(std::FILE* file, CMainParameters& params, const std::string& path) {
    if (file == nullptr) {
        LogIfAttached(params.m_pLog, "ERROR: Internal interface error while writing main parameters to file.");
        return 0;
    }
    if (!WriteAll(file, params, path)) {
        LogIfAttached(params.m_pLog, "ERROR: Failed to write main parameters to file.");
        return 0;
    }
    return 1;
}

int ReadMainParameters(std::FILE* file, CMainParameters& params) {
    return ReadMainParameters(file, params, std::string());
}

int ReadMainParameters(std::FILE* file, CMainParameters& params, const std::string& path) {
    if (file == nullptr) {
        LogIfAttached(params.m_pLog, "ERROR: Internal interface error while reading main parameter from file.");
        return 0;
    }
    std::string name;
    int version = 0;
    if (!ReadHeader(file, name, version, path) || name != params.m_strName) {
        LogIfAttached(params.m_pLog, "ERROR: Unexpected content while reading main parameters.");
        return 0;
    }
    params.ResetToDefaults();
    if (version != params.m_nVersion) {
        LogIfAttached(params.m_pLog, "ERROR: Unsupported version of parameter file.");
        return 0;
    }
    if (!ReadAllValues(file, params, path)) {
        LogIfAttached(params.m_pLog, "ERROR: Failed to read main parameters from file.");
        return 0;
    }
    return 1;
}

int LoadProgramParameters(CMainParameters& params, const std::string& path) {
    if (path.empty()) return 0;
    LogDebugIfAttached(params.m_pLog, 1, "Opening file [" + path + "] for loading program parameters.");
    std::FILE* file = OpenExclusive(path, FileOpenMode::Read);
    if (file == nullptr) {
        LogIfAttached(params.m_pLog, "ERROR: Failed to open file [" + path + "].");
        return 0;
    }
    int ok = ReadMainParameters(file, params, path);
    std::string closeError;
    if (!CloseExclusive(file, &closeError) && ok) {
        // Seen only when the stream is closed: handled like a failed read.
        ReportFileError(path, closeError);
        ok = 0;
    }
    if (!ok) {
        LogIfAttached(params.m_pLog, "ERROR: Failed to load program parameters from file [" + path + "].");
        return 0;
    }
    LogDebugIfAttached(params.m_pLog, 1, "Successfully loaded program parameters from file [" + path + "].");
    return 1;
}

int SaveProgramParameters(CMainParameters& params, const std::string& path) {
    if (path.empty()) return 0;
    LogDebugIfAttached(params.m_pLog, 1, "Opening file [" + path + "] for saving program parameters.");
    std::FILE* file = OpenExclusive(path, FileOpenMode::WriteTruncate);
    if (file == nullptr) {
        LogIfAttached(params.m_pLog, "ERROR: Failed to open file [" + path + "].");
        return 0;
    }
    int ok = WriteMainParameters(file, params, path);
    std::string closeError;
    if (!CloseExclusive(file, &closeError) && ok) {
        // A full disk usually shows only here, when the buffer is flushed.
        ReportFileError(path, closeError);
        ok = 0;
    }
    if (!ok) {
        LogIfAttached(params.m_pLog, "ERROR: Failed to save program parameters to file [" + path + "].");
        return 0;
    }
    LogDebugIfAttached(params.m_pLog, 1, "Successfully saved program parameters to file [" + path + "].");
    return 1;
}

int SaveToProfile(ISettingsStore* store, const CMainParameters& params) {
    if (store == nullptr) return 0;
    const std::string& section = params.m_strName;
    const bool ok = ForEachParameter([&](const EvalInputSpec& entry, const ParameterMember& member) {
        const std::string key = entry.szSettingsKey;
        return std::visit(
            Overloaded{
                [&](std::string CMainParameters::*m) { return store->WriteString(section, key, params.*m); },
                [&](int CMainParameters::*m) { return store->WriteInt(section, key, params.*m); },
                [&](double CMainParameters::*m) { return store->WriteBinary(section, key, DoubleToBytes(params.*m)); }},
            member);
    });
    return ok ? 1 : 0;
}

void LoadFromProfile(ISettingsStore* store, CMainParameters& params) {
    if (store == nullptr) return;
    const std::string& section = params.m_strName;
    ForEachParameter([&](const EvalInputSpec& entry, const ParameterMember& member) {
        const std::string key = entry.szSettingsKey;
        std::visit(
            Overloaded{[&](std::string CMainParameters::*m) { store->GetString(section, key, params.*m); },
                       [&](int CMainParameters::*m) { store->GetInt(section, key, params.*m); },
                       [&](double CMainParameters::*m) { LoadBinaryDouble(*store, section, key.c_str(), params.*m); }},
            member);
        return true;
    });
}
