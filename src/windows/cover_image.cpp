#include "windows/cover_image.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "imaging/imaging.h"
#include "windows/gdi.h"
#include "windows/picture_box.h"

namespace vq {
namespace {

bool AnyTransparent(const imaging::Image& image) {
  return std::any_of(image.pixels.begin(), image.pixels.end(), [](std::uint32_t p) { return (p >> 24) == 0; });
}

class BitmapCover final : public DecodedCover {
 public:
  BitmapCover(imaging::Image image, int naturalWidth, int naturalHeight)
      : image_(std::move(image)),
        naturalWidth_(naturalWidth),
        naturalHeight_(naturalHeight),
        transparent_(AnyTransparent(image_)) {}
  int Width() const override { return naturalWidth_; }
  int Height() const override { return naturalHeight_; }
  void Draw(HDC dc, const RECT& target, COLORREF background) override {
    DrawPixels(dc, target, image_.width, image_.height, image_.pixels.data(), transparent_, background);
  }

 private:
  imaging::Image image_;
  int naturalWidth_;
  int naturalHeight_;
  bool transparent_;
};

class IconCover final : public DecodedCover {
 public:
  IconCover(IconHandle icon, int width, int height) : icon_(std::move(icon)), width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void Draw(HDC dc, const RECT& target, COLORREF) override {
    DrawIconEx(dc, target.left, target.top, icon_.get(), target.right - target.left, target.bottom - target.top, 0,
               nullptr, DI_NORMAL);
  }

 private:
  IconHandle icon_;
  int width_;
  int height_;
};

// Plays the frames on a worker thread of its own that draws straight into
// the box; painting on the interface thread draws the current frame.
class AnimatedCover final : public DecodedCover {
 public:
  explicit AnimatedCover(imaging::GifAnimation animation) : animation_(std::move(animation)) {
    for (const auto& frame : animation_.frames) transparent_.push_back(AnyTransparent(frame.image));
  }
  ~AnimatedCover() override { Stop(); }
  int Width() const override { return animation_.width; }
  int Height() const override { return animation_.height; }
  bool IsAnimated() const override { return true; }

  void Draw(HDC dc, const RECT& target, COLORREF background) override {
    const std::size_t index = current_.load();
    const imaging::Image& image = animation_.frames[index].image;
    DrawPixels(dc, target, image.width, image.height, image.pixels.data(), transparent_[index], background);
  }

  void Place(const CoverPlacement& placement) override {
    displayMode_ = placement.displayMode;
    background_ = placement.background;
  }

  void Start(HWND box, const CoverPlacement& placement) override {
    if (worker_.joinable() || animation_.frames.size() < 2) return;
    Place(placement);
    stop_ = false;
    try {
      worker_ = std::thread([this, box] { Play(box); });
    } catch (const std::system_error&) {
      // No thread to be had: the first frame simply stays.
    }
  }

  void Stop() override {
    if (!worker_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
  }

 private:
  void Play(HWND box) {
    // Without the loop extension it plays once and stays on its last frame;
    // a loop count of 0 plays forever.
    const int plays = animation_.hasLoopExtension ? animation_.loopCount : 1;
    for (int played = 0; plays == 0 || played < plays; ++played) {
      for (std::size_t index = played == 0 ? 1 : 0; index < animation_.frames.size(); ++index) {
        if (!Wait(animation_.frames[current_.load()].delayMs)) return;
        current_ = index;
        DrawInto(box);
      }
    }
  }

  bool Wait(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stop_; });
  }

  void DrawInto(HWND box) {
    RECT client;
    if (!GetClientRect(box, &client)) return;
    const RECT target = DisplayRectangle(displayMode_.load(), client.right, client.bottom, Width(), Height());
    WindowDC dc(box);
    if (dc.get() == nullptr) return;
    const COLORREF background = background_.load();
    Brush fill(CreateSolidBrush(background));
    // Fill only around the frame, so the frame itself does not flicker.
    GdiObject<HRGN> outside(CreateRectRgnIndirect(&client));
    GdiObject<HRGN> inside(CreateRectRgnIndirect(&target));
    CombineRgn(outside.get(), outside.get(), inside.get(), RGN_DIFF);
    FillRgn(dc.get(), outside.get(), fill.get());
    Draw(dc.get(), target, background);
  }

  imaging::GifAnimation animation_;
  std::vector<bool> transparent_;
  std::atomic<std::size_t> current_{0};
  std::atomic<int> displayMode_{0};
  std::atomic<COLORREF> background_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread worker_;
};

std::unique_ptr<DecodedCover> MakeIconCover(const unsigned char* bytes, std::size_t length) {
  const std::optional<imaging::IconEntry> entry = imaging::SelectIconEntry(bytes, length);
  if (!entry) return nullptr;
  // A cursor's resource form starts with its hot spot.
  std::vector<BYTE> resource;
  if (entry->isCursor) {
    const WORD hotspot[2] = {static_cast<WORD>(entry->hotspotX), static_cast<WORD>(entry->hotspotY)};
    resource.resize(sizeof hotspot);
    std::memcpy(resource.data(), hotspot, sizeof hotspot);
  }
  resource.insert(resource.end(), bytes + entry->offset, bytes + entry->offset + entry->size);
  IconHandle icon(CreateIconFromResourceEx(resource.data(), static_cast<DWORD>(resource.size()),
                                           entry->isCursor ? FALSE : TRUE, 0x00030000, entry->width, entry->height,
                                           LR_DEFAULTCOLOR));
  if (icon.get() == nullptr) return nullptr;
  return std::make_unique<IconCover>(std::move(icon), entry->width, entry->height);
}

}  // namespace

void DrawPixels(HDC dc, const RECT& target, int width, int height, const std::uint32_t* pixels, bool hasTransparency,
                COLORREF background) {
  if (width <= 0 || height <= 0) return;
  // The copy may be as large as the decoders allow (256 MiB): when the heap
  // cannot give it, transparent parts draw as black rather than end the program.
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::unique_ptr<std::uint32_t[]> flattened(hasTransparency ? new (std::nothrow) std::uint32_t[count] : nullptr);
  if (flattened != nullptr) {
    const std::uint32_t fill = 0xFF000000u | (GetRValue(background) << 16) | (GetGValue(background) << 8) |
                               GetBValue(background);
    for (std::size_t i = 0; i < count; ++i) flattened[i] = (pixels[i] >> 24) == 0 ? fill : pixels[i];
    pixels = flattened.get();
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const bool deepScreen = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) > 16;
  const int previousMode = SetStretchBltMode(dc, deepScreen ? HALFTONE : COLORONCOLOR);
  POINT previousOrigin;
  SetBrushOrgEx(dc, 0, 0, &previousOrigin);
  StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0, 0, width,
                height, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  SetBrushOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
  SetStretchBltMode(dc, previousMode);
}

namespace {

std::unique_ptr<DecodedCover> DecodeKnownKind(const unsigned char* bytes, std::size_t length, SIZE clientSize,
                                              bool playAnimation) {
  using imaging::ImageKind;
  switch (imaging::RecogniseImageKind(bytes, length)) {
    case ImageKind::Bitmap:
      if (auto image = imaging::DecodeBitmap(bytes, length)) {
        const int w = image->width, h = image->height;
        return std::make_unique<BitmapCover>(std::move(*image), w, h);
      }
      return nullptr;
    case ImageKind::Pcx8:
    case ImageKind::Pcx1:
      if (auto image = imaging::DecodePcx(bytes, length)) {
        const int w = image->width, h = image->height;
        return std::make_unique<BitmapCover>(std::move(*image), w, h);
      }
      return nullptr;
    case ImageKind::Jpeg:
      if (auto jpeg = imaging::DecodeJpeg(bytes, length, clientSize.cx, clientSize.cy)) {
        return std::make_unique<BitmapCover>(std::move(jpeg->image), jpeg->naturalWidth, jpeg->naturalHeight);
      }
      return nullptr;
    case ImageKind::Icon:
    case ImageKind::Cursor: return MakeIconCover(bytes, length);
    case ImageKind::Gif:
      if (auto animation = imaging::DecodeGif(bytes, length, playAnimation)) {
        if (animation->frames.empty()) return nullptr;
        if (animation->frames.size() == 1) {
          const int w = animation->width, h = animation->height;
          return std::make_unique<BitmapCover>(std::move(animation->frames.front().image), w, h);
        }
        return std::make_unique<AnimatedCover>(std::move(*animation));
      }
      return nullptr;
    case ImageKind::None: return nullptr;
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<DecodedCover> DecodeCover(const unsigned char* bytes, std::size_t length, SIZE clientSize,
                                          bool playAnimation) {
  // A cover is untrusted: one the memory cannot hold is shown as nothing.
  try {
    return DecodeKnownKind(bytes, length, clientSize, playAnimation);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace vq
