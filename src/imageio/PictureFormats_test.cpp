#include "imageio/PictureFormats.h"

#include <gtest/gtest.h>

#include "imageio/ImageLoad.h"

namespace brisol {
namespace {

TEST(PictureFormats, NamesFindTheirFormat) {
  struct Case {
    const char* path;
    const char* format;  // null: none
  } cases[] = {
      {"photo.jpg", "JPEG"},
      {"photo.JPEG", "JPEG"},
      {"/a/b.c/photo.Png", "PNG"},
      {"x.bmp", "BMP"},
      {"x.tga", "TGA"},
      {"x.PCX", "PCX"},
      {"photo", nullptr},
      {"dir.png/photo", nullptr},
      {"photo.jpg.txt", nullptr},
      {"photo.", nullptr},
      {".png", "PNG"},
      {"photo.jpe", nullptr},
  };
  for (const Case& c : cases) {
    const PictureFormat* f = PictureFormatOfName(c.path);
    if (c.format == nullptr) {
      EXPECT_EQ(f, nullptr) << c.path;
    } else {
      ASSERT_NE(f, nullptr) << c.path;
      EXPECT_EQ(f->name, c.format) << c.path;
    }
  }
}

TEST(PictureFormats, OrderAndTextsAreTheDialogs) {
  const auto formats = PictureFormats();
  ASSERT_EQ(formats.size(), 5u);
  EXPECT_EQ(formats[0].imageType, kImageTypeBmp);
  EXPECT_EQ(formats[2].extensions[0], "jpg");
  EXPECT_EQ(formats[4].imageType, kImageTypePng);
  EXPECT_EQ(PictureExtensionsText(), "bmp, tga, jpg, jpeg, pcx or png");
}

}  // namespace
}  // namespace brisol
