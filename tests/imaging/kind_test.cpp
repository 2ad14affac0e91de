// The kind comes from the first six bytes alone, in a fixed order.
#include <gtest/gtest.h>

#include "imaging/imaging.h"
#include "support.h"

namespace vq::imaging::test {
namespace {

struct KindCase {
  const char* name;
  Bytes bytes;
  ImageKind kind;
};

class KindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(KindTest, RecognisesFromFirstSixBytes) {
  const KindCase& c = GetParam();
  EXPECT_EQ(RecogniseImageKind(c.bytes.data(), c.bytes.size()), c.kind);
}

INSTANTIATE_TEST_SUITE_P(
    Table, KindTest,
    ::testing::Values(
        KindCase{"Bitmap", {0x42, 0x4D, 0, 0, 0, 0}, ImageKind::Bitmap},
        KindCase{"Jpeg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10}, ImageKind::Jpeg},
        KindCase{"Icon", {0, 0, 1, 0, 3, 0}, ImageKind::Icon},
        KindCase{"IconCountHighByte", {0, 0, 1, 0, 0, 1}, ImageKind::Icon},
        KindCase{"IconNoImages", {0, 0, 1, 0, 0, 0}, ImageKind::None},
        KindCase{"Cursor", {0, 0, 2, 0, 1, 0}, ImageKind::Cursor},
        KindCase{"CursorNoImages", {0, 0, 2, 0, 0, 0}, ImageKind::None},
        KindCase{"ReservedNotZero", {1, 0, 1, 0, 1, 0}, ImageKind::None},
        KindCase{"Gif87a", {'G', 'I', 'F', '8', '7', 'a'}, ImageKind::Gif},
        KindCase{"Gif89a", {'G', 'I', 'F', '8', '9', 'a'}, ImageKind::Gif},
        KindCase{"Gif88a", {'G', 'I', 'F', '8', '8', 'a'}, ImageKind::None},
        KindCase{"Pcx8Version0", {0x0A, 0, 1, 8, 0, 0}, ImageKind::Pcx8},
        KindCase{"Pcx8Version5", {0x0A, 5, 1, 8, 0, 0}, ImageKind::Pcx8},
        KindCase{"Pcx8Version6", {0x0A, 6, 1, 8, 0, 0}, ImageKind::None},
        KindCase{"Pcx8Unencoded", {0x0A, 5, 0, 8, 0, 0}, ImageKind::None},
        KindCase{"Pcx1Version3", {0x0A, 3, 1, 1, 0, 0}, ImageKind::Pcx1},
        KindCase{"Pcx1Version5", {0x0A, 5, 1, 1, 0, 0}, ImageKind::None},
        KindCase{"Pcx4Bits", {0x0A, 3, 1, 4, 0, 0}, ImageKind::None},
        KindCase{"Png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, ImageKind::None},
        KindCase{"Text", {'H', 'e', 'l', 'l', 'o', ',', ' ', 'w'}, ImageKind::None},
        KindCase{"FiveBytesOfBitmap", {0x42, 0x4D, 0, 0, 0}, ImageKind::None},
        KindCase{"TwoBytesOfJpeg", {0xFF, 0xD8}, ImageKind::None},
        KindCase{"Empty", {}, ImageKind::None}),
    CaseName());

TEST(KindTest, NullDataIsNothing) { EXPECT_EQ(RecogniseImageKind(nullptr, 100), ImageKind::None); }

}  // namespace
}  // namespace vq::imaging::test
