#pragma once
// CEOS C1A1 logs: several series per file, each cut out by its start marker,
// start time stamp, data lines, stop marker and stop time stamp.

#include "import/LogImport.h"

#include <string_view>

// The line that starts a series (and makes a text a CEOS C1A1 log).
inline constexpr std::string_view kC1A1StartMarker = "C1A1 series successfully started.";

// Reads all complete series of the text. Writes the import messages from
// "Importing CEOS C1A1 log from file [...]." to the summary line
// "Added %d new A1-time series to the data list.".
ImportResult ReadC1A1Log(std::string_view content, const ImportRequest& request, std::vector<CA1TimeSeries>& list);
// The same for a loaded file (the text from its first start line on).
ImportResult ReadC1A1Loaded(LoadedLog& loaded, const ImportRequest& request, std::vector<CA1TimeSeries>& list);
// Reads the file from its first start line on, then its text as above.
ImportResult ImportC1A1Log(const ImportRequest& request, std::vector<CA1TimeSeries>& list);

// True when some line holds "C1A1 series successfully started.".
bool LooksLikeC1A1Log(std::string_view content);

// Extracts the series' samples from its log lines (its import type must be
// that of the format), mirrored and rotated in the x-y plane.
void ExtractC1A1(CA1TimeSeries& series, int mirror, double rotationDeg);
