// The kind comes from the first six bytes alone, in a fixed order.
#include <gtest/gtest.h>

#include "imaging/imaging.h"
#include "jpeg_writer.h"
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

// The file's name plays no part: a JPEG named .bmp and a bitmap named .jpg
// are each recognised and decoded by what their bytes are.
TEST(KindTest, NameDoesNotDecideKind) {
  const std::string jpegPath = ScratchPath("cover-really-jpeg.bmp");
  const std::string bitmapPath = ScratchPath("cover-really-bitmap.jpg");
  WriteFileBytes(jpegPath, WriteJpeg(JpegRecipe{8, 8}).bytes);
  WriteFileBytes(bitmapPath, WriteBitmap({8, 8, 24}).bytes);
  const Bytes jpeg = ReadFileBytes(jpegPath);
  const Bytes bitmap = ReadFileBytes(bitmapPath);
  ASSERT_EQ(RecogniseImageKind(jpeg.data(), jpeg.size()), ImageKind::Jpeg);
  ASSERT_EQ(RecogniseImageKind(bitmap.data(), bitmap.size()), ImageKind::Bitmap);
  EXPECT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), 8, 8).has_value());
  EXPECT_TRUE(DecodeBitmap(bitmap.data(), bitmap.size()).has_value());
}

// Each decoder takes only its own kind: handed another's bytes it gives nothing.
TEST(KindTest, DecodersRefuseOtherKinds) {
  const Bytes jpeg = WriteJpeg(JpegRecipe{8, 8}).bytes;
  const Bytes bitmap = WriteBitmap({8, 8, 24}).bytes;
  EXPECT_FALSE(DecodeBitmap(jpeg.data(), jpeg.size()).has_value());
  EXPECT_FALSE(DecodePcx(bitmap.data(), bitmap.size()).has_value());
  EXPECT_FALSE(DecodeGif(bitmap.data(), bitmap.size(), true).has_value());
  EXPECT_FALSE(SelectIconEntry(bitmap.data(), bitmap.size()).has_value());
  EXPECT_FALSE(DecodeJpeg(bitmap.data(), bitmap.size(), 8, 8).has_value());
}

}  // namespace
}  // namespace vq::imaging::test
