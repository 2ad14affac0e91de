// Test support: a drag source that carries files (CF_HDROP) or text (CF_TEXT)
// and drops them where the cursor is told to go.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

namespace vq::testing {

// An HGLOBAL in the file-drop layout: DROPFILES, then each ANSI path with its
// zero byte, then one more zero byte.
HGLOBAL MakeFileList(const std::vector<std::string>& paths);
HGLOBAL MakeTextGlobal(const std::string& text);

struct DragOutcome {
  HRESULT result = E_FAIL;
  DWORD effect = 0xFFFFFFFF;
};

// Runs DoDragDrop on a thread of its own with one format of data, moving the
// cursor over `target` while the keys in `keys` (MK_CONTROL, MK_SHIFT) are
// reported held, and drops. Returns what DoDragDrop told the source.
DragOutcome DragOnto(HWND target, CLIPFORMAT format, HGLOBAL data, DWORD allowedEffects, DWORD keys,
                     const std::function<void()>& pump);

}  // namespace vq::testing
