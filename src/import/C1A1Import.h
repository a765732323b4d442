#pragma once
// CEOS C1A1 logs: several series per file, each cut out by its start marker,
// start time stamp, data lines, stop marker and stop time stamp.

#include "import/LogImport.h"

#include <memory>

// Reads all complete series of the text. Writes the import messages from
// "Importing CEOS C1A1 log from file [...]." to the summary line
// "Added %d new A1-time series to the data list.".
ImportResult ReadC1A1Log(std::string_view content, const ImportRequest& request, std::vector<CA1TimeSeries>& list);
// Opens, reads and closes the file, then reads its text as above.
ImportResult ImportC1A1Log(const ImportRequest& request, std::vector<CA1TimeSeries>& list);

// True when some line holds "C1A1 series successfully started.".
bool LooksLikeC1A1Log(std::string_view content);

// A CEOS C1A1 log read as its lines arrive: after each Add, the series
// handed out so far and Result are what ReadC1A1Log gives for all lines so
// far without a log attached, and the open series holds the lines of the
// series that has started but not stopped; the cost is in proportion to the
// lines added (a series is extracted once, when it stops).
class CC1A1LineReader {
public:
    explicit CC1A1LineReader(const ImportRequest& request);
    ~CC1A1LineReader();
    CC1A1LineReader(const CC1A1LineReader&) = delete;
    CC1A1LineReader& operator=(const CC1A1LineReader&) = delete;

    // The lines after those added before (the first call's text starts the
    // file); a last line without LF is taken as complete. The series that
    // stop among them are appended to finished.
    void Add(std::string_view lines, std::vector<CA1TimeSeries>& finished);
    ImportResult Result() const;
    // The series that has started but not stopped, with its lines so far
    // (stop time = start time, no samples taken yet); null when there is none.
    CA1TimeSeries* UpdateOpenSeries();
    // Takes the samples of its new data texts with its stop time as it now
    // stands (the image period follows from it); needs two data lines.
    void ExtractOpenSeries();
    // Where the open series lives: a caller that moved it out moves it back
    // here before the next Add.
    CA1TimeSeries& OpenSlot();

private:
    struct STATE;
    std::unique_ptr<STATE> m_p;
};
