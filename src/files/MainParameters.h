#pragma once
// The ten program parameters, kept in Setup.prm (parameter-file format) and
// in the per-user settings store.

#include "files/ParameterBlock.h"
#include "series/A1TimeSeries.h"

#include <cstdio>
#include <string>

class ISettingsStore;

class CMainParameters : public CParameterBlock {
public:
    CMainParameters();
    void ResetToDefaults();

    int ImportType = IMPORT_C1A1;
    std::string ImportPath;
    std::string OutputPath;
    double ImportRotDeg = 0.0;
    int ImportMirrorY = 1;
    int DataDisplayType = 0;
    int MinDiversity = 10;
    double ElEnergykV = 300.0;
    double TargetResAng = 1.0;
    double LimitPhase = 0.25;
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
