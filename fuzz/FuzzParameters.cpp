// Any bytes as Setup.prm through the parameter-file reader.
#include "files/MainParameters.h"
#include "files/ParameterFile.h"
#include "log/LogFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::tmpfile();
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::rewind(f);
    CLogFile log;
    CMainParameters params;
    params.m_pLog = &log;
    ReadMainParameters(f, params);
    // Whatever was read must survive a write and a second read unchanged in kind.
    std::FILE* g = std::tmpfile();
    if (g) {
        WriteMainParameters(g, params);
        std::rewind(g);
        CMainParameters again;
        ReadMainParameters(g, again);
        std::fclose(g);
    }
    std::fclose(f);
    return 0;
}
