// A decoded cover, ready to draw: a bitmap, an icon, or a playing animation.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

namespace vq {

class DecodedCover {
 public:
  virtual ~DecodedCover() = default;
  // The image's own size (an animation's logical screen).
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void Draw(HDC dc, const RECT& target) = 0;
  // An animation starts its worker drawing into the box, and stops it here.
  virtual void Start(HWND) {}
  virtual void Stop() {}
};

// Recognises the kind from the first bytes and decodes once; null when the
// bytes are of no known kind or do not decode. clientSize lets a JPEG decode
// at the smallest scale that still covers the box.
std::unique_ptr<DecodedCover> DecodeCover(const unsigned char* bytes, std::size_t length, SIZE clientSize,
                                          bool playAnimation);

}  // namespace vq
