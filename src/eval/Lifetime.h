#pragma once
// Tolerance, lifetimes, stay probability P(a,t), model bands and the state
// texts of the tab pages.
//
// Searches that do not reach a result within their bound log an "ERROR: "
// line (where the operation logs at all) and return kNoResult, which callers
// show as "no result" (IsNoResult).

#include <limits>
#include <string>

class CA1TimeSeries;

struct MODELPARAMS {
    double Di = 0.0;  // nm
    double Da = 0.0;  // nm
    double Tc = 0.0;  // images
    double s = 0.0;   // nm per image
};

inline constexpr double kNoResult = std::numeric_limits<double>::quiet_NaN();
inline bool IsNoResult(double v) { return v != v; }

// LifetimeState of a series: the outcome of the last direct evaluation.
enum LifetimeStateCode {
    LIFETIME_NONE = 0,          // no evaluation present
    LIFETIME_FOUND = 1,         // the lifetime lies within the measured time spans
    LIFETIME_BELOW_RANGE = -1,  // tolerance below the characteristic function
    LIFETIME_ABOVE_RANGE = -2,  // tolerance above the characteristic function
    LIFETIME_ERROR = -3,        // no characteristic function (or no usable tolerance)
};

// Probability levels of the report, diagrams and exports.
inline constexpr double kP84 = 0.841345;
inline constexpr double kP50 = 0.5;
inline constexpr double kP16 = 0.158655;

MODELPARAMS ModelParameters(const CA1TimeSeries& series);

double ComputeTolerance(double energykV, double resolutionAng, double limitPhase);

// Direct lifetime from the characteristic function; stores LifetimeState,
// Tolerance and DirectLifetime and logs.
double EvaluateDirectLifetime(CA1TimeSeries& series, double a);
// Model lifetime (stepping search); stores ModelLifetime and logs. 0 without a
// model; kNoResult (stored, with an "ERROR: " line) when the model does not
// reach the tolerance within the search bound or its inputs are not finite.
double EvaluateModelLifetime(CA1TimeSeries& series, double a);
// The same search with the drift removed, from ModelLifetime; nothing stored
// or logged (kNoResult on failure).
double RandomWalkMeanLifetime(const CA1TimeSeries& series, double a);
// Time span [s] at which P(a,t) = p, with the full model or the random walk
// only: 0 without valid data or for p >= 1, 1.7976931348623156e305 * t0 for
// p <= 0, kNoResult when the bisection finds no time span.
double ProbabilityLifetime(const CA1TimeSeries& series, double a, double p);
double RandomWalkProbabilityLifetime(const CA1TimeSeries& series, double a, double p);

// The lifetimes that the report, the JSON and the summary table give for a
// fitted model at the tolerance a [s]: at the 84 %, 50 % and 16 % levels of
// the whole model and of its random-walk part, and the random walk's mean
// lifetime (each as the functions above give it).
struct LIFETIMELIMITS {
    double p84 = 0.0;
    double p50 = 0.0;
    double p16 = 0.0;
    double rwMean = 0.0;
    double rwP84 = 0.0;
    double rwP50 = 0.0;
    double rwP16 = 0.0;
};
LIFETIMELIMITS ModelLifetimeLimits(const CA1TimeSeries& series, double a);

// f(tau) = 2 tau (Di^2 + Da^2 exp(-tau/Tc)) + s^2 tau^2, tau in images.
double ModelFunction(const MODELPARAMS& m, double tau);
double StayProbability(const MODELPARAMS& m, double tau, double a2);
// The tau at which P(a, tau) = p (bisection); the core of ProbabilityLifetime.
double InverseStayProbability(const MODELPARAMS& m, double a2, double p);
// Squared radius r^2 [nm^2] with P(r, tau) = p; without a random component
// the drift s^2 tau^2 itself; kNoResult when the bisection fails.
double ModelBand(const MODELPARAMS& m, double tau, double p);
// First-order Marcum Q function Q1(alpha, beta) = P(R > beta) for a Rice
// variable R of offset alpha and unit variance per component. Q1 depends on
// alpha only through alpha^2, so a negative alpha counts as |alpha|; a
// negative beta gives 1. NaN arguments give NaN.
double MarcumQ(double alpha, double beta);

// Modified Bessel functions of the first kind: I0 and I1 by polynomial
// approximations (relative error below about 6e-7), In for n >= 2 by a
// downward recurrence normalised with I0. In(x) = 0 for n < 0.
double BesselI0(double x);
double BesselI1(double x);
double BesselIn(int n, double x);

std::string DirectStateText(const CA1TimeSeries& series);
std::string ModelStateText(const CA1TimeSeries& series);
