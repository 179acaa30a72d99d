#pragma once

#include <memory>
#include <string>

#include "tests/support/fixture_db.h"

namespace bench {

// A 274-question bank numbered 0..273, 80 of them with a 160 x 200 picture (96 054-byte BMP) like the
// real bank's, in a temporary folder that stands in for the executable's.
std::unique_ptr<fixture::Folder> makeBank();

// The picture bytes the bank's pictures carry.
const std::string& questionPicture();

// Opens the four cursors on a fresh connection to the bank in `folder`, as start-up does, and closes them
// again; returns the number of questions.
int openFourCursors(const std::string& folder);

// The shipped bank (the file VELMARIS_BENCH_BANK names; run-bench builds it from bank/) copied `times`
// times over, numbers shifted by 274 each time, in the layout of the program's schema; and a twin of it
// that holds the same rows without the picture column. Null when VELMARIS_BENCH_BANK is not set.
struct ShippedBank {
    fixture::Folder folder;
    fixture::Folder noPictures;
};
std::unique_ptr<ShippedBank> shippedBank(int times);

}  // namespace bench
