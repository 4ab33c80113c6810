#include "effect/Enums.h"

#include <gtest/gtest.h>

#include "RecordingAlertSink.h"

namespace brisol {
namespace {

TEST(Enums, TextsRoundTripIgnoringCase) {
  struct Table {
    int count;
    const char* (*desc)(int);
    int (*value)(const char*);
  };
  const Table tables[] = {
      {ikNumReactions, GetReactionDesc, GetReactionFromDesc},
      {ikNumColSrcs, GetColSrcDesc, GetColSrcFromDesc},
      {ikNumBkgTypes, GetBkgTypeDesc, GetBkgFromDesc},
      {ikNumMixGeoms, GetMixGeomDesc, GetMixGeomFromDesc},
  };
  test::ScopedAlertRecorder rec;
  for (const Table& t : tables) {
    for (int v = 0; v < t.count; ++v) {
      std::string upper = t.desc(v);
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      EXPECT_EQ(t.value(upper.c_str()), v) << upper;
    }
  }
  EXPECT_TRUE(rec.Texts().empty());
  EXPECT_STREQ(GetReactionDesc(2), "is random");
  EXPECT_STREQ(GetMixGeomDesc(11), "Rectangular Frame");
  EXPECT_STREQ(GetColSrcDesc(1), "A single color");
  EXPECT_STREQ(GetBkgTypeDesc(1), "Original Image");
}

TEST(Enums, FailedLookupsLogAndFallBack) {
  test::ScopedAlertRecorder rec;
  EXPECT_STREQ(GetReactionDesc(3), "depends on image");
  EXPECT_STREQ(GetColSrcDesc(-1), "Colors from original image");
  EXPECT_STREQ(GetBkgTypeDesc(2), "Single Solid Color");
  EXPECT_STREQ(GetMixGeomDesc(12), "Off (No Mix)");
  EXPECT_EQ(GetReactionFromDesc("sometimes"), 0);
  EXPECT_EQ(GetColSrcFromDesc("x"), 0);
  EXPECT_EQ(GetBkgFromDesc("y"), 0);
  EXPECT_EQ(GetMixGeomFromDesc("Diagonal"), 0);
  EXPECT_EQ(rec.Texts(), (std::vector<std::string>{
                             "Error: GetReactionDesc(3), ikNumReactions=3",
                             "Error: GetColSrcDesc(-1), ikNumColSrcs=3",
                             "Error: GetBkgTypeDesc(2), ikNumBkgTypes=2",
                             "GetMixGeomDesc could not match type12\n",
                             "Error: GetReactionFromDesc(sometimes)",
                             "Error: GetColSrcFromDesc(x)",
                             "Error: GetBkgFromDesc(y)",
                             "GetMixGeomFromDesc(Diagonal) could not match\n",
                         }));
}

}  // namespace
}  // namespace brisol
