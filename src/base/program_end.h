// The end routine that runs at every end of the process, normal or fatal.
//
// The resources it releases belong to higher layers (windows, the skin
// engine's library, OLE), so those layers hand in their release steps at
// start-up; EndProgram runs them in the fixed order below. This, with the
// exit routine, is the part of the application state kept at the bottom.
#pragma once

namespace vq {

using Routine = void (*)();

enum class EndStep {
  ReleaseWindowDescriptions,  // 1
  // 2 is the exit routine, registered with RegisterExitRoutine
  UnloadLibraries,            // 3
  ReleaseProcessResources,    // 4: the hidden tool window and the rest
  UninitialiseOle,            // 5
  Count
};

// Records the exit routine, replacing any earlier one; null clears it.
void RegisterExitRoutine(Routine routine);
bool HasExitRoutine();

// Records the release step of one slot, replacing any earlier one.
void SetEndStep(EndStep step, Routine routine);

// Runs the steps in order: descriptions, the exit routine (once, then its
// record is cleared), libraries, process resources, OLE. Empty slots are
// skipped. Returns to the caller, which then ends the process with exitCode.
void EndProgram(int exitCode);

}  // namespace vq
