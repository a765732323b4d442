#pragma once
// Synthetic corrector logs for tests, benchmarks and the examples.
//
// A series simulates a drifting two-fold astigmatism with the program's
// own drift model (sim/ModelSimulator.h), per image:
//   A = offset + random part (Di = diffusion, Da = transient, Tc = its
//       relaxation time) + linear drift + measurement noise,
// optionally with missing images (gaps in the image numbers). The writers
// print it in the two log formats the program reads and keep, next to the
// simulated values, the values exactly as printed, so a test can compare what
// a reader gives back with what the file holds.

#include "eval/Random.h"

#include <cstdint>
#include <string>
#include <vector>

namespace loggen {

// Deterministic generator (SplitMix64): the core's random stream, so the same
// seed gives the same log on every platform and standard library.
using CSplitMix = CRandomStream;

struct DriftModel {
    double dDiffusionNm = 0.02;        // Di: random-walk step per image and component
    double dTransientNm = 0.03;        // Da: transient step per image and component
    double dTransientImages = 40.0;    // Tc: its decay time in images
    double dDriftNmPerImage = 0.0005;  // steady drift speed
    double dDriftAngleDeg = 30.0;      // direction of the drift in the x-y plane
    double dNoiseNm = 0.02;            // measurement noise per component
    double dOffsetXNm = 0.8;           // astigmatism at the start
    double dOffsetYNm = -0.4;
};

struct SeriesSetup {
    int nImages = 300;  // image numbers nFirstImage ... nFirstImage + nImages - 1
    int nFirstImage = 1;
    double dImagePeriodS = 2.0;    // seconds per image
    int nStartTime = 100;          // start time stamp in seconds
    double dGapProbability = 0.0;  // chance that an image is missing from the log
    DriftModel drift;
    std::string strUnit = "pm";  // C1A1 magnitude unit: "pm" or "nm"
};

struct GeneratedSample {
    int nImage = 0;
    double dTrueX = 0.0, dTrueY = 0.0;  // simulated A22-x, A22-y [nm]
    double dX = 0.0, dY = 0.0;          // as the file holds them [nm] (after rounding to the printed digits)
    double dErrX = 0.0, dErrY = 0.0;    // errors as printed (ATLASStab), 0 for C1A1
};

struct GeneratedSeries {
    SeriesSetup setup;
    std::vector<GeneratedSample> aSamples;  // one per data line, in file order
    int nStartTime = 0;                     // time stamps as printed
    int nStopTime = 0;
    int nFirstLine = 0;  // 1-based line numbers of the series in the file
    int nLastLine = 0;
};

// Simulates one series (true values only; dX ... are filled by a writer).
GeneratedSeries SimulateSeries(const SeriesSetup& setup, CSplitMix& random);

struct C1A1Layout {
    int nMagnitudeDecimalsPm = 3;  // digits of a magnitude in pm
    int nMagnitudeDecimalsNm = 6;  // digits of a magnitude in nm
    int nDirectionDecimals = 4;
    bool bChatter = true;  // unrelated log lines around the series
};

// A CEOS C1A1 log with the given series one after the other (LF line ends).
// Each series' stop time stamp is its start plus the data-line count times
// the image period, so the reader's image period is the nominal one. Fills
// dX, dY and the line numbers of each series.
std::string WriteC1A1Log(std::vector<GeneratedSeries>& series, const C1A1Layout& layout = {});

struct ATLASLayout {
    int nDecimals = 6;                // digits of the values and errors (nm)
    double dErrorNm = 0.01;           // typical error; each line varies it by +-30 %
    bool bEndMarker = true;           // a "#" line after the table
    std::uint32_t nFileTimeBase = 0;  // added to the seconds of the filetime column
};

// An ATLASStab log of one series (LF line ends). The filetime column holds
// the start time plus the image's time. Fills dX, dY, dErrX, dErrY and the
// line numbers.
std::string WriteATLASStabLog(GeneratedSeries& series, CSplitMix& random, const ATLASLayout& layout = {});

// Turns LF into CR LF, as the logs are stored on disk.
std::string ToCrLf(const std::string& text);

}  // namespace loggen
