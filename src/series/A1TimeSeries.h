#pragma once
// One imported astigmatism series with its samples, its characteristic
// function, all evaluation results and the unit tables of the diagrams.

#include "series/LineArray.h"
#include "series/ParameterBlock.h"

#include <string>
#include <vector>

class CLogFile;

struct A1SAMPLE {
    int nIndex = 0;      // image number, or image distance d of a characteristic-function point
    double dX = 0.0;     // A22-x [nm]      | fx [nm^2]
    double dY = 0.0;     // A22-y [nm]      | fy [nm^2]
    double dErrX = 0.0;  // error [nm]      | Var(fx) [nm^4]
    double dErrY = 0.0;  // error [nm]      | Var(fy) [nm^4]
};

struct UNIT {
    std::string strName;
    double dFactor = 1.0;  // value of one unit in the table's base unit
};

// Degrees to radians, as used everywhere angles are shown to the user.
inline constexpr double kRadPerDeg = 0.01745329252;

enum ImportType { IMPORT_NONE = 0, IMPORT_C1A1 = 1, IMPORT_ATLAS = 2 };

// Tab indices of the main window's pages (m_nCurrentTab). The tabs after
// "A22-Time Graph" appear as the evaluation allows: without a model the
// "Summary" tab takes index TAB_FITTED_MODEL.
enum TabIndex {
    TAB_LOG_TEXT = 0,
    TAB_A22_TIME = 1,
    TAB_CHAR_FUNC = 2,
    TAB_FITTED_MODEL = 3,
    TAB_PROB_PLOT = 4,
    TAB_SUMMARY = 5,                         // with a fitted model
    TAB_SUMMARY_NO_MODEL = TAB_FITTED_MODEL  // without one
};

class CA1TimeSeries : public CParameterBlock {
public:
    CA1TimeSeries();
    explicit CA1TimeSeries(CLogFile* log);
    CA1TimeSeries(const CA1TimeSeries& other);
    CA1TimeSeries& operator=(const CA1TimeSeries& other);
    // Moves take the lines and sample arrays; both series keep unit tables.
    CA1TimeSeries(CA1TimeSeries&& other) noexcept;
    CA1TimeSeries& operator=(CA1TimeSeries&& other) noexcept;
    ~CA1TimeSeries() override = default;

    void Reset();

    double LookupLengthFactor(const std::string& unit) const;
    int ChooseTimeUnit(double value) const;
    int ChooseLengthUnit(double value) const;
    int ChooseAreaUnit(double value) const;

    // Ranges of time (nIndex * m_dImagePeriod), dX and dY; outputs untouched when empty.
    void GetSampleRanges(double& tMin, double& tMax, double& xMin, double& xMax, double& yMin, double& yMax) const;
    // Means and population moments of the samples rotated by thetaDeg.
    void GetMean(double thetaDeg, double& meanX, double& meanY) const;
    void GetMoments(double meanX, double meanY, double thetaDeg, double& varX, double& covXY, double& varY) const;
    // Smallest |correlation| over 900 angles from theta1 to theta2 (degrees).
    // Returns false (outputs untouched) when no angle gave a value below 1.
    bool FindMinCorrelation(double theta1Deg, double theta2Deg, double& rMin, double& angleDeg) const;

    // Shared first steps of both extractions (type check, clearing, image
    // period and messages). Returns false when the per-line extraction must
    // not run; on true the caller extracts and then calls FinishExtraction.
    bool BeginExtraction(int importType, int mirror, double rotationDeg);
    void FinishExtraction(int mirror, double rotationDeg);

    CLineArray m_astrLines;
    std::vector<A1SAMPLE> m_aSamples;
    std::vector<A1SAMPLE> m_aCharFunc;
    int m_nCurrentTab = TAB_A22_TIME;
    std::string m_strSourceFile;
    int m_nFirstLine = 0;
    int m_nLastLine = 0;
    int m_nStartTime = 0;
    int m_nStopTime = 0;
    int m_nImportType = IMPORT_NONE;
    int m_nDataLines = 0;
    int CharFuncValid = 0;
    int ModelValid = 0;
    int m_nMirror = 0;
    int UsedMinDiversity = 10;
    int LifetimeState = 0;
    double m_dRotation = 0.0;
    double m_dImagePeriod = 1.0;
    double MeasErr = 0.0, MeasErrX = 0.0, MeasErrY = 0.0, SlopeSum = 0.0;
    double Tolerance = 0.0, UsedLimitPhase = 0.0, UsedElEnergykV = 0.0, UsedTargetResAng = 0.0, DirectLifetime = 0.0;
    double FitDi = 0.0, FitDa = 0.0, FitTc = 0.0, FitS = 0.0;
    double ModelLifetime = 0.0;
    double FitSSqr = 0.0;
    std::vector<UNIT> m_aAreaUnits;
    std::vector<UNIT> m_aLengthUnits;
    std::vector<UNIT> m_aTimeUnits;

private:
    void InitHeaderAndUnits();
    void CopyFrom(const CA1TimeSeries& other);
    void CopyScalarsFrom(const CA1TimeSeries& other);
};

// The questions every output asks of a series, each answered once.
// A characteristic function has been extracted.
inline bool HasCharFunc(const CA1TimeSeries& s) { return s.CharFuncValid > 0; }
// A model has been fitted to the characteristic function.
inline bool HasModel(const CA1TimeSeries& s) { return HasCharFunc(s) && s.ModelValid > 0; }
// The model's correlation time tc in seconds (FitTc is in images).
inline double TcSeconds(const CA1TimeSeries& s) { return s.FitTc * s.m_dImagePeriod; }
