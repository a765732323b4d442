// Any text through the CEOS C1A1 reader, its extraction and a re-extraction.
#include "FuzzChecks.h"
#include "import/ATLASStabImport.h"
#include "import/C1A1Import.h"
#include "import/LogLoader.h"
#include "log/LogFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CLogFile log;  // no path: messages are dropped, but every message is still built
    log.m_nDebugLevel = 4;
    ImportRequest request;
    request.strPath = "fuzz.log";
    request.nMirror = fuzzcheck::MirrorFor(size);
    request.dRotationDeg = fuzzcheck::RotationFor(size / 5);
    request.pLog = &log;
    std::vector<CA1TimeSeries> list(1);  // a series that was there before the import
    const ImportResult result = ReadC1A1Log(text, request, list);
    fuzzcheck::CheckImport(result, 1, list, IMPORT_C1A1);
    std::string reason;
    const int sniffed = SniffLogFormat(text, &reason);
    fuzzcheck::Require(sniffed != IMPORT_NONE || !reason.empty(), "a refused text has a reason");
    // A NUL byte among the first bytes makes a file "not a text file" before
    // any line is looked at.
    const bool binary = text.substr(0, kLogPrefixBytes).find('\0') != std::string_view::npos;
    fuzzcheck::Require(result.nSeriesAdded == 0 || binary || sniffed == IMPORT_C1A1,
                       "a C1A1 text is recognised as one");
    for (std::size_t i = 1; i < list.size(); ++i) {
        CA1TimeSeries& s = list[i];
        ExtractC1A1(s, fuzzcheck::MirrorFor(size + 1), 12.5);
        fuzzcheck::CheckSamples(s);
        ExtractATLASStab(s, 1, 0.0);  // wrong type: refused with a message
    }
    return 0;
}
