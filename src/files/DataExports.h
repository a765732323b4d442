#pragma once
// The eight data exports of a series: text tables (CR LF, "%14.2f" times and
// "%14.6G" values) and little-endian binary files of int32 and float32.
// Each returns 1 when the file was written completely, else 0.

#include <string>

class CA1TimeSeries;

// Whether the series holds what an export writes. Without it the Save
// function writes nothing, logs its "... Data is not ready." line and gives 0.
// The samples are always there.
bool A1TimeExportReady(const CA1TimeSeries& series);
// A characteristic function (its data and table).
bool CharFuncExportReady(const CA1TimeSeries& series);
// A model with a finite lifetime and a positive image period (the model data
// and table, the probability data).
bool ModelExportReady(const CA1TimeSeries& series);
// That, and a time span at which 5 % probability of staying remains.
bool ProbabilityTableExportReady(const CA1TimeSeries& series);

int SaveA1TimeData(const CA1TimeSeries& series, const std::string& path);
int SaveA1TimeTable(const CA1TimeSeries& series, const std::string& path);
int SaveCharFuncData(const CA1TimeSeries& series, const std::string& path);
int SaveCharFuncTable(const CA1TimeSeries& series, const std::string& path);
int SaveModelData(const CA1TimeSeries& series, const std::string& path);
int SaveModelTable(const CA1TimeSeries& series, const std::string& path);
int SaveProbabilityData(const CA1TimeSeries& series, const std::string& path);
int SaveProbabilityTable(const CA1TimeSeries& series, const std::string& path);
