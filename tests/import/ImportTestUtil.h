#pragma once
// Helpers of the import tests: a recording log and short-hand readers.

#include "import/ATLASStabImport.h"
#include "import/C1A1Import.h"
#include "support/RecordingLog.h"
#include "text/Format.h"

#include <string>
#include <vector>

struct ImportRun {
    CRecordingLog log{4};
    std::vector<CA1TimeSeries> list;
    ImportResult result;

    ImportRequest Request(int mirror = 1, double rotation = 0.0) {
        ImportRequest r;
        r.strPath = "/data/test.log";
        r.nMirror = mirror;
        r.dRotationDeg = rotation;
        r.pLog = &log;
        return r;
    }
    ImportResult& C1A1(std::string_view text, int mirror = 1, double rotation = 0.0) {
        result = ReadC1A1Log(text, Request(mirror, rotation), list);
        return result;
    }
    ImportResult& Atlas(std::string_view text, int mirror = 1, double rotation = 0.0) {
        result = ReadATLASStabLog(text, Request(mirror, rotation), list);
        return result;
    }
    // The messages that are not debug lines.
    std::vector<std::string> Plain() const {
        std::vector<std::string> out;
        for (const std::string& m : log.m_lines)
            if (m.rfind("DEBUG>", 0) != 0) out.push_back(m);
        return out;
    }
    bool Logged(const std::string& text) const {
        for (const std::string& m : log.m_lines)
            if (m.find(text) != std::string::npos) return true;
        return false;
    }
};

// One C1A1 data line as the corrector writes it.
inline std::string C1A1Data(int image, const std::string& magnitude, const std::string& direction) {
    return FormatText("12:00:00 #%d", image) + ": C1: 1.00 nm, A1: " + magnitude + " / " + direction +
           " deg, 100 cnts\n";
}

// A complete C1A1 series with the given data lines.
inline std::string C1A1Series(int start, int stop, const std::string& dataLines) {
    return "C1A1 series successfully started.\n" + FormatText("dTime: %d s\n", start) + dataLines +
           "C1A1 series stopped by user.\n" + FormatText("dTime: %d s\n", stop);
}
