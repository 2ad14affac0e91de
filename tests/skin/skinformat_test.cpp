#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "skinformat/skin_format.h"
#include "skinformat/skin_source.h"

namespace vq::skin {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string SourcesDirectory() {
#ifdef _WIN32
  return std::string("Z:") + VQ_SKIN_SOURCES;  // the build tree's path as Wine sees it
#else
  return VQ_SKIN_SOURCES;
#endif
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A small valid skin in its text form; cases below change one line of it.
constexpr char kMinimalSource[] = R"(name "Test"
[window]
background #F0F0F0
text #101010
edit #FFFFFF #000000 #808080
texture 0
[caption]
height 22
fill vertical
active #000080 #1084D0 #FFFFFF texture 1
inactive #808080 #C0C0C0 #E0E0E0
align left
shadow none
icon yes
indent 4
font "Tahoma" 13 700
[frame]
width 3
corners round 6
style raised
colours #000000 #C0C0C0 #A0A0A0 #FFFFFF
[close]
shape square
size 16
margin 2
thickness 2
normal #C0C0C0 #000000
hot #E0E0E0 #000000
pressed #808080 #FFFFFF
border #404040
inactive-glyph #808080
[button]
shape bevel
radius 0
border-width 1
normal #E0E0E0 #C0C0C0 #404040 #000000
hot #F0F0F0 #D0D0D0 #404040 #000000
pressed #A0A0A0 #C0C0C0 #202020 #000000
disabled #E0E0E0 #E0E0E0 #A0A0A0 #808080
focus dotted #000000
default-border #000000
[bitmap 1]
palette . transparent x #FFFFFF
row x.
row .x
)";

Skin MinimalSkin() {
  Skin skin;
  SourceError error;
  EXPECT_TRUE(ParseSkinSource(kMinimalSource, skin, error)) << error.line << ": " << error.message;
  return skin;
}

// The chunks of an image, to rebuild it with one chunk changed.
struct Chunk {
  std::string tag;
  Bytes payload;
};

std::vector<Chunk> SplitChunks(const Bytes& image) {
  std::vector<Chunk> chunks;
  std::size_t at = 8;
  while (at + 8 <= image.size()) {
    Chunk chunk;
    chunk.tag.assign(reinterpret_cast<const char*>(&image[at]), 4);
    std::uint32_t length = 0;
    std::memcpy(&length, &image[at + 4], 4);
    chunk.payload.assign(image.begin() + static_cast<std::ptrdiff_t>(at + 8),
                         image.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
    chunks.push_back(std::move(chunk));
    at += 8 + length;
  }
  return chunks;
}

Bytes JoinChunks(const std::vector<Chunk>& chunks, std::uint16_t version = 1) {
  Bytes image{'.', 'V', 'Q', 'S', static_cast<std::uint8_t>(version), static_cast<std::uint8_t>(version >> 8),
              static_cast<std::uint8_t>(chunks.size()), static_cast<std::uint8_t>(chunks.size() >> 8)};
  for (const Chunk& chunk : chunks) {
    image.insert(image.end(), chunk.tag.begin(), chunk.tag.end());
    const auto length = static_cast<std::uint32_t>(chunk.payload.size());
    for (int i = 0; i < 4; ++i) image.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    image.insert(image.end(), chunk.payload.begin(), chunk.payload.end());
  }
  return image;
}

Chunk& Find(std::vector<Chunk>& chunks, const std::string& tag) {
  for (Chunk& chunk : chunks) {
    if (chunk.tag == tag) return chunk;
  }
  ADD_FAILURE() << "no chunk " << tag;
  return chunks.front();
}

TEST(SkinFormatTest, WrittenImageReadsBackEqual) {
  const Skin skin = MinimalSkin();
  const Bytes image = WriteSkin(skin);
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(0, std::memcmp(image.data(), ".VQS\x01\x00", 6));
  Skin back;
  ASSERT_EQ(SkinError::None, ParseSkin(image, back));
  EXPECT_EQ(skin, back);
}

TEST(SkinFormatTest, BadImagesAreRefusedWithTheirReason) {
  const Bytes good = WriteSkin(MinimalSkin());
  const std::vector<Chunk> chunks = SplitChunks(good);
  using Change = void (*)(std::vector<Chunk>&);
  struct Case {
    const char* what;
    Change change;
    std::uint16_t version;
    SkinError expected;
  };
  const Case cases[] = {
      {"unknown chunk is skipped", [](std::vector<Chunk>& c) { c.push_back({"XTRA", {1, 2, 3}}); }, 1, SkinError::None},
      {"later version", [](std::vector<Chunk>&) {}, 2, SkinError::BadVersion},
      {"window chunk one byte short", [](std::vector<Chunk>& c) { Find(c, "WIND").payload.pop_back(); }, 1,
       SkinError::BadChunkLength},
      {"caption face longer than its chunk",
       [](std::vector<Chunk>& c) {
         Bytes& caption = Find(c, "CAPT").payload;
         caption[caption.size() - 7] = 7;  // "Tahoma" is 6 bytes
       },
       1,
       SkinError::BadChunkLength},
      {"info given twice", [](std::vector<Chunk>& c) { c.push_back(c.front()); }, 1, SkinError::DuplicateChunk},
      {"button chunk missing",
       [](std::vector<Chunk>& c) { std::erase_if(c, [](const Chunk& k) { return k.tag == "BUTN"; }); }, 1,
       SkinError::MissingChunk},
      {"caption too low", [](std::vector<Chunk>& c) { Find(c, "CAPT").payload[0] = 13; }, 1, SkinError::BadValue},
      {"caption fill unknown", [](std::vector<Chunk>& c) { Find(c, "CAPT").payload[1] = 5; }, 1, SkinError::BadValue},
      {"colour with a fourth byte", [](std::vector<Chunk>& c) { Find(c, "WIND").payload[3] = 1; }, 1,
       SkinError::BadValue},
      {"texture without its bitmap", [](std::vector<Chunk>& c) { Find(c, "WIND").payload[20] = 7; }, 1,
       SkinError::BadValue},
      {"pixel outside the palette", [](std::vector<Chunk>& c) { Find(c, "BMAP").payload.back() = 2; }, 1,
       SkinError::BadValue},
      {"bitmap of zero width", [](std::vector<Chunk>& c) { Find(c, "BMAP").payload[1] = 0; }, 1,
       SkinError::BadChunkLength},
      {"palette larger than the chunk", [](std::vector<Chunk>& c) { Find(c, "BMAP").payload[3] = 200; }, 1,
       SkinError::BadChunkLength},
      {"nine bitmaps",
       [](std::vector<Chunk>& c) {
         const Chunk bitmap = Find(c, "BMAP");
         for (int i = 0; i < 8; ++i) c.push_back(bitmap);
       },
       1, SkinError::BadValue},
  };
  for (const Case& test : cases) {
    std::vector<Chunk> changed = chunks;
    test.change(changed);
    Skin skin;
    EXPECT_EQ(test.expected, ParseSkin(JoinChunks(changed, test.version), skin)) << test.what;
  }

  Skin skin;
  EXPECT_EQ(SkinError::Truncated, ParseSkin({}, skin));
  Bytes magic = good;
  magic[1] = 'X';
  EXPECT_EQ(SkinError::BadMagic, ParseSkin(magic, skin));
  Bytes trailing = good;
  trailing.push_back(0);
  EXPECT_EQ(SkinError::TrailingBytes, ParseSkin(trailing, skin));
  Bytes manyChunks = good;
  manyChunks[6] = 65;
  EXPECT_EQ(SkinError::TooManyChunks, ParseSkin(manyChunks, skin));
  Bytes huge(kMaxSkinBytes + 1, 0);
  std::memcpy(huge.data(), good.data(), 8);
  EXPECT_EQ(SkinError::TooLarge, ParseSkin(huge, skin));
  // Every cut of a good image is refused; none reads past its end (the
  // sanitizers watch that).
  for (std::size_t length = 0; length < good.size(); ++length) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_NE(SkinError::None, ParseSkin(cut, skin)) << "cut at " << length;
  }
}

TEST(SkinSourceTest, MistakesAreReportedWithTheirLine) {
  struct Case {
    const char* find;
    const char* replace;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"text #101010", "text #10101", 4, "not a colour"},
      {"height 22", "height 41", 8, "not a number from 14 to 40"},
      {"align left", "align middle", 12, "not one of: left, centre"},
      {"indent 4", "indent 4\nindent 5", 16, "given twice"},
      {"shape square", "shape hexagon", 23, "not one of"},
      {"shadow none", "shade none", 13, "unknown key 'shade'"},
      {"font \"Tahoma\" 13 700", "font \"Tahoma 13 700", 16, "unterminated"},
      {"row .x", "row .xx", 45, "rows differ"},
      {"row .x", "row .y", 45, "'y' is not in the palette"},
      {"[button]", "[buttons]", 32, "unknown section"},
      {"focus dotted #000000\n", "", 0, "missing 'focus' in [button]"},
      {"active #000080 #1084D0 #FFFFFF texture 1", "active #000080 #1084D0 #FFFFFF texture 2", 0, "breaks a limit"},
  };
  for (const Case& test : cases) {
    std::string text = kMinimalSource;
    const std::size_t at = text.find(test.find);
    ASSERT_NE(std::string::npos, at) << test.find;
    text.replace(at, std::strlen(test.find), test.replace);
    Skin skin;
    SourceError error;
    EXPECT_FALSE(ParseSkinSource(text, skin, error)) << test.replace;
    EXPECT_EQ(test.line, error.line) << test.replace;
    EXPECT_NE(std::string::npos, error.message.find(test.message)) << test.replace << " gave: " << error.message;
  }
}

// The catalogue: 33 skins that compile, skin 6 the house style, and no two
// alike in their shapes (colours alone do not make a skin).
TEST(SkinCatalogueSourcesTest, ThirtyThreeDistinctSkinsCompile) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(SourcesDirectory())) {
    if (entry.path().extension() == ".vqskin") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_EQ(33u, files.size());
  std::set<std::string> names;
  std::set<std::tuple<int, int, int, int, int, int, int, std::string>> shapes;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string fileName = files[i].filename().string();
    const std::string number = (i + 1 < 10 ? "0" : "") + std::to_string(i + 1);
    EXPECT_EQ(0u, fileName.rfind(number, 0)) << fileName << " is out of sequence";
    Skin skin;
    SourceError error;
    ASSERT_TRUE(ParseSkinSource(ReadText(files[i]), skin, error)) << fileName << ":" << error.line << ": " << error.message;
    Skin back;
    EXPECT_EQ(SkinError::None, ParseSkin(WriteSkin(skin), back)) << fileName;
    EXPECT_TRUE(names.insert(skin.name).second) << fileName << " repeats the name " << skin.name;
    const auto shape = std::make_tuple(static_cast<int>(skin.caption.fill), static_cast<int>(skin.frame.width),
                                       static_cast<int>(skin.frame.corners), static_cast<int>(skin.frame.style),
                                       static_cast<int>(skin.closeBox.shape), static_cast<int>(skin.button.shape),
                                       static_cast<int>(skin.caption.height), skin.caption.font.face);
    EXPECT_TRUE(shapes.insert(shape).second) << fileName << " differs from another skin in colour only";
    if (i + 1 == 6) {
      EXPECT_EQ("House", skin.name);
    }
  }
}

}  // namespace
}  // namespace vq::skin
