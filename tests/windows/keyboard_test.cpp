// The keyboard rules with real input: Esc closes, Enter does nothing but a
// line break in an editable multi-line box, Tab and Shift+Tab follow the tab
// order with wrap over visible, enabled controls.
#include <gtest/gtest.h>

#include <vector>

#include "ui_harness.h"
#include "windows/entry_window.h"
#include "windows/lookup_window.h"

namespace vq::testing {
namespace {

std::uint32_t FocusedNumber() { return static_cast<std::uint32_t>(GetDlgCtrlID(GetFocus())); }

// Presses Tab (or Shift+Tab) once per expected stop and checks where the focus lands.
void ExpectTabWalk(WindowServices& services, bool backwards, const std::vector<std::uint32_t>& stops) {
  for (std::uint32_t expected : stops) {
    PressKey(VK_TAB, backwards);
    Pump(services, 60);
    EXPECT_EQ(expected, FocusedNumber());
  }
}

TEST(KeyboardTest, LookupWindowTabOrderWrapsBothWays) {
  MessageBoxCloser boxes;
  TestProgram program;
  program.LoadLookupWindow();
  WindowServices& services = program.Services();
  EXPECT_EQ(lookup::kName, FocusedNumber());  // the first of the tab order gets the focus
  ExpectTabWalk(services, false,
                {lookup::kSearchButton, lookup::kSynopsis, lookup::kAddButton, lookup::kName, lookup::kSearchButton});
  ExpectTabWalk(services, true, {lookup::kName, lookup::kAddButton, lookup::kSynopsis});
  // Disabled and hidden controls are stepped over.
  SetFocus(program.Control(kLookupWindowNumber, lookup::kName));
  services.WriteInteger(kLookupWindowNumber, lookup::kSearchButton, 6, 1);
  services.WriteInteger(kLookupWindowNumber, lookup::kSynopsis, 5, 0);
  ExpectTabWalk(services, false, {lookup::kAddButton, lookup::kName});
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST(KeyboardTest, EnterNeverSearchesAndEscClosesTheLookupWindow) {
  MessageBoxCloser boxes;
  TestProgram program;
  HWND window = program.LoadLookupWindow();
  PressKey('A');
  PressKey(VK_RETURN);
  Pump(program.Services(), 200);
  EXPECT_TRUE(boxes.Seen().empty());  // no search ran: it would have said "not found"
  EXPECT_EQ("a", program.Text(kLookupWindowNumber, lookup::kName));  // no line break either
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil(program.Services(), [&] { return !IsWindow(window); }, 3000));
}

TEST(KeyboardTest, EntryWindowKeys) {
  MessageBoxCloser boxes;
  TestProgram program;
  program.LoadLookupWindow();
  WindowServices& services = program.Services();
  bool walked = false;
  RunLater(100, [&] {
    HWND entry = program.Window(kEntryWindowNumber);
    Focus(entry);
    Pump(services, 60);
    EXPECT_EQ(entry::kName, FocusedNumber());
    ExpectTabWalk(services, false,
                  {entry::kAuthor, entry::kSynopsis, entry::kAddress, entry::kSaveButton, entry::kCategory,
                   entry::kName});
    ExpectTabWalk(services, true, {entry::kCategory, entry::kSaveButton});
    // Enter keeps its line break in the synopsis; Tab there moves on.
    SetFocus(program.Control(kEntryWindowNumber, entry::kSynopsis));
    PressKey('X');
    PressKey(VK_RETURN);
    PressKey('Y');
    PressKey(VK_TAB);
    Pump(services, 100);
    EXPECT_EQ("x\r\ny", program.Text(kEntryWindowNumber, entry::kSynopsis));
    EXPECT_EQ(entry::kAddress, FocusedNumber());
    // Enter on the save button does not save.
    SetFocus(program.Control(kEntryWindowNumber, entry::kSaveButton));
    PressKey(VK_RETURN);
    Pump(services, 200);
    EXPECT_TRUE(boxes.Seen().empty());
    walked = true;
    // Esc while typing closes the window at once.
    SetFocus(program.Control(kEntryWindowNumber, entry::kSynopsis));
    PressKey(VK_ESCAPE);
  });
  services.LoadWindowModal(kEntryWindowNumber);
  EXPECT_TRUE(walked);
  EXPECT_EQ(nullptr, program.Window(kEntryWindowNumber));
  EXPECT_NE(nullptr, program.Window(kLookupWindowNumber));
}

}  // namespace
}  // namespace vq::testing
