// Fmt: the one form the system uses, "%<n>c<%<m>i" (m integers to at most n
// characters, two per integer, high byte first).
#include <cstring>

#include "runtime/utility.h"

namespace {

// Reads a decimal count at `p`; advances `p`. False when there is none or it
// is unreasonably large.
bool ReadCount(const char*& p, int* out) {
  if (*p < '0' || *p > '9') return false;
  long v = 0;
  while (*p >= '0' && *p <= '9') {
    v = v * 10 + (*p - '0');
    if (v > 1000000) return false;
    ++p;
  }
  *out = static_cast<int>(v);
  return true;
}

bool ParseFormat(const char* format, int* chars, int* ints) {
  const char* p = format;
  if (*p++ != '%' || !ReadCount(p, chars) || *p++ != 'c') return false;
  if (*p++ != '<' || *p++ != '%' || !ReadCount(p, ints) || *p++ != 'i') return false;
  return *p == '\0' && *chars > 0;
}

}  // namespace

int Fmt(char* target, const char* format, const int* source) {
  if (target == nullptr) return -1;
  int chars = 0, ints = 0;
  if (format == nullptr || !ParseFormat(format, &chars, &ints) || (ints > 0 && source == nullptr)) {
    target[0] = '\0';
    return -1;
  }
  int n = 0;
  for (int i = 0; i < ints && n < chars; ++i) {
    const unsigned word = static_cast<unsigned>(source[i]);
    const char pair[2] = {static_cast<char>((word >> 8) & 0xFFu), static_cast<char>(word & 0xFFu)};
    for (char c : pair) {
      if (c == '\0' || n == chars) {
        target[n] = '\0';
        return n;
      }
      target[n++] = c;
    }
  }
  target[n] = '\0';
  return n;
}
