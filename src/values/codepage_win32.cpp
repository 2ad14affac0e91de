#include <windows.h>

#include "values/codepage.h"

namespace vq {

bool IsLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }

bool IsWellFormedText(const char* text, std::size_t length) {
  if (length == 0) return true;
  if (length > 0x7FFFFFFF) return false;
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, static_cast<int>(length), nullptr, 0) > 0;
}

}  // namespace vq
