// Where the parts of a skinned frame lie, and how the frame and the push
// buttons are drawn. Geometry is in window coordinates (0,0 = the window's
// top-left corner).
#pragma once

#include <windows.h>

#include "gdi.h"
#include "resources.h"

namespace vqskin {

struct FrameGeometry {
  int width = 0;    // whole window
  int height = 0;
  int frame = 0;    // frame thickness on every side
  int caption = 0;  // caption height below the top frame
  RECT captionRect{};
  RECT iconRect{};   // empty when no icon is drawn
  RECT closeRect{};  // empty when the window has no close box
  RECT textRect{};
  bool hasIcon = false;
  bool hasClose = false;

  RECT ClientRect() const { return {frame, frame + caption, width - frame, height - frame}; }
};

FrameGeometry ComputeFrameGeometry(const vq::skin::Skin& skin, int width, int height, bool hasSystemMenu,
                                   bool hasIcon);

// The WM_NCHITTEST answer for a point in window coordinates.
LRESULT HitTestFrame(const FrameGeometry& geometry, POINT point);

enum class BoxState { Normal, Hot, Pressed };

struct FrameState {
  bool active = false;
  BoxState close = BoxState::Normal;
  const char* title = "";
  HICON icon = nullptr;
};

// Draws the whole non-client area into the canvas (of the window's size);
// the client rectangle is left untouched.
void PaintFrame(Canvas& canvas, const SkinResources& look, const FrameGeometry& geometry, const FrameState& state);

// The window region for the skin's corner shape; null for square corners.
HRGN MakeFrameRegion(const vq::skin::FrameLook& frame, int width, int height);

struct ButtonPaintState {
  bool hot = false;
  bool pressed = false;
  bool focused = false;
  bool disabled = false;
  bool isDefault = false;
  bool hidePrefix = false;
};

// Draws a push button filling the target's rect (client coordinates).
void PaintButton(HDC target, const RECT& rect, const SkinResources& look, const ButtonPaintState& state,
                 const char* text, HFONT font);

// Draws the border of an edit box with the skin's edit colours into the
// given whole-window DC; width and height are the edit window's.
void PaintEditBorder(HDC windowDc, int width, int height, int borderThickness, const SkinResources& look);

}  // namespace vqskin
