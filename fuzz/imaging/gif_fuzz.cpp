// Both ways the box decodes a GIF: every frame, and the first one only; the
// first frame must come out the same either way.
#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vq::imaging;
  auto all = DecodeGif(data, size, true);
  auto first = DecodeGif(data, size, false);
  if (all) fuzz::CheckAnimation(*all, true);
  if (first) fuzz::CheckAnimation(*first, false);
  if (all) fuzz::Require(first && first->frames[0].image.pixels == all->frames[0].image.pixels);
  return 0;
}
