#include "skinformat/skin_format.h"

#include <array>
#include <cstring>

namespace vq::skin {
namespace {

constexpr std::array<char, 4> kMagic{'.', 'V', 'Q', 'S'};
constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kChunkHeaderBytes = 8;

using Tag = std::array<char, 4>;
constexpr Tag kInfo{'I', 'N', 'F', 'O'};
constexpr Tag kWind{'W', 'I', 'N', 'D'};
constexpr Tag kCapt{'C', 'A', 'P', 'T'};
constexpr Tag kFram{'F', 'R', 'A', 'M'};
constexpr Tag kCbox{'C', 'B', 'O', 'X'};
constexpr Tag kButn{'B', 'U', 'T', 'N'};
constexpr Tag kBmap{'B', 'M', 'A', 'P'};

constexpr std::size_t kWindBytes = 5 * 4 + 1;
constexpr std::size_t kCaptFixedBytes = 2 + 2 * 13 + 1 + 1 + 4 + 1 + 1 + 1 + 2 + 1 + 1;
constexpr std::size_t kFramBytes = 4 + 4 * 4;
constexpr std::size_t kCboxBytes = 4 + 8 * 4;
constexpr std::size_t kButnBytes = 3 + 4 * 16 + 1 + 2 * 4;

// Sequential little-endian reads over a span. A read past the end fails once
// and for good: later reads give zeros and ok() stays false.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  std::size_t remaining() const { return bytes_.size() - position_; }
  bool AtEnd() const { return position_ == bytes_.size(); }

  std::uint8_t U8() {
    if (!Need(1)) return 0;
    return bytes_[position_++];
  }
  std::uint16_t U16() {
    if (!Need(2)) return 0;
    const std::uint16_t value = static_cast<std::uint16_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
    position_ += 2;
    return value;
  }
  std::uint32_t U32() {
    if (!Need(4)) return 0;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes_[position_ + static_cast<std::size_t>(i)];
    position_ += 4;
    return value;
  }
  std::span<const std::uint8_t> Take(std::size_t count) {
    if (!Need(count)) return {};
    const auto part = bytes_.subspan(position_, count);
    position_ += count;
    return part;
  }

 private:
  bool Need(std::size_t count) {
    if (ok_ && count <= remaining()) return true;
    ok_ = false;
    return false;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

class Writer {
 public:
  void U8(std::uint32_t value) { bytes_.push_back(static_cast<std::uint8_t>(value)); }
  void U16(std::uint32_t value) {
    U8(value & 0xFF);
    U8((value >> 8) & 0xFF);
  }
  void U32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) U8((value >> (8 * i)) & 0xFF);
  }
  void Raw(const void* data, std::size_t count) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + count);
  }
  std::vector<std::uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

bool IsPrintableAscii(const std::string& text) {
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

bool IsColour(Colour colour) { return (colour & 0xFF000000u) == 0; }

template <typename Enum>
bool InEnum(Enum value) {
  return static_cast<std::uint8_t>(value) < static_cast<std::uint8_t>(Enum::Count);
}

template <typename Enum>
Enum ReadEnum(Reader& in, bool& inRange) {
  const std::uint8_t raw = in.U8();
  if (raw >= static_cast<std::uint8_t>(Enum::Count)) inRange = false;
  return static_cast<Enum>(raw);
}

bool ReadFlag(Reader& in, bool& inRange) {
  const std::uint8_t raw = in.U8();
  if (raw > 1) inRange = false;
  return raw == 1;
}

bool BitmapValid(const Bitmap& bitmap) {
  if (bitmap.id < 1 || bitmap.id > kMaxBitmaps) return false;
  if (bitmap.width < 1 || bitmap.width > kMaxBitmapSide) return false;
  if (bitmap.height < 1 || bitmap.height > kMaxBitmapSide) return false;
  if (bitmap.palette.empty() || bitmap.palette.size() > kMaxPaletteEntries) return false;
  for (const std::uint32_t entry : bitmap.palette) {
    const std::uint32_t alpha = entry >> 24;
    if (alpha != 0 && alpha != 0xFF) return false;
  }
  if (bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) * bitmap.height) return false;
  for (const std::uint8_t index : bitmap.pixels) {
    if (index >= bitmap.palette.size()) return false;
  }
  return true;
}

bool TextureValid(const Skin& skin, std::uint8_t id) { return id == 0 || skin.FindBitmap(id) != nullptr; }

void WriteChunk(Writer& out, const Tag& tag, const std::vector<std::uint8_t>& payload) {
  out.Raw(tag.data(), tag.size());
  out.U32(static_cast<std::uint32_t>(payload.size()));
  out.Raw(payload.data(), payload.size());
}

void WriteCaptionState(Writer& out, const CaptionState& state) {
  out.U32(state.top);
  out.U32(state.bottom);
  out.U32(state.text);
  out.U8(state.texture);
}

CaptionState ReadCaptionState(Reader& in) {
  CaptionState state;
  state.top = in.U32();
  state.bottom = in.U32();
  state.text = in.U32();
  state.texture = in.U8();
  return state;
}

void WriteButtonState(Writer& out, const ButtonState& state) {
  out.U32(state.top);
  out.U32(state.bottom);
  out.U32(state.border);
  out.U32(state.text);
}

ButtonState ReadButtonState(Reader& in) {
  ButtonState state;
  state.top = in.U32();
  state.bottom = in.U32();
  state.border = in.U32();
  state.text = in.U32();
  return state;
}

// Each chunk reader consumes exactly its payload; the caller checks ok() and
// AtEnd() so a wrong length is caught whatever the chunk.
void ReadInfo(Reader& in, Skin& skin) {
  const std::uint8_t length = in.U8();
  const auto name = in.Take(length);
  skin.name.assign(name.begin(), name.end());
}

void ReadWind(Reader& in, Skin& skin) {
  WindowLook& w = skin.window;
  w.background = in.U32();
  w.text = in.U32();
  w.editBackground = in.U32();
  w.editText = in.U32();
  w.editBorder = in.U32();
  w.texture = in.U8();
}

void ReadCapt(Reader& in, Skin& skin, bool& inRange) {
  CaptionLook& c = skin.caption;
  c.height = in.U8();
  c.fill = ReadEnum<CaptionFill>(in, inRange);
  c.active = ReadCaptionState(in);
  c.inactive = ReadCaptionState(in);
  c.align = ReadEnum<TextAlign>(in, inRange);
  c.shadow = ReadFlag(in, inRange);
  c.shadowColour = in.U32();
  c.showIcon = ReadFlag(in, inRange);
  c.indent = in.U8();
  c.font.height = in.U8();
  c.font.weight = in.U16();
  c.font.italic = ReadFlag(in, inRange);
  const std::uint8_t faceLength = in.U8();
  const auto face = in.Take(faceLength);
  c.font.face.assign(face.begin(), face.end());
}

void ReadFram(Reader& in, Skin& skin, bool& inRange) {
  FrameLook& f = skin.frame;
  f.width = in.U8();
  f.corners = ReadEnum<CornerShape>(in, inRange);
  f.radius = in.U8();
  f.style = ReadEnum<FrameStyle>(in, inRange);
  f.outer = in.U32();
  f.activeFill = in.U32();
  f.inactiveFill = in.U32();
  f.inner = in.U32();
}

void ReadCbox(Reader& in, Skin& skin, bool& inRange) {
  CloseBoxLook& b = skin.closeBox;
  b.shape = ReadEnum<CloseBoxShape>(in, inRange);
  b.size = in.U8();
  b.margin = in.U8();
  b.thickness = in.U8();
  for (PaintPair* pair : {&b.normal, &b.hot, &b.pressed}) {
    pair->face = in.U32();
    pair->glyph = in.U32();
  }
  b.border = in.U32();
  b.inactiveGlyph = in.U32();
}

void ReadButn(Reader& in, Skin& skin, bool& inRange) {
  ButtonLook& b = skin.button;
  b.shape = ReadEnum<ButtonShape>(in, inRange);
  b.radius = in.U8();
  b.borderWidth = in.U8();
  b.normal = ReadButtonState(in);
  b.hot = ReadButtonState(in);
  b.pressed = ReadButtonState(in);
  b.disabled = ReadButtonState(in);
  b.focus = ReadEnum<FocusMark>(in, inRange);
  b.focusColour = in.U32();
  b.defaultBorder = in.U32();
}

void ReadBmap(Reader& in, Skin& skin) {
  Bitmap bitmap;
  bitmap.id = in.U8();
  bitmap.width = in.U8();
  bitmap.height = in.U8();
  const std::uint8_t paletteCount = in.U8();
  // Bound the reads by what is actually there before sizing anything.
  if (static_cast<std::size_t>(paletteCount) * 4 > in.remaining()) {
    in.Take(in.remaining() + 1);
    return;
  }
  bitmap.palette.reserve(paletteCount);
  for (std::uint8_t i = 0; i < paletteCount; ++i) bitmap.palette.push_back(in.U32());
  const auto pixels = in.Take(static_cast<std::size_t>(bitmap.width) * bitmap.height);
  bitmap.pixels.assign(pixels.begin(), pixels.end());
  skin.bitmaps.push_back(std::move(bitmap));
}

}  // namespace

const Bitmap* Skin::FindBitmap(std::uint8_t id) const {
  if (id == 0) return nullptr;
  for (const Bitmap& bitmap : bitmaps) {
    if (bitmap.id == id) return &bitmap;
  }
  return nullptr;
}

const char* DescribeSkinError(SkinError error) {
  switch (error) {
    case SkinError::None: return "no error";
    case SkinError::TooLarge: return "image larger than 1 MiB";
    case SkinError::BadMagic: return "not a .VQS image";
    case SkinError::BadVersion: return "unsupported version";
    case SkinError::Truncated: return "truncated";
    case SkinError::TooManyChunks: return "too many chunks";
    case SkinError::BadChunkLength: return "chunk length does not match its contents";
    case SkinError::DuplicateChunk: return "chunk given twice";
    case SkinError::MissingChunk: return "required chunk missing";
    case SkinError::BadValue: return "value out of range";
    case SkinError::TrailingBytes: return "bytes after the last chunk";
  }
  return "unknown error";
}

SkinError ValidateSkin(const Skin& skin) {
  const auto bad = SkinError::BadValue;
  if (skin.name.empty() || skin.name.size() > kMaxNameBytes || !IsPrintableAscii(skin.name)) return bad;
  if (skin.bitmaps.size() > kMaxBitmaps) return bad;
  for (std::size_t i = 0; i < skin.bitmaps.size(); ++i) {
    if (!BitmapValid(skin.bitmaps[i])) return bad;
    for (std::size_t j = 0; j < i; ++j) {
      if (skin.bitmaps[j].id == skin.bitmaps[i].id) return bad;
    }
  }

  const WindowLook& w = skin.window;
  for (const Colour c : {w.background, w.text, w.editBackground, w.editText, w.editBorder}) {
    if (!IsColour(c)) return bad;
  }
  if (!TextureValid(skin, w.texture)) return bad;

  const CaptionLook& c = skin.caption;
  if (c.height < 14 || c.height > 40 || !InEnum(c.fill) || !InEnum(c.align)) return bad;
  for (const CaptionState* state : {&c.active, &c.inactive}) {
    if (!IsColour(state->top) || !IsColour(state->bottom) || !IsColour(state->text)) return bad;
    if (!TextureValid(skin, state->texture)) return bad;
    if (c.fill == CaptionFill::Texture && state->texture == 0) return bad;
  }
  if (!IsColour(c.shadowColour) || c.indent > 32) return bad;
  if (c.font.height < 8 || c.font.height > 40 || c.font.weight < 100 || c.font.weight > 900) return bad;
  if (c.font.face.size() > kMaxFaceBytes || !IsPrintableAscii(c.font.face)) return bad;

  const FrameLook& f = skin.frame;
  if (f.width < 1 || f.width > 12 || !InEnum(f.corners) || f.radius > 24 || !InEnum(f.style)) return bad;
  for (const Colour colour : {f.outer, f.activeFill, f.inactiveFill, f.inner}) {
    if (!IsColour(colour)) return bad;
  }

  const CloseBoxLook& b = skin.closeBox;
  if (!InEnum(b.shape) || b.size < 8 || b.size > 40 || b.size > c.height) return bad;
  if (b.margin > 32 || b.thickness < 1 || b.thickness > 5) return bad;
  for (const Colour colour : {b.normal.face, b.normal.glyph, b.hot.face, b.hot.glyph, b.pressed.face,
                              b.pressed.glyph, b.border, b.inactiveGlyph}) {
    if (!IsColour(colour)) return bad;
  }

  const ButtonLook& p = skin.button;
  if (!InEnum(p.shape) || p.radius > 16 || p.borderWidth > 4 || !InEnum(p.focus)) return bad;
  for (const ButtonState* state : {&p.normal, &p.hot, &p.pressed, &p.disabled}) {
    for (const Colour colour : {state->top, state->bottom, state->border, state->text}) {
      if (!IsColour(colour)) return bad;
    }
  }
  if (!IsColour(p.focusColour) || !IsColour(p.defaultBorder)) return bad;
  return SkinError::None;
}

SkinError ParseSkin(std::span<const std::uint8_t> bytes, Skin& out) {
  out = Skin();
  if (bytes.size() > kMaxSkinBytes) return SkinError::TooLarge;
  if (bytes.size() < kHeaderBytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), kMagic.data(), 4) != 0 ? SkinError::BadMagic
                                                                                  : SkinError::Truncated;
  }
  if (std::memcmp(bytes.data(), kMagic.data(), 4) != 0) return SkinError::BadMagic;
  Reader in(bytes.subspan(4));
  if (in.U16() != kFormatVersion) return SkinError::BadVersion;
  const std::uint16_t chunkCount = in.U16();
  if (chunkCount > kMaxChunks) return SkinError::TooManyChunks;

  const std::array<Tag, 6> required{kInfo, kWind, kCapt, kFram, kCbox, kButn};
  std::array<bool, 6> seen{};
  bool inRange = true;
  for (std::uint16_t i = 0; i < chunkCount; ++i) {
    if (in.remaining() < kChunkHeaderBytes) return SkinError::Truncated;
    Tag tag;
    const auto tagBytes = in.Take(4);
    std::memcpy(tag.data(), tagBytes.data(), 4);
    const std::uint32_t length = in.U32();
    if (length > in.remaining()) return SkinError::Truncated;
    Reader chunk(in.Take(length));

    std::size_t slot = required.size();
    for (std::size_t r = 0; r < required.size(); ++r) {
      if (required[r] == tag) slot = r;
    }
    if (slot < required.size()) {
      if (seen[slot]) return SkinError::DuplicateChunk;
      seen[slot] = true;
    }
    if (tag == kInfo) {
      ReadInfo(chunk, out);
    } else if (tag == kWind) {
      if (length != kWindBytes) return SkinError::BadChunkLength;
      ReadWind(chunk, out);
    } else if (tag == kCapt) {
      if (length < kCaptFixedBytes) return SkinError::BadChunkLength;
      ReadCapt(chunk, out, inRange);
    } else if (tag == kFram) {
      if (length != kFramBytes) return SkinError::BadChunkLength;
      ReadFram(chunk, out, inRange);
    } else if (tag == kCbox) {
      if (length != kCboxBytes) return SkinError::BadChunkLength;
      ReadCbox(chunk, out, inRange);
    } else if (tag == kButn) {
      if (length != kButnBytes) return SkinError::BadChunkLength;
      ReadButn(chunk, out, inRange);
    } else if (tag == kBmap) {
      if (out.bitmaps.size() == kMaxBitmaps) return SkinError::BadValue;
      ReadBmap(chunk, out);
    } else {
      continue;  // a chunk of a later writer: skipped whole
    }
    if (!chunk.ok() || !chunk.AtEnd()) return SkinError::BadChunkLength;
  }
  if (!in.AtEnd()) return SkinError::TrailingBytes;
  for (const bool present : seen) {
    if (!present) return SkinError::MissingChunk;
  }
  if (!inRange) return SkinError::BadValue;
  return ValidateSkin(out);
}

std::vector<std::uint8_t> WriteSkin(const Skin& skin) {
  if (ValidateSkin(skin) != SkinError::None) return {};
  std::vector<std::pair<Tag, std::vector<std::uint8_t>>> chunks;

  {
    Writer p;
    p.U8(static_cast<std::uint32_t>(skin.name.size()));
    p.Raw(skin.name.data(), skin.name.size());
    chunks.emplace_back(kInfo, std::move(p.bytes()));
  }
  {
    Writer p;
    const WindowLook& w = skin.window;
    for (const Colour c : {w.background, w.text, w.editBackground, w.editText, w.editBorder}) p.U32(c);
    p.U8(w.texture);
    chunks.emplace_back(kWind, std::move(p.bytes()));
  }
  {
    Writer p;
    const CaptionLook& c = skin.caption;
    p.U8(c.height);
    p.U8(static_cast<std::uint8_t>(c.fill));
    WriteCaptionState(p, c.active);
    WriteCaptionState(p, c.inactive);
    p.U8(static_cast<std::uint8_t>(c.align));
    p.U8(c.shadow ? 1 : 0);
    p.U32(c.shadowColour);
    p.U8(c.showIcon ? 1 : 0);
    p.U8(c.indent);
    p.U8(c.font.height);
    p.U16(c.font.weight);
    p.U8(c.font.italic ? 1 : 0);
    p.U8(static_cast<std::uint32_t>(c.font.face.size()));
    p.Raw(c.font.face.data(), c.font.face.size());
    chunks.emplace_back(kCapt, std::move(p.bytes()));
  }
  {
    Writer p;
    const FrameLook& f = skin.frame;
    p.U8(f.width);
    p.U8(static_cast<std::uint8_t>(f.corners));
    p.U8(f.radius);
    p.U8(static_cast<std::uint8_t>(f.style));
    for (const Colour c : {f.outer, f.activeFill, f.inactiveFill, f.inner}) p.U32(c);
    chunks.emplace_back(kFram, std::move(p.bytes()));
  }
  {
    Writer p;
    const CloseBoxLook& b = skin.closeBox;
    p.U8(static_cast<std::uint8_t>(b.shape));
    p.U8(b.size);
    p.U8(b.margin);
    p.U8(b.thickness);
    for (const PaintPair* pair : {&b.normal, &b.hot, &b.pressed}) {
      p.U32(pair->face);
      p.U32(pair->glyph);
    }
    p.U32(b.border);
    p.U32(b.inactiveGlyph);
    chunks.emplace_back(kCbox, std::move(p.bytes()));
  }
  {
    Writer p;
    const ButtonLook& b = skin.button;
    p.U8(static_cast<std::uint8_t>(b.shape));
    p.U8(b.radius);
    p.U8(b.borderWidth);
    for (const ButtonState* state : {&b.normal, &b.hot, &b.pressed, &b.disabled}) WriteButtonState(p, *state);
    p.U8(static_cast<std::uint8_t>(b.focus));
    p.U32(b.focusColour);
    p.U32(b.defaultBorder);
    chunks.emplace_back(kButn, std::move(p.bytes()));
  }
  for (const Bitmap& bitmap : skin.bitmaps) {
    Writer p;
    p.U8(bitmap.id);
    p.U8(bitmap.width);
    p.U8(bitmap.height);
    p.U8(static_cast<std::uint32_t>(bitmap.palette.size()));
    for (const std::uint32_t entry : bitmap.palette) p.U32(entry);
    p.Raw(bitmap.pixels.data(), bitmap.pixels.size());
    chunks.emplace_back(kBmap, std::move(p.bytes()));
  }

  Writer out;
  out.Raw(kMagic.data(), kMagic.size());
  out.U16(kFormatVersion);
  out.U16(static_cast<std::uint32_t>(chunks.size()));
  for (const auto& [tag, payload] : chunks) WriteChunk(out, tag, payload);
  return std::move(out.bytes());
}

}  // namespace vq::skin
