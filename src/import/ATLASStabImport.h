#pragma once
// ATLASStab logs: one header line naming the columns, one line per image, and
// an optional "#" line that ends the table. One series per file.

#include "import/LogImport.h"

#include <memory>

// Reads the single series of the text (messages from "Importing ATLAS
// Stability log from file [...]." on).
ImportResult ReadATLASStabLog(std::string_view content, const ImportRequest& request, std::vector<CA1TimeSeries>& list);
// The same for a text whose memory the series may take over for its lines
// (the text is left changed).
ImportResult ReadATLASStabOwnedText(std::string& content, const ImportRequest& request,
                                    std::vector<CA1TimeSeries>& list);
// Opens, reads and closes the file, then reads its text as above.
ImportResult ImportATLASStabLog(const ImportRequest& request, std::vector<CA1TimeSeries>& list);

// The header test of the reader: the line starts with "img" and holds
// "a22x err(a22x)  a22y err(a22y)" and "filetime" further in.
bool IsATLASStabHeader(std::string_view line);
// True when some line of the text is such a header.
bool LooksLikeATLASStabLog(std::string_view content);

// An ATLASStab log read as its lines arrive: after each Add, Result and
// Series are what ReadATLASStabLog gives for all lines so far without a log
// attached, byte for byte, at a cost in proportion to the lines added.
class CATLASStabLineReader {
public:
    explicit CATLASStabLineReader(const ImportRequest& request);
    ~CATLASStabLineReader();
    CATLASStabLineReader(const CATLASStabLineReader&) = delete;
    CATLASStabLineReader& operator=(const CATLASStabLineReader&) = delete;

    // The lines after those added before (the first call's text starts the
    // file). Every line ends in LF but perhaps the last one, which is then
    // taken as complete: no line may follow it.
    void Add(std::string_view lines);
    const ImportResult& Result() const;
    // The series of the lines so far; it belongs in a list only when
    // Result().nSeriesAdded is 1. A caller may move it out and must move it
    // back before the next Add.
    CA1TimeSeries& Series();

private:
    struct STATE;
    std::unique_ptr<STATE> m_p;
};
