#pragma once

// The draw of a practice test from what the record says of the cadet (no bank: the caller reads both).

#include <functional>
#include <vector>

#include "results/types.h"

namespace results {

// The 30 questions of a practice test: the cadet's mistakes first (in the Overview's order, weakest Rules
// first), then questions never judged, then the others; each group after the mistakes in random order,
// `between(low, high)` giving a uniform integer in the closed range. Only numbers in `bankNumbers` are
// drawn, none twice; fewer than `count` only when the bank holds fewer.
std::vector<int> practiceQuestions(const Overview& overview, const std::vector<int>& bankNumbers, int count,
                                   const std::function<int(int low, int high)>& between);

}  // namespace results
