#include "imageio/PsOp.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "RecordingAlertSink.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

TEST(PsOp, HasExtension) {
  struct Case {
    const char* name;
    const char* ext;
    bool expected;
  };
  const Case cases[] = {
      {"a.ps", "PS", true},  {"a.EPS", "eps", true}, {"ps", "ps", false},
      {".ps", "ps", false},  {"a.ps", "", false},    {"a.abcd", "abcd", false},
      {"a_ps", "ps", false}, {"x.png", "png", true}, {nullptr, "ps", false},
  };
  for (const Case& c : cases) EXPECT_EQ(HasExtension(c.name, c.ext), c.expected) << (c.name ? c.name : "null");
}

TEST(PsOp, TypeFollowsTheName) {
  struct Case {
    std::string name;
    std::string file;
    int type;
  };
  const Case cases[] = {
      {"picture", "picture.PS", CPsOp::kPostScript},
      {"out.EPS", "out.EPS", CPsOp::kEps},
      {"out.eps", "out.eps", CPsOp::kEps},
      {"art.ai", "art.ai", CPsOp::kAi},
      {"old.pics/out", "old.pics/out", CPsOp::kPostScript},
      {"x.png", "x.png", CPsOp::kPostScript},
  };
  for (const Case& c : cases) {
    CPsOp ps;
    ps.SetData(c.name.c_str(), SIZE{10, 10}, -2.5);
    EXPECT_EQ(ps.FileName(), c.file);
    EXPECT_EQ(ps.GetType(), c.type) << c.name;
    EXPECT_EQ(ps.GetBorder(), 2.5);
  }
}

TEST(PsOp, HeadersAsWritten) {
  struct Case {
    const char* name;
    double border;
    const char* expected;
  };
  const Case cases[] = {
      {"a.ps", 0, "%!PS-Adobe-3.0\n"},
      {"b.eps", 0, "%!PS-Adobe-3.0\n%%BoundingBox: -1 -1 641 481\n"},
      {"c.eps", 1, "%!PS-Adobe-3.0\n%%BoundingBox: -8 -8 648 488\n"},
      {"d.eps", 150, "%!PS-Adobe-3.0\n%%BoundingBox: -3 -3 643 483\n"},
      {"e.ai", 0, ""},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.File(c.name);
    CPsOp ps;
    ps.SetData(path.c_str(), SIZE{640, 480}, c.border);
    ps.WriteHeader();
    EXPECT_TRUE(ps.IsOpen());
    ps.Close();
    EXPECT_FALSE(ps.IsOpen());
    EXPECT_TRUE(ps.FileName().empty());
    EXPECT_EQ(test::ReadFile(path), c.expected) << c.name;
  }
}

TEST(PsOp, FailuresAreReported) {
  test::ScopedAlertRecorder rec;
  CPsOp ps;
  ps.SetData(nullptr, SIZE{1, 1}, 0);
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"CPsOp::SetData, NULL name"});
  ps.WriteHeader();  // no name: nothing happens
  EXPECT_FALSE(ps.IsOpen());

  test::TempDir dir;
  const std::string path = dir.File("missing/x.ps");
  ps.SetData(path.c_str(), SIZE{1, 1}, 0);
  EXPECT_EQ(test::FirstErrorOf([&] { ps.WriteHeader(); }),
            "Can't open vector file:\n" + path + "\nIs it open in another application?");
  EXPECT_FALSE(ps.IsOpen());
  EXPECT_TRUE(ps.FileName().empty());
}

}  // namespace
}  // namespace brisol
