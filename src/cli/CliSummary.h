// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The --summary table: one CSV row per evaluated series (RFC 4180, LF line
// ends, fields quoted only when they need it). Numbers take the JSON's form;
// a value that does not exist or is not finite is an empty cell.

#include <string>
#include <string_view>
#include <vector>

struct CliFileOutcome;
struct CliOptions;

// The columns are those of the reported fields (CliFields) that have one;
// the columns appended on request are there only when the options request
// them (none without options).

// The header row, LF included.
std::string CliSummaryHeader(const CliOptions* options = nullptr);

// The rows of the series of one file, in their order.
std::string CliSummaryRows(const CliFileOutcome& outcome, const CliOptions* options = nullptr);

// Header and the rows of every file.
std::string CliSummaryTable(const std::vector<CliFileOutcome>& outcomes, const CliOptions* options = nullptr);

// One field: quoted, with quotes doubled, only when it holds a comma, a
// quote or a line break.
std::string CsvField(std::string_view text);
