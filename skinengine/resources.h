// The GDI side of one skin: its caption font, brushes and textures, made once
// when the skin is attached and kept until the engine lets go of it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

#include "gdi.h"
#include "skinformat/skin_format.h"

namespace vqskin {

// A bitmap of the skin expanded to 0xAARRGGBB pixels (alpha 0 or 255).
struct Texture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

class SkinResources {
 public:
  explicit SkinResources(vq::skin::Skin skin);
  SkinResources(const SkinResources&) = delete;
  SkinResources& operator=(const SkinResources&) = delete;

  const vq::skin::Skin& skin() const { return skin_; }
  HFONT captionFont() const { return captionFont_.get(); }
  // The client-area background: the window colour, or the window texture as
  // a pattern brush laid over it.
  HBRUSH backgroundBrush() const { return backgroundBrush_.get(); }
  HBRUSH editBrush() const { return editBrush_.get(); }
  bool backgroundIsTextured() const { return skin_.window.texture != 0; }
  // Null for id 0 or an id the skin has no bitmap for.
  const Texture* texture(std::uint8_t id) const;

 private:
  vq::skin::Skin skin_;
  std::array<Texture, vq::skin::kMaxBitmaps + 1> textures_;
  Font captionFont_;
  Brush backgroundBrush_;
  Brush editBrush_;
  Bitmap backgroundPattern_;
};

}  // namespace vqskin
