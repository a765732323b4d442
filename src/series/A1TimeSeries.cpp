#include "series/A1TimeSeries.h"

#include "log/LogFile.h"
#include "text/Format.h"

#include <cmath>
#include <cstdint>

CA1TimeSeries::CA1TimeSeries() {
    InitHeaderAndUnits();
    Reset();
}

CA1TimeSeries::CA1TimeSeries(CLogFile* log) : CParameterBlock(log) {
    InitHeaderAndUnits();
    Reset();
}

CA1TimeSeries::CA1TimeSeries(const CA1TimeSeries& other) : CParameterBlock(other.m_pLog) {
    InitHeaderAndUnits();
    Reset();
    CopyFrom(other);
}

CA1TimeSeries& CA1TimeSeries::operator=(const CA1TimeSeries& other) {
    if (this != &other) {
        m_pLog = other.m_pLog;
        CopyFrom(other);
    }
    return *this;
}

CA1TimeSeries::CA1TimeSeries(CA1TimeSeries&& other) noexcept : CParameterBlock(other.m_pLog) {
    InitHeaderAndUnits();
    *this = std::move(other);
}

CA1TimeSeries& CA1TimeSeries::operator=(CA1TimeSeries&& other) noexcept {
    if (this != &other) {
        m_pLog = other.m_pLog;
        m_astrLines = std::move(other.m_astrLines);
        m_aSamples = std::move(other.m_aSamples);
        m_aCharFunc = std::move(other.m_aCharFunc);
        m_strSourceFile = std::move(other.m_strSourceFile);
        CopyScalarsFrom(other);
        if (m_aLengthUnits.empty()) InitHeaderAndUnits();
    }
    return *this;
}

void CA1TimeSeries::InitHeaderAndUnits() {
    m_nCommentColumn = 40;
    m_nVersion = 2013111301;
    m_strName = "A1-Time Series Data";
    m_aLengthUnits = {{"nm", 1}, {"fm", 1e-6}, {"pm", 0.001}, {"um", 1000}, {"mm", 1e6}, {"m ", 1e9}, {"km", 1e12}};
    m_aTimeUnits = {{"s  ", 1}, {"ms ", 0.001}, {"min", 60}, {"h  ", 3600}};
    m_aAreaUnits = {{"nm\u00B2", 1},    {"fm\u00B2", 1e-12}, {"100fm\u00B2", 1e-10}, {"pm\u00B2", 1e-6},
                    {"A\u00B2 ", 0.01}, {"um\u00B2", 1e6},   {"100um\u00B2", 1e8},   {"mm\u00B2", 1e12},
                    {"cm\u00B2", 1e14}, {"m\u00B2 ", 1e18}};
}

void CA1TimeSeries::CopyFrom(const CA1TimeSeries& o) {
    // Everything but the unit tables, which every series builds itself.
    m_astrLines = o.m_astrLines;
    m_aSamples = o.m_aSamples;
    m_aCharFunc = o.m_aCharFunc;
    m_strSourceFile = o.m_strSourceFile;
    CopyScalarsFrom(o);
}

void CA1TimeSeries::CopyScalarsFrom(const CA1TimeSeries& o) {
    m_nCommentColumn = o.m_nCommentColumn;
    m_nVersion = o.m_nVersion;
    m_strName = o.m_strName;
    m_nCurrentTab = o.m_nCurrentTab;
    m_nFirstLine = o.m_nFirstLine;
    m_nLastLine = o.m_nLastLine;
    m_nStartTime = o.m_nStartTime;
    m_nStopTime = o.m_nStopTime;
    m_nImportType = o.m_nImportType;
    m_nDataLines = o.m_nDataLines;
    CharFuncValid = o.CharFuncValid;
    ModelValid = o.ModelValid;
    m_nMirror = o.m_nMirror;
    UsedMinDiversity = o.UsedMinDiversity;
    LifetimeState = o.LifetimeState;
    m_dRotation = o.m_dRotation;
    m_dImagePeriod = o.m_dImagePeriod;
    MeasErr = o.MeasErr;
    MeasErrX = o.MeasErrX;
    MeasErrY = o.MeasErrY;
    SlopeSum = o.SlopeSum;
    Tolerance = o.Tolerance;
    UsedLimitPhase = o.UsedLimitPhase;
    UsedElEnergykV = o.UsedElEnergykV;
    UsedTargetResAng = o.UsedTargetResAng;
    DirectLifetime = o.DirectLifetime;
    FitDi = o.FitDi;
    FitDa = o.FitDa;
    FitTc = o.FitTc;
    FitS = o.FitS;
    ModelLifetime = o.ModelLifetime;
    FitSSqr = o.FitSSqr;
}

void CA1TimeSeries::Reset() {
    m_strSourceFile.clear();
    m_astrLines.clear();
    m_aSamples.clear();
    m_aCharFunc.clear();
    m_nFirstLine = m_nLastLine = m_nStartTime = m_nStopTime = 0;
    m_nImportType = IMPORT_NONE;
    m_nDataLines = 0;
    CharFuncValid = ModelValid = 0;
    m_nMirror = 0;
    LifetimeState = 0;
    m_nCurrentTab = TAB_A22_TIME;
    UsedMinDiversity = 10;
    m_dImagePeriod = 1.0;
    m_dRotation = 0.0;
    MeasErr = MeasErrX = MeasErrY = SlopeSum = 0.0;
    Tolerance = UsedLimitPhase = UsedElEnergykV = UsedTargetResAng = DirectLifetime = 0.0;
    FitDi = FitDa = FitTc = FitS = 0.0;
    ModelLifetime = FitSSqr = 0.0;
}

double CA1TimeSeries::LookupLengthFactor(const std::string& unit) const {
    for (const UNIT& u : m_aLengthUnits)
        if (u.strName.find(unit) != std::string::npos) return u.dFactor;
    return 1.0;
}

namespace {
int ChooseUnit(const std::vector<UNIT>& table, double value) {
    for (std::size_t j = 1; j < table.size(); ++j) {
        const double q = value / table[j].dFactor;
        if (q >= 1.0 && q < 1000.0) return static_cast<int>(j);
    }
    return 0;
}
}  // namespace

int CA1TimeSeries::ChooseTimeUnit(double value) const { return ChooseUnit(m_aTimeUnits, value); }
int CA1TimeSeries::ChooseLengthUnit(double value) const { return ChooseUnit(m_aLengthUnits, value); }
int CA1TimeSeries::ChooseAreaUnit(double value) const { return ChooseUnit(m_aAreaUnits, value); }

void CA1TimeSeries::GetSampleRanges(double& tMin, double& tMax, double& xMin, double& xMax, double& yMin,
                                    double& yMax) const {
    if (m_aSamples.empty()) return;
    const A1SAMPLE& s0 = m_aSamples.front();
    tMin = tMax = s0.nIndex * m_dImagePeriod;
    xMin = xMax = s0.dX;
    yMin = yMax = s0.dY;
    for (const A1SAMPLE& s : m_aSamples) {
        const double t = s.nIndex * m_dImagePeriod;
        if (t < tMin) tMin = t;
        if (t > tMax) tMax = t;
        if (s.dX < xMin) xMin = s.dX;
        if (s.dX > xMax) xMax = s.dX;
        if (s.dY < yMin) yMin = s.dY;
        if (s.dY > yMax) yMax = s.dY;
    }
}

namespace {
struct Rotation {
    bool raw;
    double c, s;
    explicit Rotation(double thetaDeg)
        : raw(std::fabs(thetaDeg) < 1e-8), c(std::cos(thetaDeg * kRadPerDeg)), s(std::sin(thetaDeg * kRadPerDeg)) {}
    void Apply(const A1SAMPLE& a, double& x, double& y) const {
        if (raw) {
            x = a.dX;
            y = a.dY;
        } else {
            x = c * a.dX - s * a.dY;
            y = c * a.dY + s * a.dX;
        }
    }
};
}  // namespace

void CA1TimeSeries::GetMean(double thetaDeg, double& meanX, double& meanY) const {
    if (m_aSamples.empty()) return;
    const Rotation r(thetaDeg);
    double sx = 0, sy = 0;
    for (const A1SAMPLE& a : m_aSamples) {
        double x, y;
        r.Apply(a, x, y);
        sx += x;
        sy += y;
    }
    const double n = static_cast<double>(m_aSamples.size());
    meanX = sx / n;
    meanY = sy / n;
}

void CA1TimeSeries::GetMoments(double meanX, double meanY, double thetaDeg, double& varX, double& covXY,
                               double& varY) const {
    if (m_aSamples.empty()) return;
    const Rotation r(thetaDeg);
    double sxx = 0, sxy = 0, syy = 0;
    for (const A1SAMPLE& a : m_aSamples) {
        double x, y;
        r.Apply(a, x, y);
        const double dx = x - meanX, dy = y - meanY;
        sxx += dx * dx;
        sxy += dx * dy;
        syy += dy * dy;
    }
    const double n = static_cast<double>(m_aSamples.size());
    varX = sxx / n;
    covXY = sxy / n;
    varY = syy / n;
}

bool CA1TimeSeries::FindMinCorrelation(double theta1, double theta2, double& rMin, double& angle) const {
    double best = 1.0, bestAngle = 0.0;
    bool found = false;
    for (int i = 0; i < 900; ++i) {
        const double th = theta1 + i * (theta2 - theta1) / 899.0;
        double mx = 0, my = 0, vx = 0, cxy = 0, vy = 0;
        GetMean(th, mx, my);
        GetMoments(mx, my, th, vx, cxy, vy);
        const double d = std::sqrt(vx * vy);
        if (d > 0) {
            const double r = std::fabs(cxy / d);
            if (r < best) {
                best = r;
                bestAngle = th;
                found = true;
            }
        }
    }
    if (found) {
        rMin = best;
        angle = bestAngle;
    }
    return found;
}

bool CA1TimeSeries::BeginExtraction(int importType, int mirror, double rotationDeg) {
    if (m_nImportType != importType) {
        LogIfAttached(m_pLog, "ERROR: Missmatch of the log import type (aborting data extraction).");
        return false;
    }
    m_aSamples.clear();
    m_aCharFunc.clear();
    CharFuncValid = ModelValid = LifetimeState = 0;
    if (m_nCurrentTab >= TAB_CHAR_FUNC) m_nCurrentTab = TAB_A22_TIME;
    Tolerance = DirectLifetime = 0.0;
    FitDi = FitDa = FitTc = FitS = 0.0;
    ModelLifetime = FitSSqr = 0.0;
    if (m_nDataLines < 2) return false;
    const std::uint32_t span = static_cast<std::uint32_t>(m_nStopTime) - static_cast<std::uint32_t>(m_nStartTime);
    m_dImagePeriod = static_cast<double>(span) / m_nDataLines;
    LogIfAttached(m_pLog, importType == IMPORT_C1A1 ? "Extracting astigmatism data from CEOS C1A1 log..."
                                                    : "Extracting astigmatism data from ATLASStab log...");
    LogIfAttached(m_pLog, FormatText("- recording frequency: %.2f Hz", 1.0 / m_dImagePeriod));
    LogIfAttached(m_pLog, FormatText("- y-mirror flag: %d, x-y-plane rotation: %.1f deg", mirror, rotationDeg));
    return true;
}

void CA1TimeSeries::FinishExtraction(int mirror, double rotationDeg) {
    m_nMirror = mirror;
    m_dRotation = rotationDeg;
    LogIfAttached(m_pLog,
                  FormatText("- extracted number of astigmatism values: %d", static_cast<int>(m_aSamples.size())));
    LogIfAttached(m_pLog, "Extraction finished.");
}
