#include "effect/WorkingPictureLimit.h"

#include <gtest/gtest.h>

namespace brisol {
namespace {

TEST(WorkingPictureLimit, TellsTheSizeAndTheCeilingInMegapixels) {
  const struct {
    SIZE original;
    int level;
    const char* text;  // "" when the picture can be had
  } cases[] = {
      {{20000, 15000}, 2,
       "the picture is too large: 20000 x 15000 pixels at quality 2 need a working picture of 1200 megapixels; "
       "the most is 700 megapixels"},
      {{20000, 15000}, 1, ""},
      {{28000, 25001}, 1,
       "the picture is too large: 28000 x 25001 pixels at quality 1 need a working picture of 701 megapixels; the "
       "most is 700 megapixels"},
      {{28000, 25000}, 1, ""},  // exactly 700 megapixels
      {{14000, 12500}, 2, ""},
      {{1, 1}, 2, ""},
      {{2147483647, 2147483647}, 2,
       "the picture is too large: 2147483647 x 2147483647 pixels at quality 2 need a working picture of "
       "18446744056530 megapixels; the most is 700 megapixels"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WorkingPictureTooLarge(c.original, c.level), c.text) << c.original.cx << "x" << c.original.cy;
  }
}

}  // namespace
}  // namespace brisol
