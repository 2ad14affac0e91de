#include "skinformat/skin_source.h"

#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace vq::skin {
namespace {

// One line split into words; a double-quoted word may hold spaces.
bool SplitWords(std::string_view line, std::vector<std::string>& words, std::string& problem) {
  words.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      continue;
    }
    // A comment is a '#' standing alone as a word; colours (#RRGGBB) are not.
    if (line[i] == '#' && (i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t')) break;
    if (line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      if (close == std::string_view::npos) {
        problem = "unterminated quoted text";
        return false;
      }
      words.emplace_back(line.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    std::size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    words.emplace_back(line.substr(i, end - i));
    i = end;
  }
  return true;
}

std::optional<long> ParseNumber(const std::string& word, long low, long high) {
  long value = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size() || value < low || value > high) return std::nullopt;
  return value;
}

std::optional<Colour> ParseColour(const std::string& word) {
  if (word.size() != 7 || word[0] != '#') return std::nullopt;
  Colour value = 0;
  const auto [end, ec] = std::from_chars(word.data() + 1, word.data() + 7, value, 16);
  if (ec != std::errc() || end != word.data() + 7) return std::nullopt;
  return value;
}

template <typename Enum>
std::optional<Enum> ParseName(const std::string& word, std::initializer_list<const char*> names) {
  std::uint8_t index = 0;
  for (const char* name : names) {
    if (word == name) return static_cast<Enum>(index);
    ++index;
  }
  return std::nullopt;
}

class SourceParser {
 public:
  SourceParser(Skin& skin, SourceError& error) : skin_(skin), error_(error) {}

  bool Parse(std::string_view text) {
    skin_ = Skin();
    int lineNumber = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++lineNumber;
      line_ = lineNumber;
      if (!Line(line)) return false;
      start = end + 1;
    }
    line_ = 0;
    if (!FinishBitmap() || !CheckComplete()) return false;
    if (ValidateSkin(skin_) != SkinError::None) return Fail("the skin breaks a limit of the format (see docs/skin-format.md)");
    return true;
  }

 private:
  bool Fail(std::string message) {
    error_.line = line_;
    error_.message = std::move(message);
    return false;
  }

  bool Line(std::string_view line) {
    std::string problem;
    if (!SplitWords(line, words_, problem)) return Fail(problem);
    if (words_.empty()) return true;
    if (words_[0].front() == '[') return Section();
    const std::string key = words_[0];
    if (!seen_[section_].insert(key).second) return Fail("key '" + key + "' given twice in this section");
    if (section_ == "") return TopKey(key);
    if (section_ == "window") return WindowKey(key);
    if (section_ == "caption") return CaptionKey(key);
    if (section_ == "frame") return FrameKey(key);
    if (section_ == "close") return CloseKey(key);
    if (section_ == "button") return ButtonKey(key);
    return BitmapKey(key);
  }

  bool Section() {
    if (!FinishBitmap()) return false;
    std::string joined;
    for (const std::string& word : words_) joined += (joined.empty() ? "" : " ") + word;
    if (joined.size() < 3 || joined.back() != ']') return Fail("malformed section header");
    const std::string name = joined.substr(1, joined.size() - 2);
    if (name.rfind("bitmap ", 0) == 0) {
      const auto id = ParseNumber(name.substr(7), 1, static_cast<long>(kMaxBitmaps));
      if (!id) return Fail("bitmap id must be 1 to 8");
      bitmap_ = Bitmap();
      bitmap_->id = static_cast<std::uint8_t>(*id);
      paletteIndex_.clear();
      section_ = name;
    } else if (name == "window" || name == "caption" || name == "frame" || name == "close" || name == "button") {
      section_ = name;
    } else {
      return Fail("unknown section [" + name + "]");
    }
    if (!sections_.insert(section_).second) return Fail("section [" + name + "] given twice");
    return true;
  }

  bool Count(std::size_t count) {
    if (words_.size() != count + 1) {
      return Fail("'" + words_[0] + "' takes " + std::to_string(count) + " value(s)");
    }
    return true;
  }

  bool Number(std::size_t index, long low, long high, long& value) {
    const auto parsed = ParseNumber(words_[index], low, high);
    if (!parsed) return Fail("'" + words_[index] + "' is not a number from " + std::to_string(low) + " to " + std::to_string(high));
    value = *parsed;
    return true;
  }

  template <typename Int>
  bool Small(std::size_t index, long low, long high, Int& into) {
    long value = 0;
    if (!Number(index, low, high, value)) return false;
    into = static_cast<Int>(value);
    return true;
  }

  bool ColourAt(std::size_t index, Colour& into) {
    const auto parsed = ParseColour(words_[index]);
    if (!parsed) return Fail("'" + words_[index] + "' is not a colour #RRGGBB");
    into = *parsed;
    return true;
  }

  bool Colours(std::initializer_list<Colour*> into) {
    if (!Count(into.size())) return false;
    std::size_t index = 1;
    for (Colour* colour : into) {
      if (!ColourAt(index++, *colour)) return false;
    }
    return true;
  }

  template <typename Enum>
  bool Named(std::size_t index, Enum& into, std::initializer_list<const char*> names) {
    const auto parsed = ParseName<Enum>(words_[index], names);
    if (!parsed) {
      std::string list;
      for (const char* name : names) list += std::string(list.empty() ? "" : ", ") + name;
      return Fail("'" + words_[index] + "' is not one of: " + list);
    }
    into = *parsed;
    return true;
  }

  bool YesNo(std::size_t index, bool& into) {
    if (words_[index] == "yes") into = true;
    else if (words_[index] == "no") into = false;
    else return Fail("expected yes or no");
    return true;
  }

  bool Unknown(const std::string& key) { return Fail("unknown key '" + key + "' in [" + section_ + "]"); }

  bool TopKey(const std::string& key) {
    if (key != "name") return Fail("expected 'name' or a section");
    if (!Count(1)) return false;
    skin_.name = words_[1];
    return true;
  }

  bool WindowKey(const std::string& key) {
    WindowLook& w = skin_.window;
    if (key == "background") return Colours({&w.background});
    if (key == "text") return Colours({&w.text});
    if (key == "edit") return Colours({&w.editBackground, &w.editText, &w.editBorder});
    if (key == "texture") return Count(1) && Small(1, 0, static_cast<long>(kMaxBitmaps), w.texture);
    return Unknown(key);
  }

  // active|inactive <top> <bottom> <text> [texture N]
  bool CaptionStateLine(CaptionState& state) {
    if (words_.size() != 4 && words_.size() != 6) return Fail("'" + words_[0] + "' takes top, bottom, text [texture N]");
    if (!ColourAt(1, state.top) || !ColourAt(2, state.bottom) || !ColourAt(3, state.text)) return false;
    if (words_.size() == 6) {
      if (words_[4] != "texture") return Fail("expected 'texture N'");
      return Small(5, 1, static_cast<long>(kMaxBitmaps), state.texture);
    }
    return true;
  }

  bool CaptionKey(const std::string& key) {
    CaptionLook& c = skin_.caption;
    if (key == "height") return Count(1) && Small(1, 14, 40, c.height);
    if (key == "fill") {
      return Count(1) && Named(1, c.fill, {"solid", "vertical", "horizontal", "glossy", "texture"});
    }
    if (key == "active") return CaptionStateLine(c.active);
    if (key == "inactive") return CaptionStateLine(c.inactive);
    if (key == "align") return Count(1) && Named(1, c.align, {"left", "centre"});
    if (key == "shadow") {
      if (!Count(1)) return false;
      c.shadow = words_[1] != "none";
      return !c.shadow || ColourAt(1, c.shadowColour);
    }
    if (key == "icon") return Count(1) && YesNo(1, c.showIcon);
    if (key == "indent") return Count(1) && Small(1, 0, 32, c.indent);
    if (key == "font") {
      // font "<face>" <height> <weight> [italic]
      if (words_.size() != 4 && words_.size() != 5) return Fail("'font' takes a face, a height, a weight [italic]");
      c.font.face = words_[1];
      if (!Small(2, 8, 40, c.font.height) || !Small(3, 100, 900, c.font.weight)) return false;
      if (words_.size() == 5 && words_[4] != "italic") return Fail("expected 'italic'");
      c.font.italic = words_.size() == 5;
      return true;
    }
    return Unknown(key);
  }

  bool FrameKey(const std::string& key) {
    FrameLook& f = skin_.frame;
    if (key == "width") return Count(1) && Small(1, 1, 12, f.width);
    if (key == "corners") {
      // corners square | round R | round-top R | chamfer R
      if (words_.size() != 2 && words_.size() != 3) return Fail("'corners' takes a shape [radius]");
      if (!Named(1, f.corners, {"square", "round", "round-top", "chamfer"})) return false;
      if (words_.size() == 3) return Small(2, 0, 24, f.radius);
      f.radius = 0;
      return true;
    }
    if (key == "style") return Count(1) && Named(1, f.style, {"flat", "raised", "double"});
    if (key == "colours") return Colours({&f.outer, &f.activeFill, &f.inactiveFill, &f.inner});
    return Unknown(key);
  }

  bool CloseKey(const std::string& key) {
    CloseBoxLook& b = skin_.closeBox;
    if (key == "shape") return Count(1) && Named(1, b.shape, {"square", "round-rect", "circle", "glyph", "tab"});
    if (key == "size") return Count(1) && Small(1, 8, 40, b.size);
    if (key == "margin") return Count(1) && Small(1, 0, 32, b.margin);
    if (key == "thickness") return Count(1) && Small(1, 1, 5, b.thickness);
    if (key == "normal") return Colours({&b.normal.face, &b.normal.glyph});
    if (key == "hot") return Colours({&b.hot.face, &b.hot.glyph});
    if (key == "pressed") return Colours({&b.pressed.face, &b.pressed.glyph});
    if (key == "border") return Colours({&b.border});
    if (key == "inactive-glyph") return Colours({&b.inactiveGlyph});
    return Unknown(key);
  }

  bool ButtonStateLine(ButtonState& state) { return Colours({&state.top, &state.bottom, &state.border, &state.text}); }

  bool ButtonKey(const std::string& key) {
    ButtonLook& b = skin_.button;
    if (key == "shape") {
      return Count(1) && Named(1, b.shape, {"flat", "bevel", "round-rect", "pill", "gradient", "outline"});
    }
    if (key == "radius") return Count(1) && Small(1, 0, 16, b.radius);
    if (key == "border-width") return Count(1) && Small(1, 0, 4, b.borderWidth);
    if (key == "normal") return ButtonStateLine(b.normal);
    if (key == "hot") return ButtonStateLine(b.hot);
    if (key == "pressed") return ButtonStateLine(b.pressed);
    if (key == "disabled") return ButtonStateLine(b.disabled);
    if (key == "focus") {
      return Count(2) && Named(1, b.focus, {"dotted", "thick", "underline"}) && ColourAt(2, b.focusColour);
    }
    if (key == "default-border") return Colours({&b.defaultBorder});
    return Unknown(key);
  }

  // palette <char> <#RRGGBB|transparent> ...   row <chars>
  bool BitmapKey(const std::string& key) {
    if (key == "palette") {
      seen_[section_].erase(key);  // may be split over several lines
      if (words_.size() < 3 || words_.size() % 2 == 0) return Fail("'palette' takes pairs of a character and a colour");
      for (std::size_t i = 1; i < words_.size(); i += 2) {
        if (words_[i].size() != 1) return Fail("a palette key is one character");
        const char symbol = words_[i][0];
        if (paletteIndex_.count(symbol) != 0) return Fail(std::string("palette key '") + symbol + "' given twice");
        std::uint32_t entry = 0;
        if (words_[i + 1] != "transparent") {
          Colour colour = 0;
          if (!ColourAt(i + 1, colour)) return false;
          entry = 0xFF000000u | colour;
        }
        if (bitmap_->palette.size() == kMaxPaletteEntries) return Fail("more than 64 palette entries");
        paletteIndex_[symbol] = static_cast<std::uint8_t>(bitmap_->palette.size());
        bitmap_->palette.push_back(entry);
      }
      return true;
    }
    if (key == "row") {
      seen_[section_].erase(key);
      if (!Count(1)) return false;
      const std::string& row = words_[1];
      if (row.size() > kMaxBitmapSide) return Fail("a row is at most 64 pixels");
      if (bitmap_->height != 0 && row.size() != bitmap_->width) return Fail("rows differ in length");
      if (bitmap_->height == kMaxBitmapSide) return Fail("a bitmap has at most 64 rows");
      bitmap_->width = static_cast<std::uint8_t>(row.size());
      for (const char symbol : row) {
        const auto found = paletteIndex_.find(symbol);
        if (found == paletteIndex_.end()) return Fail(std::string("'") + symbol + "' is not in the palette");
        bitmap_->pixels.push_back(found->second);
      }
      ++bitmap_->height;
      return true;
    }
    return Unknown(key);
  }

  bool FinishBitmap() {
    if (!bitmap_) return true;
    if (bitmap_->height == 0) return Fail("bitmap " + std::to_string(bitmap_->id) + " has no rows");
    skin_.bitmaps.push_back(std::move(*bitmap_));
    bitmap_.reset();
    return true;
  }

  bool CheckComplete() {
    const std::map<std::string, std::vector<const char*>> required{
        {"", {"name"}},
        {"window", {"background", "text", "edit", "texture"}},
        {"caption", {"height", "fill", "active", "inactive", "align", "shadow", "icon", "indent", "font"}},
        {"frame", {"width", "corners", "style", "colours"}},
        {"close", {"shape", "size", "margin", "thickness", "normal", "hot", "pressed", "border", "inactive-glyph"}},
        {"button", {"shape", "radius", "border-width", "normal", "hot", "pressed", "disabled", "focus", "default-border"}},
    };
    for (const auto& [section, keys] : required) {
      for (const char* key : keys) {
        if (seen_[section].count(key) == 0) {
          return Fail(section.empty() ? std::string("missing 'name'")
                                      : "missing '" + std::string(key) + "' in [" + section + "]");
        }
      }
    }
    return true;
  }

  Skin& skin_;
  SourceError& error_;
  int line_ = 0;
  std::string section_;
  std::set<std::string> sections_;
  std::map<std::string, std::set<std::string>> seen_;
  std::vector<std::string> words_;
  std::optional<Bitmap> bitmap_;
  std::map<char, std::uint8_t> paletteIndex_;
};

}  // namespace

bool ParseSkinSource(std::string_view text, Skin& out, SourceError& error) {
  SourceParser parser(out, error);
  return parser.Parse(text);
}

}  // namespace vq::skin
