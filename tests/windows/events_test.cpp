// Events on a window of the test's own: the left-button-pressed event's
// arguments and swallow rule, and the drop target's other kinds.
#include <gtest/gtest.h>

#include <string>

#include "drag_source.h"
#include "ui_harness.h"

namespace vq::testing {
namespace {

constexpr std::uint32_t kTestWindow = 4242;
constexpr std::uint32_t kLabel = 1001, kSwallowingEdit = 1002, kPassingEdit = 1003, kBox = 1004, kDrop = 1005;

struct Recorded {
  int presses = 0;
  int x = -1, y = -1, modifiers = -1;
  std::string dropped;
  int drops = 0;
};
Recorded gRecorded;

HandlerResult RecordPress(const Event& event) {
  ++gRecorded.presses;
  gRecorded.x = event.x;
  gRecorded.y = event.y;
  gRecorded.modifiers = event.modifiers;
  return HandlerResult::NoValue;
}
HandlerResult Swallow(const Event&) { return HandlerResult::False; }
HandlerResult PassOn(const Event&) { return HandlerResult::True; }
HandlerResult RecordDrop(const Event& event) {
  ++gRecorded.drops;
  gRecorded.dropped = event.text != nullptr ? event.text : "(null)";
  return HandlerResult::NoValue;
}

WindowDescription TestWindow() {
  WindowDescription window;
  window.number = kTestWindow;
  window.title = "events";
  window.width = 400;
  window.height = 300;
  window.controls = {
      Row("label", ControlKind::Label, kLabel, 10, 10, 200, 20, "press here"),
      Row("swallowing", ControlKind::EditBox, kSwallowingEdit, 10, 40, 150, 24, ""),
      Row("passing", ControlKind::EditBox, kPassingEdit, 10, 70, 150, 24, ""),
      Row("box", ControlKind::PictureBox, kBox, 200, 40, 150, 150, ""),
      Row("drop", ControlKind::DropTarget, kDrop, 0, 0, 0, 0, ""),
  };
  window.controls[0].leftButtonPressed = RecordPress;
  window.controls[1].leftButtonPressed = Swallow;
  window.controls[2].leftButtonPressed = PassOn;
  window.controls[4].attachedTo = kBox;
  window.controls[4].textDropped = RecordDrop;
  window.controls[4].filesDropped = RecordDrop;
  window.tabOrder = {kSwallowingEdit, kPassingEdit};
  return window;
}

class EventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gRecorded = Recorded{};
    program_.Services().AddDescription(kTestWindow, TestWindow);
    ASSERT_EQ(StartupLoad::Shown, program_.Services().LoadStartupWindow(kTestWindow));
    Focus(program_.Window(kTestWindow));
    Pump(program_.Services(), 50);
  }
  HWND Control(std::uint32_t number) { return program_.Control(kTestWindow, number); }

  TestProgram program_;
};

TEST_F(EventsTest, LeftPressCarriesPositionAndKeys) {
  struct Case {
    int x, y;
    WORD key;  // held during the press, 0 for none
    int modifiers;
  };
  const Case cases[] = {{5, 7, 0, 0}, {120, 3, VK_CONTROL, 1}, {60, 12, VK_SHIFT, 2}};
  for (const Case& c : cases) {
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = c.key;
    if (c.key != 0) SendInput(1, &key, sizeof key);
    ClickControl(Control(kLabel), c.x, c.y);
    Pump(program_.Services(), 100);
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    if (c.key != 0) SendInput(1, &key, sizeof key);
    Pump(program_.Services(), 50);
    EXPECT_EQ(c.x, gRecorded.x);
    EXPECT_EQ(c.y, gRecorded.y);
    EXPECT_EQ(c.modifiers, gRecorded.modifiers);
  }
  EXPECT_EQ(3, gRecorded.presses);
}

TEST_F(EventsTest, AnAnswerOfFalseSwallowsThePress) {
  SetFocus(Control(kPassingEdit));
  ClickControl(Control(kSwallowingEdit));
  Pump(program_.Services(), 100);
  EXPECT_EQ(Control(kPassingEdit), GetFocus());  // the edit box never saw the press
  SetFocus(Control(kSwallowingEdit));
  ClickControl(Control(kPassingEdit));
  Pump(program_.Services(), 100);
  EXPECT_EQ(Control(kPassingEdit), GetFocus());
}

TEST_F(EventsTest, TextIsAcceptedOnlyWhenItsSettingIsOn) {
  WindowServices& services = program_.Services();
  ASSERT_TRUE(services.RegisterDropWindow(kTestWindow, kDrop, Control(kBox)));
  EXPECT_EQ(0, services.ReadInteger(kTestWindow, kDrop, 8));
  EXPECT_EQ(1, services.ReadInteger(kTestWindow, kDrop, 11));
  auto pump = [&] { Pump(services, 20); };
  DragOnto(Control(kBox), CF_TEXT, MakeTextGlobal("拖来的文字"), DROPEFFECT_COPY, 0, pump);
  EXPECT_EQ(0, gRecorded.drops);
  services.WriteInteger(kTestWindow, kDrop, 8, 1);
  const DragOutcome outcome = DragOnto(Control(kBox), CF_TEXT, MakeTextGlobal("拖来的文字"), DROPEFFECT_COPY, 0, pump);
  EXPECT_EQ(1, gRecorded.drops);
  EXPECT_EQ("拖来的文字", gRecorded.dropped);
  EXPECT_TRUE(FAILED(outcome.result));
  EXPECT_EQ(DROPEFFECT_NONE, outcome.effect);
  // Files off: a file list is refused.
  services.WriteInteger(kTestWindow, kDrop, 11, 0);
  DragOnto(Control(kBox), CF_HDROP, MakeFileList({"C:\\x.txt"}), DROPEFFECT_COPY, 0, pump);
  EXPECT_EQ(1, gRecorded.drops);
  // Files on again: several paths, each followed by CR LF.
  services.WriteInteger(kTestWindow, kDrop, 11, 1);
  services.WriteInteger(kTestWindow, kDrop, 8, 0);
  DragOnto(Control(kBox), CF_HDROP, MakeFileList({"C:\\a.txt", "C:\\乗.jpg"}), DROPEFFECT_COPY, 0, pump);
  EXPECT_EQ(2, gRecorded.drops);
  EXPECT_EQ("C:\\a.txt\r\nC:\\乗.jpg\r\n", gRecorded.dropped);
  DragOnto(Control(kBox), CF_HDROP, MakeFileList({"C:\\only.txt"}), DROPEFFECT_COPY, 0, pump);
  EXPECT_EQ("C:\\only.txt", gRecorded.dropped);  // one path alone, no line end
}

TEST_F(EventsTest, FocusComesBackToTheControlThatHadIt) {
  SetFocus(Control(kPassingEdit));
  HWND window = program_.Window(kTestWindow);
  HWND other = CreateWindowExA(0, "Static", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
  Focus(other);
  Pump(program_.Services(), 100);
  EXPECT_NE(window, GetActiveWindow());
  Focus(window);
  Pump(program_.Services(), 100);
  EXPECT_EQ(Control(kPassingEdit), GetFocus());
  DestroyWindow(other);
}

}  // namespace
}  // namespace vq::testing
