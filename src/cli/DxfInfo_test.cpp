// Runs the real brisol-cli dxf-info.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "CliTestSupport.h"

namespace brisol {
namespace {

using test::CliResult;

// dxf-info with the arguments.
CliResult DxfInfo(std::vector<std::string> args) {
  args.insert(args.begin(), "dxf-info");
  return test::RunCli(args);
}

std::string Groups(std::initializer_list<std::pair<int, std::string>> groups) {
  std::string out;
  for (const auto& [code, value] : groups) out += std::to_string(code) + "\n" + value + "\n";
  return out;
}

TEST(DxfInfo, Help) {
  const CliResult run = DxfInfo({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("Usage: brisol-cli dxf-info [--json] [--] FILE...", 0), 0u);
}

TEST(DxfInfo, NoFileIsAUsageError) {
  EXPECT_EQ(DxfInfo({}).status, 2);
  EXPECT_EQ(DxfInfo({"--json"}).status, 2);
  EXPECT_EQ(DxfInfo({"--bogus", "x.dxf"}).status, 2);
}

TEST(DxfInfo, JsonOfAGoodDrawing) {
  test::TempDir dir;
  const std::string path = dir.File("good.dxf");
  test::WriteFile(path, Groups({{999, "made in a test"},
                                {0, "SECTION"},
                                {2, "TABLES"},
                                {0, "TABLE"},
                                {2, "LAYER"},
                                {0, "LAYER"},
                                {2, "Ink"},
                                {62, "-1"},
                                {0, "ENDTAB"},
                                {0, "ENDSEC"},
                                {0, "SECTION"},
                                {2, "BLOCKS"},
                                {0, "BLOCK"},
                                {2, "B"},
                                {0, "POINT"},
                                {0, "ENDBLK"},
                                {0, "ENDSEC"},
                                {0, "SECTION"},
                                {2, "ENTITIES"},
                                {0, "LWPOLYLINE"},
                                {10, "-1"},
                                {20, "0.5"},
                                {10, "2"},
                                {20, "3"},
                                {0, "CIRCLE"},
                                {8, "Ink"},
                                {10, "100"},
                                {40, "1"},
                                {0, "INSERT"},
                                {8, "0"},
                                {2, "B"},
                                {10, "4"},
                                {0, "ENDSEC"},
                                {0, "EOF"}}));
  const CliResult run = DxfInfo({"--json", path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(
      run.out,
      "{\"file\": \"" + path +
          "\", \"read_ok\": true, \"entities\": {\"POINT\": 0, \"LINE\": 0, "
          "\"POLYLINE\": 1, \"CIRCLE\": 1, \"ELLIPSE\": 0, \"ARC\": 0, \"TEXT\": 0, \"POLYFACE\": 0, "
          "\"POLYGONMESH\": 0, \"INSERT\": 1}, \"layers\": [{\"name\": \"0\", \"colour\": 7, \"visible\": true}, "
          "{\"name\": \"Ink\", \"colour\": 1, \"visible\": false}], \"blocks\": [{\"name\": \"B\", \"entities\": 1}], "
          "\"extents\": {\"min\": [-1, 0, 0], \"max\": [4, 3, 0]}, \"useful\": true, "
          "\"messages\": [\"ReadFile(" +
          path + ") starting... \\n\"]}\n");
}

TEST(DxfInfo, FailedReadReportsEveryMessageInOrder) {
  test::TempDir dir;
  const std::string path = dir.File("cut.dxf");
  test::WriteFile(path, Groups({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {11, "1"}, {0, "ENDSEC"}}));
  const CliResult run = DxfInfo({"--json", path});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("\"read_ok\": false"), std::string::npos);
  EXPECT_NE(run.out.find("\"LINE\": 1"), std::string::npos);
  EXPECT_NE(run.out.find("\"messages\": [\"ReadFile(" + path +
                         ") starting... \\n\", "
                         "\"DXF_Error,could not read group code at\\nline 10 of <" +
                         path +
                         ">\", "
                         "\"ReadGroupFailed, group code:-1, line=10\\n\", "
                         "\"Expected to read group 0 (line 10)\"]}"),
            std::string::npos)
      << run.out;
}

TEST(DxfInfo, OneObjectPerFileAndStatusOfAll) {
  test::TempDir dir;
  const std::string good = dir.File("a.dxf"), missing = dir.File("missing.dxf");
  test::WriteFile(good, Groups({{0, "EOF"}}));
  CliResult run = DxfInfo({"--json", good, good});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2);
  run = DxfInfo({good, "--json", missing});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("\"ERROR: cannot open DXF file " + missing + ": No such file or directory\""),
            std::string::npos);
  EXPECT_NE(run.out.find("\"useful\": false"), std::string::npos);
}

TEST(DxfInfo, TextsThatAreNotUtf8StayValidJson) {
  test::TempDir dir;
  const std::string path = dir.File("latin.dxf");
  test::WriteFile(path, Groups({{0, "SECTION"},
                                {2, "TABLES"},
                                {0, "TABLE"},
                                {2, "LAYER"},
                                {0, "LAYER"},
                                {2, "Ma\xdf \"q\"\t\xc3\xa9"},
                                {0, "ENDTAB"},
                                {0, "ENDSEC"},
                                {0, "EOF"}}));
  const CliResult run = DxfInfo({"--json", path});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("\"name\": \"Ma\\u00df \\\"q\\\"\\t\xc3\xa9\""), std::string::npos) << run.out;
}

TEST(DxfInfo, HumanReadableByDefault) {
  test::TempDir dir;
  const std::string path = dir.File("h.dxf");
  test::WriteFile(path,
                  Groups({{0, "SECTION"}, {2, "ENTITIES"}, {0, "ELLIPSE"}, {11, "1"}, {0, "ENDSEC"}, {0, "EOF"}}));
  const CliResult run = DxfInfo({path});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find(path + ": read to EOF\n"), std::string::npos);
  EXPECT_NE(run.out.find("  entities: 1 (ELLIPSE 1)\n"), std::string::npos);
  EXPECT_NE(run.out.find("  useful:   no"), std::string::npos);
}

TEST(DxfInfo, DrawingOfUnusableNumbersIsNotUseful) {
  test::TempDir dir;
  const std::string path = dir.File("nan.dxf");
  test::WriteFile(path, Groups({{0, "SECTION"},
                                {2, "ENTITIES"},
                                {0, "LINE"},
                                {10, "nan"},
                                {11, "1"},
                                {0, "CIRCLE"},
                                {10, "1e308"},
                                {40, "1"},
                                {0, "ENDSEC"},
                                {0, "EOF"}}));
  const CliResult text = DxfInfo({path});
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("  entities: 0\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("  useful:   no"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("LINE at line 6 of <" + path + "> dropped"), std::string::npos) << text.out;
}

TEST(DxfInfo, NothingVisibleHasNoExtents) {
  test::TempDir dir;
  const std::string path = dir.File("hidden.dxf");
  test::WriteFile(path, Groups({{0, "SECTION"},
                                {2, "TABLES"},
                                {0, "TABLE"},
                                {2, "LAYER"},
                                {0, "LAYER"},
                                {2, "Off"},
                                {62, "-1"},
                                {0, "ENDTAB"},
                                {0, "ENDSEC"},
                                {0, "SECTION"},
                                {2, "ENTITIES"},
                                {0, "LINE"},
                                {8, "Off"},
                                {11, "1"},
                                {0, "ENDSEC"},
                                {0, "EOF"}}));
  const CliResult text = DxfInfo({path});
  EXPECT_NE(text.out.find("  extents:  none\n"), std::string::npos) << text.out;
  const CliResult json = DxfInfo({"--json", path});
  EXPECT_NE(json.out.find("\"extents\": null"), std::string::npos) << json.out;
}

TEST(DxfInfo, RepeatedMessagesAreToldOnceWithACount) {
  // 5000 blocks, each inserting the one before: beyond the 1500 a drawing
  // holds, every block is refused with the same trace, and standard error
  // tells it once, naming the file.
  test::TempDir dir;
  std::string text = Groups({{0, "SECTION"}, {2, "BLOCKS"}});
  for (int i = 0; i < 5000; ++i) {
    text += Groups({{0, "BLOCK"}, {2, std::string("B").append(std::to_string(i))}});
    text += i == 0 ? Groups({{0, "LINE"}, {11, "1"}})
                   : Groups({{0, "INSERT"}, {2, std::string("B").append(std::to_string(i - 1))}});
    text += Groups({{0, "ENDBLK"}});
  }
  text += Groups({{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {11, "1"}, {0, "ENDSEC"}, {0, "EOF"}});
  const std::string path = dir.File("chain.dxf");
  test::WriteFile(path, text);
  const CliResult run = DxfInfo({path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "Block buffer overflow: 3500 blocks of " + path + " beyond the first 1500 were left out\n");
  EXPECT_NE(run.out.find("    - Block buffer overflow (3500 times)\n"), std::string::npos);
  EXPECT_EQ(run.out.find("    - Block buffer overflow\n"), std::string::npos);
}

TEST(DxfInfo, ReadsTheHandWrittenDrawings) {
  const auto fixtures = std::filesystem::path(BRISOL_TEST_FIXTURES) / "dxf";
  std::vector<std::string> args = {"--json"};
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(fixtures)) {
    if (entry.path().extension() != ".dxf") continue;
    args.push_back(entry.path().string());
    ++files;
  }
  ASSERT_GE(files, 6);
  const CliResult run = DxfInfo(args);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), files);
  EXPECT_EQ(run.out.find("\"read_ok\": false"), std::string::npos);
}

}  // namespace
}  // namespace brisol
