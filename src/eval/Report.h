#pragma once
// Texts of the two text pages: the "Astigmatism Stability Report" and the
// one-line summaries shown above the text box.

#include <string>

class CA1TimeSeries;

// The report exactly as the Summary page shows it (CR LF joins, leading blanks).
std::string BuildStabilityReport(const CA1TimeSeries& series);

// Second field of the text page in display mode 1 (log lines) or 2 (report);
// a null series gives "No data.".
std::string TextPageSummaryLine(const CA1TimeSeries* series, int displayMode);
