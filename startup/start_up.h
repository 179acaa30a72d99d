#pragma once

class QApplication;

namespace startup {

// Fixes the look once, so that a desktop theme cannot change it, and the process-wide settings the
// program relies on.
void setUpApplication(QApplication& application);

}  // namespace startup
