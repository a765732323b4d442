#include "files/DataExports.h"

#include "eval/Lifetime.h"
#include "files/FileErrorReporter.h"
#include "log/LogFile.h"
#include "platform/FileSystem.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"
#include "text/TextFile.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>

namespace {

constexpr int kCurveRows = 501;
constexpr double kModelSpan = 1.15;       // model rows: 0 ... 1.15 * ModelLifetime
constexpr double kProbabilitySpan = 2.0;  // probability data rows: 0 ... 2 * ModelLifetime
constexpr double kTableProbability = 0.05;

// The messages of one export.
struct EXPORTTEXTS {
    const char* notReady;       // nullptr: no readiness test
    const char* openingEnd;     // after "Opening file [" + path
    const char* openFailedEnd;  // after "ERROR: Failed to open file [" + path
    const char* success;        // + path + "]."
    const char* failure;        // + path + "]."
};

const EXPORTTEXTS kA1TimeData = {nullptr, "] for saving astigmatism-time data.", "] for writing astigmatism-time data.",
                                 "Successfully saved astigmatism-time data to file [",
                                 "ERROR: Failed to save astigmatism-time data to file ["};
const EXPORTTEXTS kA1TimeTable = {
    nullptr, "] for saving astigmatism-time table.", "] for writing astigmatism-time table.",
    "Successfully saved astigmatism-time table to file [", "ERROR: Failed to save astigmatism-time table to file ["};
const EXPORTTEXTS kCharFuncData = {"ERROR: Aborted saving characteristic function data. Data is not ready.",
                                   "] for saving characteristic function data.",
                                   "] for writing characteristic function data.",
                                   "Successfully saved characteristic function data to file [",
                                   "ERROR: Failed to save characteristic function data to file ["};
const EXPORTTEXTS kCharFuncTable = {"ERROR: Aborted saving characteristic function table. Data is not ready.",
                                    "] for saving characteristic function table.",
                                    "] for writing characteristic function table.",
                                    "Successfully saved characteristic function table to file [",
                                    "ERROR: Failed to save characteristic function table to file ["};
const EXPORTTEXTS kModelData = {"ERROR: Aborted saving characteristic function model data. Data is not ready.",
                                "] for saving characteristic function model data.",
                                "] for writing characteristic function model data.",
                                "Successfully saved characteristic function model data to file [",
                                "ERROR: Failed to save characteristic function model data to file ["};
const EXPORTTEXTS kModelTable = {"ERROR: Aborted saving characteristic function model data table. Data is not ready.",
                                 "] for saving characteristic function model table.",
                                 "] for writing characteristic function model table.",
                                 "Successfully saved characteristic function model table to file [",
                                 "ERROR: Failed to save characteristic function model table to file ["};
const EXPORTTEXTS kProbabilityData = {"ERROR: Aborted saving probability data. Data is not ready.",
                                      "] for saving probability data.", "] for writing probability data.",
                                      "Successfully saved probability data to file [",
                                      "ERROR: Failed to probability data to file ["};
const EXPORTTEXTS kProbabilityTable = {"ERROR: Aborted saving probability data table. Data is not ready.",
                                       "] for saving probability table.", "] for writing probability data table.",
                                       "Successfully saved probability data table to file [",
                                       "ERROR: Failed to save probability data table to file ["};

// Rounds to single precision; magnitudes beyond its range become infinite
// (as the conversion does on IEEE hardware, but without relying on it).
float ToSingle(double value) {
    constexpr double kOverflow = 0x1.ffffffp127;  // halfway above the largest float
    if (value >= kOverflow) return std::numeric_limits<float>::infinity();
    if (value <= -kOverflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

// Sequential writer of the little-endian binary layout. After the first
// failed write every later one is skipped.
class CBinaryWriter {
public:
    explicit CBinaryWriter(std::FILE* file) : m_file(file) {}

    void Int(std::int32_t value) { Bytes(static_cast<std::uint32_t>(value)); }
    void Real(float value) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        Bytes(bits);
    }
    void Real(double value) { Real(ToSingle(value)); }
    bool Ok() const { return m_ok; }
    const std::string& ErrorText() const { return m_error; }

private:
    void Bytes(std::uint32_t bits) {
        if (!m_ok) return;
        const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                        static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
        if (std::fwrite(bytes, 1, 4, m_file) != 4) {
            m_ok = false;
            m_error = std::strerror(errno != 0 ? errno : EIO);
        }
    }

    std::FILE* m_file;
    bool m_ok = true;
    std::string m_error;
};

// Writes the content of one export; false (with the platform's text of the
// file error) when a write failed.
using ContentWriter = std::function<bool(std::FILE*, std::string& errorText)>;

// The sequence every export shares: readiness, opening line, exclusive
// create, content, close, outcome line.
int RunExport(const CA1TimeSeries& series, const std::string& path, const EXPORTTEXTS& texts, bool ready,
              const ContentWriter& writeContent) {
    CLogFile* log = series.m_pLog;
    if (texts.notReady != nullptr && !ready) {
        LogIfAttached(log, texts.notReady);
        return 0;
    }
    LogDebugIfAttached(log, 1, "Opening file [" + path + texts.openingEnd);
    std::FILE* file = OpenExclusive(path, FileOpenMode::WriteTruncate);
    if (file == nullptr) {
        LogIfAttached(log, "ERROR: Failed to open file [" + path + texts.openFailedEnd);
        return 0;
    }
    std::string errorText;
    bool ok = writeContent(file, errorText);
    if (!ok) ReportFileError(path, errorText);
    // The buffered rest reaches the disk only here; a failure now (a full
    // disk, typically) fails the export like a failed write.
    if (!CloseExclusive(file, &errorText) && ok) {
        ReportFileError(path, errorText);
        ok = false;
    }
    if (!ok) {
        LogIfAttached(log, std::string(texts.failure) + path + "].");
        return 0;
    }
    LogDebugIfAttached(log, 1, std::string(texts.success) + path + "].");
    return 1;
}

double StayProbabilityAt(const MODELPARAMS& m, double tau, double a2) {
    return tau == 0.0 ? 1.0 : StayProbability(m, tau, a2);
}

// The time span of the probability table: where only 5 % probability of
// staying within the tolerance remains (kNoResult without one).
double ProbabilityTableSpan(const CA1TimeSeries& series) {
    return ModelExportReady(series) ? ProbabilityLifetime(series, series.Tolerance, kTableProbability) : kNoResult;
}

}  // namespace

bool A1TimeExportReady(const CA1TimeSeries&) { return true; }

bool CharFuncExportReady(const CA1TimeSeries& series) { return HasCharFunc(series); }

bool ModelExportReady(const CA1TimeSeries& s) {
    // The rows' time axis is built from the model lifetime and the image
    // period: a lifetime the search could not determine, or a period that
    // gives no time scale, leaves nothing to export.
    const double t0 = s.m_dImagePeriod;
    return HasModel(s) && std::isfinite(s.ModelLifetime) && std::isfinite(t0) && t0 > 0.0;
}

bool ProbabilityTableExportReady(const CA1TimeSeries& series) { return std::isfinite(ProbabilityTableSpan(series)); }

int SaveA1TimeData(const CA1TimeSeries& series, const std::string& path) {
    return RunExport(series, path, kA1TimeData, A1TimeExportReady(series),
                     [&](std::FILE* file, std::string& errorText) {
                         CBinaryWriter out(file);
                         const float t0 = static_cast<float>(series.m_dImagePeriod);
                         out.Int(static_cast<std::int32_t>(series.m_aSamples.size()));
                         out.Int(3);
                         for (const A1SAMPLE& sample : series.m_aSamples) {
                             out.Real(static_cast<double>(t0) * (static_cast<double>(sample.nIndex) - 1.0));
                             out.Real(sample.dX);
                             out.Real(sample.dY);
                         }
                         errorText = out.ErrorText();
                         return out.Ok();
                     });
}

int SaveA1TimeTable(const CA1TimeSeries& series, const std::string& path) {
    return RunExport(series, path, kA1TimeTable, A1TimeExportReady(series),
                     [&](std::FILE* file, std::string& errorText) {
                         CTextWriter out(file);
                         out.Write("# Driftwise - Exported astigmatism time table\n") &&
                             out.Write(FormatText("# - input file: %s\n", series.m_strSourceFile.c_str())) &&
                             out.Write(FormatText("# - used lines of the log file: %d - %d\n", series.m_nFirstLine,
                                                  series.m_nLastLine)) &&
                             out.Write(FormatText("    time t [s];     A22-x [nm];     A22-y [nm]\n"));
                         for (const A1SAMPLE& sample : series.m_aSamples) {
                             if (!out.Ok()) break;
                             const double t = (static_cast<double>(sample.nIndex) - 1.0) * series.m_dImagePeriod;
                             out.Write(FormatText("%14.2f; %14.6G; %14.6G\n", t, sample.dX, sample.dY));
                         }
                         errorText = out.ErrorText();
                         return out.Ok();
                     });
}

int SaveCharFuncData(const CA1TimeSeries& series, const std::string& path) {
    return RunExport(series, path, kCharFuncData, CharFuncExportReady(series),
                     [&](std::FILE* file, std::string& errorText) {
                         CBinaryWriter out(file);
                         const float t0 = static_cast<float>(series.m_dImagePeriod);
                         out.Int(static_cast<std::int32_t>(series.m_aCharFunc.size()));
                         out.Int(5);
                         out.Real(series.MeasErr);
                         out.Real(series.MeasErrX);
                         out.Real(series.MeasErrY);
                         for (const A1SAMPLE& point : series.m_aCharFunc) {
                             out.Real(static_cast<double>(t0) * static_cast<double>(point.nIndex));
                             out.Real(point.dX);
                             out.Real(point.dY);
                             out.Real(point.dErrX);
                             out.Real(point.dErrY);
                         }
                         errorText = out.ErrorText();
                         return out.Ok();
                     });
}

int SaveCharFuncTable(const CA1TimeSeries& series, const std::string& path) {
    return RunExport(
        series, path, kCharFuncTable, CharFuncExportReady(series), [&](std::FILE* file, std::string& errorText) {
            CTextWriter out(file);
            out.Write("# Driftwise - Exported characteristic function table\n") &&
                out.Write(FormatText("# - input file: %s\n", series.m_strSourceFile.c_str())) &&
                out.Write(FormatText("# - extrapolated measurement error: %.3f nm\n", series.MeasErr)) &&
                out.Write(FormatText("timespan t [s];    f(t) [nm^2];  Var(f) [nm^4]\n"));
            for (const A1SAMPLE& point : series.m_aCharFunc) {
                if (!out.Ok()) break;
                const double t = static_cast<double>(point.nIndex) * series.m_dImagePeriod;
                out.Write(FormatText("%14.2f; %14.6G; %14.6G\n", t, point.dX + point.dY, point.dErrX + point.dErrY));
            }
            errorText = out.ErrorText();
            return out.Ok();
        });
}

int SaveModelData(const CA1TimeSeries& series, const std::string& path) {
    return RunExport(series, path, kModelData, ModelExportReady(series), [&](std::FILE* file, std::string& errorText) {
        CBinaryWriter out(file);
        const MODELPARAMS m = ModelParameters(series);
        const double t0 = series.m_dImagePeriod;
        const double h = kModelSpan * series.ModelLifetime / (kCurveRows - 1);
        out.Int(kCurveRows);
        out.Int(4);
        out.Real(series.FitDi);
        out.Real(series.FitDa);
        out.Real(TcSeconds(series));
        out.Real(series.FitS);
        out.Real(t0);
        for (int i = 0; i < kCurveRows && out.Ok(); ++i) {
            if (i == 0) {
                for (int c = 0; c < 4; ++c) out.Real(0.0f);
                continue;
            }
            const double t = i * h;
            const double tau = t / t0;
            out.Real(t);
            out.Real(ModelFunction(m, tau));
            out.Real(ModelBand(m, tau, kP16));
            out.Real(ModelBand(m, tau, kP84));
        }
        errorText = out.ErrorText();
        return out.Ok();
    });
}

int SaveModelTable(const CA1TimeSeries& series, const std::string& path) {
    return RunExport(series, path, kModelTable, ModelExportReady(series), [&](std::FILE* file, std::string& errorText) {
        CTextWriter out(file);
        const MODELPARAMS m = ModelParameters(series);
        const double t0 = series.m_dImagePeriod;
        const double h = kModelSpan * series.ModelLifetime / (kCurveRows - 1);
        out.Write("# Driftwise - Exported characteristic function model table\n") &&
            out.Write(FormatText("# - input file: %s\n", series.m_strSourceFile.c_str())) &&
            out.Write(FormatText("# - evaluation time step: t0 = %.3G s\n", t0)) &&
            out.Write(FormatText("# - fitted parameters: Di = %.3G nm, Da = %.3G nm, tc = %.3G s, s = %.3G nm\n",
                                 series.FitDi, series.FitDa, TcSeconds(series), series.FitS)) &&
            out.Write(FormatText("timespan t [s];    f(t) [nm^2]; f(t,16%%)[nm^2]; f(t,84%%)[nm^2]\n"));
        for (int i = 0; i < kCurveRows && out.Ok(); ++i) {
            if (i == 0) {
                out.Write(FormatText("%14.2f; %14.6G; %14.6G; %14.6G\n", 0.0, 0.0, 0.0, 0.0));
                continue;
            }
            const double t = i * h;
            const double tau = t / t0;
            out.Write(FormatText("%14.2f; %14.6G; %14.6G; %14.6G\n", t, ModelFunction(m, tau), ModelBand(m, tau, kP16),
                                 ModelBand(m, tau, kP84)));
        }
        errorText = out.ErrorText();
        return out.Ok();
    });
}

int SaveProbabilityData(const CA1TimeSeries& series, const std::string& path) {
    return RunExport(series, path, kProbabilityData, ModelExportReady(series),
                     [&](std::FILE* file, std::string& errorText) {
                         CBinaryWriter out(file);
                         const MODELPARAMS m = ModelParameters(series);
                         const double t0 = series.m_dImagePeriod;
                         const double a2 = series.Tolerance * series.Tolerance;
                         const double h = kProbabilitySpan * series.ModelLifetime / (kCurveRows - 1);
                         out.Int(kCurveRows);
                         out.Int(2);
                         out.Real(series.UsedElEnergykV);
                         out.Real(series.UsedTargetResAng);
                         out.Real(series.Tolerance);
                         for (int i = 0; i < kCurveRows && out.Ok(); ++i) {
                             const double t = i * h;
                             out.Real(t);
                             out.Real(StayProbabilityAt(m, t / t0, a2));
                         }
                         errorText = out.ErrorText();
                         return out.Ok();
                     });
}

int SaveProbabilityTable(const CA1TimeSeries& series, const std::string& path) {
    // The table runs up to the time span at which only 5 % probability of
    // staying within the tolerance remains; without that time span there is
    // no table to write, and an existing file is left alone.
    const double span = ProbabilityTableSpan(series);
    return RunExport(
        series, path, kProbabilityTable, std::isfinite(span), [&](std::FILE* file, std::string& errorText) {
            CTextWriter out(file);
            const MODELPARAMS m = ModelParameters(series);
            const double t0 = series.m_dImagePeriod;
            const double a2 = series.Tolerance * series.Tolerance;
            const double h = span / (kCurveRows - 1);
            out.Write("# Driftwise - Exported probability data table\n") &&
                out.Write(FormatText("# - input file: %s\n", series.m_strSourceFile.c_str())) &&
                out.Write(FormatText("# - electron energy: E = %.1f keV\n", series.UsedElEnergykV)) &&
                out.Write(FormatText("# - target resolution: dinfo = %.2f A\n", series.UsedTargetResAng)) &&
                out.Write(FormatText("# - astigmatism tolerance: a = %.3f nm\n", series.Tolerance)) &&
                out.Write(FormatText("timespan t [s];         P(a,t)\n"));
            for (int i = 0; i < kCurveRows && out.Ok(); ++i) {
                const double t = i * h;
                out.Write(FormatText("%14.2f; %14.6G\n", t, StayProbabilityAt(m, t / t0, a2)));
            }
            errorText = out.ErrorText();
            return out.Ok();
        });
}
