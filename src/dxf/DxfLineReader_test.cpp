#include "dxf/DxfLineReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "RecordingAlertSink.h"

namespace brisol {
namespace {

struct Piece {
  std::string text;
  bool terminated;
  bool operator==(const Piece&) const = default;
};

std::vector<Piece> AllPieces(DxfLineReader& reader) {
  std::vector<Piece> pieces;
  std::string text;
  while (reader.ReadLine(text)) pieces.push_back({text, reader.LastTerminated()});
  EXPECT_TRUE(text.empty());
  return pieces;
}

struct LineCase {
  const char* name;
  std::string input;
  std::vector<Piece> expected;
};

class LineReaderCases : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineReaderCases, ReadsThePieces) {
  const LineCase& c = GetParam();
  DxfLineReader reader;
  reader.OpenBytes(c.input);
  EXPECT_EQ(AllPieces(reader), c.expected);
  EXPECT_FALSE(reader.ReadError());
}

const std::string k1022(1022, 'a');
const std::string k1023(1023, 'b');

INSTANTIATE_TEST_SUITE_P(
    Terminators, LineReaderCases,
    ::testing::Values(LineCase{"Empty", "", {}}, LineCase{"Lf", "0\nLINE\n", {{"0", true}, {"LINE", true}}},
                      LineCase{"CrLf", "0\r\nLINE\r\n", {{"0", true}, {"LINE", true}}},
                      LineCase{"Mixed", "0\r\nLINE\n", {{"0", true}, {"LINE", true}}},
                      LineCase{"NoFinalTerminator", "0\nEOF", {{"0", true}, {"EOF", false}}},
                      LineCase{"BlanksKept", "  8 \n\tWALLS  \n", {{"  8 ", true}, {"\tWALLS  ", true}}},
                      LineCase{"LoneCrIsData", "a\rb\n", {{"a\rb", true}}},
                      LineCase{"CrBeforeCrLfIsData", "a\r\r\n", {{"a\r", true}}},
                      LineCase{"CrAtEnd", "a\r", {{"a\r", false}}},
                      LineCase{"EmptyLines", "\n\r\n\n", {{"", true}, {"", true}, {"", true}}},
                      LineCase{"ZeroByteKept", std::string("a\0b\n", 4), {{std::string("a\0b", 3), true}}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    LongLines, LineReaderCases,
    ::testing::Values(
        // 1022 characters and the terminator fit into one piece, LF or CR LF.
        LineCase{"Fits1022Lf", k1022 + "\nX\n", {{k1022, true}, {"X", true}}},
        LineCase{"Fits1022CrLf", k1022 + "\r\nX\r\n", {{k1022, true}, {"X", true}}},
        // 1023 characters fill the piece; the terminator comes as an empty line.
        LineCase{"Full1023Lf", k1023 + "\nX\n", {{k1023, false}, {"", true}, {"X", true}}},
        LineCase{"Full1023CrLf", k1023 + "\r\nX\r\n", {{k1023, false}, {"", true}, {"X", true}}},
        // A longer line is cut after 1023 characters.
        LineCase{"Long", k1023 + "tail\n", {{k1023, false}, {"tail", true}}},
        LineCase{"LongCrLf", k1023 + "tail\r\n", {{k1023, false}, {"tail", true}}},
        // A lone carriage return counts as a character of the piece.
        LineCase{"CrAtLimit", k1022 + "\rZ\n", {{k1022 + "\r", false}, {"Z", true}}},
        LineCase{"VeryLong",
                 std::string(2100, 'c') + "\n",
                 {{std::string(1023, 'c'), false}, {std::string(1023, 'c'), false}, {std::string(54, 'c'), true}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineReader, ReadsAFileLargerThanOneChunk) {
  test::TempDir dir;
  std::string bytes;
  for (int i = 0; i < 30000; ++i) bytes += std::to_string(i) + ((i % 2) ? "\r\n" : "\n");
  const std::string path = dir.File("big.dxf");
  test::WriteFile(path, bytes);
  DxfLineReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  std::string text;
  for (int i = 0; i < 30000; ++i) {
    ASSERT_TRUE(reader.ReadLine(text)) << i;
    ASSERT_EQ(text, std::to_string(i));
  }
  EXPECT_FALSE(reader.ReadLine(text));
  EXPECT_FALSE(reader.ReadError());
}

TEST(LineReader, MissingFileDoesNotOpen) {
  test::TempDir dir;
  DxfLineReader reader;
  EXPECT_FALSE(reader.Open(dir.File("none.dxf").c_str()));
  EXPECT_FALSE(reader.IsOpen());
  std::string text;
  EXPECT_FALSE(reader.ReadLine(text));
}

// What is no regular file is refused by what it is, at once: a named pipe
// without a writer would be waited on for ever.
TEST(LineReader, WhatIsNoFileIsRefusedWithTheReason) {
  test::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("pipe.dxf").c_str(), 0600), 0);
  const std::pair<std::string, std::string> cases[] = {
      {dir.File("none.dxf"), "No such file or directory"},
      {dir.path().string(), "it is a folder"},
      {dir.File("pipe.dxf"), "it is a named pipe (FIFO), not a regular file"},
      {"/dev/zero", "it is a character device, not a regular file"},
  };
  for (const auto& [path, why] : cases) {
    DxfLineReader reader;
    EXPECT_FALSE(reader.Open(path.c_str())) << path;
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.OpenProblem(), why);
  }
  test::WriteFile(dir.File("ok.dxf"), "0\nEOF\n");
  DxfLineReader reader;
  EXPECT_TRUE(reader.Open(dir.File("ok.dxf").c_str()));
  EXPECT_EQ(reader.OpenProblem(), "");
}

}  // namespace
}  // namespace brisol
