// The entry an icon or cursor file shows: the first 32 pixels wide with a
// colour-count byte of 16 to 255, else the last; its bytes must lie in the file.
#include <gtest/gtest.h>

#include "imaging/imaging.h"
#include "support.h"

namespace vq::imaging::test {
namespace {

constexpr int kIcon = 1, kCursor = 2;

struct SelectionCase {
  const char* name;
  int type;
  std::vector<IconRecipeEntry> entries;
  int chosen;  // index of the entry expected, -1 for none
};

class IconSelectionTest : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(IconSelectionTest, ChoosesEntry) {
  const SelectionCase& c = GetParam();
  const Bytes bytes = WriteIconFile(c.type, c.entries);
  const std::optional<IconEntry> entry = SelectIconEntry(bytes.data(), bytes.size());
  if (c.chosen < 0) {
    EXPECT_FALSE(entry.has_value());
    return;
  }
  ASSERT_TRUE(entry.has_value());
  // Each entry's data bytes hold its index + 1.
  ASSERT_LT(entry->offset, bytes.size());
  EXPECT_EQ(bytes[entry->offset], c.chosen + 1);
  EXPECT_EQ(entry->size, c.entries[static_cast<std::size_t>(c.chosen)].dataSize);
  const IconRecipeEntry& recipe = c.entries[static_cast<std::size_t>(c.chosen)];
  EXPECT_EQ(entry->width, recipe.widthByte == 0 ? 256 : recipe.widthByte);
  EXPECT_EQ(entry->height, recipe.heightByte == 0 ? 256 : recipe.heightByte);
  EXPECT_EQ(entry->isCursor, c.type == kCursor);
  EXPECT_EQ(entry->hotspotX, c.type == kCursor ? recipe.planesOrHotspotX : 0);
  EXPECT_EQ(entry->hotspotY, c.type == kCursor ? recipe.bitsOrHotspotY : 0);
}

IconRecipeEntry Entry(int width, int colours) {
  IconRecipeEntry entry;
  entry.widthByte = entry.heightByte = width;
  entry.colourCount = colours;
  return entry;
}

IconRecipeEntry BadOffset(IconRecipeEntry entry, std::uint32_t offset) {
  entry.offset = offset;
  return entry;
}

INSTANTIATE_TEST_SUITE_P(
    Table, IconSelectionTest,
    ::testing::Values(
        SelectionCase{"FirstQualifying", kIcon, {Entry(16, 16), Entry(32, 16), Entry(32, 255), Entry(48, 0)}, 1},
        SelectionCase{"ColourCount255", kIcon, {Entry(32, 0), Entry(32, 255), Entry(16, 0)}, 1},
        SelectionCase{"ColourCount15IsTooFew", kIcon, {Entry(32, 15), Entry(48, 0)}, 1},
        SelectionCase{"AllTrueColourGivesLast", kIcon, {Entry(32, 0), Entry(32, 0), Entry(16, 0)}, 2},
        SelectionCase{"NoneThirtyTwoWideGivesLast", kIcon, {Entry(16, 16), Entry(48, 16), Entry(64, 16)}, 2},
        SelectionCase{"WidthByteZeroIs256", kIcon, {Entry(0, 16), Entry(24, 0)}, 1},
        SelectionCase{"OneEntry", kIcon, {Entry(0, 0)}, 0},
        SelectionCase{"CursorHotspot", kCursor, {IconRecipeEntry{32, 32, 16, 5, 9, 40, {}}, Entry(48, 0)}, 0},
        SelectionCase{"CursorLast", kCursor, {Entry(16, 2), IconRecipeEntry{48, 48, 0, 20, 30, 40, {}}}, 1},
        SelectionCase{"ChosenPastEnd", kIcon, {Entry(16, 0), BadOffset(Entry(32, 0), 4000)}, -1},
        SelectionCase{"ChosenInsideDirectory", kIcon, {BadOffset(Entry(32, 16), 10), Entry(16, 0)}, -1},
        SelectionCase{"OtherEntryBrokenIsNoMatter", kIcon, {Entry(32, 16), BadOffset(Entry(16, 0), 9999)}, 0},
        SelectionCase{"OffsetWraps", kIcon, {BadOffset(Entry(32, 16), 0xFFFFFFF0u)}, -1},
        SelectionCase{"EmptyEntry", kIcon, {IconRecipeEntry{32, 32, 16, 1, 32, 0, {}}}, -1}),
    CaseName());

TEST(IconSelectionTest, DirectoryCutShortGivesNothing) {
  Bytes bytes = WriteIconFile(kIcon, {Entry(16, 0), Entry(32, 16)});
  bytes.resize(6 + 16 + 8);
  EXPECT_FALSE(SelectIconEntry(bytes.data(), bytes.size()).has_value());
}

}  // namespace
}  // namespace vq::imaging::test
