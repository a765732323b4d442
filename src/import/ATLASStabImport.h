#pragma once
// ATLASStab logs: one header line naming the columns, one line per image, and
// an optional "#" line that ends the table. One series per file.

#include "import/LogImport.h"

// Reads the single series of the text (messages from "Importing ATLAS
// Stability log from file [...]." on).
ImportResult ReadATLASStabLog(std::string_view content, const ImportRequest& request, std::vector<CA1TimeSeries>& list);
// The same for a text whose memory the series may take over for its lines
// (the text is left changed).
ImportResult ReadATLASStabOwnedText(std::string& content, const ImportRequest& request,
                                    std::vector<CA1TimeSeries>& list);
// The same for a loaded file (the text from its header line on, taken over).
ImportResult ReadATLASStabLoaded(LoadedLog& loaded, const ImportRequest& request, std::vector<CA1TimeSeries>& list);
// Reads the file from its header line on, then its text as above.
ImportResult ImportATLASStabLog(const ImportRequest& request, std::vector<CA1TimeSeries>& list);

// The header test of the reader: the line starts with "img" and holds
// "a22x err(a22x)  a22y err(a22y)" and "filetime" further in.
bool IsATLASStabHeader(std::string_view line);
// True when some line of the text is such a header.
bool LooksLikeATLASStabLog(std::string_view content);

// Extracts the series' samples from its log lines (its import type must be
// that of the format), mirrored and rotated in the x-y plane.
void ExtractATLASStab(CA1TimeSeries& series, int mirror, double rotationDeg);
