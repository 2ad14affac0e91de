#include <new>

#include "imaging/caps.h"

namespace vq::imaging {

namespace {

bool PixelCount(int width, int height, std::uint64_t& pixels) {
  return width > 0 && height > 0 &&
         CheckedMul(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), pixels) &&
         pixels <= kMaxImagePixels;
}

}  // namespace

bool ReserveImage(Image& image, int width, int height) noexcept {
  std::uint64_t pixels = 0;
  if (!PixelCount(width, height, pixels)) return false;
  try {
    image.pixels.clear();
    image.pixels.reserve(static_cast<std::size_t>(pixels));
  } catch (const std::bad_alloc&) {
    return false;
  }
  image.width = width;
  image.height = height;
  return true;
}

std::uint32_t* AppendRows(Image& image, int rows) noexcept {
  const std::size_t first = image.pixels.size();
  const std::size_t added = static_cast<std::size_t>(rows) * static_cast<std::size_t>(image.width);
  if (rows <= 0 || added > image.pixels.capacity() - first) return nullptr;
  image.pixels.resize(first + added);  // within the capacity: no allocation, cannot throw
  return image.pixels.data() + first;
}

bool AllocateImage(Image& image, int width, int height, std::uint32_t fill) noexcept {
  std::uint64_t pixels = 0;
  if (!PixelCount(width, height, pixels)) return false;
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
