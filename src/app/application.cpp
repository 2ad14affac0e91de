#include "app/application.h"

#include <ole2.h>

#include <algorithm>
#include <set>

#include "base/fatal.h"
#include "base/program_end.h"
#include "values/codepage.h"
#include "windows/entry_window.h"
#include "windows/lookup_window.h"

namespace vq {
namespace {

constexpr char kToolWindowClassName[] = "VellorinQuobarraOwner";

WindowDescription LookupWindowWithSkinSetUp() { return DescribeLookupWindow(OnLookupWindowCreated); }

constexpr DescriptionEntry kDescriptions[] = {
    {kLookupWindowNumber, LookupWindowWithSkinSetUp},
    {kEntryWindowNumber, DescribeEntryWindow},
};

// The exit routine of this program has nothing to do.
void ExitRoutine() {}

void ReleaseWindowDescriptions() {
  if (TheApplication().windows != nullptr) TheApplication().windows->ReleaseWindows();
}

void UnloadLibraries() { UnloadExternalLibraries(TheApplication().externalFunctions); }

void ReleaseProcessResources() {
  ApplicationState& app = TheApplication();
  app.toolWindow.Reset();
  app.windows.reset();
  app.store.reset();
  app.runDirectory.Reset();
  app.executableName.Reset();
}

void UninitialiseOle() {
  ApplicationState& app = TheApplication();
  if (app.oleInitialised) {
    OleUninitialize();
    app.oleInitialised = false;
  }
}

HWND CreateToolWindow(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = nullptr;
  windowClass.lpszClassName = kToolWindowClassName;
  RegisterClassExA(&windowClass);
  return CreateWindowExA(WS_EX_TOOLWINDOW, kToolWindowClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                         nullptr);
}

}  // namespace

ApplicationState& TheApplication() {
  static ApplicationState state;
  return state;
}

bool IsLoadableDescription(const WindowDescription& description) {
  if (description.number == 0 || description.width <= 0 || description.height <= 0) return false;
  std::set<std::uint32_t> numbers;
  for (const ControlDescription& control : description.controls) {
    if (control.number == 0 || !numbers.insert(control.number).second) return false;
    const bool windowed = control.kind != ControlKind::FileDialog && control.kind != ControlKind::DropTarget;
    if (windowed && (control.width <= 0 || control.height <= 0)) return false;
  }
  const auto find = [&](std::uint32_t number) -> const ControlDescription* {
    for (const ControlDescription& control : description.controls) {
      if (control.number == number) return &control;
    }
    return nullptr;
  };
  for (std::uint32_t number : description.tabOrder) {
    const ControlDescription* control = find(number);
    if (control == nullptr || (control->kind != ControlKind::EditBox && control->kind != ControlKind::Button)) {
      return false;
    }
  }
  for (const ControlDescription& control : description.controls) {
    if (control.kind == ControlKind::DropTarget && find(control.attachedTo) == nullptr) return false;
  }
  return true;
}

void InitialiseApplication() { InitialiseApplicationWith(kDescriptions, std::size(kDescriptions)); }

void InitialiseApplicationWith(const DescriptionEntry* entries, std::size_t count) {
  ApplicationState& app = TheApplication();
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  // No library is ever looked for in the current directory or along PATH.
  NarrowLibrarySearch();
  // 1. Values come from the process heap; the constants are known to the pool.
  RegisterValueConstants();
  RegisterSkinConstants();
  SetEndStep(EndStep::ReleaseWindowDescriptions, ReleaseWindowDescriptions);
  SetEndStep(EndStep::UnloadLibraries, UnloadLibraries);
  SetEndStep(EndStep::ReleaseProcessResources, ReleaseProcessResources);
  SetEndStep(EndStep::UninitialiseOle, UninitialiseOle);
  // 2. OLE on this thread, for the drop target.
  if (!app.oleInitialised) app.oleInitialised = SUCCEEDED(OleInitialize(nullptr));
  // 3. The run directory: the executable's path up to its last separator.
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  path[std::min<DWORD>(length, sizeof path - 1)] = '\0';
  if (const char* separator = FindLastSeparator(path)) {
    app.runDirectory = MakeText(path, static_cast<std::int32_t>(separator - path));
    app.executableName = DuplicateText(separator + 1);
  } else {
    app.runDirectory.Reset();
    app.executableName = DuplicateText(path);
  }
  // 4. It becomes the current directory.
  if (!app.runDirectory.empty()) SetCurrentDirectoryA(app.runDirectory.get());
  app.store = std::make_unique<RecordStore>(app.filePort, app.runDirectory.get());
  app.windows = std::make_unique<WindowServices>(*app.store, instance);
  // 5. The hidden owner of modal windows.
  app.toolWindow = WindowHandle(CreateToolWindow(instance));
  app.windows->SetToolWindow(app.toolWindow.get());
  // 6. The external functions, all unbound.
  app.externalFunctions = MakeExternalFunctionTable();
  // 7. The window descriptions, checked before anything is built from them.
  for (std::size_t i = 0; i < count; ++i) {
    if (entries[i].factory == nullptr || !IsLoadableDescription(entries[i].factory())) {
      ReportFatalError(kDescriptionsUnreadableMessage, 0);
    }
    app.windows->AddDescription(entries[i].windowNumber, entries[i].factory);
  }
}

void LoadStartupWindow(std::uint32_t windowNumber) {
  switch (TheApplication().windows->LoadStartupWindow(windowNumber)) {
    case StartupLoad::NoDescription:
    case StartupLoad::NotCreated: ReportFatalError(kStartupWindowFailedMessage, 0);
    case StartupLoad::Shown:
    case StartupLoad::GoneDuringCreated: break;  // a window its handler closed is no error
  }
}

void RunMessageLoop() { TheApplication().windows->RunMessageLoop(); }

int ProgramEntry() {
  InitialiseApplication();
  RegisterExitRoutine(ExitRoutine);
  LoadStartupWindow(kLookupWindowNumber);
  RunMessageLoop();
  return 0;
}

// Runs while the lookup window is still invisible: the skin engine restyles
// it, and every window shown after it, before the user sees anything.
HandlerResult OnLookupWindowCreated(const Event&) {
  ApplicationState& app = TheApplication();
  ApplySkin(app.externalFunctions, *app.store, kHouseSkin);
  return HandlerResult::NoValue;
}

}  // namespace vq
