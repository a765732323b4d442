// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSummary.h"

#include "cli/CliFields.h"
#include "cli/CliRun.h"
#include "cli/JsonWriter.h"

#include <cmath>
#include <string>

namespace {

// The summary's columns: the fields of the table that have one and are
// requested.
bool InSummary(const CliField& field, const CliOptions* options) {
    return field.szColumn != nullptr && (field.requested == nullptr || (options && field.requested(*options)));
}

// A cell: numbers as the JSON writes them; empty when the value does not
// exist or is not finite.
std::string Cell(const CliField& field, const CliFieldContext& context) {
    if (!CliFieldExistsFor(field, context)) return "";
    const CliFieldValue v = field.value(context);
    switch (field.kind) {
    case CliFieldKind::Integer: return std::to_string(v.nInteger);
    case CliFieldKind::Number: return std::isfinite(v.dNumber) ? CJsonWriter::FormatNumber(v.dNumber) : "";
    case CliFieldKind::Bool: return v.bBool ? "1" : "0";
    case CliFieldKind::Text: return CsvField(v.strText);
    case CliFieldKind::Samples: return "";
    }
    return "";
}

}  // namespace

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CliSummaryHeader(const CliOptions* options) {
    std::string header;
    for (const CliField& field : CliFields())
        if (InSummary(field, options)) header += (header.empty() ? "" : ",") + std::string(field.szColumn);
    return header + '\n';
}

std::string CliSummaryRows(const CliFileOutcome& o, const CliOptions* options) {
    std::string text;
    ForEachCliSeries(o, [&](const CliFieldContext& context) {
        bool first = true;
        for (const CliField& field : CliFields()) {
            if (!InSummary(field, options)) continue;
            if (!first) text += ',';
            first = false;
            text += Cell(field, context);
        }
        text += '\n';
    });
    return text;
}

std::string CliSummaryTable(const std::vector<CliFileOutcome>& outcomes, const CliOptions* options) {
    std::string text = CliSummaryHeader(options);
    for (const CliFileOutcome& o : outcomes) text += CliSummaryRows(o, options);
    return text;
}
