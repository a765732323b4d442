#include "cli/CliRun.h"

#include "Version.h"
#include "cli/CliFields.h"
#include "cli/JsonWriter.h"

#include <string_view>

namespace {

void Row(CJsonWriter& j, const A1SAMPLE& a) {
    j.BeginArray(true);
    j.Integer(a.nIndex);
    j.Number(a.dX);
    j.Number(a.dY);
    j.Number(a.dErrX);
    j.Number(a.dErrY);
    j.EndArray();
}

void WriteValue(CJsonWriter& j, const CliField& field, const CliFieldContext& context) {
    if (field.writeJson) {
        field.writeJson(j, context);
        return;
    }
    const CliFieldValue v = field.value(context);
    switch (field.kind) {
    case CliFieldKind::Integer: j.Integer(v.nInteger); break;
    case CliFieldKind::Number: j.Number(v.dNumber); break;
    case CliFieldKind::Bool: j.Bool(v.bBool); break;
    case CliFieldKind::Text: j.String(v.strText); break;
    case CliFieldKind::Samples:
        j.BeginArray();
        for (const A1SAMPLE& a : *v.pSamples) Row(j, a);
        j.EndArray();
        break;
    }
}

bool SameGroup(const char* a, const char* b) {
    return a == b || (a != nullptr && b != nullptr && std::string_view(a) == b);
}

// The series' object: the fields of the table that have a JSON key. The
// fields of one group form an object of their own, null when its first
// field does not exist.
void WriteSeries(CJsonWriter& j, const CliFieldContext& context) {
    j.BeginObject();
    const char* group = nullptr;
    bool groupNull = false;
    for (const CliField& field : CliFields()) {
        if (field.szJsonKey == nullptr) continue;
        if (!SameGroup(field.szJsonGroup, group)) {
            if (group != nullptr && !groupNull) j.EndObject();
            group = field.szJsonGroup;
            groupNull = false;
            if (group != nullptr) {
                j.Key(group);
                groupNull = !CliFieldExistsFor(field, context);
                if (groupNull) j.Null();
                else j.BeginObject();
            }
        }
        if (groupNull) continue;
        if (field.exists == CliFieldExists::Provisional && !CliFieldExistsFor(field, context)) continue;
        j.Key(field.szJsonKey);
        if (CliFieldExistsFor(field, context)) WriteValue(j, field, context);
        else j.Null();
    }
    if (group != nullptr && !groupNull) j.EndObject();
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
        ForEachCliSeries(o, [&j](const CliFieldContext& context) { WriteSeries(j, context); });
        j.EndArray();
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();
    return j.Text();
}
