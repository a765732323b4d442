#pragma once
// The characteristic function f(t) of a series: the mean squared change of
// the astigmatism over an image distance d, with its variance and the
// extrapolated measurement error. Results are stored in the series.

class CA1TimeSeries;

// How the pair sums are computed: pair by pair (Direct), from FFT
// correlations with an error bound and direct recomputation of every
// distance whose bound fails (Fft), or the faster of the two for the
// series' size (Auto; small series always go the direct way, to the last
// bit as before). Both give the same results within 1e-12 relative for
// fx, fy (of |f| + |intercept|) and 1e-10 for their variances.
enum class CharFuncRoute { Auto, Direct, Fft };

void ExtractCharacteristicFunction(CA1TimeSeries& series, int minDiversity, CharFuncRoute route = CharFuncRoute::Auto);

// The route Auto takes for n samples and distances 1 ... dLast.
CharFuncRoute ChooseCharFuncRoute(int samples, int dLast);

// Below this many sample pairs (samples x distances) Auto keeps the direct
// sums. Measured on two cores: the two routes break even near 5e6 pairs
// (about 5000 samples with minimum diversity 10); at 1e7 the FFT route
// takes about two thirds of the time of the direct one.
inline constexpr double kCharFuncFftMinPairs = 1.0e7;
