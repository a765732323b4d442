#pragma once
// The ten program parameters, kept in Setup.prm (parameter-file format) and
// in the per-user settings store.

#include "eval/EvalInputs.h"
#include "series/ParameterBlock.h"

#include <cstdio>
#include <string>

class ISettingsStore;

class CMainParameters : public CParameterBlock {
public:
    CMainParameters();
    void ResetToDefaults();

    // Defaults, settings keys and the order in the file: kEvalInputs.
    int ImportType = InputDefaultInt(EvalInput::ImportType);
    std::string ImportPath;
    std::string OutputPath;
    double ImportRotDeg = InputDefault(EvalInput::ImportRotDeg);
    int ImportMirrorY = InputDefaultInt(EvalInput::ImportMirrorY);
    int DataDisplayType = InputDefaultInt(EvalInput::DataDisplayType);
    int MinDiversity = InputDefaultInt(EvalInput::MinDiversity);
    double ElEnergykV = InputDefault(EvalInput::ElEnergykV);
    double TargetResAng = InputDefault(EvalInput::TargetResAng);
    double LimitPhase = InputDefault(EvalInput::LimitPhase);
};

int WriteMainParameters(std::FILE* file, CMainParameters& params);
int ReadMainParameters(std::FILE* file, CMainParameters& params);
// The same; path only names the file in file-error reports.
int WriteMainParameters(std::FILE* file, CMainParameters& params, const std::string& path);
int ReadMainParameters(std::FILE* file, CMainParameters& params, const std::string& path);
int SaveProgramParameters(CMainParameters& params, const std::string& path);
int LoadProgramParameters(CMainParameters& params, const std::string& path);
// A null store does nothing (SaveToProfile then returns 0).
int SaveToProfile(ISettingsStore* store, const CMainParameters& params);
void LoadFromProfile(ISettingsStore* store, CMainParameters& params);
