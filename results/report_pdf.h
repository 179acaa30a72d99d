#pragma once

#include <QString>

#include "results/types.h"

namespace results {

// The cadet's report for the instructor as an A4 PDF at `path`: who, every recorded test newest first,
// the COLREG Parts and the Rules weakest first, and the questions still answered wrong. The file is
// replaced only once it is whole. Throws store::Error (Romanian) when it cannot be written.
void writePdfReport(const Overview& overview, const QString& path);

}  // namespace results
