// The program with another skin: the same start-up and windows, but the
// lookup window's created event hands the engine the skin named on the
// command line. Used by `make skins` to render every skin; the shipped
// program always uses the house skin.
#include <windows.h>

#include <cstdlib>

#include "app/application.h"
#include "base/program_end.h"
#include "windows/entry_window.h"
#include "windows/lookup_window.h"

namespace {

std::int32_t gSkinNumber = vq::kHouseSkin;

vq::HandlerResult ApplyChosenSkin(const vq::Event&) {
  vq::ApplicationState& app = vq::TheApplication();
  vq::ApplySkin(app.externalFunctions, *app.store, gSkinNumber);
  return vq::HandlerResult::NoValue;
}

vq::WindowDescription LookupWindowWithChosenSkin() { return vq::DescribeLookupWindow(ApplyChosenSkin); }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  gSkinNumber = static_cast<std::int32_t>(std::strtol(commandLine != nullptr ? commandLine : "6", nullptr, 10));
  const vq::DescriptionEntry entries[] = {
      {vq::kLookupWindowNumber, LookupWindowWithChosenSkin},
      {vq::kEntryWindowNumber, vq::DescribeEntryWindow},
  };
  vq::InitialiseApplicationWith(entries, 2);
  vq::LoadStartupWindow(vq::kLookupWindowNumber);
  vq::RunMessageLoop();
  vq::EndProgram(0);
  ExitProcess(0);
}
