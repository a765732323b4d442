// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file types of the Import dialog, one per log format of the import
// table, and what the window says when a file chosen with one of them gave
// no series.

#include "import/LogImport.h"
#include "platform/Dialogs.h"

#include <string>
#include <vector>

// The dialog's filters, in the order of the log formats.
std::vector<FILEFILTER> ImportFilters();
// The import type of a 1-based filter index (IMPORT_NONE when out of range)
// and the filter index of an import type (0 when it has none).
int ImportTypeOfFilter(int filterIndex);
int FilterOfImportType(int importType);

// Why a file read as `chosenType` gave no series, in one line, from the
// readers' own checks: the reason of a failed open or read, "The file is
// empty.", "The file is not a text file.", or that the content is a log of
// another format. Empty when the readers have nothing to add.
std::string ImportFailureReason(const ImportRequest& request, int chosenType, const ImportResult& result);
