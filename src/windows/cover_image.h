// A decoded cover, ready to draw: a bitmap, an icon, or a playing animation.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

namespace vq {

// What a drawing needs from its box; an animation reads it from its worker.
struct CoverPlacement {
  int displayMode = 0;
  COLORREF background = 0;
};

class DecodedCover {
 public:
  virtual ~DecodedCover() = default;
  // The image's own size (an animation's logical screen, a reduced JPEG's natural size).
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void Draw(HDC dc, const RECT& target, COLORREF background) = 0;
  // An animation starts its worker drawing into the box, and stops (joins) it here.
  virtual void Start(HWND, const CoverPlacement&) {}
  virtual void Stop() {}
  virtual void Place(const CoverPlacement&) {}
  virtual bool IsAnimated() const { return false; }
};

// Recognises the kind from the first bytes and decodes once; null when the
// bytes are of no known kind or do not decode. clientSize lets a JPEG decode
// at the smallest scale that still covers the box.
std::unique_ptr<DecodedCover> DecodeCover(const unsigned char* bytes, std::size_t length, SIZE clientSize,
                                          bool playAnimation);

// Draws 32-bit top-down pixels into the rectangle, stretching with smoothing
// on screens of more than 16 bits per pixel. Transparent pixels take the
// background colour.
void DrawPixels(HDC dc, const RECT& target, int width, int height, const std::uint32_t* pixels, bool hasTransparency,
                COLORREF background);

}  // namespace vq
