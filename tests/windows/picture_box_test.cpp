// The cover picture box under Wine: what reaches the screen, icons drawn with
// their masks, animations that advance, and nothing left behind.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_harness.h"
#include "windows/gdi.h"
#include "windows/lookup_window.h"

namespace vq::testing {
namespace {

using namespace lookup;

std::string Fixture(const char* name) { return ReadBytes(std::string(VQ_FIXTURES) + "\\" + name); }

// The box's client area as it is on the screen, 0x00RRGGBB per pixel, top-down.
std::vector<std::uint32_t> Capture(HWND box, int* width, int* height) {
  RECT client;
  GetClientRect(box, &client);
  *width = client.right;
  *height = client.bottom;
  WindowDC screen(box);
  HDC memory = CreateCompatibleDC(screen.get());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = *width;
  info.bmiHeader.biHeight = -*height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, section);
  BitBlt(memory, 0, 0, *width, *height, screen.get(), 0, 0, SRCCOPY);
  std::vector<std::uint32_t> pixels(static_cast<const std::uint32_t*>(bits),
                                    static_cast<const std::uint32_t*>(bits) + (*width) * (*height));
  SelectObject(memory, previous);
  DeleteObject(section);
  DeleteDC(memory);
  for (auto& p : pixels) p &= 0x00FFFFFF;
  return pixels;
}

std::uint32_t CentrePixel(HWND box) {
  int width = 0, height = 0;
  const auto pixels = Capture(box, &width, &height);
  return pixels[static_cast<std::size_t>(height / 2) * width + width / 2];
}

// The pixels of a 24-bit bottom-up bitmap file, read plainly.
std::vector<std::uint32_t> BitmapPixels(const std::string& file, int width, int height) {
  const std::uint32_t offset = *reinterpret_cast<const std::uint32_t*>(file.data() + 10);
  const int stride = (width * 3 + 3) & ~3;
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const unsigned char*>(file.data() + offset + (height - 1 - y) * stride);
    for (int x = 0; x < width; ++x) pixels.push_back(row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16));
  }
  return pixels;
}

class PictureBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_.LoadLookupWindow();
    box_ = program_.Control(kLookupWindowNumber, kCover);
  }
  void Show(const std::string& bytes, int mode = 1) {
    const Bytes cover = MakeByteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    program_.Services().WriteBytes(kLookupWindowNumber, kCover, 10, cover.get());
    program_.Services().WriteInteger(kLookupWindowNumber, kCover, 11, mode);
    Pump(program_.Services(), 100);
  }

  TestProgram program_;
  HWND box_ = nullptr;
};

TEST_F(PictureBoxTest, AFoundCoverIsShownStretchedToTheClientArea) {
  const std::string cover = Fixture("cover-140x228.bmp");
  program_.Put("封面书", "作者", "", "", "", cover);
  program_.Services().WriteText(kLookupWindowNumber, kName, 8, "封面书");
  ClickControl(program_.Control(kLookupWindowNumber, kSearchButton));
  Pump(program_.Services(), 300);
  int width = 0, height = 0;
  const auto shown = Capture(box_, &width, &height);
  ASSERT_EQ(140, width);
  ASSERT_EQ(228, height);
  const auto expected = BitmapPixels(cover, width, height);
  int differing = 0;
  for (std::size_t i = 0; i < shown.size(); ++i) differing += shown[i] != expected[i] ? 1 : 0;
  EXPECT_EQ(0, differing);
  // The bytes come back exactly as stored.
  const Bytes read = program_.Services().ReadBytes(kLookupWindowNumber, kCover, 10);
  EXPECT_EQ(cover, std::string(reinterpret_cast<const char*>(read.data()), read.size()));
}

TEST_F(PictureBoxTest, UndecodableBytesShowTheBackgroundAndStayStored) {
  // The box shows its window's own background (the button face, or a skin's colour).
  WindowDC window(program_.Window(kLookupWindowNumber));
  const COLORREF face = GetPixel(window.get(), 400, 120);  // an empty spot of the client area
  const std::uint32_t background = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
  for (const std::string& bytes : {std::string("\x89PNG\r\n\x1a\n rest", 13), std::string("BM"),
                                   std::string("BM") + std::string(60, '\0')}) {
    Show(Fixture("cover-140x228.bmp"));
    Show(bytes);
    EXPECT_EQ(background, CentrePixel(box_));
    const Bytes read = program_.Services().ReadBytes(kLookupWindowNumber, kCover, 10);
    EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(read.data()), read.size()));
  }
}

TEST_F(PictureBoxTest, IconsAreDrawnFromTheChosenEntry) {
  std::string icon = Fixture("icons.ico");
  // No entry has a colour count of 16 to 255: the last one (16 x 16 green) is shown.
  Show(icon);
  EXPECT_EQ(0x00FF00u, CentrePixel(box_));
  // With the 32 x 32 entry's colour count at 16 it is chosen: a blue disc on yellow.
  icon[6 + 16 + 2] = 16;
  Show(icon);
  EXPECT_EQ(0x0000FFu, CentrePixel(box_));
  // The same image as a cursor, with a hot spot.
  std::string cursor = icon;
  cursor[2] = 2;
  Show(cursor);
  EXPECT_EQ(0x0000FFu, CentrePixel(box_));
}

TEST_F(PictureBoxTest, AnAnimationAdvancesInTheOrderOfItsFrames) {
  Show(Fixture("anim.gif"));
  std::vector<std::uint32_t> seen;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 2500 && seen.size() < 6) {
    const std::uint32_t pixel = CentrePixel(box_);
    if (seen.empty() || seen.back() != pixel) seen.push_back(pixel);
    Pump(program_.Services(), 20);
  }
  ASSERT_GE(seen.size(), 4u);
  const std::vector<std::uint32_t> order = {0xFF0000, 0x00FF00, 0x0000FF};
  std::size_t at = 0;
  while (at < order.size() && order[at] != seen[0]) ++at;
  ASSERT_LT(at, order.size());
  for (std::uint32_t pixel : seen) {
    EXPECT_EQ(order[at], pixel);
    at = (at + 1) % order.size();
  }
}

int ThreadCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

TEST(PictureBoxStressTest, ReplacingAndDestroyingWhilePlayingLeavesNothingBehind) {
  const std::string gif = Fixture("anim.gif");
  const std::string bitmap = Fixture("cover-140x228.bmp");
  const int threadsBefore = ThreadCount();
  const long gdiBefore = LiveGdiObjects();
  const long userBefore = LiveUserObjects();
  DWORD handlesBefore = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
  {
    TestProgram program;
    program.LoadLookupWindow();
    for (int i = 0; i < 1000; ++i) {
      const std::string& bytes = i % 3 == 2 ? bitmap : gif;
      const Bytes cover = MakeByteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
      program.Services().WriteBytes(kLookupWindowNumber, kCover, 10, cover.get());
      program.Services().WriteInteger(kLookupWindowNumber, kCover, 11, 1 + i % 2);
      if (i % 50 == 0) Pump(program.Services(), 5);
    }
    Pump(program.Services(), 300);  // the last one (a GIF) is playing
    EXPECT_GT(ThreadCount(), threadsBefore);
    DestroyWindow(program.Window(kLookupWindowNumber));
    Pump(program.Services(), 100);
  }
  EXPECT_EQ(threadsBefore, ThreadCount());
  EXPECT_EQ(gdiBefore, LiveGdiObjects());
  EXPECT_EQ(userBefore, LiveUserObjects());
  DWORD handlesAfter = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
  EXPECT_LE(handlesAfter, handlesBefore + 4);  // the system may keep a few of its own
}

}  // namespace
}  // namespace vq::testing
