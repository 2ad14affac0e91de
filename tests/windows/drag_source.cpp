#include "drag_source.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

namespace vq::testing {
namespace {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class DataObject final : public IDataObject {
 public:
  DataObject(CLIPFORMAT format, HGLOBAL data) : format_(format), data_(data) {}
  ~DataObject() { GlobalFree(data_); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    const SIZE_T size = GlobalSize(data_);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(copy), GlobalLock(data_), size);
    GlobalUnlock(copy);
    GlobalUnlock(data_);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format != nullptr && format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL) != 0 ? S_OK
                                                                                                    : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format{format_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &format, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::atomic<long> references_{1};
  CLIPFORMAT format_;
  HGLOBAL data_;
};

class DropSource final : public IDropSource {
 public:
  DropSource(POINT target, DWORD keys) : target_(target), keys_(keys) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropSource)) {
      *out = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape) return DRAGDROP_S_CANCEL;
    // Walk onto the target, wait there a little, then let go.
    SetCursorPos(target_.x, target_.y);
    return ++calls_ > 12 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

  DWORD Keys() const { return keys_; }

 private:
  POINT target_;
  DWORD keys_;
  int calls_ = 0;
};

#pragma GCC diagnostic pop

}  // namespace

HGLOBAL MakeFileList(const std::vector<std::string>& paths) {
  std::size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& path : paths) size += path.size() + 1;
  HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(global));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  char* at = reinterpret_cast<char*>(drop + 1);
  for (const std::string& path : paths) {
    std::memcpy(at, path.c_str(), path.size() + 1);
    at += path.size() + 1;
  }
  GlobalUnlock(global);
  return global;
}

HGLOBAL MakeTextGlobal(const std::string& text) {
  HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  std::memcpy(GlobalLock(global), text.c_str(), text.size() + 1);
  GlobalUnlock(global);
  return global;
}

DragOutcome DragOnto(HWND target, CLIPFORMAT format, HGLOBAL data, DWORD allowedEffects, DWORD keys,
                     const std::function<void()>& pump) {
  RECT box;
  GetWindowRect(target, &box);
  const POINT centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  DragOutcome outcome;
  std::atomic<bool> done{false};
  std::thread source([&] {
    OleInitialize(nullptr);
    // Keys are pressed for real, so the target sees them in its key state.
    INPUT down[2] = {};
    int held = 0;
    if ((keys & MK_CONTROL) != 0) down[held++].ki.wVk = VK_CONTROL;
    if ((keys & MK_SHIFT) != 0) down[held++].ki.wVk = VK_SHIFT;
    for (int i = 0; i < held; ++i) down[i].type = INPUT_KEYBOARD;
    if (held > 0) SendInput(static_cast<UINT>(held), down, sizeof(INPUT));
    auto* object = new DataObject(format, data);
    DropSource dropSource(centre, keys);
    SetCursorPos(centre.x - 200, centre.y);
    DWORD effect = 0;
    outcome.result = DoDragDrop(object, &dropSource, allowedEffects, &effect);
    outcome.effect = effect;
    object->Release();
    for (int i = 0; i < held; ++i) down[i].ki.dwFlags = KEYEVENTF_KEYUP;
    if (held > 0) SendInput(static_cast<UINT>(held), down, sizeof(INPUT));
    OleUninitialize();
    done = true;
  });
  const DWORD start = GetTickCount();
  while (!done && GetTickCount() - start < 10000) pump();
  source.join();
  return outcome;
}

}  // namespace vq::testing
