#pragma once
// The eight data exports of a series: text tables (CR LF, "%14.2f" times and
// "%14.6G" values) and little-endian binary files of int32 and float32.
// Each returns 1 when the file was written completely, else 0.

#include <string>

class CA1TimeSeries;

int SaveA1TimeData(const CA1TimeSeries& series, const std::string& path);
int SaveA1TimeTable(const CA1TimeSeries& series, const std::string& path);
int SaveCharFuncData(const CA1TimeSeries& series, const std::string& path);
int SaveCharFuncTable(const CA1TimeSeries& series, const std::string& path);
int SaveModelData(const CA1TimeSeries& series, const std::string& path);
int SaveModelTable(const CA1TimeSeries& series, const std::string& path);
int SaveProbabilityData(const CA1TimeSeries& series, const std::string& path);
int SaveProbabilityTable(const CA1TimeSeries& series, const std::string& path);
