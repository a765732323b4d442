#include "files/MainParameters.h"

#include "files/FileErrorReporter.h"
#include "files/ParameterFile.h"
#include "files/SettingsStore.h"
#include "log/LogFile.h"
#include "platform/FileLock.h"

#include <cstdint>
#include <cstring>
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

int WriteAll(std::FILE* file, CMainParameters& p, const std::string& path) {
    return WriteHeader(file, p, path) && WriteStringValue(file, p, p.ImportPath, std::string(), path) &&
           WriteStringValue(file, p, p.OutputPath, std::string(), path) &&
           WriteIntValue(file, p, p.ImportType, std::string(), path) &&
           WriteIntValue(file, p, p.ImportMirrorY, std::string(), path) &&
           WriteDoubleValue(file, p, p.ImportRotDeg, std::string(), path) &&
           WriteIntValue(file, p, p.DataDisplayType, std::string(), path) &&
           WriteIntValue(file, p, p.MinDiversity, std::string(), path) &&
           WriteDoubleValue(file, p, p.ElEnergykV, std::string(), path) &&
           WriteDoubleValue(file, p, p.TargetResAng, std::string(), path) &&
           WriteDoubleValue(file, p, p.LimitPhase, std::string(), path);
}

int ReadAllValues(std::FILE* file, CMainParameters& p, const std::string& path) {
    return ReadStringValue(file, p.ImportPath, path) && ReadStringValue(file, p.OutputPath, path) &&
           ReadIntValue(file, p.ImportType, path) && ReadIntValue(file, p.ImportMirrorY, path) &&
           ReadDoubleValue(file, p.ImportRotDeg, path) && ReadIntValue(file, p.DataDisplayType, path) &&
           ReadIntValue(file, p.MinDiversity, path) && ReadDoubleValue(file, p.ElEnergykV, path) &&
           ReadDoubleValue(file, p.TargetResAng, path) && ReadDoubleValue(file, p.LimitPhase, path);
}

}  // namespace

CMainParameters::CMainParameters() {
    m_nCommentColumn = 40;
    m_nVersion = kMainParametersVersion;
    m_strName = kMainParametersName;
    ResetToDefaults();
}

void CMainParameters::ResetToDefaults() {
    ImportType = IMPORT_C1A1;
    ImportPath.clear();
    OutputPath.clear();
    ImportRotDeg = 0.0;
    ImportMirrorY = 1;
    DataDisplayType = 0;
    MinDiversity = 10;
    ElEnergykV = 300.0;
    TargetResAng = 1.0;
    LimitPhase = 0.25;
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
    const bool ok = store->WriteString(section, "ImportPath", params.ImportPath) &&
                    store->WriteString(section, "OutputPath", params.OutputPath) &&
                    store->WriteInt(section, "ImportType", params.ImportType) &&
                    store->WriteInt(section, "ImportMirrorY", params.ImportMirrorY) &&
                    store->WriteBinary(section, "ImportRotDeg", DoubleToBytes(params.ImportRotDeg)) &&
                    store->WriteInt(section, "DataDisplayType", params.DataDisplayType) &&
                    store->WriteInt(section, "MinDiversity", params.MinDiversity) &&
                    store->WriteBinary(section, "ElEnergykV", DoubleToBytes(params.ElEnergykV)) &&
                    store->WriteBinary(section, "TargetResAng", DoubleToBytes(params.TargetResAng)) &&
                    store->WriteBinary(section, "LimitPhase", DoubleToBytes(params.LimitPhase));
    return ok ? 1 : 0;
}

void LoadFromProfile(ISettingsStore* store, CMainParameters& params) {
    if (store == nullptr) return;
    const std::string& section = params.m_strName;
    store->GetString(section, "ImportPath", params.ImportPath);
    store->GetString(section, "OutputPath", params.OutputPath);
    store->GetInt(section, "ImportType", params.ImportType);
    store->GetInt(section, "ImportMirrorY", params.ImportMirrorY);
    LoadBinaryDouble(*store, section, "ImportRotDeg", params.ImportRotDeg);
    store->GetInt(section, "DataDisplayType", params.DataDisplayType);
    store->GetInt(section, "MinDiversity", params.MinDiversity);
    LoadBinaryDouble(*store, section, "ElEnergykV", params.ElEnergykV);
    LoadBinaryDouble(*store, section, "TargetResAng", params.TargetResAng);
    LoadBinaryDouble(*store, section, "LimitPhase", params.LimitPhase);
}
