#include "windows/controls.h"

#include <commctrl.h>

#include <algorithm>

#include "windows/loaded_window.h"
#include "windows/window_services.h"

namespace vq {

Text WindowTextOf(HWND window) {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return Text();
  std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT got = SendMessageA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return MakeText(buffer.data(), static_cast<std::int32_t>(got));
}

Text Control::ReadText(int property) {
  if (property == property::kTag) return DuplicateText(tag_.get());
  return Text();
}

Bytes Control::ReadBytes(int) { return Bytes(); }

std::int32_t Control::ReadInteger(int property) {
  HWND window = Handle();
  if (window == nullptr) {
    return property == property::kMousePointer ? mousePointer_ : 0;
  }
  RECT box{};
  GetWindowRect(window, &box);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&box), 2);
  switch (property) {
    case property::kLeft: return box.left;
    case property::kTop: return box.top;
    case property::kWidth: return box.right - box.left;
    case property::kHeight: return box.bottom - box.top;
    case property::kVisible: return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0 ? 1 : 0;
    case property::kDisabled: return IsWindowEnabled(window) ? 0 : 1;
    case property::kMousePointer: return mousePointer_;
    default: return 0;
  }
}

void Control::WriteText(int property, const char* value) {
  if (property == property::kTag) tag_ = DuplicateText(value);
}

void Control::WriteBytes(int, const ByteBlock*) {}

void Control::WriteInteger(int property, std::int32_t value) {
  HWND window = Handle();
  if (property == property::kMousePointer) mousePointer_ = value;
  if (window == nullptr) return;
  const std::int32_t left = ReadInteger(property::kLeft), top = ReadInteger(property::kTop);
  const std::int32_t width = ReadInteger(property::kWidth), height = ReadInteger(property::kHeight);
  switch (property) {
    case property::kLeft: MoveWindow(window, value, top, width, height, TRUE); break;
    case property::kTop: MoveWindow(window, left, value, width, height, TRUE); break;
    case property::kWidth: MoveWindow(window, left, top, value, height, TRUE); break;
    case property::kHeight: MoveWindow(window, left, top, width, value, TRUE); break;
    case property::kVisible: ShowWindow(window, value != 0 ? SW_SHOWNA : SW_HIDE); break;
    case property::kDisabled: EnableWindow(window, value == 0); break;
    default: break;
  }
}

bool TextControl::Create(LoadedWindow& owner, HWND parent) {
  const ControlDescription& d = description_;
  const char* className = "Static";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  int height = d.height;
  switch (d.kind) {
    case ControlKind::Label:
      // One line, never wrapped, centred vertically, cut at the edges.
      style |= SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX | SS_NOTIFY;
      break;
    case ControlKind::EditBox:
      className = "Edit";
      style |= WS_TABSTOP | ES_LEFT;
      exStyle |= WS_EX_CLIENTEDGE;
      if (d.multiLine) {
        style |= ES_MULTILINE | ES_AUTOVSCROLL;
        if (!d.readOnly) style |= ES_WANTRETURN;
        if (d.verticalScrollBar) style |= WS_VSCROLL;
      } else {
        style |= ES_AUTOHSCROLL;
        height = std::max(height, owner.MinimumSingleLineEditHeight(d));
      }
      if (d.readOnly) style |= ES_READONLY;
      break;
    case ControlKind::Button:
      className = "Button";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    default: return false;
  }
  HWND window = CreateWindowExA(exStyle, className, d.text, style, d.left, d.top, d.width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(d.number)), owner.Instance(), nullptr);
  if (window == nullptr) return false;
  window_ = WindowHandle(window);
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(owner.FontFor(d)), FALSE);
  return true;
}

Text TextControl::ReadText(int property) {
  if (property == property::kCaption && Handle() != nullptr) return WindowTextOf(Handle());
  return Control::ReadText(property);
}

void TextControl::WriteText(int property, const char* value) {
  if (property == property::kCaption && Handle() != nullptr) {
    SetWindowTextA(Handle(), value != nullptr ? value : "");
    return;
  }
  Control::WriteText(property, value);
}

}  // namespace vq
