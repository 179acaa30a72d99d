#pragma once

#include <string>

namespace bench {

// Gives the bank in `folder` a made history of `tests` graded tests, one a day back from 1 December
// 2026 at 10:00, each of 30 questions of the bank drawn at random (a fixed seed), about one answer in
// four wrong, grades from the count right, every fifth a practice test. The first is recorded as "Nota"
// records (which upgrades an older bank and names the student); the others go in as one transaction of
// the same rows, so that a thousand take a second.
void makeHistory(const std::string& folder, int tests);

}  // namespace bench
