// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The --summary table: one CSV row per evaluated series (RFC 4180, LF line
// ends, fields quoted only when they need it). Numbers take the JSON's form;
// a value that does not exist or is not finite is an empty cell.

#include <string>
#include <string_view>
#include <vector>

struct CliFileOutcome;

// The header row, LF included.
std::string CliSummaryHeader(bool withIntervals = false);

// The rows of the series of one file, in their order.
std::string CliSummaryRows(const CliFileOutcome& outcome, bool withIntervals = false);

// Header and the rows of every file.
std::string CliSummaryTable(const std::vector<CliFileOutcome>& outcomes, bool withIntervals = false);

// One field: quoted, with quotes doubled, only when it holds a comma, a
// quote or a line break.
std::string CsvField(std::string_view text);
