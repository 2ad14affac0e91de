// The program's side of the skin engine: the carried library image and skin
// catalogue, the table of external functions and their binding and calling,
// and the deployment of VQSkin.dll next to the executable.
//
// Nothing here keeps state of its own: the table and the record store (for
// the RunDirectory and the file operations) belong to the application state
// and are handed in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "store/record_store.h"
#include "values/values.h"

namespace vq {

inline constexpr std::int32_t kSkinCount = 33;
inline constexpr std::int32_t kHouseSkin = 6;  // the skin in use
inline constexpr char kSkinEngineFileName[] = "VQSkin.dll";
inline constexpr char kSkinEngineExport[] = "VQSkinAttach";
inline constexpr std::uint32_t kHiddenAttribute = 2;

// --- the carried constants ---------------------------------------------------

// Registers the one block that holds the engine image and the catalogue in
// the ConstantPool. Start-up calls it once; calling it again does nothing.
void RegisterSkinConstants();
// The bytes of VQSkin.dll as built with this program (marker 1, length, data).
const ByteBlock* SkinEngineImage();
// Catalogue entry 1..kSkinCount, each a .VQS image; null for other numbers.
const ByteBlock* SkinCatalogueEntry(std::int32_t number);

// --- external functions --------------------------------------------------------

struct ExternalFunction {
  const char* libraryFileName = nullptr;  // without a directory
  const char* exportName = nullptr;
  void* boundAddress = nullptr;  // set by BindExternalFunction
  void* moduleHandle = nullptr;  // the loaded library, set with the address
  // The library's carried image: when the file in the RunDirectory cannot be
  // bound, it is written over once and bound again. Null for none.
  const ByteBlock* carriedImage = nullptr;
};

inline constexpr std::size_t kSkinAttachFunction = 0;
using ExternalFunctionTable = std::array<ExternalFunction, 1>;
using ExternalArguments = std::array<std::uint32_t, 6>;

// The program's table: entry 0 is VQSkin.dll's VQSkinAttach, unbound.
ExternalFunctionTable MakeExternalFunctionTable();

// Narrows the DLL search of the whole process to the system's safe default
// directories (no current directory, no PATH). Called first thing at start-up.
void NarrowLibrarySearch();

// Loads the entry's library by its full path in the RunDirectory (never by
// bare name) and looks its export up; returns the bound address. A second
// call returns the same address without loading again. Failure is fatal:
// "无法找到指定DLL库文件“<file>”中的输出命令“<export>”", code 0.
void* BindExternalFunction(ExternalFunctionTable& table, std::size_t index, RecordStore& store);

// Binds the entry and calls it as stdcall with six 4-byte arguments; returns
// its result. A stack left unbalanced is fatal: "调用DLL命令后发现堆栈错误", code 6.
std::uint32_t CallExternalFunction(ExternalFunctionTable& table, std::size_t index, RecordStore& store,
                                   const ExternalArguments& arguments);

// Unloads every library the table bound, once each, and clears the entries.
// The UnloadLibraries step of EndProgram.
void UnloadExternalLibraries(ExternalFunctionTable& table);

// --- deployment ----------------------------------------------------------------

// Writes the engine image to <RunDirectory>\VQSkin.dll, hidden, unless
// something of that name is already there.
void DeploySkinEngine(RecordStore& store);

// Deploys the engine and hands it a copy of catalogue entry skinNumber (or a
// null skin for a number outside 1..33), through the table's entry 0.
void ApplySkin(ExternalFunctionTable& table, RecordStore& store, std::int32_t skinNumber);

}  // namespace vq
