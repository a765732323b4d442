// Any text through the ATLASStab reader, its extraction and a re-extraction.
#include "import/ATLASStabImport.h"
#include "log/LogFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CLogFile log;
    log.m_nDebugLevel = 4;
    ImportRequest request;
    request.strPath = "fuzz.dat";
    request.nMirror = size % 2 ? -1 : 1;
    request.dRotationDeg = static_cast<double>(size % 180) - 90.0;
    request.pLog = &log;
    std::vector<CA1TimeSeries> list;
    ReadATLASStabLog(text, request, list);
    for (CA1TimeSeries& s : list) {
        s.ExtractATLASStab(-request.nMirror, 90.0);
        s.ExtractC1A1(1, 0.0);  // wrong type: refused with a message
    }
    return 0;
}
