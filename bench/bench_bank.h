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

}  // namespace bench
