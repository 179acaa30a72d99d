#pragma once

#include <QString>

namespace app {

enum class FixedText { Welcome, Instructions };

// The fixed texts loaded into the welcome and instruction boxes, blanks and all.
QString fixedText(FixedText which);

}  // namespace app
