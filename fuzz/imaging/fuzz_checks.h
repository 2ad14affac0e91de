// What every decoded result must satisfy, whatever the input: checked in
// each fuzz target so a wrong size is a crash, not a silent pass.
#pragma once

#include <cstdlib>

#include "imaging/imaging.h"

namespace vq::imaging::fuzz {

inline void Require(bool condition) {
  if (!condition) std::abort();
}

inline void CheckImage(const Image& image) {
  Require(image.width > 0 && image.height > 0);
  Require(image.pixels.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
  Require(image.pixels.size() <= 64u * 1024 * 1024);
}

inline void CheckAnimation(const GifAnimation& animation, bool allFrames) {
  Require(!animation.frames.empty());
  Require(allFrames || animation.frames.size() == 1);
  for (const GifFrame& frame : animation.frames) {
    CheckImage(frame.image);
    Require(frame.image.width == animation.width && frame.image.height == animation.height);
    Require(frame.delayMs >= 20);
  }
}

inline void CheckIconEntry(const IconEntry& entry, std::size_t size) {
  Require(entry.size > 0 && entry.offset < size && entry.size <= size - entry.offset);
  Require(entry.width >= 1 && entry.width <= 256 && entry.height >= 1 && entry.height <= 256);
}

}  // namespace vq::imaging::fuzz
