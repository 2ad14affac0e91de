// The application state, one per process, and the start-up and end of the
// program around it.
#pragma once

#include <windows.h>

#include <memory>

#include "skin/skin.h"
#include "store/file_port_win32.h"
#include "store/record_store.h"
#include "values/values.h"
#include "windows/gdi.h"
#include "windows/window_services.h"

namespace vq {

struct ApplicationState {
  Text runDirectory;     // the executable's folder, without a trailing separator
  Text executableName;   // the part of the executable's path after its last "\"
  bool oleInitialised = false;
  Win32FilePort filePort;
  std::unique_ptr<RecordStore> store;
  WindowHandle toolWindow;  // owns the modal windows; keeps nothing running
  std::unique_ptr<WindowServices> windows;
  ExternalFunctionTable externalFunctions;  // the skin engine's entry point
};

ApplicationState& TheApplication();

// The descriptions start-up prepares: window number and the table's factory.
struct DescriptionEntry {
  std::uint32_t windowNumber;
  DescriptionFactory factory;
};

// Whether a description can be loaded at all: unique control numbers, a tab
// order of existing tab stops, drop targets attached to existing controls.
bool IsLoadableDescription(const WindowDescription& description);

void InitialiseApplication();
// The same, with the descriptions given (tests use a broken table).
void InitialiseApplicationWith(const DescriptionEntry* entries, std::size_t count);
void LoadStartupWindow(std::uint32_t windowNumber);
void RunMessageLoop();
int ProgramEntry();

// The created event of the start-up window: the skin set-up.
HandlerResult OnLookupWindowCreated(const Event& event);

inline constexpr char kDescriptionsUnreadableMessage[] = "载入窗口模板数据段出错!";
inline constexpr char kStartupWindowFailedMessage[] = "载入启动窗口失败";

}  // namespace vq
