#pragma once
// CEOS C1A1 logs: several series per file, each cut out by its start marker,
// start time stamp, data lines, stop marker and stop time stamp.

#include "import/LogImport.h"

// Reads all complete series of the text. Writes the import messages from
// "Importing CEOS C1A1 log from file [...]." to the summary line
// "Added %d new A1-time series to the data list.".
ImportResult ReadC1A1Log(std::string_view content, const ImportRequest& request, std::vector<CA1TimeSeries>& list);
// The same, and also the series that has started but not stopped when the
// text ends (no message about it): when the reader is past its start time
// stamp, open receives its lines so far, first and last line, start time,
// data-line count and import type (no samples; the stop time equals the
// start time) and the result is true.
bool ReadC1A1LogWithOpenSeries(std::string_view content, const ImportRequest& request, std::vector<CA1TimeSeries>& list,
                               ImportResult& result, CA1TimeSeries& open);
// Opens, reads and closes the file, then reads its text as above.
ImportResult ImportC1A1Log(const ImportRequest& request, std::vector<CA1TimeSeries>& list);

// True when some line holds "C1A1 series successfully started.".
bool LooksLikeC1A1Log(std::string_view content);
