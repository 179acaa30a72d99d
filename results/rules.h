#pragma once

// The Rule and the COLREG Part a question counts under, read from text alone (no bank).

#include <QString>

#include <vector>

namespace results {

// The Rule of a question from its R1 field: "14(a), 14(b)" -> "Regula 14", "Anexa I 2(a)(i)" -> "Anexa I";
// any other text stands as it is, trimmed (a typed correction), empty as "Fără regulă".
QString ruleOf(const QString& r1);
// The COLREG Part of a Rule: "Partea A" (Rules 1-3) ... "Partea F" (39-41), "Anexe"; empty for none.
QString partOf(const QString& rule);
// The Parts in their order, as the CSV's columns and the results window name them.
const std::vector<QString>& partNames();

}  // namespace results
