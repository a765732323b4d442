#pragma once
// The characteristic function f(t) of a series: the mean squared change of
// the astigmatism over an image distance d, with its variance and the
// extrapolated measurement error. Results are stored in the series.

class CA1TimeSeries;

// How the pair sums are computed: pair by pair (Direct), from FFT
// correlations with an error bound and direct recomputation of every
// distance whose bound fails (Fft), or the faster of the two for the
// series' size (Auto; small series always go the direct way, to the last
// bit as before). Both give the same results within the tolerances of
// PairSumsFftTuning.h.
enum class CharFuncRoute { Auto, Direct, Fft };

void ExtractCharacteristicFunction(CA1TimeSeries& series, int minDiversity, CharFuncRoute route = CharFuncRoute::Auto);

// The route Auto takes for n samples and distances 1 ... dLast (the
// threshold kCharFuncFftMinPairs of PairSumsFftTuning.h).
CharFuncRoute ChooseCharFuncRoute(int samples, int dLast);
