#include <windows.h>

#include "base/fatal.h"
#include "skin/skin.h"

namespace vq {
namespace {

// Damaged files must not make the system show a box of its own.
class QuietErrorMode {
 public:
  QuietErrorMode() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  QuietErrorMode(const QuietErrorMode&) = delete;
  QuietErrorMode& operator=(const QuietErrorMode&) = delete;
  ~QuietErrorMode() { SetErrorMode(previous_); }

 private:
  UINT previous_;
};

Text LibraryPath(const ExternalFunction& entry, RecordStore& store) {
  const Text runDirectory = store.GetRunDirectory();
  return JoinTexts(runDirectory, "\\", entry.libraryFileName);
}

bool TryBind(ExternalFunction& entry, const char* path) {
  const QuietErrorMode quiet;
  // A full path: the library is never looked for through the search order.
  HMODULE module = LoadLibraryExA(path, nullptr, 0);
  if (module == nullptr) return false;
  FARPROC address = GetProcAddress(module, entry.exportName);
  if (address == nullptr) {
    FreeLibrary(module);
    return false;
  }
  entry.boundAddress = reinterpret_cast<void*>(address);
  entry.moduleHandle = module;
  return true;
}

// Writes the carried image over what is there, read-only and hidden cleared
// first so the write is allowed, hidden again after.
void RewriteCarriedImage(const ExternalFunction& entry, const char* path, RecordStore& store) {
  store.SetAttributes(path, 0);
  store.WriteWholeFile(path, entry.carriedImage);
  store.SetAttributes(path, kHiddenAttribute);
}

// Calls a stdcall function of six 4-byte arguments and measures how far ESP
// moved across the call: 0 for a callee that removed its arguments.
std::uint32_t CallStdcallSix(void* function, const ExternalArguments& arguments, std::int32_t& stackChange) {
#if defined(__i386__)
  std::uint32_t result;
  std::int32_t change;
  // ESI (callee-saved) keeps ESP across the pushes and the call; ESP is put
  // back from it whatever the callee did.
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "pushl 20(%[args])\n\t"
      "pushl 16(%[args])\n\t"
      "pushl 12(%[args])\n\t"
      "pushl 8(%[args])\n\t"
      "pushl 4(%[args])\n\t"
      "pushl 0(%[args])\n\t"
      "call *%[function]\n\t"
      "movl %%esp, %%ecx\n\t"
      "subl %%esi, %%ecx\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(result), "=c"(change)
      : [function] "b"(function), [args] "D"(arguments.data())
      : "esi", "edx", "memory", "cc");
  stackChange = change;
  return result;
#else
  (void)function;
  (void)arguments;
  stackChange = 0;
  return 0;
#endif
}

}  // namespace

ExternalFunctionTable MakeExternalFunctionTable() {
  ExternalFunctionTable table{};
  table[kSkinAttachFunction].libraryFileName = kSkinEngineFileName;
  table[kSkinAttachFunction].exportName = kSkinEngineExport;
  table[kSkinAttachFunction].carriedImage = SkinEngineImage();
  return table;
}

void NarrowLibrarySearch() {
  // Looked up at run time: Windows 7 without its update lacks it.
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  }
  SetDllDirectoryA("");  // and never the current directory
}

void* BindExternalFunction(ExternalFunctionTable& table, std::size_t index, RecordStore& store) {
  ExternalFunction& entry = table[index];
  if (entry.boundAddress != nullptr) return entry.boundAddress;
  const Text path = LibraryPath(entry, store);
  if (TryBind(entry, path.c_str())) return entry.boundAddress;
  if (entry.carriedImage != nullptr) {
    RewriteCarriedImage(entry, path.c_str(), store);
    if (TryBind(entry, path.c_str())) return entry.boundAddress;
  }
  const Text message = JoinTexts("无法找到指定DLL库文件“", entry.libraryFileName, "”中的输出命令“", entry.exportName, "”");
  ReportFatalError(message.c_str(), 0);
}

std::uint32_t CallExternalFunction(ExternalFunctionTable& table, std::size_t index, RecordStore& store,
                                   const ExternalArguments& arguments) {
  void* function = BindExternalFunction(table, index, store);
  std::int32_t stackChange = 0;
  const std::uint32_t result = CallStdcallSix(function, arguments, stackChange);
  if (stackChange != 0) ReportFatalError("调用DLL命令后发现堆栈错误", 6);
  return result;
}

void UnloadExternalLibraries(ExternalFunctionTable& table) {
  for (ExternalFunction& entry : table) {
    if (entry.moduleHandle != nullptr) FreeLibrary(static_cast<HMODULE>(entry.moduleHandle));
    entry.moduleHandle = nullptr;
    entry.boundAddress = nullptr;
  }
}

}  // namespace vq
