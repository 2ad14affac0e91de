#include "painter.h"

#include <algorithm>

namespace vqskin {
namespace {

using vq::skin::ButtonShape;
using vq::skin::CaptionFill;
using vq::skin::CloseBoxShape;
using vq::skin::CornerShape;
using vq::skin::FocusMark;
using vq::skin::FrameStyle;

std::uint32_t Lerp(std::uint32_t from, std::uint32_t to, int step, int steps) {
  if (steps <= 0) return from;
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = static_cast<int>((from >> shift) & 0xFF);
    const int b = static_cast<int>((to >> shift) & 0xFF);
    out |= static_cast<std::uint32_t>(a + (b - a) * step / steps) << shift;
  }
  return out;
}

// Mixes in white (amount > 0) or black (amount < 0), in percent.
std::uint32_t Shade(std::uint32_t colour, int percent) {
  return percent >= 0 ? Lerp(colour, 0xFFFFFF, percent, 100) : Lerp(colour, 0x000000, -percent, 100);
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

void Fill(HDC dc, const RECT& r, std::uint32_t colour) {
  const Brush brush(CreateSolidBrush(ToColorRef(colour)));
  FillRect(dc, &r, brush.get());
}

void Outline(HDC dc, const RECT& r, std::uint32_t colour) {
  const Brush brush(CreateSolidBrush(ToColorRef(colour)));
  FrameRect(dc, &r, brush.get());
}

void Line(HDC dc, int x1, int y1, int x2, int y2, std::uint32_t colour) {
  const Pen pen(CreatePen(PS_SOLID, 1, ToColorRef(colour)));
  const Selection select(dc, pen.get());
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

// A rounded (radius > 0) or square outline with a 1-pixel pen and no fill.
void ShapeOutline(HDC dc, const RECT& r, int radius, std::uint32_t colour) {
  const Pen pen(CreatePen(PS_SOLID, 1, ToColorRef(colour)));
  const Selection selectPen(dc, pen.get());
  const Selection selectBrush(dc, GetStockObject(NULL_BRUSH));
  if (radius > 0) {
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 2 * radius, 2 * radius);
  } else {
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
  }
}

void VerticalGradient(HDC dc, const RECT& r, std::uint32_t top, std::uint32_t bottom) {
  const int height = r.bottom - r.top;
  for (int y = 0; y < height; ++y) {
    const RECT row{r.left, r.top + y, r.right, r.top + y + 1};
    Fill(dc, row, Lerp(top, bottom, y, std::max(1, height - 1)));
  }
}

void FillCaption(Canvas& canvas, const RECT& r, const vq::skin::CaptionLook& caption,
                 const vq::skin::CaptionState& state, const Texture* texture) {
  canvas.Sync();
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const int glossSplit = height / 2;
  for (int y = 0; y < height; ++y) {
    std::uint32_t* row = canvas.Row(r.top + y) + r.left;
    for (int x = 0; x < width; ++x) {
      std::uint32_t colour = state.top;
      switch (caption.fill) {
        case CaptionFill::VerticalGradient: colour = Lerp(state.top, state.bottom, y, std::max(1, height - 1)); break;
        case CaptionFill::HorizontalGradient: colour = Lerp(state.top, state.bottom, x, std::max(1, width - 1)); break;
        case CaptionFill::Glossy:
          colour = y < glossSplit ? Lerp(Shade(state.top, 55), Shade(state.top, 20), y, std::max(1, glossSplit - 1))
                                  : Lerp(state.top, state.bottom, y - glossSplit, std::max(1, height - glossSplit - 1));
          break;
        default: break;
      }
      if (texture != nullptr) {
        const std::uint32_t pixel =
            texture->pixels[static_cast<std::size_t>((y % texture->height) * texture->width + (x % texture->width))];
        if ((pixel >> 24) != 0) colour = pixel & 0xFFFFFF;
      }
      row[x] = colour;
    }
  }
}

void PaintCloseBox(HDC dc, const RECT& box, const vq::skin::CloseBoxLook& look, bool active, BoxState state) {
  const vq::skin::PaintPair& pair =
      state == BoxState::Pressed ? look.pressed : state == BoxState::Hot ? look.hot : look.normal;
  const std::uint32_t glyph = !active && state == BoxState::Normal ? look.inactiveGlyph : pair.glyph;
  const int size = box.right - box.left;
  {
    const Brush face(CreateSolidBrush(ToColorRef(pair.face)));
    const Pen border(CreatePen(PS_SOLID, 1, ToColorRef(look.border)));
    const Selection selectBrush(dc, face.get());
    const Selection selectPen(dc, border.get());
    switch (look.shape) {
      case CloseBoxShape::Square: Rectangle(dc, box.left, box.top, box.right, box.bottom); break;
      case CloseBoxShape::RoundRect:
        RoundRect(dc, box.left, box.top, box.right, box.bottom, size / 2, size / 2);
        break;
      case CloseBoxShape::Circle: Ellipse(dc, box.left, box.top, box.right, box.bottom); break;
      case CloseBoxShape::GlyphOnly:
        if (state != BoxState::Normal) RoundRect(dc, box.left, box.top, box.right, box.bottom, 4, 4);
        break;
      case CloseBoxShape::Tab: {
        // Hangs from the top frame: square top, rounded bottom corners.
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
        RoundRect(dc, box.left, box.top - 10, box.right, box.bottom, 10, 10);
        RestoreDC(dc, saved);
        break;
      }
      case CloseBoxShape::Count: break;
    }
  }
  const int boxHeight = box.bottom - box.top;
  const int glyphSize = std::max(4, std::min(size, boxHeight) * 2 / 5);
  const int offset = state == BoxState::Pressed ? 1 : 0;
  const int left = box.left + (size - glyphSize) / 2 + offset;
  const int top = box.top + (boxHeight - glyphSize) / 2 + offset;
  LOGBRUSH brush{BS_SOLID, ToColorRef(glyph), 0};
  const Pen pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER, look.thickness, &brush, 0, nullptr));
  const Selection selectPen(dc, pen.get());
  MoveToEx(dc, left, top, nullptr);
  LineTo(dc, left + glyphSize, top + glyphSize);
  MoveToEx(dc, left + glyphSize, top, nullptr);
  LineTo(dc, left, top + glyphSize);
}

void PaintFrameEdges(HDC dc, const vq::skin::FrameLook& frame, const FrameGeometry& g, std::uint32_t fill) {
  const int w = g.width;
  const int h = g.height;
  const int f = g.frame;
  if (frame.style == FrameStyle::Raised && f >= 3) {
    const std::uint32_t light = Shade(fill, 45);
    const std::uint32_t dark = Shade(fill, -35);
    Line(dc, 1, h - 2, 1, 1, light);
    Line(dc, 1, 1, w - 2, 1, light);
    Line(dc, w - 2, 1, w - 2, h - 2, dark);
    Line(dc, w - 2, h - 2, 0, h - 2, dark);
  } else if (frame.style == FrameStyle::Double && f >= 4) {
    const int m = f / 2;
    Outline(dc, RECT{m, m, w - m, h - m}, frame.outer);
  }
  // The outermost line follows the corner shape; the window region cuts
  // away what lies outside it.
  const int r = frame.radius;
  switch (frame.corners) {
    case CornerShape::Round: ShapeOutline(dc, RECT{0, 0, w, h}, r, frame.outer); break;
    case CornerShape::RoundTop:
      ShapeOutline(dc, RECT{0, 0, w, h + 2 * r + 2}, r, frame.outer);
      Line(dc, 0, h - 1, w, h - 1, frame.outer);
      break;
    case CornerShape::Chamfer: {
      const POINT points[] = {{r, 0}, {w - 1 - r, 0}, {w - 1, r}, {w - 1, h - 1 - r},
                              {w - 1 - r, h - 1}, {r, h - 1}, {0, h - 1 - r}, {0, r}, {r, 0}};
      const Pen pen(CreatePen(PS_SOLID, 1, ToColorRef(frame.outer)));
      const Selection select(dc, pen.get());
      Polyline(dc, points, static_cast<int>(std::size(points)));
      break;
    }
    default: Outline(dc, RECT{0, 0, w, h}, frame.outer); break;
  }
  if (f >= 2) Outline(dc, RECT{f - 1, f + g.caption - 1, w - f + 1, h - f + 1}, frame.inner);
}

}  // namespace

FrameGeometry ComputeFrameGeometry(const vq::skin::Skin& skin, int width, int height, bool hasSystemMenu,
                                   bool hasIcon) {
  FrameGeometry g;
  g.width = width;
  g.height = height;
  g.frame = skin.frame.width;
  g.caption = skin.caption.height;
  const int f = g.frame;
  const int c = g.caption;
  g.captionRect = {f, f, width - f, f + c};
  g.hasClose = hasSystemMenu;
  if (g.hasClose) {
    const vq::skin::CloseBoxLook& box = skin.closeBox;
    const int right = width - f - box.margin;
    if (box.shape == CloseBoxShape::Tab) {
      g.closeRect = {right - box.size * 3 / 2, f, right, f + c};
    } else {
      const int top = f + (c - box.size) / 2;
      g.closeRect = {right - box.size, top, right, top + box.size};
    }
  }
  g.hasIcon = hasIcon && skin.caption.showIcon;
  int textLeft = f + skin.caption.indent + 2;
  if (g.hasIcon) {
    const int size = std::min(16, c - 2);
    const int top = f + (c - size) / 2;
    g.iconRect = {f + skin.caption.indent, top, f + skin.caption.indent + size, top + size};
    textLeft = g.iconRect.right + 5;
  }
  const int textRight = g.hasClose ? static_cast<int>(g.closeRect.left) - 4 : width - f - 4;
  g.textRect = {textLeft, f, std::max(textLeft, textRight), f + c};
  return g;
}

LRESULT HitTestFrame(const FrameGeometry& g, POINT p) {
  if (p.x < 0 || p.y < 0 || p.x >= g.width || p.y >= g.height) return HTNOWHERE;
  if (g.hasClose && PtInRect(&g.closeRect, p)) return HTCLOSE;
  const RECT client = g.ClientRect();
  if (PtInRect(&client, p)) return HTCLIENT;
  if (p.x < g.frame || p.y < g.frame || p.x >= g.width - g.frame || p.y >= g.height - g.frame) return HTBORDER;
  if (g.hasIcon && PtInRect(&g.iconRect, p)) return HTSYSMENU;
  return HTCAPTION;
}

void PaintFrame(Canvas& canvas, const SkinResources& look, const FrameGeometry& g, const FrameState& state) {
  const vq::skin::Skin& skin = look.skin();
  const HDC dc = canvas.dc();
  const std::uint32_t fill = state.active ? skin.frame.activeFill : skin.frame.inactiveFill;
  const RECT client = g.ClientRect();
  // The frame ring.
  Fill(dc, RECT{0, 0, g.width, g.frame}, fill);
  Fill(dc, RECT{0, g.frame, g.frame, g.height}, fill);
  Fill(dc, RECT{g.width - g.frame, g.frame, g.width, g.height}, fill);
  Fill(dc, RECT{g.frame, client.bottom, g.width - g.frame, g.height}, fill);

  const vq::skin::CaptionState& caption = state.active ? skin.caption.active : skin.caption.inactive;
  if (!IsEmpty(g.captionRect)) FillCaption(canvas, g.captionRect, skin.caption, caption, look.texture(caption.texture));
  PaintFrameEdges(dc, skin.frame, g, fill);

  if (g.hasIcon && state.icon != nullptr) {
    DrawIconEx(dc, g.iconRect.left, g.iconRect.top, state.icon, g.iconRect.right - g.iconRect.left,
               g.iconRect.bottom - g.iconRect.top, 0, nullptr, DI_NORMAL);
  }
  if (state.title != nullptr && state.title[0] != '\0' && !IsEmpty(g.textRect)) {
    const Selection font(dc, look.captionFont());
    SetBkMode(dc, TRANSPARENT);
    RECT text = g.textRect;
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX |
                        (skin.caption.align == vq::skin::TextAlign::Centre ? DT_CENTER : DT_LEFT);
    if (skin.caption.shadow) {
      RECT shadow = text;
      OffsetRect(&shadow, 1, 1);
      SetTextColor(dc, ToColorRef(skin.caption.shadowColour));
      DrawTextA(dc, state.title, -1, &shadow, format);
    }
    SetTextColor(dc, ToColorRef(caption.text));
    DrawTextA(dc, state.title, -1, &text, format);
  }
  if (g.hasClose) PaintCloseBox(dc, g.closeRect, skin.closeBox, state.active, state.close);
}

HRGN MakeFrameRegion(const vq::skin::FrameLook& frame, int width, int height) {
  const int r = frame.radius;
  if (r == 0) return nullptr;
  switch (frame.corners) {
    case CornerShape::Round: return CreateRoundRectRgn(0, 0, width + 1, height + 1, 2 * r, 2 * r);
    case CornerShape::RoundTop: {
      HRGN top = CreateRoundRectRgn(0, 0, width + 1, height + 2 * r + 3, 2 * r, 2 * r);
      Region bottom(CreateRectRgn(0, height / 2, width, height));
      CombineRgn(top, top, bottom.get(), RGN_OR);
      Region clip(CreateRectRgn(0, 0, width, height));
      CombineRgn(top, top, clip.get(), RGN_AND);
      return top;
    }
    case CornerShape::Chamfer: {
      const POINT points[] = {{r, 0}, {width - r, 0}, {width, r}, {width, height - r},
                              {width - r, height}, {r, height}, {0, height - r}, {0, r}};
      return CreatePolygonRgn(points, static_cast<int>(std::size(points)), WINDING);
    }
    default: return nullptr;
  }
}

void PaintButton(HDC target, const RECT& rect, const SkinResources& look, const ButtonPaintState& state,
                 const char* text, HFONT font) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  Canvas canvas(target, width, height);
  if (!canvas.ok()) return;
  const HDC dc = canvas.dc();
  const vq::skin::Skin& skin = look.skin();
  const vq::skin::ButtonLook& button = skin.button;
  const vq::skin::ButtonState& colours = state.disabled  ? button.disabled
                                         : state.pressed ? button.pressed
                                         : state.hot     ? button.hot
                                                         : button.normal;
  Fill(dc, RECT{0, 0, width, height}, skin.window.background);

  int radius = button.radius;
  bool gradient = true;
  bool filled = true;
  switch (button.shape) {
    case ButtonShape::Flat: radius = 0; gradient = false; break;
    case ButtonShape::Bevel: radius = 0; break;
    case ButtonShape::RoundRect: radius = std::max(radius, 3); gradient = false; break;
    case ButtonShape::Pill: radius = height / 2; break;
    case ButtonShape::Outline: filled = state.hot || state.pressed; break;
    default: break;
  }
  RECT body{0, 0, width, height};
  if (state.isDefault) InflateRect(&body, -1, -1);
  radius = std::min(radius, static_cast<int>(std::min(body.right - body.left, body.bottom - body.top) / 2));

  if (filled) {
    const Region shape(radius > 0 ? CreateRoundRectRgn(body.left, body.top, body.right + 1, body.bottom + 1,
                                                        2 * radius, 2 * radius)
                                  : CreateRectRgnIndirect(&body));
    SelectClipRgn(dc, shape.get());
    if (gradient) {
      VerticalGradient(dc, body, colours.top, colours.bottom);
    } else {
      Fill(dc, body, colours.top);
    }
    SelectClipRgn(dc, nullptr);
  }
  if (button.shape == ButtonShape::Bevel) {
    const std::uint32_t light = state.pressed ? Shade(colours.bottom, -30) : Shade(colours.top, 60);
    const std::uint32_t dark = state.pressed ? Shade(colours.top, 40) : Shade(colours.bottom, -40);
    const int b = button.borderWidth;
    Line(dc, body.left + b, body.bottom - 1 - b, body.left + b, body.top + b, light);
    Line(dc, body.left + b, body.top + b, body.right - b, body.top + b, light);
    Line(dc, body.right - 1 - b, body.top + b, body.right - 1 - b, body.bottom - 1 - b, dark);
    Line(dc, body.right - 1 - b, body.bottom - 1 - b, body.left + b - 1, body.bottom - 1 - b, dark);
  }
  const int borderWidth = std::max<int>(button.borderWidth, button.shape == ButtonShape::Outline ? 1 : 0);
  for (int i = 0; i < borderWidth; ++i) {
    const RECT ring{body.left + i, body.top + i, body.right - i, body.bottom - i};
    ShapeOutline(dc, ring, std::max(0, radius - i), colours.border);
  }
  if (state.isDefault) ShapeOutline(dc, RECT{0, 0, width, height}, radius > 0 ? radius + 1 : 0, button.defaultBorder);

  if (state.focused && !state.disabled) {
    const int inset = borderWidth + 3;
    switch (button.focus) {
      case FocusMark::DottedRect: {
        const Pen pen(CreatePen(PS_DOT, 1, ToColorRef(button.focusColour)));
        const Selection selectPen(dc, pen.get());
        const Selection selectBrush(dc, GetStockObject(NULL_BRUSH));
        SetBkMode(dc, TRANSPARENT);
        const int r = std::max(0, radius - inset);
        RoundRect(dc, body.left + inset, body.top + inset, body.right - inset, body.bottom - inset, 2 * r, 2 * r);
        break;
      }
      case FocusMark::ThickBorder:
        for (int i = 0; i < 2; ++i) {
          const RECT ring{body.left + borderWidth + i, body.top + borderWidth + i, body.right - borderWidth - i,
                          body.bottom - borderWidth - i};
          ShapeOutline(dc, ring, std::max(0, radius - borderWidth - i), button.focusColour);
        }
        break;
      case FocusMark::Underline:
        Fill(dc, RECT{body.left + inset + 2, body.bottom - inset - 1, body.right - inset - 2, body.bottom - inset + 1},
             button.focusColour);
        break;
      default: break;
    }
  }

  if (text != nullptr && text[0] != '\0') {
    const Selection selectFont(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(colours.text));
    RECT area = body;
    if (state.pressed) OffsetRect(&area, 1, 1);
    DrawTextA(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | (state.hidePrefix ? DT_HIDEPREFIX : 0));
  }
  BitBlt(target, rect.left, rect.top, width, height, dc, 0, 0, SRCCOPY);
}

void PaintEditBorder(HDC windowDc, int width, int height, int borderThickness, const SkinResources& look) {
  const vq::skin::WindowLook& window = look.skin().window;
  Outline(windowDc, RECT{0, 0, width, height}, window.editBorder);
  for (int i = 1; i < borderThickness; ++i) Outline(windowDc, RECT{i, i, width - i, height - i}, window.editBackground);
}

Canvas::Canvas(HDC reference, int width, int height) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || bits == nullptr) return;
  dc_ = CreateCompatibleDC(reference);
  if (dc_ == nullptr) return;
  pixels_ = static_cast<std::uint32_t*>(bits);
  previous_ = SelectObject(dc_, bitmap_.get());
}

Canvas::~Canvas() {
  if (dc_ != nullptr) {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
}

}  // namespace vqskin
