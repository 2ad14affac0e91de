#include "values/codepage.h"

namespace vq {

// The native build has no system code page: it follows GBK (code page 936),
// the code page of the target systems.
bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

bool IsWellFormedText(const char* text, std::size_t length) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  for (std::size_t i = 0; i < length; ++i) {
    if (p[i] < 0x80) continue;
    if (p[i] == 0x80) continue;                      // the euro sign, one byte in 936
    if (p[i] == 0xFF) return false;                  // not a character of 936
    if (i + 1 >= length) return false;               // lead byte without its trail
    const unsigned char trail = p[i + 1];
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
    ++i;
  }
  return true;
}

}  // namespace vq
