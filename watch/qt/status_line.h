// The program's status line as the watch-and-keep commands use it (through
// the program's face, app/program_face.h).
#pragma once

#include <QString>

namespace watch {

// Shows `text` in the status line (Latin-1, as the status line holds it: a
// character outside it becomes '?').
void SayInStatusLine(const QString& text);
// What the status line shows now.
QString StatusLineText();

}  // namespace watch
