#pragma once
// A small, generic least-squares engine. The caller registers a model
// function of one abscissa with P parameters and its gradient with respect
// to the parameters, registers data points with weights and, optionally,
// parameter ranges, and asks for the parameters that minimise the
// s-square: the weighted mean (or the plain sum) of the squared residuals.
// The minimiser is a quasi-Newton method with BFGS updates of the inverse
// Hessian and a backtracking line search. Nothing here knows any model.

#include <vector>

class CLogFile;

// f(x; p) and the partial derivatives df/dp_j(x; p), j = 0 ... P-1,
// written into gradient[0 ... P-1].
using FitFunction = double (*)(double x, const double* params);
using FitGradient = void (*)(double x, const double* params, double* gradient);
// Optional: f(x; p) returned and its gradient written in one pass, with
// exactly the values of the two functions above (the gradient of the
// s-square then evaluates the shared terms once).
using FitFunctionGradient = double (*)(double x, const double* params, double* gradient);
struct FITMODULE;
// Optional: the s-square of all data points at params in one call (weighted
// or plain as the module's nWeighted says), with its gradient written into
// gradient[0 ... P-1] when gradient is not null. A model that evaluates
// faster over the whole data than point by point installs it; the s-square
// and its gradient then come from it alone.
using FitDataEvaluator = double (*)(const FITMODULE& module, const double* params, double* gradient);

// The module state: one plain record owned by the caller and filled by
// the functions below. Keep the arrays at the sizes the functions give
// them (P, 2P, P, M, M, M); MinimizeSSquare refuses inconsistent sizes.
struct FITMODULE {
    CLogFile* pLog = nullptr;       // optional; without it messages are not shown
    int nWeighted = 0;              // 1: weighted mean of the squares, 0: plain sum
    int nParams = 0;                // P
    int nData = 0;                  // M
    std::vector<double> adParams;   // P current values
    std::vector<double> adRanges;   // lower and upper bound of each parameter
    std::vector<int> anRangeFlags;  // 1: the range of that parameter is enforced
    std::vector<double> adX, adY, adW;
    double dSSquare = -1.0;  // last s-square of the minimiser, -1 when none
    FitFunction pFunction = nullptr;
    FitGradient pGradient = nullptr;
    FitFunctionGradient pFunctionGradient = nullptr;  // optional, see FitFunctionGradient
    FitDataEvaluator pDataEvaluator = nullptr;        // optional, see FitDataEvaluator
};

// Result codes of MinimizeSSquare.
enum FitResult {
    FIT_NOT_SET_UP = 0,
    FIT_SUCCESS = 1,
    FIT_NO_PARAMETERS = 2,
    FIT_INVALID_METHOD = 5,
    FIT_INCONSISTENT_ARRAYS = 6,
    FIT_ROUND_OFF = 7,
    FIT_RANGE_VIOLATION = 10,
};

// Installs the model and allocates nParams zero parameters, zero ranges and
// cleared range flags. Returns P, or 0 after an allocation failure.
int RegisterFunction(FITMODULE& module, FitFunction function, FitGradient gradient, int nParams = 4);
// Copies count data points (x, y, w each only if given, otherwise zeros).
// Returns P; a count below 1 leaves the module without data.
int RegisterData(FITMODULE& module, int count, const double* x, const double* y, const double* w);
// s-square at params (the current parameters when null). 0 = not set up.
int ComputeSSquare(const FITMODULE& module, const double* params, double& sSquare);
// Gradient of the s-square into gradient[0 ... P-1]. 0 = not possible.
int ComputeGradient(const FITMODULE& module, double* gradient, const double* params);
void CopyParametersOut(const FITMODULE& module, double* params);
// Copies P values into the current parameters; 0 without parameters or array.
int CopyParametersIn(FITMODULE& module, const double* params);
// Sets the range of parameter j and whether it is enforced; 0 for a bad j.
int SetParameterRange(FITMODULE& module, int j, double lower, double upper, int enforce);
// P > 0, M > 0 and a model function present.
bool CheckModule(const FITMODULE& module);
// Minimises the s-square from the current parameters; the parameters
// reached are stored back (except for code 0) with their s-square.
int MinimizeSSquare(FITMODULE& module, int* iterations, double gtol);
// Frees everything and removes the callbacks.
void ResetModule(FITMODULE& module);

// The message for a result code of MinimizeSSquare (empty for success).
const char* FitResultMessage(int code);
