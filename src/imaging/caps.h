// Memory and work caps that hold whatever a file declares, and the
// overflow-safe arithmetic the decoders size things with.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/imaging.h"

namespace vq::imaging {

// Largest image any decoder makes: 64 megapixels, 256 MiB of pixels.
inline constexpr std::uint64_t kMaxImagePixels = 64ull * 1024 * 1024;
// GIF: frames in one animation, and pixels of all composited frames together
// (256 MiB of pixels); the same count bounds the pixels the LZW decoder may
// produce over all frames, frames reaching past the screen included.
inline constexpr std::size_t kMaxGifFrames = 4096;
inline constexpr std::uint64_t kMaxGifTotalPixels = 64ull * 1024 * 1024;
// libjpeg's own working memory (its max_memory_to_use); a progressive image
// larger than this needs would need a backing store, which the library
// refuses, so the decode fails.
inline constexpr long kMaxJpegWorkingMemory = 256L * 1024 * 1024;
// Scans of a multi-scan JPEG, times the image's pixels: a file of many tiny
// scans would otherwise make the decoder walk the whole image once per scan.
inline constexpr std::uint64_t kMaxJpegScanPixels = 2048ull * 1024 * 1024;
inline constexpr int kMaxJpegScans = 1000;

// False when the exact result (of any integer operands) does not fit in the
// result's type.
template <typename A, typename B, typename T>
bool CheckedAdd(A a, B b, T& sum) {
  return !__builtin_add_overflow(a, b, &sum);
}
template <typename A, typename B, typename T>
bool CheckedMul(A a, B b, T& product) {
  return !__builtin_mul_overflow(a, b, &product);
}

// Sizes image to width x height, every pixel `fill`, within kMaxImagePixels. False for a non-positive size, one over the cap, or memory
// that cannot be had.
bool AllocateImage(Image& image, int width, int height, std::uint32_t fill) noexcept;

// For a decoder that writes every pixel row by row: sets the size and
// reserves the pixels without touching them; AppendRows then grows the
// pixels by `rows` rows (zeroed while they are still in the cache, just
// before the decoder overwrites them) and returns the first of them. Saves
// a pass over the whole image before decoding.
bool ReserveImage(Image& image, int width, int height) noexcept;
std::uint32_t* AppendRows(Image& image, int rows) noexcept;

// Pixel value of B,G,R,A bytes in memory order.
inline std::uint32_t PackBgra(std::uint8_t blue, std::uint8_t green, std::uint8_t red,
                              std::uint8_t alpha) {
  const std::uint8_t bytes[4] = {blue, green, red, alpha};
  std::uint32_t pixel;
  __builtin_memcpy(&pixel, bytes, sizeof pixel);
  return pixel;
}

}  // namespace vq::imaging
