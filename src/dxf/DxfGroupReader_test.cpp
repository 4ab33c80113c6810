#include "dxf/DxfGroupReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DxfReaderTestUtil.h"
#include "RecordingAlertSink.h"

namespace brisol {
namespace {

struct KindCase {
  int code;
  const char* value;
  DxfValueKind kind;
  double d;
  int i;
  const char* text;
};

class GroupValueKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(GroupValueKinds, StoresByCode) {
  const KindCase& c = GetParam();
  DxfGroupReader reader;
  reader.OpenBytes("kinds.dxf", std::to_string(c.code) + "\n" + c.value + "\n");
  ASSERT_TRUE(reader.ReadGroup(-1));
  EXPECT_EQ(reader.Code(), c.code);
  EXPECT_EQ(reader.Kind(), c.kind);
  EXPECT_EQ(reader.Double(), c.d);
  EXPECT_EQ(reader.Int(), c.i);
  EXPECT_EQ(reader.Text(), c.text);
}

constexpr auto T = DxfValueKind::Text;
constexpr auto D = DxfValueKind::Double;
constexpr auto I = DxfValueKind::Integer;

INSTANTIATE_TEST_SUITE_P(
    Codes, GroupValueKinds,
    ::testing::Values(
        KindCase{0, "LINE", T, 0, 0, "LINE"}, KindCase{9, "$ACADVER", T, 0, 0, "$ACADVER"},
        KindCase{10, " 1.5e2", D, 150.0, 0, ""}, KindCase{59, "-0.25", D, -0.25, 0, ""},
        KindCase{60, "12", I, 0, 12, ""}, KindCase{78, "  -7 ", I, 0, -7, ""}, KindCase{79, "12", T, 0, 0, "12"},
        KindCase{90, "123456", I, 0, 123456, ""}, KindCase{91, "5", T, 0, 0, "5"},
        KindCase{100, "AcDbLine", T, 0, 0, "AcDbLine"}, KindCase{102, "{ACAD_REACTORS", T, 0, 0, "{ACAD_REACTORS"},
        KindCase{105, "42", I, 0, 42, ""}, KindCase{140, "2.5", D, 2.5, 0, ""}, KindCase{147, "3", D, 3.0, 0, ""},
        KindCase{148, "3", T, 0, 0, "3"}, KindCase{170, "1", I, 0, 1, ""}, KindCase{178, "2", I, 0, 2, ""},
        KindCase{179, "2", T, 0, 0, "2"}, KindCase{210, "1", D, 1.0, 0, ""}, KindCase{239, "-1", D, -1.0, 0, ""},
        KindCase{270, "3", I, 0, 3, ""}, KindCase{276, "3", T, 0, 0, "3"}, KindCase{280, "1", I, 0, 1, ""},
        KindCase{289, "9", I, 0, 9, ""}, KindCase{300, "txt", T, 0, 0, "txt"}, KindCase{330, "1F", I, 0, 1, ""},
        KindCase{350, "7", I, 0, 7, ""}, KindCase{351, "7", T, 0, 0, "7"}, KindCase{1000, "xdata", T, 0, 0, "xdata"},
        KindCase{1010, "4.5", D, 4.5, 0, ""}, KindCase{1059, "1", D, 1.0, 0, ""}, KindCase{1060, "8", I, 0, 8, ""},
        KindCase{1079, "8", I, 0, 8, ""}, KindCase{1080, "8", T, 0, 0, "8"}, KindCase{-5, "neg", T, 0, 0, "neg"},
        // atoi and atof stop at the first character that does not fit.
        KindCase{70, "12abc", I, 0, 12, ""}, KindCase{70, "abc", I, 0, 0, ""},
        KindCase{70, "99999999999", I, 0, 2147483647, ""}, KindCase{40, "1,5", D, 1.0, 0, ""},
        KindCase{40, "", D, 0.0, 0, ""}),
    [](const auto& info) {
      return "Code" + std::to_string(info.param.code < 0 ? 10000 - info.param.code : info.param.code) + "_" +
             std::to_string(info.index);
    });

TEST(GroupReader, ReadsCodesWithLeadingBlanksAndKeepsTrailingBlanks) {
  DxfGroupReader reader;
  reader.OpenBytes("t.dxf", "  0\nSECTION \n  2\n ENTITIES\n");
  ASSERT_TRUE(reader.ReadGroup(0));
  EXPECT_EQ(reader.Text(), "SECTION ");
  EXPECT_FALSE(reader.Is0("SECTION"));
  ASSERT_TRUE(reader.ReadGroup(2));
  EXPECT_EQ(reader.Text(), " ENTITIES");
  EXPECT_EQ(reader.LineCount(), 4);
}

TEST(GroupReader, CrLfAndLfReadAlike) {
  const std::string lf = test::Dxf({{0, "LINE"}, {8, "A B "}, {10, "1.5"}, {70, "3"}}, "\n");
  const std::string crlf = test::Dxf({{0, "LINE"}, {8, "A B "}, {10, "1.5"}, {70, "3"}}, "\r\n");
  DxfGroupReader a, b;
  a.OpenBytes("lf.dxf", lf);
  b.OpenBytes("crlf.dxf", crlf);
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(a.ReadGroup(-1));
    ASSERT_TRUE(b.ReadGroup(-1));
    EXPECT_EQ(a.Code(), b.Code());
    EXPECT_EQ(a.Text(), b.Text());
    EXPECT_EQ(a.Double(), b.Double());
    EXPECT_EQ(a.Int(), b.Int());
    EXPECT_EQ(a.LineCount(), b.LineCount());
  }
}

TEST(GroupReader, CommentsAreReadOverWhereverAGroupIsRead) {
  test::ScopedAlertRecorder alerts;
  DxfGroupReader reader;
  reader.OpenBytes("c.dxf", "999\nmade by hand\n0\nSECTION\n999\n\n999\nsecond\n2\nHEADER\n");
  ASSERT_TRUE(reader.ReadGroup(0));
  EXPECT_EQ(reader.Text(), "SECTION");
  EXPECT_EQ(reader.LineCount(), 4);
  ASSERT_TRUE(reader.ReadGroup(2));
  EXPECT_EQ(reader.Text(), "HEADER");
  EXPECT_EQ(reader.LineCount(), 10);
  EXPECT_TRUE(alerts.Texts().empty());
}

TEST(GroupReader, EndOfInputBeforeTheCode) {
  test::ScopedAlertRecorder alerts;
  test::ScopedTraceRecorder traces;
  DxfGroupReader reader;
  reader.OpenBytes("end.dxf", "0\nSECTION\n");
  ASSERT_TRUE(reader.ReadGroup(0));
  EXPECT_FALSE(reader.ReadGroup(0));
  EXPECT_FALSE(reader.LastReadOk());
  EXPECT_EQ(reader.Code(), -1);
  EXPECT_EQ(traces.Texts(), std::vector<std::string>{"DXF_Error,could not read group code at\nline 2 of <end.dxf>"});
  const auto boxes = alerts.sink().Alerts();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "DxfMsg");
  EXPECT_EQ(boxes[0].text, "ReadGroupFailed, group code:-1, line=2\n");
}

TEST(GroupReader, EndOfInputBeforeTheValue) {
  test::ScopedAlertRecorder alerts;
  test::ScopedTraceRecorder traces;
  DxfGroupReader reader;
  reader.OpenBytes("v.dxf", "0\nSECTION\n2\n");
  ASSERT_TRUE(reader.ReadGroup(0));
  EXPECT_FALSE(reader.ReadGroup(2));
  EXPECT_EQ(traces.Texts(), std::vector<std::string>{"DXF_Error,could not read group value\nat line 3 of <v.dxf>"});
  EXPECT_EQ(alerts.Texts(), std::vector<std::string>{"ReadGroupFailed, group code:2, line=3\n"});
}

TEST(GroupReader, EndOfInputInsideAComment) {
  test::ScopedAlertRecorder alerts;
  test::ScopedTraceRecorder traces;
  DxfGroupReader reader;
  reader.OpenBytes("v.dxf", "999\n");
  EXPECT_FALSE(reader.ReadGroup(0));
  EXPECT_EQ(traces.Texts(), std::vector<std::string>{"DXF_Error,could not read group value\nat line 1 of <v.dxf>"});
  EXPECT_EQ(alerts.Texts(), std::vector<std::string>{"ReadGroupFailed, group code:999, line=1\n"});
}

TEST(GroupReader, WrongCodeShowsTwoBoxesAndLeavesTheValueUnread) {
  test::ScopedAlertRecorder alerts;
  DxfGroupReader reader;
  reader.OpenBytes("m.dxf", "0\nSECTION\n8\nLAYER\nEOF\n");
  ASSERT_TRUE(reader.ReadGroup(0));
  EXPECT_FALSE(reader.ReadGroup(2));
  EXPECT_EQ(reader.Code(), 8);
  EXPECT_EQ(reader.LineCount(), 3);
  const auto boxes = alerts.sink().Alerts();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "DXF_Error, match_code=2\nbut code read = 8\nline 3 of m.dxf");
  EXPECT_EQ(boxes[0].icon, kIconExclamation);
  EXPECT_EQ(boxes[1].text, "ReadGroupFailed, group code:8, line=3\n");
  // The value line was not taken: it is read as the next code line.
  ASSERT_TRUE(reader.ReadGroup(-1));
  EXPECT_EQ(reader.Code(), 0);  // atoi("LAYER")
  EXPECT_EQ(reader.Text(), "EOF");
}

TEST(GroupReader, NothingOpenFailsSilently) {
  test::ScopedAlertRecorder alerts;
  test::ScopedTraceRecorder traces;
  DxfGroupReader reader;
  EXPECT_FALSE(reader.ReadGroup(-1));
  EXPECT_TRUE(alerts.Texts().empty());
  EXPECT_TRUE(traces.Texts().empty());
}

TEST(GroupReader, LongValueIsReadInTwoPiecesAndTheSecondIsTheNextCode) {
  test::ScopedAlertRecorder alerts;
  const std::string value = std::string(1023, 'x') + "70";
  DxfGroupReader reader;
  reader.OpenBytes("long.dxf", "1\n" + value + "\n5\n");
  ASSERT_TRUE(reader.ReadGroup(-1));
  EXPECT_EQ(reader.Code(), 1);
  EXPECT_EQ(reader.Text(), std::string(1022, 'x'));  // the value holds at most 1022 characters
  ASSERT_TRUE(reader.ReadGroup(-1));
  EXPECT_EQ(reader.Code(), 70);  // the rest of the long line
  EXPECT_EQ(reader.Int(), 5);
  EXPECT_EQ(reader.LineCount(), 4);
}

TEST(GroupReader, ValueEndsAtAZeroByte) {
  DxfGroupReader reader;
  reader.OpenBytes("z.dxf", std::string("0\nEOF\0junk\n", 11));
  ASSERT_TRUE(reader.ReadGroup(0));
  EXPECT_TRUE(reader.Is0("EOF"));
}

TEST(GroupReader, ResetForgetsEverything) {
  DxfGroupReader reader;
  reader.OpenBytes("r.dxf", "0\nLINE\n");
  ASSERT_TRUE(reader.ReadGroup(0));
  reader.Reset();
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_EQ(reader.Code(), -1);
  EXPECT_EQ(reader.Text(), "");
  EXPECT_EQ(reader.LineCount(), 0);
  EXPECT_EQ(reader.FileName(), "");
}

}  // namespace
}  // namespace brisol
