#include "effect/WorkingPictureLimit.h"

#include <gtest/gtest.h>

namespace brisol {
namespace {

TEST(WorkingPictureLimit, TellsTheSizeAndTheCeilingInMegapixels) {
  const struct {
    SIZE original;
    int level;
    bool banded;
    const char* text;  // "" when the picture can be had
  } cases[] = {
      {{20000, 15000},
       2,
       false,
       "the picture is too large: 20000 x 15000 pixels at quality 2 need a working picture of 1200 megapixels; "
       "the most is 700 megapixels"},
      {{20000, 15000}, 1, false, ""},
      {{20000, 15000}, 2, true, ""},  // drawn in bands
      {{20000, 20001},
       2,
       true,
       "the picture is too large: 20000 x 20001 pixels at quality 2 need a working picture of 1601 megapixels; "
       "the most is 1600 megapixels"},
      {{28000, 25001},
       1,
       false,
       "the picture is too large: 28000 x 25001 pixels at quality 1 need a working picture of 701 megapixels; the "
       "most is 700 megapixels"},
      {{28000, 25000}, 1, false, ""},  // exactly 700 megapixels
      {{14000, 12500}, 2, false, ""},
      {{1, 1}, 2, false, ""},
      {{2147483647, 2147483647},
       2,
       true,
       "the picture is too large: 2147483647 x 2147483647 pixels at quality 2 need a working picture of "
       "18446744056530 megapixels; the most is 1600 megapixels"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WorkingPictureTooLarge(c.original, c.level, c.banded), c.text) << c.original.cx << "x" << c.original.cy;
  }
}

}  // namespace
}  // namespace brisol
