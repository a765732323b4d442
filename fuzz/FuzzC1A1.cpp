// Any text through the CEOS C1A1 reader, its extraction and a re-extraction.
#include "import/C1A1Import.h"
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
    request.nMirror = size % 2 ? -1 : 1;
    request.dRotationDeg = static_cast<double>(size % 360);
    request.pLog = &log;
    std::vector<CA1TimeSeries> list;
    ReadC1A1Log(text, request, list);
    for (CA1TimeSeries& s : list) {
        s.ExtractC1A1(-request.nMirror, 12.5);
        s.ExtractATLASStab(1, 0.0);  // wrong type: refused with a message
    }
    return 0;
}
