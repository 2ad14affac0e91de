#include "resources.h"

#include <utility>

namespace vqskin {
namespace {

Texture Expand(const vq::skin::Bitmap& bitmap) {
  Texture texture;
  texture.width = bitmap.width;
  texture.height = bitmap.height;
  texture.pixels.reserve(bitmap.pixels.size());
  for (const std::uint8_t index : bitmap.pixels) texture.pixels.push_back(bitmap.palette[index]);
  return texture;
}

Font MakeCaptionFont(const vq::skin::CaptionFont& recipe) {
  LOGFONTA font{};
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) font = metrics.lfCaptionFont;
  font.lfHeight = -static_cast<LONG>(recipe.height);
  font.lfWidth = 0;
  font.lfWeight = recipe.weight;
  font.lfItalic = recipe.italic ? TRUE : FALSE;
  // The character set stays the system caption font's: asking for another
  // one lets the font mapper swap the face for one that covers that set.
  font.lfQuality = ANTIALIASED_QUALITY;
  if (!recipe.face.empty()) {
    lstrcpynA(font.lfFaceName, recipe.face.c_str(), LF_FACESIZE);
  }
  return Font(CreateFontIndirectA(&font));
}

// A texture as a device-independent bitmap for a pattern brush; transparent
// pixels show the colour behind.
Bitmap MakePattern(const Texture& texture, std::uint32_t behind) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = texture.width;
  info.bmiHeader.biHeight = -texture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return Bitmap();
  auto* out = static_cast<std::uint32_t*>(bits);
  for (std::size_t i = 0; i < texture.pixels.size(); ++i) {
    const std::uint32_t pixel = texture.pixels[i];
    out[i] = (pixel >> 24) != 0 ? (pixel & 0xFFFFFF) : behind;
  }
  return bitmap;
}

}  // namespace

SkinResources::SkinResources(vq::skin::Skin skin) : skin_(std::move(skin)) {
  for (const vq::skin::Bitmap& bitmap : skin_.bitmaps) textures_[bitmap.id] = Expand(bitmap);
  captionFont_ = MakeCaptionFont(skin_.caption.font);
  editBrush_.Reset(CreateSolidBrush(ToColorRef(skin_.window.editBackground)));
  if (const Texture* pattern = texture(skin_.window.texture)) {
    backgroundPattern_ = MakePattern(*pattern, skin_.window.background);
    if (backgroundPattern_) backgroundBrush_.Reset(CreatePatternBrush(backgroundPattern_.get()));
  }
  if (!backgroundBrush_) backgroundBrush_.Reset(CreateSolidBrush(ToColorRef(skin_.window.background)));
}

const Texture* SkinResources::texture(std::uint8_t id) const {
  if (id == 0 || id >= textures_.size() || textures_[id].pixels.empty()) return nullptr;
  return &textures_[id];
}

}  // namespace vqskin
