#pragma once

// Reading the record back as the results window shows it.

#include "results/types.h"

namespace store {
struct Database;
}  // namespace store

namespace results {

// Everything the results window shows, read in one go from the open bank (empty for a bank that recorded
// nothing yet). Throws store::Error.
Overview loadOverview(store::Database& data);

}  // namespace results
