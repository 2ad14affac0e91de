// Window descriptions: the fixed data each window is built from, afresh at
// every load. One readable table per window (lookup_window.cpp,
// entry_window.cpp).
#pragma once

#include <cstdint>
#include <vector>

namespace vq {

class WindowServices;

enum class ControlKind { Label, EditBox, Button, PictureBox, FileDialog, DropTarget };

// A colour as red, green, blue; `set` false means "the kind's default".
struct Colour {
  bool set = false;
  std::uint8_t red = 0, green = 0, blue = 0;
};
inline constexpr Colour Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {true, r, g, b}; }

// A font of its own; a control without one uses the system's default GUI font.
struct FontDescription {
  const char* face = nullptr;  // null: no font of its own
  int characterHeight = 0;     // pixels, without internal leading
  bool bold = false;
  bool underline = false;
};

// What a handler receives. The left-button-pressed event fills x, y (0 to
// 65535, in the control's client area) and modifiers (1 Ctrl, 2 Shift, 4 Alt);
// the files-dropped event fills text.
struct Event {
  WindowServices& services;
  std::uint32_t window = 0;
  std::uint32_t control = 0;
  int x = 0;
  int y = 0;
  int modifiers = 0;
  const char* text = nullptr;
};

// A handler may answer a logical value; for the left-button-pressed event an
// answer of false swallows the press.
enum class HandlerResult { NoValue, True, False };
using EventHandler = HandlerResult (*)(const Event&);

struct ControlDescription {
  const char* name = "";
  ControlKind kind = ControlKind::Label;
  std::uint32_t number = 0;
  int left = 0, top = 0, width = 0, height = 0;
  const char* text = "";
  bool multiLine = false;
  bool readOnly = false;
  bool verticalScrollBar = false;
  Colour textColour;
  Colour backgroundColour;
  FontDescription font;
  std::uint32_t attachedTo = 0;  // a drop target: the control whose window it covers
  EventHandler clicked = nullptr;
  EventHandler leftButtonPressed = nullptr;
  EventHandler filesDropped = nullptr;  // a drop target's events; text carries what was dropped
  EventHandler textDropped = nullptr;
  EventHandler htmlDropped = nullptr;
  EventHandler addressDropped = nullptr;
};

// One row of a window's table: what every control has.
inline ControlDescription Row(const char* name, ControlKind kind, std::uint32_t number, int left, int top, int width,
                              int height, const char* text) {
  ControlDescription row;
  row.name = name;
  row.kind = kind;
  row.number = number;
  row.left = left;
  row.top = top;
  row.width = width;
  row.height = height;
  row.text = text;
  return row;
}

struct WindowDescription {
  std::uint32_t number = 0;
  const char* title = "";
  int width = 0, height = 0;  // outer size, frame and caption included
  bool visible = true;
  bool taskbarButton = false;
  EventHandler created = nullptr;
  std::vector<ControlDescription> controls;  // first on top
  std::vector<std::uint32_t> tabOrder;       // control numbers
};

inline constexpr std::uint32_t kLookupWindowNumber = 1375797249;
inline constexpr std::uint32_t kEntryWindowNumber = 1375797289;

// Property numbers. 0 to 7 are common to every kind; each kind numbers its
// own from 8.
namespace property {
inline constexpr int kLeft = 0, kTop = 1, kWidth = 2, kHeight = 3, kTag = 4, kVisible = 5, kDisabled = 6,
                     kMousePointer = 7;
inline constexpr int kCaption = 8;  // label
inline constexpr int kContent = 8;  // edit box
inline constexpr int kBorder = 8, kBackgroundColour = 9, kPicture = 10, kDisplayMode = 11,
                     kPlayAnimation = 12;  // picture box
inline constexpr int kFileName = 10;       // open-file dialog
inline constexpr int kAcceptText = 8, kAcceptHtml = 9, kAcceptAddresses = 10, kAcceptFiles = 11;  // drop target
}  // namespace property

}  // namespace vq
