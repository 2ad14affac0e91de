#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vq::imaging::test {
namespace {

void PutU16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void PutU32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
void SetU32(Bytes& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string ScratchFolder();

// Removes the scratch folder when the test program ends.
class ScratchCleanup : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(ScratchFolder(), ignored);
  }
};
[[maybe_unused]] ::testing::Environment* const kScratchCleanup =
    ::testing::AddGlobalTestEnvironment(new ScratchCleanup);

std::string ScratchFolder() {
#ifdef _WIN32
  const std::string name = "vq-imaging";
#else
  const std::string name = "vq-imaging-" + std::to_string(::getpid());
#endif
  return (std::filesystem::path(::testing::TempDir()) / name).string();
}

}  // namespace

std::string ScratchPath(const std::string& name) {
  static const std::string folder = [] {
    std::filesystem::create_directories(ScratchFolder());
    return ScratchFolder();
  }();
  return (std::filesystem::path(folder) / name).string();
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool HaveImageMagick() {
#ifdef _WIN32
  return false;
#else
  static const bool present = std::system("convert -version >/dev/null 2>&1") == 0;
  return present;
#endif
}

bool RunMagick(const std::string& arguments) {
#ifdef _WIN32
  (void)arguments;
  return false;
#else
  const std::string command = "convert " + arguments + " 2>/dev/null";
  return std::system(command.c_str()) == 0;
#endif
}

std::optional<MagickPixels> DecodeWithMagick(const std::string& path, const std::string& options,
                                             const std::string& readOptions) {
  const std::string raw = path + ".rgba";
  const std::string info = path + ".info";
  if (!RunMagick(readOptions + " '" + path + "' " + options + " -print '%w %h %n\\n' -depth 8 rgba:'" + raw +
                 "' >'" + info + "'"))
    return std::nullopt;
  MagickPixels pixels;
  std::ifstream in(info);
  if (!(in >> pixels.width >> pixels.height >> pixels.frames)) return std::nullopt;
  pixels.rgba = ReadFileBytes(raw);
  return pixels;
}

int LargestDifference(const Image& image, const Bytes& rgba, std::size_t offset) {
  const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  if (image.pixels.size() != count || rgba.size() < offset + count * 4) return 255;
  int largest = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t pixel = image.pixels[i];
    const int ours[4] = {static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
                         static_cast<int>(pixel & 0xFF), static_cast<int>(pixel >> 24)};
    const std::uint8_t* theirs = rgba.data() + offset + i * 4;
    if (ours[3] == 0 && theirs[3] == 0) continue;
    if ((ours[3] == 0) != (theirs[3] == 0)) return 255;
    for (int c = 0; c < 4; ++c) largest = std::max(largest, std::abs(ours[c] - theirs[c]));
  }
  return largest;
}

std::uint32_t Bgra(int blue, int green, int red, int alpha) {
  return static_cast<std::uint32_t>(blue & 0xFF) | (static_cast<std::uint32_t>(green & 0xFF) << 8) |
         (static_cast<std::uint32_t>(red & 0xFF) << 16) | (static_cast<std::uint32_t>(alpha & 0xFF) << 24);
}

Bytes ToRgba(const Image& image) {
  Bytes rgba;
  for (std::uint32_t pixel : image.pixels)
    rgba.insert(rgba.end(), {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                             static_cast<std::uint8_t>(pixel), static_cast<std::uint8_t>(pixel >> 24)});
  return rgba;
}

WrittenImage WriteBitmap(const BitmapRecipe& recipe) {
  WrittenImage written;
  Image& expected = written.expected;
  expected.width = recipe.width;
  expected.height = recipe.height;
  expected.pixels.resize(static_cast<std::size_t>(recipe.width) * static_cast<std::size_t>(recipe.height));
  const std::uint32_t entries = recipe.bits <= 8 ? (recipe.coloursUsed ? recipe.coloursUsed : 1u << recipe.bits) : 0;
  const std::size_t stride = (static_cast<std::size_t>(recipe.width) * recipe.bits + 31) / 32 * 4;
  const std::uint32_t pixelOffset = 14 + recipe.headerSize + entries * 4;

  Bytes& out = written.bytes;
  out.push_back('B');
  out.push_back('M');
  PutU32(out, 0);  // file size, set below
  PutU32(out, 0);
  PutU32(out, pixelOffset);
  PutU32(out, recipe.headerSize);
  PutU32(out, static_cast<std::uint32_t>(recipe.width));
  PutU32(out, static_cast<std::uint32_t>(recipe.topDown ? -recipe.height : recipe.height));
  PutU16(out, 1);
  PutU16(out, static_cast<unsigned>(recipe.bits));
  PutU32(out, recipe.compression);
  PutU32(out, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(recipe.height)));
  PutU32(out, 2835);
  PutU32(out, 2835);
  PutU32(out, recipe.coloursUsed);
  PutU32(out, 0);
  out.resize(14 + recipe.headerSize, 0);
  std::vector<std::uint32_t> palette;
  for (std::uint32_t i = 0; i < entries; ++i) {
    const int blue = static_cast<int>(i * 37 % 256), green = static_cast<int>(i * 91 % 256),
              red = static_cast<int>((255 - i * 53) % 256);
    palette.push_back(Bgra(blue, green, red));
    out.insert(out.end(), {static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
                           static_cast<std::uint8_t>(red), 0});
  }
  for (int fileRow = 0; fileRow < recipe.height; ++fileRow) {
    const int y = recipe.topDown ? fileRow : recipe.height - 1 - fileRow;
    Bytes row(stride, 0xEE);  // padding and unused bits are junk on purpose
    for (int x = 0; x < recipe.width; ++x) {
      std::uint32_t& pixel = expected.pixels[static_cast<std::size_t>(y) * recipe.width + x];
      if (recipe.bits <= 8) {
        const unsigned index = static_cast<unsigned>(x * 3 + y * 5) % entries;
        pixel = palette[index];
        const int bitOffset = x * recipe.bits;
        std::uint8_t& byte = row[static_cast<std::size_t>(bitOffset / 8)];
        const int shift = 8 - recipe.bits - bitOffset % 8;
        const unsigned mask = ((1u << recipe.bits) - 1) << shift;
        byte = static_cast<std::uint8_t>((byte & ~mask) | (index << shift));
      } else if (recipe.bits >= 24) {
        const int blue = x * 17 + y, green = y * 29 + x, red = x * y * 7;
        pixel = Bgra(blue, green, red);
        const std::size_t at = static_cast<std::size_t>(x) * (recipe.bits / 8);
        row[at] = static_cast<std::uint8_t>(blue);
        row[at + 1] = static_cast<std::uint8_t>(green);
        row[at + 2] = static_cast<std::uint8_t>(red);
        if (recipe.bits == 32) row[at + 3] = static_cast<std::uint8_t>((x + y) * 13);  // not alpha
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  SetU32(out, 2, static_cast<std::uint32_t>(out.size()));
  return written;
}

WrittenImage WritePcx(const PcxRecipe& recipe) {
  WrittenImage written;
  Image& expected = written.expected;
  expected.width = recipe.width;
  expected.height = recipe.height;
  expected.pixels.resize(static_cast<std::size_t>(recipe.width) * static_cast<std::size_t>(recipe.height));
  const int needed = recipe.bits == 8 ? recipe.width : (recipe.width + 7) / 8;
  const int bytesPerLine = recipe.bytesPerLine ? recipe.bytesPerLine : needed;
  constexpr int kLeft = 3, kTop = 2;

  Bytes& out = written.bytes;
  out = {0x0A, static_cast<std::uint8_t>(recipe.version), 1, static_cast<std::uint8_t>(recipe.bits)};
  PutU16(out, kLeft);
  PutU16(out, kTop);
  PutU16(out, static_cast<unsigned>(kLeft + recipe.width - 1));
  PutU16(out, static_cast<unsigned>(kTop + recipe.height - 1));
  PutU16(out, 72);
  PutU16(out, 72);
  for (int i = 0; i < 16; ++i) out.insert(out.end(), {0, 0, 0});  // header palette: black...
  out[16 + 3] = out[16 + 4] = out[16 + 5] = 0xFF;                 // ...and white
  out.push_back(0);
  out.push_back(1);  // planes
  PutU16(out, static_cast<unsigned>(bytesPerLine));
  PutU16(out, 1);
  out.resize(128, 0);

  const auto index8 = [](int x, int y) { return static_cast<std::uint8_t>(x / 3 * 11 + y * 7); };
  const auto colour8 = [](int i) { return Bgra((i * 3) % 256, 255 - i, i); };
  for (int y = 0; y < recipe.height; ++y) {
    Bytes line(static_cast<std::size_t>(bytesPerLine), 0x5A);  // padding is junk on purpose
    for (int x = 0; x < recipe.width; ++x) {
      std::uint32_t& pixel = expected.pixels[static_cast<std::size_t>(y) * recipe.width + x];
      if (recipe.bits == 8) {
        line[static_cast<std::size_t>(x)] = index8(x, y);
        pixel = colour8(index8(x, y));
      } else {
        const bool black = (x / 2 + y) % 3 == 0;  // set bits are black
        std::uint8_t& byte = line[static_cast<std::size_t>(x / 8)];
        const auto bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
        byte = static_cast<std::uint8_t>(black ? byte | bit : byte & ~bit);
        pixel = black ? Bgra(0, 0, 0) : Bgra(255, 255, 255);
      }
    }
    for (std::size_t at = 0; at < line.size();) {
      std::size_t run = 1;
      while (at + run < line.size() && run < 63 && line[at + run] == line[at]) ++run;
      if (run > 1 || line[at] >= 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 | run));
      out.push_back(line[at]);
      at += run;
    }
  }
  if (recipe.bits == 8) {
    out.push_back(0x0C);
    for (int i = 0; i < 256; ++i) {
      const std::uint32_t colour = colour8(i);
      out.insert(out.end(), {static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                             static_cast<std::uint8_t>(colour)});
    }
  }
  return written;
}

Bytes WriteIconFile(int type, const std::vector<IconRecipeEntry>& entries) {
  Bytes out;
  PutU16(out, 0);
  PutU16(out, static_cast<unsigned>(type));
  PutU16(out, static_cast<unsigned>(entries.size()));
  std::uint32_t dataAt = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const IconRecipeEntry& entry : entries) {
    out.insert(out.end(), {static_cast<std::uint8_t>(entry.widthByte), static_cast<std::uint8_t>(entry.heightByte),
                           static_cast<std::uint8_t>(entry.colourCount), 0});
    PutU16(out, static_cast<unsigned>(entry.planesOrHotspotX));
    PutU16(out, static_cast<unsigned>(entry.bitsOrHotspotY));
    PutU32(out, entry.dataSize);
    PutU32(out, entry.offset.value_or(dataAt));
    dataAt += entry.dataSize;
  }
  for (std::size_t i = 0; i < entries.size(); ++i) out.insert(out.end(), entries[i].dataSize, static_cast<std::uint8_t>(i + 1));
  return out;
}

namespace {

void PutPalette(Bytes& out, const std::vector<std::uint32_t>& palette) {
  for (std::uint32_t rgb : palette)
    out.insert(out.end(), {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                           static_cast<std::uint8_t>(rgb)});
}

// The table-size field of a palette of `count` entries (a power of two).
unsigned PaletteSizeField(std::size_t count) {
  unsigned field = 0;
  while ((2u << field) < count) ++field;
  return field;
}

// Codes least significant bit first, in sub-blocks of up to 255 bytes.
class CodeWriter {
 public:
  void Put(unsigned code, int width) {
    bits_ |= code << count_;
    count_ += width;
    while (count_ >= 8) {
      bytes_.push_back(static_cast<std::uint8_t>(bits_));
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  void Finish(Bytes& out) {
    if (count_ > 0) bytes_.push_back(static_cast<std::uint8_t>(bits_));
    for (std::size_t at = 0; at < bytes_.size(); at += 255) {
      const std::size_t length = std::min<std::size_t>(255, bytes_.size() - at);
      out.push_back(static_cast<std::uint8_t>(length));
      out.insert(out.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at),
                 bytes_.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    out.push_back(0);
  }

 private:
  Bytes bytes_;
  unsigned bits_ = 0;
  int count_ = 0;
};

}  // namespace

Bytes WriteGif(const GifRecipe& recipe) {
  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  PutU16(out, static_cast<unsigned>(recipe.width));
  PutU16(out, static_cast<unsigned>(recipe.height));
  const bool global = !recipe.globalPalette.empty();
  out.push_back(static_cast<std::uint8_t>(global ? 0x80 | PaletteSizeField(recipe.globalPalette.size()) : 0));
  out.push_back(0);
  out.push_back(0);
  if (global) PutPalette(out, recipe.globalPalette);
  if (recipe.loopCount) {
    out.insert(out.end(), {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1});
    PutU16(out, static_cast<unsigned>(*recipe.loopCount));
    out.push_back(0);
  }
  for (const GifFrameRecipe& frame : recipe.frames) {
    if (frame.control) {
      out.insert(out.end(), {0x21, 0xF9, 4});
      out.push_back(static_cast<std::uint8_t>((frame.disposal << 2) | (frame.transparentIndex >= 0 ? 1 : 0)));
      PutU16(out, static_cast<unsigned>(frame.delayCs));
      out.push_back(static_cast<std::uint8_t>(frame.transparentIndex >= 0 ? frame.transparentIndex : 0));
      out.push_back(0);
    }
    out.push_back(0x2C);
    PutU16(out, static_cast<unsigned>(frame.left));
    PutU16(out, static_cast<unsigned>(frame.top));
    PutU16(out, static_cast<unsigned>(frame.width));
    PutU16(out, static_cast<unsigned>(frame.height));
    const bool local = !frame.localPalette.empty();
    out.push_back(static_cast<std::uint8_t>((local ? 0x80 | PaletteSizeField(frame.localPalette.size()) : 0) |
                                            (frame.interlaced ? 0x40 : 0)));
    if (local) PutPalette(out, frame.localPalette);
    out.push_back(static_cast<std::uint8_t>(frame.minimumCodeSize));
    std::vector<int> rows;
    if (frame.interlaced) {
      for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < frame.height; y += step) rows.push_back(y);
    } else {
      for (int y = 0; y < frame.height; ++y) rows.push_back(y);
    }
    const unsigned clear = 1u << frame.minimumCodeSize;
    const int width = frame.minimumCodeSize + 1;
    CodeWriter codes;
    for (int y : rows)
      for (int x = 0; x < frame.width; ++x) {
        codes.Put(clear, width);
        codes.Put(frame.indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.width) +
                                static_cast<std::size_t>(x)],
                  width);
      }
    codes.Put(clear + 1, width);
    codes.Finish(out);
  }
  if (recipe.trailer) out.push_back(0x3B);
  return out;
}

}  // namespace vq::imaging::test
