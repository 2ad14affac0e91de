#include "values/codepage.h"

namespace vq {

const char* FindLastSeparator(const char* text) {
  const char* found = nullptr;
  for (const char* p = text; *p != '\0';) {
    if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
      p += 2;  // the second byte is never a separator
      continue;
    }
    if (*p == '\\') found = p;
    ++p;
  }
  return found;
}

}  // namespace vq
