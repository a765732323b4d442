// Fuzzed samples through the whole evaluation: characteristic function, model
// fit, lifetimes, probabilities and the report. Every step must end.
#include "eval/CharFunc.h"
#include "eval/Lifetime.h"
#include "eval/ModelFit.h"
#include "eval/Report.h"
#include "series/A1TimeSeries.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {
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
    const int m = 5 + (control & 15);
    const std::uint8_t periodByte = in.Take<std::uint8_t>();
    s.m_dImagePeriod = (control & 0x80) ? in.Take<double>() : 0.05 * (1 + periodByte);
    const double energy = (control & 0x40) ? in.Take<double>() : 300.0;
    const double resolution = (control & 0x20) ? in.Take<double>() : 0.5 + periodByte / 64.0;
    s.m_nImportType = IMPORT_C1A1;
    int index = 1;
    // Samples: one step byte (gaps) and two values each, limited so every run stays short.
    while (in.n >= 3 && s.m_aSamples.size() < 1500) {
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
    for (std::size_t i = n0; n0 > 0 && i < 12u * static_cast<std::size_t>(m); ++i) {
        A1SAMPLE a = s.m_aSamples[i % n0];
        a.nIndex = ++index;
        a.dX += 0.001 * static_cast<double>(i);
        s.m_aSamples.push_back(a);
    }
    ExtractCharacteristicFunction(s, m);
    const double a = ComputeTolerance(energy, resolution, 0.25);
    EvaluateDirectLifetime(s, a);
    FitModel(s, 12345u + control);
    EvaluateModelLifetime(s, a);
    RandomWalkMeanLifetime(s, a);
    ProbabilityLifetime(s, a, kP84);
    ProbabilityLifetime(s, a, kP16);
    RandomWalkProbabilityLifetime(s, a, kP50);
    const MODELPARAMS p = ModelParameters(s);
    ModelBand(p, 10.0, kP16);
    StayProbability(p, 10.0, a * a);
    BuildStabilityReport(s);
    DirectStateText(s);
    ModelStateText(s);
    return 0;
}
