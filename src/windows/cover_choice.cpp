#include "windows/cover_choice.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "windows/loaded_window.h"
#include "windows/window_services.h"

namespace vq {
namespace {

constexpr UINT_PTR kTargetSubclassId = 2;
constexpr std::size_t kMaxDialogPath = 260;  // paths of at most 259 bytes

enum DropKind { kText = 0, kHtml = 1, kAddress = 2, kFiles = 3 };

CLIPFORMAT FormatOf(DropKind kind) {
  switch (kind) {
    case kText: return CF_TEXT;
    case kHtml: return static_cast<CLIPFORMAT>(RegisterClipboardFormatA("HTML Format"));
    case kAddress: return static_cast<CLIPFORMAT>(RegisterClipboardFormatA("UniformResourceLocator"));
    case kFiles: return CF_HDROP;
  }
  return 0;
}

FORMATETC FormatEtcOf(DropKind kind) { return {FormatOf(kind), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// The bytes of an HGLOBAL text up to its first zero byte (or its end).
Text TextOfGlobal(HGLOBAL global) {
  const SIZE_T size = GlobalSize(global);
  const auto* bytes = static_cast<const char*>(GlobalLock(global));
  if (bytes == nullptr) return Text();
  SIZE_T length = 0;
  while (length < size && bytes[length] != '\0') ++length;
  Text text = MakeText(bytes, static_cast<std::int32_t>(length));
  GlobalUnlock(global);
  return text;
}

// One path alone, or each path followed by CR LF.
Text FileListText(HDROP drop) {
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::string joined;
  for (UINT i = 0; i < count; ++i) {
    char path[MAX_PATH * 2] = {};
    const UINT length = DragQueryFileA(drop, i, path, sizeof path);
    joined.append(path, length);
    if (count > 1) joined.append("\r\n");
  }
  return MakeText(joined.data(), static_cast<std::int32_t>(joined.size()));
}

}  // namespace

// --- the open-file dialog ---------------------------------------------------

bool FileDialogControl::Create(LoadedWindow& owner, HWND parent) {
  (void)owner;
  owner_ = parent;
  return true;
}

Text FileDialogControl::ReadText(int property) {
  if (property == property::kFileName) return DuplicateText(fileName_.get());
  return Control::ReadText(property);
}

void FileDialogControl::WriteText(int property, const char* value) {
  if (property == property::kFileName) {
    fileName_ = DuplicateText(value);
    return;
  }
  Control::WriteText(property, value);
}

bool FileDialogControl::Show() {
  char path[kMaxDialogPath] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!GetOpenFileNameA(&dialog)) return false;
  fileName_ = DuplicateText(path);
  return true;
}

// --- the drop target ----------------------------------------------------------

DWORD ChooseDropEffect(bool acceptable, DWORD keyState, DWORD allowed) {
  if (!acceptable) return DROPEFFECT_NONE;
  const bool control = (keyState & MK_CONTROL) != 0;
  const bool shift = (keyState & MK_SHIFT) != 0;
  if (control && shift) return DROPEFFECT_NONE;
  if (control) return (allowed & DROPEFFECT_COPY) != 0 ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  if (shift) return (allowed & DROPEFFECT_MOVE) != 0 ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
  for (DWORD effect : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK}) {
    if ((allowed & effect) != 0) return effect;
  }
  return DROPEFFECT_NONE;
}

// COM interfaces have no virtual destructors by design; the object deletes
// itself in Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// The COM object the system calls during a drag. It outlives its control when
// the system still holds a reference; the control detaches itself first.
class DropTargetObject final : public IDropTarget {
 public:
  explicit DropTargetObject(DropTargetControl* control) : control_(control) {
    IDropTargetHelper* helper = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDropTargetHelper,
                                   reinterpret_cast<void**>(&helper)))) {
      helper_ = helper;
    }
  }
  DropTargetObject(const DropTargetObject&) = delete;
  DropTargetObject& operator=(const DropTargetObject&) = delete;

  void Detach() { control_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
      *object = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
    if (effect == nullptr) return E_INVALIDARG;
    if (helper_ != nullptr && control_ != nullptr) {
      POINT at{point.x, point.y};
      helper_->DragEnter(control_->Target(), data, &at, *effect);
    }
    acceptable_ = control_ != nullptr && data != nullptr && control_->Accepts(data);
    *effect = ChooseDropEffect(acceptable_, keys, *effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override {
    if (effect == nullptr) return E_INVALIDARG;
    *effect = ChooseDropEffect(acceptable_, keys, *effect);
    if (helper_ != nullptr) {
      POINT at{point.x, point.y};
      helper_->DragOver(&at, *effect);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    if (helper_ != nullptr) helper_->DragLeave();
    acceptable_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
    if (effect == nullptr) return E_INVALIDARG;
    const DWORD chosen = ChooseDropEffect(acceptable_, keys, *effect);
    if (helper_ != nullptr) {
      POINT at{point.x, point.y};
      helper_->Drop(data, &at, chosen);
    }
    acceptable_ = false;
    AddRef();  // the event may close the window and release the control's reference
    if (chosen != DROPEFFECT_NONE && control_ != nullptr && data != nullptr) control_->Deliver(data);
    // Never a move: the source must not delete the user's file.
    *effect = DROPEFFECT_NONE;
    Release();
    return E_FAIL;
  }

 private:
  ~DropTargetObject() {
    if (helper_ != nullptr) helper_->Release();
  }

  LONG references_ = 1;
  DropTargetControl* control_;
  IDropTargetHelper* helper_ = nullptr;
  bool acceptable_ = false;
};

#pragma GCC diagnostic pop

DropTargetControl::DropTargetControl(const ControlDescription& description) : Control(description) {}

DropTargetControl::~DropTargetControl() {
  Revoke();
  if (object_ != nullptr) {
    object_->Detach();
    object_->Release();
  }
}

bool DropTargetControl::Create(LoadedWindow& owner, HWND) {
  owner_ = &owner;
  object_ = new DropTargetObject(this);
  return true;
}

std::int32_t DropTargetControl::ReadInteger(int property) {
  if (property >= property::kAcceptText && property <= property::kAcceptFiles) {
    return accept_[property - property::kAcceptText] ? 1 : 0;
  }
  return Control::ReadInteger(property);
}

void DropTargetControl::WriteInteger(int property, std::int32_t value) {
  if (property >= property::kAcceptText && property <= property::kAcceptFiles) {
    accept_[property - property::kAcceptText] = value != 0;
    return;
  }
  Control::WriteInteger(property, value);
}

bool DropTargetControl::RegisterDropWindow(HWND target) {
  if (target_ != nullptr) return false;
  target_ = target;
  if (target == nullptr || object_ == nullptr) return false;
  registered_ = SUCCEEDED(RegisterDragDrop(target, object_));
  // The registration ends with the window; revoke it while the window still exists.
  if (registered_) SetWindowSubclass(target, TargetProcedure, kTargetSubclassId, reinterpret_cast<DWORD_PTR>(this));
  return registered_;
}

void DropTargetControl::Revoke() {
  if (!registered_) return;
  registered_ = false;
  if (IsWindow(target_)) {
    RevokeDragDrop(target_);
    RemoveWindowSubclass(target_, TargetProcedure, kTargetSubclassId);
  }
}

LRESULT CALLBACK DropTargetControl::TargetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                    UINT_PTR, DWORD_PTR self) {
  if (message == WM_DESTROY) reinterpret_cast<DropTargetControl*>(self)->Revoke();
  return DefSubclassProc(window, message, wParam, lParam);
}

bool DropTargetControl::Accepts(IDataObject* data) const {
  // Tried in the order text, files, web address, HTML.
  for (DropKind kind : {kText, kFiles, kAddress, kHtml}) {
    if (!accept_[kind]) continue;
    FORMATETC format = FormatEtcOf(kind);
    if (data->QueryGetData(&format) == S_OK) return true;
  }
  return false;
}

void DropTargetControl::Deliver(IDataObject* data) {
  const EventHandler handlers[4] = {description_.textDropped, description_.htmlDropped, description_.addressDropped,
                                    description_.filesDropped};
  // Delivered in the order text, HTML, web address, files.
  for (DropKind kind : {kText, kHtml, kAddress, kFiles}) {
    if (!accept_[kind]) continue;
    FORMATETC format = FormatEtcOf(kind);
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) continue;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
      const Text text = kind == kFiles ? FileListText(static_cast<HDROP>(medium.hGlobal)) : TextOfGlobal(medium.hGlobal);
      ReleaseStgMedium(&medium);
      Raise(handlers[kind], text.c_str());
    } else {
      ReleaseStgMedium(&medium);
    }
  }
}

void DropTargetControl::Raise(EventHandler handler, const char* text) {
  if (handler == nullptr || owner_ == nullptr) return;
  Event event{owner_->Services(), owner_->Number(), Number()};
  event.text = text;
  handler(event);
}

}  // namespace vq
