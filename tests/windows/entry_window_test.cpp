// The entry window: saving what was typed, and being told the truth about it.
#include <gtest/gtest.h>

#include "ui_harness.h"
#include "windows/entry_window.h"
#include "windows/lookup_window.h"

namespace vq::testing {
namespace {

TEST(EntryWindowTest, Placeholder) {}

}  // namespace
}  // namespace vq::testing
