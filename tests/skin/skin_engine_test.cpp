// VQSkin.dll itself under Wine, on sample windows of the program's kinds:
// which windows it takes over, what it draws (read back from the screen),
// how its frame answers the mouse, and what is left after it is unloaded.
// Needs a display (ctest runs under xvfb-run); skipped without one.
#include <windows.h>

#include <commdlg.h>
#include <windowsx.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "sample_windows.h"
#include "scratch.h"
#include "skin/skin.h"
#include "skinformat/skin_format.h"

namespace vq {
namespace {

using testing::Capture;
using testing::CaptureScreen;
using testing::CreateSampleWindow;
using testing::PumpMessages;

constexpr char kSkinnedProperty[] = "VQSkin.Skinned";
enum Kind : INT_PTR { kNone = 0, kFrame = 1, kPushButton = 2, kEditBox = 3 };

INT_PTR KindOf(HWND window) { return reinterpret_cast<INT_PTR>(GetPropA(window, kSkinnedProperty)); }

std::uint32_t Rgb(COLORREF colour) { return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour); }

// Channel by channel within tolerance.
::testing::AssertionResult Near(std::uint32_t actual, std::uint32_t expected, int tolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - e) > tolerance) {
      char text[96];
      wsprintfA(text, "colour %06X is not within %d of %06X", actual, tolerance, expected);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

SIZE ClientSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right, rect.bottom};
}

Capture CaptureWindow(HWND window) {
  PumpMessages(60);
  return CaptureScreen(ScreenRect(window));
}

// The most frequent colour of one row of a capture: the fill, whatever text
// or texture lies on it.
std::uint32_t DominantColour(const Capture& capture, int y, int from, int to) {
  std::map<std::uint32_t, int> counts;
  for (int x = from; x < to; ++x) ++counts[capture.At(x, y)];
  std::uint32_t best = 0;
  int bestCount = -1;
  for (const auto& [colour, count] : counts) {
    if (count > bestCount) {
      best = colour;
      bestCount = count;
    }
  }
  return best;
}

LPARAM ScreenPoint(HWND window, int x, int y) {
  const RECT rect = ScreenRect(window);
  return MAKELPARAM(rect.left + x, rect.top + y);
}

class SkinEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HasDisplay()) GTEST_SKIP() << "no display";
    RegisterValueConstants();
    RegisterSkinConstants();
    const ByteBlock* house = SkinCatalogueEntry(kHouseSkin);
    ASSERT_EQ(skin::SkinError::None,
              skin::ParseSkin(std::span<const std::uint8_t>(ByteData(house), house->length), house_));
  }
  void TearDown() override {
    Unload();
    for (HWND window : windows_) {
      if (IsWindow(window)) DestroyWindow(window);
    }
  }

  void LoadAndAttach(std::int32_t skinNumber) {
    engine_ = LoadLibraryA(VQ_BUILT_ENGINE);
    ASSERT_NE(nullptr, engine_);
    using Attach = std::int32_t(__stdcall*)(const void*, std::int32_t, const char*, std::int32_t, std::int32_t,
                                            std::int32_t);
    const auto attach =
        reinterpret_cast<Attach>(reinterpret_cast<void (*)()>(GetProcAddress(engine_, "VQSkinAttach")));
    ASSERT_NE(nullptr, attach);
    const ByteBlock* skin = SkinCatalogueEntry(skinNumber);
    ASSERT_EQ(1, attach(ByteData(skin), skin->length, "", 0, 0, 0));
  }
  void Unload() {
    if (engine_ != nullptr) FreeLibrary(engine_);
    engine_ = nullptr;
  }
  testing::SampleWindow Sample(const char* title, int x, int y) {
    testing::SampleWindow sample = CreateSampleWindow(title, x, y, 300, 160);
    windows_.push_back(sample.window);
    return sample;
  }
  // Where the skin puts the close box's centre, in window coordinates.
  POINT CloseCentre(HWND window) const {
    const RECT rect = ScreenRect(window);
    const int frame = house_.frame.width;
    return {rect.right - rect.left - frame - house_.closeBox.margin - house_.closeBox.size / 2,
            frame + house_.caption.height / 2};
  }

  skin::Skin house_;
  HMODULE engine_ = nullptr;
  std::vector<HWND> windows_;
};

TEST_F(SkinEngineTest, TakesOverCaptionedWindowsAndTheirControlsAndGivesThemBack) {
  HWND tool = CreateWindowExA(WS_EX_TOOLWINDOW, "Static", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  windows_.push_back(tool);
  const testing::SampleWindow before = Sample("Existing", 40, 40);
  const SIZE client = ClientSize(before.window);
  const RECT outer = ScreenRect(before.window);
  const LONG_PTR procedure = GetWindowLongPtrA(before.window, GWLP_WNDPROC);
  const LONG_PTR buttonProcedure = GetWindowLongPtrA(before.addButton, GWLP_WNDPROC);

  LoadAndAttach(kHouseSkin);
  const testing::SampleWindow after = Sample("Created later", 400, 40);
  for (const testing::SampleWindow* sample : {&before, &after}) {
    EXPECT_EQ(kFrame, KindOf(sample->window));
    EXPECT_EQ(kEditBox, KindOf(sample->edit));
    EXPECT_EQ(kPushButton, KindOf(sample->searchButton));
    EXPECT_EQ(kPushButton, KindOf(sample->disabledButton));
    EXPECT_EQ(kNone, KindOf(sample->label));  // labels only get colours from their window
    const SIZE size = ClientSize(sample->window);
    EXPECT_EQ(client.cx, size.cx);
    EXPECT_EQ(client.cy, size.cy);
  }
  EXPECT_EQ(kNone, KindOf(tool));
  // The existing window kept its centre while its frame changed.
  const RECT skinned = ScreenRect(before.window);
  EXPECT_NEAR((outer.left + outer.right) / 2, (skinned.left + skinned.right) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, (skinned.top + skinned.bottom) / 2, 1);

  Unload();
  for (HWND window : {before.window, before.edit, before.addButton, after.window}) EXPECT_EQ(kNone, KindOf(window));
  EXPECT_EQ(procedure, GetWindowLongPtrA(before.window, GWLP_WNDPROC));
  EXPECT_EQ(buttonProcedure, GetWindowLongPtrA(before.addButton, GWLP_WNDPROC));
  EXPECT_EQ(client.cx, ClientSize(before.window).cx);
  EXPECT_EQ(client.cy, ClientSize(before.window).cy);
  const RECT restored = ScreenRect(before.window);
  EXPECT_EQ(outer.right - outer.left, restored.right - restored.left);
  EXPECT_EQ(outer.bottom - outer.top, restored.bottom - restored.top);
  // The windows still work, and the hook is gone with the library.
  ShowWindow(before.window, SW_SHOW);
  ShowWindow(after.window, SW_SHOW);
  PumpMessages(100);
  EXPECT_EQ(HTCAPTION, SendMessageA(before.window, WM_NCHITTEST, 0, ScreenPoint(before.window, 60, 8)));
  const testing::SampleWindow unskinned = Sample("After unloading", 40, 300);
  EXPECT_EQ(kNone, KindOf(unskinned.window));
}

TEST_F(SkinEngineTest, CaptionAndFrameAreDrawnInTheSkinsLookActiveAndInactive) {
  const testing::SampleWindow sample = Sample("Vellorin-Quobarra v1.0", 40, 40);
  ShowWindow(sample.window, SW_SHOW);
  SetActiveWindow(sample.window);
  const Capture plain = CaptureWindow(sample.window);
  const std::uint32_t plainCaption = DominantColour(plain, 10, 30, plain.width - 30);

  LoadAndAttach(kHouseSkin);
  ASSERT_EQ(sample.window, GetActiveWindow());
  const int frame = house_.frame.width;
  const int captionBottom = frame + house_.caption.height - 2;
  const Capture active = CaptureWindow(sample.window);
  const std::uint32_t activeCaption = DominantColour(active, captionBottom, 30, active.width - 40);
  EXPECT_TRUE(Near(activeCaption, house_.caption.active.bottom, 24));
  EXPECT_FALSE(Near(plainCaption, activeCaption, 24)) << "looks the same as without the engine";
  EXPECT_EQ(house_.frame.outer, active.At(0, active.height / 2));
  EXPECT_EQ(house_.frame.outer, active.At(active.width / 2, active.height - 1));

  const testing::SampleWindow other = Sample("Other", 420, 40);
  ShowWindow(other.window, SW_SHOW);
  SetActiveWindow(other.window);
  const Capture inactive = CaptureWindow(sample.window);
  EXPECT_TRUE(Near(DominantColour(inactive, captionBottom, 30, inactive.width - 40), house_.caption.inactive.bottom, 24));
  EXPECT_EQ(house_.frame.inactiveFill, inactive.At(frame / 2, inactive.height / 2));  // between the frame's lines
}

TEST_F(SkinEngineTest, FrameAnswersTheMouseWhereItsPartsAreDrawn) {
  LoadAndAttach(kHouseSkin);
  const testing::SampleWindow sample = Sample("Hit testing", 40, 40);
  ShowWindow(sample.window, SW_SHOW);
  SetActiveWindow(sample.window);
  const HWND window = sample.window;
  const RECT rect = ScreenRect(window);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int frame = house_.frame.width;
  const POINT close = CloseCentre(window);
  struct Case {
    const char* part;
    int x;
    int y;
    LRESULT expected;
  };
  const Case cases[] = {
      {"close box", close.x, close.y, HTCLOSE},
      {"caption", width / 2, frame + house_.caption.height / 2, HTCAPTION},
      {"icon", frame + house_.caption.indent + 4, frame + house_.caption.height / 2, HTSYSMENU},
      {"left border", frame / 2, height / 2, HTBORDER},
      {"bottom border", width / 2, height - 1 - frame / 2, HTBORDER},
      {"client", width / 2, height / 2, HTCLIENT},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(test.expected, SendMessageA(window, WM_NCHITTEST, 0, ScreenPoint(window, test.x, test.y))) << test.part;
  }

  // The close box: its looks follow the mouse; releasing elsewhere does
  // nothing, releasing on it closes the window.
  const int probeY = close.y - house_.closeBox.size / 2 + 3;  // inside the box, clear of the cross
  const LPARAM onClose = ScreenPoint(window, close.x, close.y);
  SetCursorPos(rect.left + width / 2, rect.top + height / 2);
  EXPECT_TRUE(Near(CaptureWindow(window).At(close.x, probeY), house_.closeBox.normal.face, 16));
  SetCursorPos(GET_X_LPARAM(onClose), GET_Y_LPARAM(onClose));
  SendMessageA(window, WM_NCMOUSEMOVE, HTCLOSE, onClose);
  EXPECT_TRUE(Near(CaptureWindow(window).At(close.x, probeY), house_.closeBox.hot.face, 16));
  SendMessageA(window, WM_NCLBUTTONDOWN, HTCLOSE, onClose);
  EXPECT_TRUE(Near(CaptureWindow(window).At(close.x, probeY), house_.closeBox.pressed.face, 16));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  ASSERT_TRUE(IsWindow(window)) << "released away from the close box";
  EXPECT_EQ(nullptr, GetCapture());
  SendMessageA(window, WM_NCLBUTTONDOWN, HTCLOSE, onClose);
  POINT client{GET_X_LPARAM(onClose), GET_Y_LPARAM(onClose)};
  ScreenToClient(window, &client);
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(SkinEngineTest, ButtonsAndControlsTakeTheSkinsColoursButKeepTheirOwn) {
  LoadAndAttach(kHouseSkin);
  const testing::SampleWindow sample = Sample("Controls", 40, 40);
  ShowWindow(sample.window, SW_SHOW);
  SetActiveWindow(sample.window);
  const skin::ButtonLook& button = house_.button;

  RECT add = ScreenRect(sample.addButton);
  const int top = 3;
  const int bottom = add.bottom - add.top - 4;
  const int middle = (add.right - add.left) / 2;
  SetCursorPos(add.left - 40, add.top - 40);
  Capture normal = CaptureWindow(sample.addButton);
  EXPECT_TRUE(Near(normal.At(middle, top), button.normal.top, 14));
  EXPECT_TRUE(Near(normal.At(middle, bottom), button.normal.bottom, 14));

  SetCursorPos((add.left + add.right) / 2, (add.top + add.bottom) / 2);
  SendMessageA(sample.addButton, WM_MOUSEMOVE, 0, MAKELPARAM(middle, 5));
  const Capture hot = CaptureWindow(sample.addButton);
  EXPECT_TRUE(Near(hot.At(middle, bottom), button.hot.bottom, 14));

  SendMessageA(sample.addButton, BM_SETSTATE, TRUE, 0);
  const Capture pressed = CaptureWindow(sample.addButton);
  EXPECT_TRUE(Near(pressed.At(middle, top), button.pressed.top, 14));
  SendMessageA(sample.addButton, BM_SETSTATE, FALSE, 0);

  const Capture disabled = CaptureWindow(sample.disabledButton);
  EXPECT_TRUE(Near(disabled.At(disabled.width / 2, top), button.disabled.top, 14));

  // Labels and edit boxes: the skin's colours where the window gave none.
  const Capture label = CaptureWindow(sample.label);
  EXPECT_EQ(house_.window.background, label.At(label.width - 2, label.height / 2));
  const Capture edit = CaptureWindow(sample.edit);
  EXPECT_EQ(house_.window.editBorder, edit.At(0, edit.height / 2));
  EXPECT_EQ(house_.window.editBackground, edit.At(edit.width - 6, edit.height / 2));
  const Capture client = CaptureWindow(sample.window);
  EXPECT_EQ(house_.window.background, client.At(client.width - 12, client.height - 12));
  // The window's own colours stay: the blue address on the skin's
  // background, the grey box whole.
  const Capture address = CaptureWindow(sample.address);
  EXPECT_EQ(house_.window.background, address.At(address.width - 2, address.height / 2));
  bool blueText = false;
  for (int x = 0; x < address.width; ++x) {
    for (int y = 0; y < address.height; ++y) {
      const std::uint32_t pixel = address.At(x, y);
      blueText = blueText || ((pixel & 0xFF) > 180 && ((pixel >> 16) & 0xFF) < 90 && ((pixel >> 8) & 0xFF) < 90);
    }
  }
  EXPECT_TRUE(blueText);
  const Capture grey = CaptureWindow(sample.greyBox);
  EXPECT_EQ(Rgb(testing::kOwnBoxColour), grey.At(grey.width - 2, grey.height - 2));
}

// What the timer saw of a dialog while it was up.
struct DialogSeen {
  bool found = false;
  INT_PTR frame = kNone;
  int pushButtons = 0;
  int restyledOutsideItsPlace = 0;  // restyled descendants that are not direct buttons or edits
  int innerParts = 0;               // descendants left alone
};
DialogSeen* gSeen = nullptr;  // timer callbacks carry no context

BOOL CALLBACK InspectDescendant(HWND window, LPARAM dialog) {
  const INT_PTR kind = KindOf(window);
  if (kind == kNone) {
    ++gSeen->innerParts;
  } else if (GetParent(window) != reinterpret_cast<HWND>(dialog) || kind == kFrame) {
    ++gSeen->restyledOutsideItsPlace;
  } else if (kind == kPushButton) {
    ++gSeen->pushButtons;
  }
  return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
  gSeen->found = true;
  gSeen->frame = KindOf(window);
  EnumChildWindows(window, InspectDescendant, reinterpret_cast<LPARAM>(window));
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}

void CALLBACK InspectDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, 0);
}

TEST_F(SkinEngineTest, MessageBoxesAndTheOpenFileDialogAreRestyledButNotTheirInnerParts) {
  LoadAndAttach(kHouseSkin);
  DialogSeen box;
  gSeen = &box;
  SetTimer(nullptr, 0, 300, InspectDialog);
  MessageBoxA(nullptr, "Text", "Box", MB_OK);
  EXPECT_TRUE(box.found);
  EXPECT_EQ(kFrame, box.frame);
  EXPECT_EQ(1, box.pushButtons);
  EXPECT_EQ(0, box.restyledOutsideItsPlace);

  DialogSeen dialog;
  gSeen = &dialog;
  char file[MAX_PATH] = {};
  OPENFILENAMEA open{};
  open.lStructSize = sizeof open;
  open.lpstrFile = file;
  open.nMaxFile = sizeof file;
  open.lpstrFilter = "All\0*.*\0";
  open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
  SetTimer(nullptr, 0, 800, InspectDialog);
  GetOpenFileNameA(&open);
  gSeen = nullptr;
  EXPECT_TRUE(dialog.found);
  EXPECT_EQ(kFrame, dialog.frame);
  EXPECT_GE(dialog.pushButtons, 2);  // open and cancel
  EXPECT_GT(dialog.innerParts, 5);   // the file list, the folder box, the toolbar...
  EXPECT_EQ(0, dialog.restyledOutsideItsPlace);
}

}  // namespace
}  // namespace vq
