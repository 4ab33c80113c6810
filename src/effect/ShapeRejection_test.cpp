#include "effect/ShapeRejection.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "RecordingAlertSink.h"
#include "effect/Effect.h"

namespace brisol {
namespace {

using Reason = ShapeRejection::Reason;

ShapeRejection Make(Reason reason, std::string path, unsigned long long size = 0, int line = 0, int error = 0) {
  ShapeRejection r;
  r.reason = reason;
  r.path = std::move(path);
  r.size = size;
  r.line = line;
  r.error = error;
  return r;
}

TEST(ShapeRejection, DescribedInWordsForPeople) {
  const struct {
    ShapeRejection rejection;
    const char* text;
  } cases[] = {
      {Make(Reason::FolderUnreadable, "/x/Stars", 0, 0, ENOENT), "'/x/Stars': no such folder"},
      {Make(Reason::FolderUnreadable, "/x/Stars", 0, 0, EACCES), "'/x/Stars': permission denied"},
      {Make(Reason::FolderUnreadable, "/x/file", 0, 0, ENOTDIR), "'/x/file': not a folder"},
      {Make(Reason::NotAFile, "/x/a.dxf"), "'/x/a.dxf' is a folder, not a shape file"},
      {Make(Reason::FileSize, "/x/a.dxf", 120000),
       "'/x/a.dxf' is 120000 bytes; a shape file must be 100 to 100000 bytes"},
      {Make(Reason::FileSize, "/x/a.dxf", 99), "'/x/a.dxf' is 99 bytes; a shape file must be 100 to 100000 bytes"},
      {Make(Reason::Unreadable, "/x/a.dxf", 0, 12),
       "'/x/a.dxf' is not a DXF drawing that can be read (reading stopped at line 12)"},
      {Make(Reason::Unreadable, "/x/a.dxf", 0, 0, EACCES), "'/x/a.dxf': permission denied"},
      {Make(Reason::NoEntities, "/x/a.dxf"), "'/x/a.dxf' holds no entities"},
      {Make(Reason::NoUsefulEntities, "/x/a.dxf"), "'/x/a.dxf' holds no LINE, POLYLINE or CIRCLE"},
      {Make(Reason::TooMany, "/x"), "'/x' holds more than 100 shapes; the rest were left out"},
  };
  for (const auto& c : cases) EXPECT_EQ(DescribeRejection(c.rejection), c.text);
}

TEST(ShapeRejection, LoaderTellsWhyEachFileWasLeftOut) {
  test::ScopedAlertRecorder quiet;
  test::TempDir dir;
  const std::string square =
      "999\na square of unit size\n0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n70\n1\n10\n0\n20\n0\n10\n1\n20\n0\n"
      "10\n1\n20\n1\n0\nENDSEC\n0\nEOF\n";
  test::WriteFile(dir.File("a_good.dxf"), square);
  test::WriteFile(dir.File("b_small.dxf"), "0\nEOF\n");
  test::WriteFile(dir.File("c_texts.dxf"),
                  "999\nonly texts here\n0\nSECTION\n2\nENTITIES\n0\nTEXT\n1\nhello there\n10\n0\n20\n0\n40\n1\n"
                  "0\nTEXT\n1\nanother one\n0\nENDSEC\n0\nEOF\n");
  test::WriteFile(dir.File("d_broken.dxf"), std::string(150, 'x').append("\n"));
  std::filesystem::create_directory(dir.File("e_folder.dxf"));
  std::vector<ShapeRejection> rejected;
  CEffect effect;
  effect.LoadShapes(dir.path().c_str(), &rejected);
  EXPECT_EQ(effect.GetNumShapes(), 1u);
  ASSERT_EQ(rejected.size(), 3u);  // a folder not beginning with '.' is passed over
  EXPECT_EQ(rejected[0].reason, Reason::FileSize);
  EXPECT_EQ(rejected[0].size, 6u);
  EXPECT_EQ(rejected[1].reason, Reason::NoUsefulEntities);
  EXPECT_EQ(rejected[1].path, dir.File("c_texts.dxf"));
  EXPECT_EQ(rejected[2].reason, Reason::Unreadable);
  EXPECT_GT(rejected[2].line, 0);

  rejected.clear();
  effect.LoadShapes(dir.File("missing").c_str(), &rejected);
  ASSERT_EQ(rejected.size(), 1u);
  EXPECT_EQ(DescribeRejection(rejected[0]), std::string("'").append(dir.File("missing")).append("': no such folder"));
}

}  // namespace
}  // namespace brisol
