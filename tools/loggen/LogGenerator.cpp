#include "loggen/LogGenerator.h"

#include "sim/ModelSimulator.h"
#include "text/Format.h"
#include "text/Parse.h"

#include <cmath>
#include <vector>

namespace loggen {

namespace {
constexpr double kRadPerDeg = 0.01745329252;
}  // namespace

GeneratedSeries SimulateSeries(const SeriesSetup& setup, CSplitMix& random) {
    GeneratedSeries out;
    out.setup = setup;
    const DriftModel& m = setup.drift;
    const double driftX = m.dDriftNmPerImage * std::cos(m.dDriftAngleDeg * kRadPerDeg);
    const double driftY = m.dDriftNmPerImage * std::sin(m.dDriftAngleDeg * kRadPerDeg);
    if (setup.nImages <= 0) return out;
    // The random part comes from the program's model of the instrument;
    // the drift is added here in its own direction.
    const CModelSimulator model(MODELPARAMS{m.dDiffusionNm, m.dTransientNm, m.dTransientImages, 0.0},
                                setup.nImages - 1);
    CRandomStream paths(random.Next64());
    std::vector<double> walkX(static_cast<std::size_t>(setup.nImages)), walkY(walkX.size());
    model.DrawPath(paths, walkX.data());
    model.DrawPath(paths, walkY.data());
    out.aSamples.reserve(static_cast<std::size_t>(setup.nImages));
    for (int i = 0; i < setup.nImages; ++i) {
        const double noiseX = m.dNoiseNm * random.Gauss();
        const double noiseY = m.dNoiseNm * random.Gauss();
        // The first and the last image are always recorded, so the time stamps
        // frame the series.
        const bool missing = i > 0 && i + 1 < setup.nImages && random.Uniform() < setup.dGapProbability;
        if (missing) continue;
        GeneratedSample s;
        s.nImage = setup.nFirstImage + i;
        s.dTrueX = m.dOffsetXNm + walkX[static_cast<std::size_t>(i)] + driftX * i + noiseX;
        s.dTrueY = m.dOffsetYNm + walkY[static_cast<std::size_t>(i)] + driftY * i + noiseY;
        out.aSamples.push_back(s);
    }
    return out;
}

namespace {

std::string Clock(double seconds) {
    const long long t = static_cast<long long>(std::floor(seconds));
    const long long day = ((t % 86400) + 86400) % 86400;
    return FormatText("[%02d:%02d:%02d] ", static_cast<int>(day / 3600), static_cast<int>(day / 60 % 60),
                      static_cast<int>(day % 60));
}

struct LineCounter {
    std::string text;
    int nLines = 0;
    void Add(const std::string& line) {
        text += line;
        text += '\n';
        ++nLines;
    }
};

}  // namespace

std::string WriteC1A1Log(std::vector<GeneratedSeries>& series, const C1A1Layout& layout) {
    LineCounter out;
    std::uint64_t cnts = 1234;
    if (layout.bChatter) {
        out.Add("Corrector control log");
        out.Add(Clock(0) + "Session opened.");
    }
    for (GeneratedSeries& g : series) {
        const SeriesSetup& setup = g.setup;
        const bool pm = setup.strUnit == "pm";
        const double factor = pm ? 0.001 : 1.0;
        const int magDigits = pm ? layout.nMagnitudeDecimalsPm : layout.nMagnitudeDecimalsNm;
        const int dataLines = static_cast<int>(g.aSamples.size());
        g.nStartTime = setup.nStartTime;
        g.nStopTime = setup.nStartTime + static_cast<int>(std::lround(dataLines * setup.dImagePeriodS));
        const double t0 = setup.nStartTime;

        if (layout.bChatter) out.Add(Clock(t0) + "Tableau acquisition prepared.");
        out.Add(Clock(t0) + "C1A1 series successfully started.");
        g.nFirstLine = out.nLines;
        out.Add(Clock(t0) + FormatText("Series clock dTime: %d.%03d s", g.nStartTime, static_cast<int>(cnts % 1000)));
        int n = 0;
        for (GeneratedSample& s : g.aSamples) {
            const double t = t0 + (s.nImage - setup.nFirstImage) * setup.dImagePeriodS;
            const double magnitudeNm = std::hypot(s.dTrueX, s.dTrueY);
            double directionDeg = std::atan2(s.dTrueY, s.dTrueX) / kRadPerDeg;
            if (directionDeg < 0) directionDeg += 360.0;
            const std::string magText = FormatText("%.*f", magDigits, magnitudeNm / factor);
            std::string dirText = FormatText("%.*f", layout.nDirectionDecimals, directionDeg);
            if (ReadLeadingDouble(dirText) >= 360.0) dirText = FormatText("%.*f", layout.nDirectionDecimals, 0.0);
            cnts = cnts * 6364136223846793005ull + 1442695040888963407ull;
            const double c1 = -20.0 + static_cast<double>((cnts >> 33) % 4000) / 100.0;
            out.Add(Clock(t) + FormatText("#%d: C1: %.2f nm, A1: %s%s / %s deg, %d cnts", s.nImage, c1, magText.c_str(),
                                          setup.strUnit.c_str(), dirText.c_str(),
                                          static_cast<int>(1000 + (cnts >> 40) % 9000)));
            // What the file now holds, computed as the reader does.
            const double mag = ReadLeadingDouble(magText) * factor;
            const double phi = ReadLeadingDouble(dirText) * kRadPerDeg;
            s.dX = std::cos(phi) * mag;
            s.dY = std::sin(phi) * mag;
            s.dErrX = s.dErrY = 0.0;
            if (layout.bChatter && ++n % 97 == 0) out.Add(Clock(t) + "Focus tracking: ok.");
        }
        const double tEnd = g.nStopTime;
        out.Add(Clock(tEnd) + "C1A1 series stopped by user.");
        out.Add(Clock(tEnd) + FormatText("Series clock dTime: %d.%03d s", g.nStopTime, 0));
        g.nLastLine = out.nLines;
        if (layout.bChatter) out.Add(Clock(tEnd) + "Tableau acquisition finished.");
    }
    return out.text;
}

std::string WriteATLASStabLog(GeneratedSeries& g, CSplitMix& random, const ATLASLayout& layout) {
    LineCounter out;
    const SeriesSetup& setup = g.setup;
    out.Add("img   a22x err(a22x)  a22y err(a22y)  c1 filetime");
    g.nFirstLine = out.nLines;
    const int d = layout.nDecimals;
    bool first = true;
    for (GeneratedSample& s : g.aSamples) {
        const double t = (s.nImage - setup.nFirstImage) * setup.dImagePeriodS;
        const int fileTime =
            static_cast<int>(layout.nFileTimeBase) + setup.nStartTime + static_cast<int>(std::lround(t));
        if (first) g.nStartTime = fileTime;
        first = false;
        g.nStopTime = fileTime;
        const double ex = layout.dErrorNm * (0.7 + 0.6 * random.Uniform());
        const double ey = layout.dErrorNm * (0.7 + 0.6 * random.Uniform());
        const std::string x = FormatText("%.*f", d, s.dTrueX), y = FormatText("%.*f", d, s.dTrueY);
        const std::string exText = FormatText("%.*f", d, ex), eyText = FormatText("%.*f", d, ey);
        out.Add(FormatText("%d  %s %s  %s %s  %.2f %d", s.nImage, x.c_str(), exText.c_str(), y.c_str(), eyText.c_str(),
                           -5.0 + 10.0 * random.Uniform(), fileTime));
        s.dX = ReadLeadingDouble(x);
        s.dY = ReadLeadingDouble(y);
        s.dErrX = ReadLeadingDouble(exText);
        s.dErrY = ReadLeadingDouble(eyText);
        g.nLastLine = out.nLines;
    }
    if (layout.bEndMarker) {
        out.Add("#");
        g.nLastLine = out.nLines;
    }
    return out.text;
}

std::string ToCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace loggen
