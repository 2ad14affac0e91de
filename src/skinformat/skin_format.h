// The skin format .VQS: what the skin engine reads, what the skin compiler
// writes. Portable code: the engine (Win32) and the host-built compiler share
// it, and the fuzzer hammers the parser.
//
// Layout (all integers little-endian, see docs/skin-format.md):
//   ".VQS"  u16 version (1)  u16 chunk count
//   chunk*: 4-byte tag, u32 payload length, payload
// Chunks INFO, WIND, CAPT, FRAM, CBOX and BUTN appear exactly once; BMAP (an
// indexed bitmap) up to kMaxBitmaps times; unknown tags are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vq::skin {

inline constexpr std::uint16_t kFormatVersion = 1;
inline constexpr std::size_t kMaxSkinBytes = 1u << 20;
inline constexpr std::size_t kMaxChunks = 64;
inline constexpr std::size_t kMaxBitmaps = 8;
inline constexpr std::size_t kMaxBitmapSide = 64;
inline constexpr std::size_t kMaxPaletteEntries = 64;
inline constexpr std::size_t kMaxNameBytes = 40;
inline constexpr std::size_t kMaxFaceBytes = 31;

// Colours are 0xRRGGBB. Palette entries are 0xAARRGGBB, alpha 0 or 255.
using Colour = std::uint32_t;

enum class CaptionFill : std::uint8_t { Solid, VerticalGradient, HorizontalGradient, Glossy, Texture, Count };
enum class TextAlign : std::uint8_t { Left, Centre, Count };
enum class CornerShape : std::uint8_t { Square, Round, RoundTop, Chamfer, Count };
enum class FrameStyle : std::uint8_t { Flat, Raised, Double, Count };
enum class CloseBoxShape : std::uint8_t { Square, RoundRect, Circle, GlyphOnly, Tab, Count };
enum class ButtonShape : std::uint8_t { Flat, Bevel, RoundRect, Pill, Gradient, Outline, Count };
enum class FocusMark : std::uint8_t { DottedRect, ThickBorder, Underline, Count };

struct Bitmap {
  std::uint8_t id = 0;  // 1..kMaxBitmaps, referred to by texture fields
  std::uint8_t width = 0;
  std::uint8_t height = 0;
  std::vector<std::uint32_t> palette;  // 0xAARRGGBB
  std::vector<std::uint8_t> pixels;    // width * height palette indexes, rows top to bottom
  bool operator==(const Bitmap&) const = default;
};

struct WindowLook {
  Colour background = 0;
  Colour text = 0;
  Colour editBackground = 0;
  Colour editText = 0;
  Colour editBorder = 0;
  std::uint8_t texture = 0;  // bitmap id tiled behind the client area; 0 none
  bool operator==(const WindowLook&) const = default;
};

struct CaptionState {
  Colour top = 0;
  Colour bottom = 0;
  Colour text = 0;
  std::uint8_t texture = 0;  // bitmap id tiled over the fill; 0 none
  bool operator==(const CaptionState&) const = default;
};

struct CaptionFont {
  std::string face;  // printable ASCII; empty means the system's caption face
  std::uint8_t height = 0;    // pixels, 8..40
  std::uint16_t weight = 0;   // 100..900
  bool italic = false;
  bool operator==(const CaptionFont&) const = default;
};

struct CaptionLook {
  std::uint8_t height = 0;  // pixels, 14..40
  CaptionFill fill = CaptionFill::Solid;
  CaptionState active;
  CaptionState inactive;
  TextAlign align = TextAlign::Left;
  bool shadow = false;
  Colour shadowColour = 0;
  bool showIcon = false;
  std::uint8_t indent = 0;  // pixels between the frame and the icon or text, 0..32
  CaptionFont font;
  bool operator==(const CaptionLook&) const = default;
};

struct FrameLook {
  std::uint8_t width = 0;   // pixels, 1..12
  CornerShape corners = CornerShape::Square;
  std::uint8_t radius = 0;  // pixels, 0..24
  FrameStyle style = FrameStyle::Flat;
  Colour outer = 0;
  Colour activeFill = 0;
  Colour inactiveFill = 0;
  Colour inner = 0;
  bool operator==(const FrameLook&) const = default;
};

struct PaintPair {
  Colour face = 0;
  Colour glyph = 0;
  bool operator==(const PaintPair&) const = default;
};

struct CloseBoxLook {
  CloseBoxShape shape = CloseBoxShape::Square;
  std::uint8_t size = 0;       // pixels, 8..40, never taller than the caption
  std::uint8_t margin = 0;     // pixels from the right frame, 0..32
  std::uint8_t thickness = 0;  // glyph stroke, 1..5
  PaintPair normal;
  PaintPair hot;
  PaintPair pressed;
  Colour border = 0;
  Colour inactiveGlyph = 0;
  bool operator==(const CloseBoxLook&) const = default;
};

struct ButtonState {
  Colour top = 0;
  Colour bottom = 0;
  Colour border = 0;
  Colour text = 0;
  bool operator==(const ButtonState&) const = default;
};

struct ButtonLook {
  ButtonShape shape = ButtonShape::Flat;
  std::uint8_t radius = 0;       // 0..16
  std::uint8_t borderWidth = 0;  // 0..4
  ButtonState normal;
  ButtonState hot;
  ButtonState pressed;
  ButtonState disabled;
  FocusMark focus = FocusMark::DottedRect;
  Colour focusColour = 0;
  Colour defaultBorder = 0;
  bool operator==(const ButtonLook&) const = default;
};

struct Skin {
  std::string name;  // printable ASCII, 1..kMaxNameBytes
  WindowLook window;
  CaptionLook caption;
  FrameLook frame;
  CloseBoxLook closeBox;
  ButtonLook button;
  std::vector<Bitmap> bitmaps;
  bool operator==(const Skin&) const = default;

  // The bitmap with that id, or null (also for id 0).
  const Bitmap* FindBitmap(std::uint8_t id) const;
};

enum class SkinError {
  None,
  TooLarge,
  BadMagic,
  BadVersion,
  Truncated,
  TooManyChunks,
  BadChunkLength,
  DuplicateChunk,
  MissingChunk,
  BadValue,
  TrailingBytes,
};

const char* DescribeSkinError(SkinError error);

// Checks every range and reference of the skin; None when it may be written
// or used.
SkinError ValidateSkin(const Skin& skin);

// Reads a whole .VQS image. On any error out is left in an unspecified but
// valid state. Never reads outside bytes.
SkinError ParseSkin(std::span<const std::uint8_t> bytes, Skin& out);

// The .VQS image of a valid skin (check with ValidateSkin first; an invalid
// skin gives an empty result).
std::vector<std::uint8_t> WriteSkin(const Skin& skin);

}  // namespace vq::skin
