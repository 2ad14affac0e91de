// libFuzzer target: the .VQS parser on arbitrary bytes. Whatever it accepts
// must be valid, write back, and read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "skinformat/skin_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vq::skin::Skin skin;
  if (vq::skin::ParseSkin(std::span<const std::uint8_t>(data, size), skin) != vq::skin::SkinError::None) return 0;
  if (vq::skin::ValidateSkin(skin) != vq::skin::SkinError::None) std::abort();
  const auto image = vq::skin::WriteSkin(skin);
  vq::skin::Skin back;
  if (vq::skin::ParseSkin(image, back) != vq::skin::SkinError::None || !(back == skin)) std::abort();
  return 0;
}
