#include "base/program_end.h"

#include <array>
#include <cstddef>

namespace vq {
namespace {

struct EndRecord {
  Routine exitRoutine = nullptr;
  std::array<Routine, static_cast<std::size_t>(EndStep::Count)> steps{};
};

EndRecord& Record() {
  static EndRecord record;
  return record;
}

void RunStep(EndStep step) {
  Routine& routine = Record().steps[static_cast<std::size_t>(step)];
  if (routine != nullptr) {
    Routine run = routine;
    routine = nullptr;  // each release happens once, even if EndProgram runs again
    run();
  }
}

}  // namespace

void RegisterExitRoutine(Routine routine) { Record().exitRoutine = routine; }

bool HasExitRoutine() { return Record().exitRoutine != nullptr; }

void SetEndStep(EndStep step, Routine routine) { Record().steps[static_cast<std::size_t>(step)] = routine; }

void EndProgram(int /*exitCode*/) {
  RunStep(EndStep::ReleaseWindowDescriptions);
  if (Routine exitRoutine = Record().exitRoutine; exitRoutine != nullptr) {
    Record().exitRoutine = nullptr;
    exitRoutine();
  }
  RunStep(EndStep::UnloadLibraries);
  RunStep(EndStep::ReleaseProcessResources);
  RunStep(EndStep::UninitialiseOle);
}

}  // namespace vq
