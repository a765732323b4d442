// Any bytes as Setup.prm through the parameter-file reader, and the values
// read (or the raw bytes as a path from the settings store) through a write
// and a second read: the file written must read back to the same file.
#include "FuzzChecks.h"
#include "files/MainParameters.h"
#include "files/ParameterFile.h"
#include "log/LogFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string FileText(std::FILE* f) {
    std::string text;
    std::rewind(f);
    for (int c; (c = std::getc(f)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
}

bool AllFinite(const CMainParameters& p) {
    return std::isfinite(p.ImportRotDeg) && std::isfinite(p.ElEnergykV) && std::isfinite(p.TargetResAng) &&
           std::isfinite(p.LimitPhase);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::tmpfile();
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::rewind(f);
    CLogFile log;
    CMainParameters params;
    params.m_pLog = &log;
    ReadMainParameters(f, params);
    std::fclose(f);
    // Paths from the settings store or a file dialog may hold any bytes.
    if (size % 3 == 0) params.OutputPath.assign(reinterpret_cast<const char*>(data), size);

    std::FILE* g = std::tmpfile();
    std::FILE* h = std::tmpfile();
    if (g && h) {
        const int written = WriteMainParameters(g, params);
        std::rewind(g);
        CMainParameters again;
        const int reread = ReadMainParameters(g, again);
        if (written) {
            fuzzcheck::Require(reread == 1, "a written parameter file reads back");
            fuzzcheck::Require(again.ImportPath == params.ImportPath && again.OutputPath == params.OutputPath,
                               "paths survive the file");
            fuzzcheck::Require(again.ImportType == params.ImportType && again.ImportMirrorY == params.ImportMirrorY &&
                                   again.DataDisplayType == params.DataDisplayType &&
                                   again.MinDiversity == params.MinDiversity,
                               "integers survive the file");
            if (AllFinite(params)) {
                // Doubles are written with six digits: the second file must
                // equal the first byte for byte.
                fuzzcheck::Require(WriteMainParameters(h, again) == 1, "the values read can be written again");
                fuzzcheck::Require(FileText(g) == FileText(h), "the parameter file is stable");
            }
        }
    }
    if (g) std::fclose(g);
    if (h) std::fclose(h);
    return 0;
}
