#pragma once
// The characteristic function f(t) of a series: the mean squared change of
// the astigmatism over an image distance d, with its variance and the
// extrapolated measurement error. Results are stored in the series.

class CA1TimeSeries;

void ExtractCharacteristicFunction(CA1TimeSeries& series, int minDiversity);
