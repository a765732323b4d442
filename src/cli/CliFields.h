// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The per-series fields that the batch tool reports, each listed once: its
// JSON key (and the JSON object it sits in), its summary column, its unit,
// when it exists and how its value is read. The JSON document and the
// summary table both walk this table in its order, so a new field is one
// row.

#include "cli/CliEval.h"
#include "series/A1TimeSeries.h"

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

class CJsonWriter;
struct CliFileOutcome;
struct CliOptions;

// What a field's value is read from: the series and how it was evaluated.
struct CliFieldContext {
    const CliFileOutcome& outcome;
    std::size_t nSeries;  // position in outcome.aSeries
    const CA1TimeSeries& series;
    const CliEvaluation& evaluation;
    const LIFETIMELIMITS& limits;  // the probability lifetimes (zero without a model)
};

// When a field exists; otherwise it is null in the JSON and an empty cell.
enum class CliFieldExists {
    Always,
    CharFunc,   // the series has a characteristic function
    Model,      // the series has a model
    FitRun,     // the model fit ran in this evaluation
    Intervals,  // --intervals gave this series its intervals
    // The series has not stopped yet (while following); the JSON key is left
    // out, not null, where it does not exist.
    Provisional,
};

enum class CliFieldKind { Integer, Number, Bool, Text, Samples };

struct CliFieldValue {
    long long nInteger = 0;
    double dNumber = 0.0;
    bool bBool = false;
    std::string strText;
    const std::vector<A1SAMPLE>* pSamples = nullptr;
};

struct CliField {
    const char* szJsonKey;    // nullptr: not in the JSON
    const char* szJsonGroup;  // the object of the series' JSON object that holds it; nullptr: none
    const char* szColumn;     // summary column; nullptr: not in the summary
    const char* szUnit;       // "" when it has none
    CliFieldExists exists;
    CliFieldKind kind;
    CliFieldValue (*value)(const CliFieldContext& context);
    // A summary column appended only on request (nullptr: always there).
    bool (*requested)(const CliOptions& options) = nullptr;
    // A JSON value of its own shape (nullptr: written from value and kind).
    void (*writeJson)(CJsonWriter& json, const CliFieldContext& context) = nullptr;
};

// The fields, in the order of the JSON keys and of the summary columns.
std::span<const CliField> CliFields();

bool CliFieldExistsFor(const CliField& field, const CliFieldContext& context);

// Calls visit with the context of every series of the outcome, in order.
void ForEachCliSeries(const CliFileOutcome& outcome, const std::function<void(const CliFieldContext&)>& visit);
