#pragma once

#include <initializer_list>

class QWidget;

namespace app {

// Displays that show a value beside their caption (a clock, a count, a grade, a letter). Each keeps
// the accessible name it was given, its caption; assistive technologies get the value it shows as
// its description and value, and hear of every change as a description and value change. Labels and
// one-line text boxes are supported.
//
// A label's own accessible name is cleared: the caption moves to the label's accessible interface,
// so that the label goes on reporting each new text, which it does only while it has no name of its
// own.
void announceValues(std::initializer_list<QWidget*> displays);

}  // namespace app
