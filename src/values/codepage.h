// Walking texts of the system code page (GBK on the target systems), where a
// character is one or two bytes and a second byte may be 0x5C, the "\" byte.
#pragma once

#include <cstddef>

namespace vq {

// Platform part: whether b starts a two-byte character of the system code page.
bool IsLeadByte(unsigned char b);
// Platform part: whether the bytes are a well-formed text of the code page
// (every lead byte followed by a valid second byte).
bool IsWellFormedText(const char* text, std::size_t length);

// The last "\" of the text that is a separator rather than the second byte of
// a two-byte character; null when there is none.
const char* FindLastSeparator(const char* text);

}  // namespace vq
