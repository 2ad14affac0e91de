// The cover picture box: keeps exactly the bytes it was given, decodes them
// once when they are written, and draws the result by its display mode.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "windows/controls.h"

namespace vq {

class DecodedCover;

inline constexpr std::uint32_t kSystemButtonFace = 0xFF000000u;
inline constexpr char kPictureBoxClassName[] = "VellorinQuobarraPicture";

class PictureBox final : public Control {
 public:
  explicit PictureBox(const ControlDescription& description);
  ~PictureBox() override;
  bool Create(LoadedWindow& owner, HWND parent) override;
  void ParentDestroyed() override;

  Bytes ReadBytes(int property) override;
  void WriteBytes(int property, const ByteBlock* value) override;
  std::int32_t ReadInteger(int property) override;
  void WriteInteger(int property, std::int32_t value) override;

  // Registers the window class once per process.
  static bool RegisterWindowClass(HINSTANCE instance);
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // What painting does: fill with the background, draw the decoded image.
  void Paint(HDC dc, const RECT& client);
  bool HasDecodedImage() const { return cover_ != nullptr; }

 private:
  void Decode();
  void StartAnimation();
  void StopAnimation();
  COLORREF Background() const;

  unsigned char* stored_ = nullptr;  // a private copy of the written bytes
  std::int32_t storedLength_ = 0;
  std::unique_ptr<DecodedCover> cover_;
  std::int32_t border_ = 1;
  std::uint32_t backgroundColour_ = kSystemButtonFace;
  std::int32_t displayMode_ = 0;
  bool playAnimation_ = true;
};

// The drawing rectangle of an image of w x h in a client area of W x H.
RECT DisplayRectangle(int mode, int clientWidth, int clientHeight, int imageWidth, int imageHeight);

}  // namespace vq
