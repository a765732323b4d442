// Fuzzed samples through the whole evaluation: characteristic function, model
// fit, lifetimes, probabilities, model bands and the report. Every step must
// end, and quickly: the sample count is capped so that a run stays well under
// a second, and a slow input is a finding.
//
// Input layout: a control byte (minimum diversity and which of the optional
// doubles follow), a period byte, the optional doubles (image period,
// energy, resolution, phase limit, a time span), the four model parameters
// unless the model is fitted, then per sample a step byte
// (gaps in the image numbers; bit 3: the values follow as two doubles, else
// as two signed bytes in units of 0.01 nm).
#include "eval/EvalSteps.h"
#include "eval/Lifetime.h"
#include "eval/ModelFit.h"
#include "eval/Report.h"
#include "series/A1TimeSeries.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Up to this many samples; with a minimum diversity of 5 that is about 100
// characteristic-function records.
constexpr std::size_t kMaxSamples = 500;

struct Reader {
    const std::uint8_t* p;
    std::size_t n;
    template <typename T>
    T Take() {
        T v{};
        const std::size_t k = n < sizeof(T) ? n : sizeof(T);
        std::memcpy(&v, p, k);
        p += k;
        n -= k;
        return v;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    Reader in{data, size};
    CA1TimeSeries s;
    const std::uint8_t control = in.Take<std::uint8_t>();
    const std::uint8_t periodByte = in.Take<std::uint8_t>();
    // Bits 0-3: minimum diversity 5 ... 20; bit 4 (rarely) a diversity of
    // 0, 1 or 50000, which must be handled as well.
    int m = 5 + (control & 15);
    if (control & 0x10) m = (control & 3) == 0 ? 0 : (control & 3) == 1 ? 1 : 50000;
    s.m_dImagePeriod = (control & 0x80) ? in.Take<double>() : 0.05 * (1 + periodByte);
    const double energy = (control & 0x40) ? in.Take<double>() : 300.0;
    const double resolution = (control & 0x20) ? in.Take<double>() : 0.5 + periodByte / 64.0;
    const bool extra = (periodByte & 0x80) != 0 && (control & 0x80) != 0;
    const double phase = extra ? in.Take<double>() : 0.25;
    const double tau = extra ? in.Take<double>() : 10.0;
    // Bit 6 of the period byte: fit the model (slow under the fuzzing
    // instrumentation: up to 20 restarts of 2000 iterations). Otherwise the
    // four model parameters follow as doubles, which also reaches models
    // that no fit gives.
    const bool fit = (periodByte & 0x40) != 0;
    MODELPARAMS given;
    if (!fit) {
        given.Di = in.Take<double>();
        given.Da = in.Take<double>();
        given.Tc = in.Take<double>();
        given.s = in.Take<double>();
    }
    s.m_nImportType = IMPORT_C1A1;
    int index = 1;
    while (in.n >= 3 && s.m_aSamples.size() < kMaxSamples) {
        const std::uint8_t step = in.Take<std::uint8_t>();
        A1SAMPLE a;
        index += (step & 7) == 0 ? 2 + (step >> 5) : 1;
        a.nIndex = index;
        if (step & 8) {
            a.dX = in.Take<double>();
            a.dY = in.Take<double>();
        } else {
            a.dX = static_cast<std::int8_t>(in.Take<std::uint8_t>()) * 0.01;
            a.dY = static_cast<std::int8_t>(in.Take<std::uint8_t>()) * 0.01;
        }
        s.m_aSamples.push_back(a);
    }
    // Short series are stretched so the evaluation gets past its length checks.
    const std::size_t n0 = s.m_aSamples.size();
    const std::size_t want = 12u * static_cast<std::size_t>(m > 20 ? 20 : m);
    for (std::size_t i = n0; n0 > 0 && i < want; ++i) {
        A1SAMPLE a = s.m_aSamples[i % n0];
        a.nIndex = ++index;
        a.dX += 0.001 * static_cast<double>(i);
        s.m_aSamples.push_back(a);
    }
    EVALINPUTS inputs;
    inputs.nMinDiversity = m;
    inputs.dEnergykV = energy;
    inputs.dResolutionAng = resolution;
    inputs.dLimitPhase = phase;
    inputs.nSeed = 12345u + control;
    RunCharFuncStep(s, inputs);
    const double a = StepTolerance(inputs);
    // Also without a characteristic function, which the step leaves out.
    EvaluateDirectLifetime(s, a);
    if (fit) {
        RunModelFitStep(s, inputs, FitStepStart::FitOnly);
    } else if (s.CharFuncValid) {
        s.ModelValid = 1;
        s.FitDi = given.Di;
        s.FitDa = given.Da;
        s.FitTc = given.Tc;
        s.FitS = given.s;
    }
    EvaluateModelLifetime(s, a);
    RandomWalkMeanLifetime(s, a);
    ProbabilityLifetime(s, a, kP84);
    ProbabilityLifetime(s, a, kP16);
    RandomWalkProbabilityLifetime(s, a, kP50);
    const MODELPARAMS p = ModelParameters(s);
    ModelBand(p, tau, kP16);
    ModelBand(p, tau, kP84);
    StayProbability(p, tau, a * a);
    InverseStayProbability(p, a * a, kP50);
    BuildStabilityReport(s);
    DirectStateText(s);
    ModelStateText(s);
    // "Refresh" with other inputs recomputes the tolerance and both lifetimes.
    inputs.dEnergykV = energy * 0.5;
    inputs.dResolutionAng = resolution * 2.0;
    RunRefreshStep(s, inputs);
    BuildStabilityReport(s);
    return 0;
}
