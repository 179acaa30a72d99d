#pragma once

#include <QString>

#include "store/table_cursor.h"

class QKeyEvent;

namespace store {

// Rules the text and letter views share for the user's editing.

// True for a key press that would change the text: typing, deleting, line breaks, cut, paste, undo.
bool changesText(const QKeyEvent* event, bool multiLine);

// True when the field can hold the character; a number field takes only what a number is written with.
bool fieldAccepts(const TableCursor::Column* column, QChar c);

}  // namespace store
