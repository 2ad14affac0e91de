// Both windows against their tables: every windowed control is a system
// control of the right class whose ID is its control number, in its place,
// with its text; the window has its title, outer size and centred position.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ui_harness.h"
#include "windows/entry_window.h"
#include "windows/lookup_window.h"
#include "windows/picture_box.h"

namespace vq::testing {
namespace {

const char* ClassFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label: return "Static";
    case ControlKind::EditBox: return "Edit";
    case ControlKind::Button: return "Button";
    case ControlKind::PictureBox: return kPictureBoxClassName;
    default: return nullptr;
  }
}

void ExpectMatchesTable(TestProgram& program, const WindowDescription& table) {
  HWND window = program.Window(table.number);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(table.title, WindowText(window));
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  // The client area is the table's outer size less the system's frame, with
  // or without a skin (which may draw a frame of another width).
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(table.width - (frame.right - frame.left), client.right);
  EXPECT_EQ(table.height - (frame.bottom - frame.top), client.bottom);
  if (std::getenv("VQ_TEST_SKIN") == nullptr) {
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(table.width, outer.right - outer.left);
    EXPECT_EQ(table.height, outer.bottom - outer.top);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - table.width) / 2, outer.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - table.height) / 2, outer.top);
  }
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

  for (const ControlDescription& control : table.controls) {
    SCOPED_TRACE(control.name);
    const char* expectedClass = ClassFor(control.kind);
    HWND child = GetDlgItem(window, static_cast<int>(control.number));
    if (expectedClass == nullptr) {  // the dialog and the drop target have no window
      EXPECT_EQ(nullptr, child);
      continue;
    }
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(static_cast<int>(control.number), GetDlgCtrlID(child));
    EXPECT_EQ(expectedClass, ClassOf(child));
    RECT box;
    GetWindowRect(child, &box);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(control.left, box.left);
    EXPECT_EQ(control.top, box.top);
    EXPECT_EQ(control.width, box.right - box.left);
    if (control.kind != ControlKind::EditBox || control.multiLine) {
      EXPECT_EQ(control.height, box.bottom - box.top);
    } else {
      EXPECT_GE(box.bottom - box.top, control.height);  // raised to fit its font
    }
    if (control.kind != ControlKind::PictureBox) {
      EXPECT_EQ(control.text, WindowText(child));
    }
    const bool tabStop = (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) != 0;
    EXPECT_EQ(control.kind == ControlKind::EditBox || control.kind == ControlKind::Button, tabStop);
    if (control.font.face != nullptr) {
      LOGFONTA font{};
      GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(child, WM_GETFONT, 0, 0)), sizeof font, &font);
      EXPECT_EQ(-control.font.characterHeight, font.lfHeight);
      EXPECT_EQ(control.font.bold ? FW_BOLD : FW_NORMAL, font.lfWeight);
      EXPECT_EQ(control.font.underline ? 1 : 0, font.lfUnderline);
    }
  }
}

TEST(WindowTablesTest, LookupWindowIsBuiltAsItsTableSays) {
  TestProgram program;
  program.LoadLookupWindow();
  ExpectMatchesTable(program, DescribeLookupWindow(nullptr));
  // The only window with a taskbar button has no owner.
  EXPECT_EQ(nullptr, GetWindow(program.Window(kLookupWindowNumber), GW_OWNER));
}

TEST(WindowTablesTest, EntryWindowIsBuiltAsItsTableSaysAndOwnedByTheToolWindow) {
  TestProgram program;
  program.LoadLookupWindow();
  bool inspected = false;
  RunLater(50, [&] {
    ExpectMatchesTable(program, DescribeEntryWindow());
    HWND entry = program.Window(kEntryWindowNumber);
    EXPECT_NE(nullptr, GetWindow(entry, GW_OWNER));  // the hidden tool window: no taskbar button
    inspected = true;
    PostMessageA(entry, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(program.Services().LoadWindowModal(kEntryWindowNumber));
  EXPECT_TRUE(inspected);
}

TEST(WindowTablesTest, EachLoadStartsFromTheTable) {
  TestProgram program;
  program.LoadLookupWindow();
  for (int round = 0; round < 2; ++round) {
    RunLater(50, [&] {
      HWND entry = program.Window(kEntryWindowNumber);
      EXPECT_EQ("", program.Text(kEntryWindowNumber, entry::kName));
      EXPECT_EQ(nullptr, program.Services().ReadBytes(kEntryWindowNumber, entry::kCover, 10).get());
      EXPECT_EQ(0, program.Services().ReadInteger(kEntryWindowNumber, entry::kCover, 11));
      EXPECT_EQ("", program.Text(kEntryWindowNumber, entry::kFileDialog, 10));
      program.Services().WriteText(kEntryWindowNumber, entry::kName, 8, "typed");
      PostMessageA(entry, WM_CLOSE, 0, 0);
    });
    program.Services().LoadWindowModal(kEntryWindowNumber);
  }
}

}  // namespace
}  // namespace vq::testing
