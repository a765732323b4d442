#include "cli/CliRun.h"

#include "Version.h"
#include "cli/JsonWriter.h"

namespace {

void WriteSeries(CJsonWriter& j, int index, const CA1TimeSeries& s) {
    j.BeginObject();
    j.Key("index");
    j.Integer(index);
    j.Key("first_line");
    j.Integer(s.m_nFirstLine);
    j.Key("last_line");
    j.Integer(s.m_nLastLine);
    j.Key("start_time");
    j.Integer(s.m_nStartTime);
    j.Key("stop_time");
    j.Integer(s.m_nStopTime);
    j.Key("data_lines");
    j.Integer(s.m_nDataLines);
    j.Key("image_period_s");
    j.Number(s.m_dImagePeriod);
    j.Key("mirror");
    j.Integer(s.m_nMirror);
    j.Key("rotation_deg");
    j.Number(s.m_dRotation);
    j.Key("samples");
    j.BeginArray();
    for (const A1SAMPLE& a : s.m_aSamples) {
        j.BeginArray(true);
        j.Integer(a.nIndex);
        j.Number(a.dX);
        j.Number(a.dY);
        j.Number(a.dErrX);
        j.Number(a.dErrY);
        j.EndArray();
    }
    j.EndArray();
    j.EndObject();
}

}  // namespace

std::string CliJsonDocument(const std::vector<CliFileOutcome>& outcomes) {
    CJsonWriter j;
    j.BeginObject();
    j.Key("version");
    j.String(kVersionText);
    j.Key("files");
    j.BeginArray();
    for (const CliFileOutcome& o : outcomes) {
        j.BeginObject();
        j.Key("path");
        j.String(o.strPath);
        j.Key("format");
        if (const LogFormatEntry* f = FindLogFormat(o.import.nImportType)) j.String(f->szKey);
        else j.Null();
        j.Key("error");
        if (o.strError.empty()) j.Null();
        else j.String(o.strError);
        j.Key("series");
        j.BeginArray();
        for (std::size_t i = 0; i < o.aSeries.size(); ++i) WriteSeries(j, o.anIndex[i], o.aSeries[i]);
        j.EndArray();
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();
    return j.Text();
}
