#pragma once

#include <QString>

namespace app {

// The title the program goes by: the executable's file name without its folder, cut at the first
// full stop, every character after the first in lower case ("VELMARIS.V2.EXE" -> "Velmaris").
QString applicationTitle(const QString& executablePath);

// The title of the running program, taken once from its own executable.
const QString& runningTitle();

// A failure's message as the error box shows it: a full stop is added unless the text already ends in
// one or in a character that sorts before it (blank, "!", comma, hyphen and the like).
QString withFullStop(const QString& message);

}  // namespace app
