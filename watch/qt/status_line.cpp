#include "watch/qt/status_line.h"

#include "app/program_face.h"

namespace watch {

void SayInStatusLine(const QString& text) {
  ::SayInStatusLine(text.toLatin1().constData());
}

QString StatusLineText() {
  char shown[256] = "";
  GetStatusLine(shown, sizeof shown);
  return QString::fromLatin1(shown);
}

}  // namespace watch
