// The engine attached to the calling thread: it restyles the thread's
// captioned top-level windows and their push buttons and edit boxes, now and
// (through a CBT hook) as they are created, and gives every window back its
// own procedure, size and region when it is detached.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "painter.h"
#include "resources.h"
#include "skinformat/skin_format.h"

namespace vqskin {

// Each restyled window carries this property, so that anyone can tell which
// windows the engine has taken over (tests use it).
inline constexpr char kSkinnedProperty[] = "VQSkin.Skinned";
enum class SkinnedKind : int { Frame = 1, PushButton = 2, EditBox = 3 };

class Engine {
 public:
  // Attaches a skin to the calling thread, replacing an engine attached
  // before (which restores its windows first).
  static void Install(vq::skin::Skin skin);
  // Detaches the engine, if any: unhooks and restores every window.
  static void Uninstall();

  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

 private:
  struct Record;

  explicit Engine(vq::skin::Skin skin);
  void Start();

  static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  static BOOL CALLBACK VisitThreadWindow(HWND window, LPARAM self);
  static BOOL CALLBACK VisitChild(HWND window, LPARAM self);

  void OnWindowCreating(HWND window, CREATESTRUCTA& create);
  Record* RestyleFrame(HWND window, bool alreadyShown);
  void RestyleControl(HWND window, HWND parent, DWORD style, DWORD exStyle);
  void Restore(Record& record);
  Record* Find(HWND window);
  void Forget(HWND window);

  LRESULT FrameProc(Record& record, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ButtonProc(Record& record, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT EditProc(Record& record, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ControlColour(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  FrameGeometry Geometry(const Record& record) const;
  void PaintFrameNow(Record& record);
  void PaintButtonNow(Record& record, HDC dc);
  void UpdateRegion(Record& record);
  SIZE SizeChange(const Record& record) const;

  SkinResources look_;
  HHOOK hook_ = nullptr;
  std::map<HWND, std::unique_ptr<Record>> records_;
};

}  // namespace vqskin
