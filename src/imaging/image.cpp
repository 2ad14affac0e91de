#include <new>

#include "imaging/caps.h"

namespace vq::imaging {

bool AllocateImage(Image& image, int width, int height, std::uint32_t fill) noexcept {
  if (width <= 0 || height <= 0) return false;
  std::uint64_t pixels = 0;
  if (!CheckedMul(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), pixels) ||
      pixels > kMaxImagePixels)
    return false;
  try {
    image.pixels.assign(static_cast<std::size_t>(pixels), fill);
  } catch (const std::bad_alloc&) {
    image.pixels.clear();
    return false;
  }
  image.width = width;
  image.height = height;
  return true;
}

}  // namespace vq::imaging
