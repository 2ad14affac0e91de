#include "engine.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

namespace vqskin {
namespace {

constexpr UINT_PTR kSubclassId = 0x56515331;  // one id for all the engine's subclasses

// A CBT hook procedure and DllMain carry no context of their own, so the
// engine attached to the thread is reachable only through this pointer. It
// is set by Install, cleared by Uninstall and read on the UI thread only.
Engine* gAttachedEngine = nullptr;

bool ClassIs(HWND window, const char* name) {
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  return lstrcmpiA(className, name) == 0;
}

// Captioned top-level windows are restyled as windows; tool windows and the
// caption-less helpers (IME, OLE, tooltips) are not.
bool IsSkinnableFrame(HWND window, DWORD style, DWORD exStyle) {
  if ((style & WS_CHILD) != 0 || (style & WS_CAPTION) != WS_CAPTION) return false;
  if ((exStyle & WS_EX_TOOLWINDOW) != 0) return false;
  return !ClassIs(window, "IME") && !ClassIs(window, "OleMainThreadWndClass");
}

bool IsPushButton(HWND window, DWORD style) {
  const DWORD type = style & BS_TYPEMASK;
  return (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && ClassIs(window, "Button");
}

int EditBorderThickness(DWORD style, DWORD exStyle) {
  return ((exStyle & WS_EX_CLIENTEDGE) != 0 ? 2 : 0) + ((style & WS_BORDER) != 0 ? 1 : 0);
}

bool IsBorderedEdit(HWND window, DWORD style, DWORD exStyle) {
  return EditBorderThickness(style, exStyle) > 0 && ClassIs(window, "Edit");
}

// What a window answers when it has no colours of its own: DefWindowProc
// and the dialog procedure hand out the system's brushes.
bool IsSystemDefaultBrush(LRESULT brush) {
  if (brush == 0) return true;
  for (const int index : {COLOR_BTNFACE, COLOR_WINDOW, COLOR_3DFACE}) {
    if (reinterpret_cast<HBRUSH>(brush) == GetSysColorBrush(index)) return true;
  }
  return false;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

}  // namespace

struct Engine::Record {
  HWND window = nullptr;
  SkinnedKind kind = SkinnedKind::Frame;
  // Frames: the system's non-client insets for this window's styles.
  RECT systemInsets{};
  bool active = false;
  BoxState close = BoxState::Normal;
  bool trackingClose = false;
  bool resizing = false;  // our own size change: WM_WINDOWPOSCHANGING leaves it alone
  bool growOnCreate = false;  // created under the hook: its size still fits the system's frame
  SIZE regionSize{};
  // Push buttons.
  bool hot = false;
};

void Engine::Install(vq::skin::Skin skin) {
  Uninstall();
  gAttachedEngine = new Engine(std::move(skin));
  gAttachedEngine->Start();
}

void Engine::Uninstall() {
  delete gAttachedEngine;
  gAttachedEngine = nullptr;
}

Engine::Engine(vq::skin::Skin skin) : look_(std::move(skin)) {}

void Engine::Start() {
  hook_ = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
  EnumThreadWindows(GetCurrentThreadId(), VisitThreadWindow, reinterpret_cast<LPARAM>(this));
}

Engine::~Engine() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  // Controls first, then their frames, each given back exactly what it had.
  std::vector<HWND> order;
  for (const auto& [window, record] : records_) {
    if (record->kind != SkinnedKind::Frame) order.push_back(window);
  }
  for (const auto& [window, record] : records_) {
    if (record->kind == SkinnedKind::Frame) order.push_back(window);
  }
  for (const HWND window : order) {
    if (Record* record = Find(window)) Restore(*record);
  }
  records_.clear();
}

BOOL CALLBACK Engine::VisitThreadWindow(HWND window, LPARAM self) {
  auto* engine = reinterpret_cast<Engine*>(self);
  const auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
  if (IsSkinnableFrame(window, style, exStyle) && engine->RestyleFrame(window, true) != nullptr) {
    EnumChildWindows(window, VisitChild, self);
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  return TRUE;
}

BOOL CALLBACK Engine::VisitChild(HWND window, LPARAM self) {
  auto* engine = reinterpret_cast<Engine*>(self);
  engine->RestyleControl(window, GetParent(window), static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
                         static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
  return TRUE;
}

LRESULT CALLBACK Engine::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && gAttachedEngine != nullptr) {
    auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
    if (create != nullptr && create->lpcs != nullptr) {
      gAttachedEngine->OnWindowCreating(reinterpret_cast<HWND>(wParam), *create->lpcs);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Engine::OnWindowCreating(HWND window, CREATESTRUCTA& create) {
  const auto style = static_cast<DWORD>(create.style);
  const DWORD exStyle = create.dwExStyle;
  if (IsSkinnableFrame(window, style, exStyle)) {
    // Its size is corrected at WM_CREATE (changes made to the creation
    // structure here are not kept everywhere).
    if (Record* record = RestyleFrame(window, false)) record->growOnCreate = true;
  } else if ((style & WS_CHILD) != 0) {
    RestyleControl(window, create.hwndParent, style, exStyle);
  }
}

Engine::Record* Engine::Find(HWND window) {
  const auto found = records_.find(window);
  return found != records_.end() ? found->second.get() : nullptr;
}

void Engine::Forget(HWND window) {
  RemoveWindowSubclass(window, SubclassProc, kSubclassId);
  RemovePropA(window, kSkinnedProperty);
  records_.erase(window);
}

SIZE Engine::SizeChange(const Record& record) const {
  const int frame = look_.skin().frame.width;
  const int caption = look_.skin().caption.height;
  const RECT& system = record.systemInsets;
  return {2 * frame - (system.left + system.right), 2 * frame + caption - (system.top + system.bottom)};
}

Engine::Record* Engine::RestyleFrame(HWND window, bool alreadyShown) {
  if (Find(window) != nullptr) return nullptr;
  auto record = std::make_unique<Record>();
  record->window = window;
  record->kind = SkinnedKind::Frame;
  const auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
  RECT insets{0, 0, 0, 0};
  AdjustWindowRectEx(&insets, style, GetMenu(window) != nullptr ? TRUE : FALSE, exStyle);
  record->systemInsets = {-insets.left, -insets.top, insets.right, insets.bottom};
  record->active = GetActiveWindow() == window;
  Record* raw = record.get();
  if (!SetWindowSubclass(window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(raw))) return nullptr;
  records_[window] = std::move(record);
  SetPropA(window, kSkinnedProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(SkinnedKind::Frame)));
  if (alreadyShown) {
    // Grow or shrink the outer size about the centre so the client area
    // keeps its size under the skin's frame.
    const RECT rect = WindowRect(window);
    const SIZE change = SizeChange(*raw);
    raw->resizing = true;
    SetWindowPos(window, nullptr, rect.left - change.cx / 2, rect.top - change.cy / 2,
                 rect.right - rect.left + change.cx, rect.bottom - rect.top + change.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    raw->resizing = false;
    UpdateRegion(*raw);
  }
  return raw;
}

void Engine::RestyleControl(HWND window, HWND parent, DWORD style, DWORD exStyle) {
  // Only the direct controls of a restyled window: the inner parts of a
  // composite control (a combo box's edit, a dialog's embedded views) keep
  // the system's look.
  const Record* frame = Find(parent);
  if (frame == nullptr || frame->kind != SkinnedKind::Frame || Find(window) != nullptr) return;
  SkinnedKind kind;
  if (IsPushButton(window, style)) {
    kind = SkinnedKind::PushButton;
  } else if (IsBorderedEdit(window, style, exStyle)) {
    kind = SkinnedKind::EditBox;
  } else {
    return;
  }
  auto record = std::make_unique<Record>();
  record->window = window;
  record->kind = kind;
  if (!SetWindowSubclass(window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(record.get()))) return;
  records_[window] = std::move(record);
  SetPropA(window, kSkinnedProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(kind)));
  if (kind == SkinnedKind::EditBox) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  } else {
    InvalidateRect(window, nullptr, TRUE);
  }
}

void Engine::Restore(Record& record) {
  const HWND window = record.window;
  const SkinnedKind kind = record.kind;
  const SIZE change = kind == SkinnedKind::Frame ? SizeChange(record) : SIZE{0, 0};
  Forget(window);  // the window has its own procedure again from here on
  if (!IsWindow(window)) return;
  if (kind == SkinnedKind::Frame) {
    SetWindowRgn(window, nullptr, FALSE);
    const RECT rect = WindowRect(window);
    SetWindowPos(window, nullptr, rect.left + change.cx / 2, rect.top + change.cy / 2,
                 rect.right - rect.left - change.cx, rect.bottom - rect.top - change.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  } else if (kind == SkinnedKind::EditBox) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  } else {
    InvalidateRect(window, nullptr, TRUE);
  }
}

LRESULT CALLBACK Engine::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
  auto* record = reinterpret_cast<Record*>(data);
  Engine* engine = gAttachedEngine;
  if (engine == nullptr || engine->Find(window) != record) return DefSubclassProc(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    engine->Forget(window);
    return result;
  }
  switch (record->kind) {
    case SkinnedKind::Frame: return engine->FrameProc(*record, message, wParam, lParam);
    case SkinnedKind::PushButton: return engine->ButtonProc(*record, message, wParam, lParam);
    case SkinnedKind::EditBox: return engine->EditProc(*record, message, wParam, lParam);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

FrameGeometry Engine::Geometry(const Record& record) const {
  const RECT rect = WindowRect(record.window);
  const auto style = static_cast<DWORD>(GetWindowLongA(record.window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongA(record.window, GWL_EXSTYLE));
  // Like the system: dialog frames carry no icon.
  const bool hasIcon = (style & WS_SYSMENU) != 0 && (exStyle & WS_EX_DLGMODALFRAME) == 0;
  return ComputeFrameGeometry(look_.skin(), rect.right - rect.left, rect.bottom - rect.top, (style & WS_SYSMENU) != 0,
                              hasIcon);
}

void Engine::PaintFrameNow(Record& record) {
  const HWND window = record.window;
  if (!IsWindowVisible(window)) return;
  const FrameGeometry geometry = Geometry(record);
  if (geometry.width <= 0 || geometry.height <= 0) return;
  const WindowDc target(window, true);
  if (target.get() == nullptr) return;
  Canvas canvas(target.get(), geometry.width, geometry.height);
  if (!canvas.ok()) return;
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  HICON icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL2, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON));
  FrameState state;
  state.active = record.active;
  state.close = record.close;
  state.title = title;
  state.icon = icon;
  PaintFrame(canvas, look_, geometry, state);
  const RECT client = geometry.ClientRect();
  ExcludeClipRect(target.get(), client.left, client.top, client.right, client.bottom);
  BitBlt(target.get(), 0, 0, geometry.width, geometry.height, canvas.dc(), 0, 0, SRCCOPY);
}

void Engine::UpdateRegion(Record& record) {
  const RECT rect = WindowRect(record.window);
  const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
  if (size.cx == record.regionSize.cx && size.cy == record.regionSize.cy) return;
  record.regionSize = size;
  if (HRGN region = MakeFrameRegion(look_.skin().frame, size.cx, size.cy)) {
    SetWindowRgn(record.window, region, TRUE);  // the system owns the region from here
  }
}

LRESULT Engine::FrameProc(Record& record, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = record.window;
  switch (message) {
    case WM_NCCALCSIZE: {
      RECT* rect = wParam != 0 ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
      const int frame = look_.skin().frame.width;
      rect->left += frame;
      rect->right -= frame;
      rect->top += frame + look_.skin().caption.height;
      rect->bottom -= frame;
      if (rect->right < rect->left) rect->right = rect->left;
      if (rect->bottom < rect->top) rect->bottom = rect->top;
      return 0;
    }
    case WM_NCPAINT:
      PaintFrameNow(record);
      return 0;
    case WM_CREATE:
      if (record.growOnCreate) {
        // Before the window's own WM_CREATE: it sees the client size its
        // creator asked for.
        record.growOnCreate = false;
        const RECT rect = WindowRect(window);
        const SIZE change = SizeChange(record);
        record.resizing = true;
        SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left + change.cx, rect.bottom - rect.top + change.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        record.resizing = false;
      }
      break;
    case WM_NCACTIVATE: {
      record.active = wParam != 0;
      // -1: the system updates its state but does not draw its own caption.
      const LRESULT result = DefSubclassProc(window, message, wParam, -1);
      PaintFrameNow(record);
      return result;
    }
    case WM_SETTEXT:
    case WM_SETICON: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      PaintFrameNow(record);
      return result;
    }
    case WM_NCHITTEST: {
      const RECT rect = WindowRect(window);
      const POINT point{static_cast<short>(LOWORD(lParam)) - rect.left, static_cast<short>(HIWORD(lParam)) - rect.top};
      return HitTestFrame(Geometry(record), point);
    }
    case WM_NCMOUSEMOVE: {
      if (!record.trackingClose) {
        const BoxState state = wParam == HTCLOSE ? BoxState::Hot : BoxState::Normal;
        if (state != record.close) {
          record.close = state;
          PaintFrameNow(record);
        }
        if (state == BoxState::Hot) {
          TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, window, 0};
          TrackMouseEvent(&track);
        }
      }
      break;
    }
    case WM_NCMOUSELEAVE:
      if (!record.trackingClose && record.close != BoxState::Normal) {
        record.close = BoxState::Normal;
        PaintFrameNow(record);
      }
      break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTCLOSE) {
        // Our own press tracking: the system's would draw its own close box.
        record.trackingClose = true;
        record.close = BoxState::Pressed;
        SetCapture(window);
        PaintFrameNow(record);
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      if (record.trackingClose) {
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(window, &point);
        const LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
        const BoxState state = hit == HTCLOSE ? BoxState::Pressed : BoxState::Hot;
        if (state != record.close) {
          record.close = state;
          PaintFrameNow(record);
        }
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (record.trackingClose) {
        POINT released{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(window, &released);
        const bool over = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(released.x, released.y)) == HTCLOSE;
        record.trackingClose = false;
        record.close = BoxState::Normal;
        ReleaseCapture();
        PaintFrameNow(record);
        if (over) {
          POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
          ClientToScreen(window, &point);
          // The window may be gone after this: record is not touched again.
          SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(point.x, point.y));
        }
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      if (record.trackingClose && reinterpret_cast<HWND>(lParam) != window) {
        record.trackingClose = false;
        record.close = BoxState::Normal;
        PaintFrameNow(record);
      }
      break;
    case WM_WINDOWPOSCHANGING: {
      // A size given from outside was worked out for the system's frame:
      // convert it so that the client area comes out as meant.
      auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!record.resizing && (position->flags & SWP_NOSIZE) == 0) {
        const RECT rect = WindowRect(window);
        if (position->cx != rect.right - rect.left || position->cy != rect.bottom - rect.top) {
          const SIZE change = SizeChange(record);
          position->cx += change.cx;
          position->cy += change.cy;
        }
      }
      break;
    }
    case WM_WINDOWPOSCHANGED: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      UpdateRegion(record);
      return result;
    }
    case WM_ERASEBKGND: {
      const auto classBrush = static_cast<LRESULT>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
      const bool systemBackground = IsSystemDefaultBrush(classBrush) || classBrush == COLOR_BTNFACE + 1 ||
                                    classBrush == COLOR_WINDOW + 1;
      if (!systemBackground) break;
      RECT client{};
      GetClientRect(window, &client);
      const HDC dc = reinterpret_cast<HDC>(wParam);
      SetBrushOrgEx(dc, 0, 0, nullptr);
      FillRect(dc, &client, look_.backgroundBrush());
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
      return ControlColour(window, message, wParam, lParam);
    default: break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

// The window's own procedure answers first; only where it gave the system's
// default brush does the skin's colour take over, and a text colour the
// window set itself (not the system's) is kept even then.
LRESULT Engine::ControlColour(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT own = DefSubclassProc(window, message, wParam, lParam);
  if (!IsSystemDefaultBrush(own)) return own;
  const HDC dc = reinterpret_cast<HDC>(wParam);
  const HWND control = reinterpret_cast<HWND>(lParam);
  const COLORREF text = GetTextColor(dc);
  const bool ownText = text != GetSysColor(COLOR_WINDOWTEXT) && text != GetSysColor(COLOR_BTNTEXT);
  const vq::skin::WindowLook& colours = look_.skin().window;
  if (message == WM_CTLCOLOREDIT || (control != nullptr && ClassIs(control, "Edit"))) {
    if (!ownText) SetTextColor(dc, ToColorRef(colours.editText));
    SetBkColor(dc, ToColorRef(colours.editBackground));
    return reinterpret_cast<LRESULT>(look_.editBrush());
  }
  if (!ownText) SetTextColor(dc, ToColorRef(colours.text));
  SetBkColor(dc, ToColorRef(colours.background));
  if (look_.backgroundIsTextured() && control != nullptr && control != window) {
    // Line the pattern up with the window's own background.
    POINT origin{0, 0};
    MapWindowPoints(control, window, &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    SetBkMode(dc, TRANSPARENT);
  }
  return reinterpret_cast<LRESULT>(look_.backgroundBrush());
}

void Engine::PaintButtonNow(Record& record, HDC dc) {
  const HWND window = record.window;
  RECT client{};
  GetClientRect(window, &client);
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  ButtonPaintState state;
  state.hot = record.hot;
  state.pressed = (SendMessageA(window, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  state.focused = GetFocus() == window;
  state.disabled = !IsWindowEnabled(window);
  state.isDefault = (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  state.hidePrefix = (SendMessageA(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0;
  PaintButton(dc, client, look_, state, text, reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)));
}

LRESULT Engine::ButtonProc(Record& record, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = record.window;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(window, &paint);
      if (dc != nullptr) PaintButtonNow(record, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintButtonNow(record, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (record.hot && GetCapture() != window) return DefSubclassProc(window, message, wParam, lParam);
      if (!record.hot) {
        record.hot = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
      }
      break;
    case WM_MOUSELEAVE:
      record.hot = false;
      break;
    default: break;
  }
  // The button draws itself straight to the screen on many messages, not
  // only in WM_PAINT: let it, then draw over it at once.
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case BM_SETCHECK:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      // A click may have destroyed the button, or the whole window.
      Engine* engine = gAttachedEngine;
      if (engine == this && Find(window) == &record && IsWindowVisible(window)) {
        const WindowDc dc(window, false);
        if (dc.get() != nullptr) PaintButtonNow(record, dc.get());
      }
      return result;
    }
    default: return DefSubclassProc(window, message, wParam, lParam);
  }
}

LRESULT Engine::EditProc(Record& record, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefSubclassProc(record.window, message, wParam, lParam);
  if (message == WM_NCPAINT) {
    const HWND window = record.window;
    const RECT rect = WindowRect(window);
    const int thickness = EditBorderThickness(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
                                              static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    const WindowDc dc(window, true);
    if (dc.get() != nullptr) PaintEditBorder(dc.get(), rect.right - rect.left, rect.bottom - rect.top, thickness, look_);
  }
  return result;
}

}  // namespace vqskin
