#include "dxf/DxfFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DxfReaderTestUtil.h"
#include "RecordingAlertSink.h"
#include "dxf/DxfEntities.h"

namespace brisol {
namespace {

using test::Dxf;

// Reads DXF text through a file, recording traces and boxes.
class DxfRead {
 public:
  explicit DxfRead(const std::string& text, const char* prefix = nullptr, const std::string& name = "t.dxf") {
    path = dir.File(name);
    test::WriteFile(path, text);
    ok = file.ReadFile(path.c_str(), prefix);
    traces = traceRecorder.Texts();
    boxes = alertRecorder.Texts();
  }
  bool Traced(const std::string& text) const {
    for (const auto& t : traces) {
      if (t == text) return true;
    }
    return false;
  }
  int Count(int type) const { return file.CountOfType(type); }

  test::TempDir dir;
  test::ScopedAlertRecorder alertRecorder;
  test::ScopedTraceRecorder traceRecorder;
  std::string path;
  CDxfFile file;
  bool ok = false;
  std::vector<std::string> traces;
  std::vector<std::string> boxes;
};

// prefix followed by the number (built by appending: GCC 12 warns wrongly
// about "literal" + std::string here).
std::string Numbered(const char* prefix, int i) {
  std::string name(prefix);
  name.append(std::to_string(i));
  return name;
}

std::string Entities(const std::string& body) {
  return Dxf({{0, "SECTION"}, {2, "ENTITIES"}}) + body + Dxf({{0, "ENDSEC"}, {0, "EOF"}});
}

const std::string kLine = Dxf({{0, "LINE"}, {10, "0"}, {20, "0"}, {30, "0"}, {11, "1"}, {21, "2"}, {31, "0"}});

// --- the file as a whole ---------------------------------------------------

TEST(DxfFile, OnlyEofIsAValidEmptyDrawing) {
  DxfRead r(Dxf({{0, "EOF"}}));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.file.GetCount(), 0);
  ASSERT_EQ(r.file.GetLayerTable().GetCount(), 1);
  EXPECT_EQ(r.file.GetLayerTable().GetLayer(0)->GetName(), "0");
  EXPECT_EQ(r.file.GetLayerTable().GetLayer(0)->GetColourIndex(), 7);
  EXPECT_TRUE(r.boxes.empty());
  ASSERT_FALSE(r.traces.empty());
  EXPECT_EQ(r.traces.front(), "ReadFile(" + r.path + ") starting... \n");
  EXPECT_EQ(r.file.GetFileName(), r.path);
}

TEST(DxfFile, MissingEofFailsAndKeepsTheEntities) {
  DxfRead r(Dxf({{0, "SECTION"}, {2, "ENTITIES"}}) + kLine + Dxf({{0, "ENDSEC"}}));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.Count(kDxfLine), 1);
  EXPECT_EQ(r.boxes, std::vector<std::string>{"ReadGroupFailed, group code:-1, line=20\n"});
  ASSERT_GE(r.traces.size(), 3u);
  EXPECT_EQ(r.traces[r.traces.size() - 2], "DXF_Error,could not read group code at\nline 20 of <" + r.path + ">");
  EXPECT_EQ(r.traces.back(), "Expected to read group 0 (line 20)");
}

TEST(DxfFile, BeginningWithACommentReadsFine) {
  DxfRead r(Dxf({{999, "written by a CAD program"}}) + Entities(Dxf({{999, "inside"}}) + kLine));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.Count(kDxfLine), 1);
  EXPECT_TRUE(r.boxes.empty());
}

TEST(DxfFile, NotDxfShowsTwoBoxes) {
  DxfRead r("hello\nworld\n");
  EXPECT_FALSE(r.ok);
  // atoi("hello") is 0, so the first group is (0, "world"): no separator.
  EXPECT_TRUE(r.Traced("Missing top level separator in DXF file\nat line 2 of " + r.path));
  DxfRead s("12\nworld\n");
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.boxes, (std::vector<std::string>{"DXF_Error, match_code=0\nbut code read = 12\nline 1 of " + s.path,
                                               "ReadGroupFailed, group code:12, line=1\n"}));
  EXPECT_EQ(s.traces.back(), "Expected to read group 0 (line 1)");
}

TEST(DxfFile, TrailingBlankMeansNoSection) {
  DxfRead r(Dxf({{0, "SECTION "}, {2, "ENTITIES"}}));
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.Traced("Missing top level separator in DXF file\nat line 2 of " + r.path));
}

struct SectionCase {
  const char* name;
  std::string text;
  bool ok;
  std::string trace;  // {file} and the line are filled in by the case
};

class SectionCases : public ::testing::TestWithParam<SectionCase> {};

TEST_P(SectionCases, ReadAsSpecified) {
  const SectionCase& c = GetParam();
  DxfRead r(c.text);
  EXPECT_EQ(r.ok, c.ok);
  if (!c.trace.empty()) {
    std::string expected = c.trace;
    const auto at = expected.find("{file}");
    if (at != std::string::npos) expected.replace(at, 6, r.path);
    EXPECT_TRUE(r.Traced(expected)) << "missing trace: " << expected;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sections, SectionCases,
    ::testing::Values(
        SectionCase{"BadSection", Dxf({{0, "SECTION"}, {2, "THUMBNAILIMAGE"}, {90, "0"}, {0, "ENDSEC"}, {0, "EOF"}}),
                    false, "DXF error: Bad section (THUMBNAILIMAGE) in\n<{file}>,line 4"},
        SectionCase{"LowerCaseSectionIsBad", Dxf({{0, "SECTION"}, {2, "entities"}, {0, "ENDSEC"}, {0, "EOF"}}), false,
                    "DXF error: Bad section (entities) in\n<{file}>,line 4"},
        SectionCase{"NoGroup2", Dxf({{0, "SECTION"}, {0, "ENDSEC"}}), false,
                    "DXF error: Expected a group 2\nbut not found, line 3 of <{file}>"},
        SectionCase{"HeaderSkipped",
                    Dxf({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1009"}, {0, "ENDSEC"}, {0, "EOF"}}),
                    true, ""},
        SectionCase{"HeaderUnended", Dxf({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1009"}}), false,
                    "DXF Error, while reading Header section\nline 8 of file <{file}>"},
        SectionCase{"ClassesUnended", Dxf({{0, "SECTION"}, {2, "CLASSES"}, {0, "CLASS"}}), false,
                    "DXF Error, while skipping a section\nline 6 of file <{file}>"},
        SectionCase{"ObjectsSkipped",
                    Dxf({{0, "SECTION"}, {2, "OBJECTS"}, {0, "DICTIONARY"}, {0, "ENDSEC"}, {0, "EOF"}}), true, ""},
        SectionCase{"EntitiesNotCode0", Dxf({{0, "SECTION"}, {2, "ENTITIES"}, {8, "0"}}), false,
                    "DXF error: reading entities section, expected group 0,\nline 5 of {file}"},
        SectionCase{"TableWithoutName", Dxf({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {70, "1"}}), false,
                    "DXF Error: reading tables section"},
        SectionCase{"StrayInTables", Dxf({{0, "SECTION"}, {2, "TABLES"}, {0, "ENDTAB"}, {0, "ENDSEC"}, {0, "EOF"}}),
                    true, "DXF: Missing table in <{file}>"},
        SectionCase{"OtherTableUnended", Dxf({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LTYPE"}, {70, "1"}}),
                    false, "ReadOtherTable(LTYPE), ReadGroup failed with code -1 at line 10."},
        SectionCase{
            "OtherTableEndsAtAnyCode",
            Dxf({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "STYLE"}, {3, "ENDTAB"}, {0, "ENDSEC"}, {0, "EOF"}}),
            true, ""},
        SectionCase{"LayerRecordUnended",
                    Dxf({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "A"}}), false,
                    "DXF Error getting layer entity group"},
        SectionCase{"BlocksNotBlock", Dxf({{0, "SECTION"}, {2, "BLOCKS"}, {0, "LINE"}, {0, "ENDSEC"}, {0, "EOF"}}),
                    false, "DXF error: MissingBlock at 6 of {file}"},
        SectionCase{"BlocksUnended", Dxf({{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "B"}}), false,
                    "***ERROR***No ENDSEC found in BLOCKS section\n"},
        SectionCase{"EntitiesUnended", Dxf({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {10, "1"}}), false,
                    "DXF_Error,could not read group code at\nline 8 of <{file}>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DxfFile, BadNames) {
  test::ScopedTraceRecorder traces;
  CDxfFile file;
  EXPECT_FALSE(file.ReadFile(nullptr, nullptr));
  EXPECT_FALSE(file.ReadFile("", nullptr));
  EXPECT_EQ(traces.Texts(), (std::vector<std::string>{"CDxfFile::ReadFile, bad DXF file name",
                                                      "CDxfFile::ReadFile, no filename specified"}));
}

TEST(DxfFile, LongNamesAreRead) {
  // Paths have no limit of their own: a drawing some 500 characters deep.
  test::TempDir dir;
  std::string folder = dir.path().string();
  for (char c : {'a', 'b'}) {
    folder.append("/").append(200, c);
    ASSERT_TRUE(std::filesystem::create_directory(folder));
  }
  const std::string path = std::string(folder).append("/").append(90, 'd').append(".dxf");
  ASSERT_GT(path.size(), 260u);
  test::WriteFile(path, Entities(kLine));
  CDxfFile file;
  EXPECT_TRUE(file.ReadFile(path.c_str(), nullptr));
  EXPECT_EQ(file.CountOfType(kDxfLine), 1);
  EXPECT_EQ(file.GetFileName(), path);
}

TEST(DxfFile, MissingFileLeavesTheNameEmpty) {
  test::TempDir dir;
  test::ScopedTraceRecorder traces;
  CDxfFile file;
  const std::string path = dir.File("none.dxf");
  EXPECT_FALSE(file.ReadFile(path.c_str(), "ABC"));
  EXPECT_EQ(traces.Texts().back(), "ERROR: cannot open DXF file " + path + ": No such file or directory");
  EXPECT_EQ(file.GetFileName(), "");
  EXPECT_EQ(file.GetExcludedLayerPrefix(), "");
}

TEST(DxfFile, CrLfAndLfReadAlike) {
  const std::string groups[] = {Dxf({{0, "SECTION"},
                                     {2, "TABLES"},
                                     {0, "TABLE"},
                                     {2, "LAYER"},
                                     {70, "1"},
                                     {0, "LAYER"},
                                     {2, "Red Layer "},
                                     {62, "1"},
                                     {0, "ENDTAB"},
                                     {0, "ENDSEC"}}),
                                Dxf({{0, "SECTION"},
                                     {2, "ENTITIES"},
                                     {0, "LWPOLYLINE"},
                                     {8, "Red Layer "},
                                     {70, "1"},
                                     {10, "0"},
                                     {20, "0"},
                                     {10, "1"},
                                     {20, "0"},
                                     {10, "1"},
                                     {20, "1"},
                                     {0, "TEXT"},
                                     {1, "two words "},
                                     {40, "2"},
                                     {0, "ENDSEC"},
                                     {0, "EOF"}})};
  std::string lf, crlf;
  for (const auto& g : groups) {
    lf += g;
    for (char ch : g) crlf += (ch == '\n') ? std::string("\r\n") : std::string(1, ch);
  }
  DxfRead a(lf), b(crlf);
  ASSERT_TRUE(a.ok);
  ASSERT_TRUE(b.ok);
  ASSERT_EQ(a.file.GetCount(), 2);
  ASSERT_EQ(b.file.GetCount(), 2);
  EXPECT_EQ(a.file.GetLineCount(), b.file.GetLineCount());
  EXPECT_EQ(std::string(b.file.GetEntity(0)->GetLayerName()), "Red Layer ");
  EXPECT_EQ(dynamic_cast<const CDxfText*>(b.file.GetEntity(1))->GetText(), "two words ");
  const auto* pa = dynamic_cast<const CDxfPolyline*>(a.file.GetEntity(0));
  const auto* pb = dynamic_cast<const CDxfPolyline*>(b.file.GetEntity(0));
  ASSERT_TRUE(pa && pb);
  EXPECT_EQ(pa->GetVertices(), pb->GetVertices());
  EXPECT_TRUE(pb->IsClosed());
}

TEST(DxfFile, ReadingAgainReplacesTheDrawing) {
  test::TempDir dir;
  const std::string one = dir.File("one.dxf"), two = dir.File("two.dxf");
  test::WriteFile(one, Entities(kLine + kLine));
  test::WriteFile(two, Entities(Dxf({{0, "POINT"}, {10, "1"}})));
  CDxfFile file;
  ASSERT_TRUE(file.ReadFile(one.c_str(), nullptr));
  EXPECT_EQ(file.GetCount(), 2);
  ASSERT_TRUE(file.ReadFile(two.c_str(), nullptr));
  EXPECT_EQ(file.GetCount(), 1);
  EXPECT_EQ(file.CountOfType(kDxfPoint), 1);
  CDxfFile direct(one.c_str(), nullptr);
  EXPECT_EQ(direct.GetCount(), 2);
}

// --- the end of the input inside an entity never makes the reader loop ------

TEST(DxfFile, EndRightAfterLwpolylineEndsTheRead) {
  DxfRead r(Dxf({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LWPOLYLINE"}}));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.Count(kDxfPolyline), 1);  // kept, as the reader reports success
  EXPECT_EQ(r.boxes, std::vector<std::string>{"ReadGroupFailed, group code:-1, line=6\n"});
}

TEST(DxfFile, EndInsideLwpolylineInABlockEndsTheRead) {
  DxfRead r(Dxf({{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "B"}, {0, "LWPOLYLINE"}, {10, "1"}, {20, "2"}}));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.file.GetBlockTable().GetCount(), 0);
  EXPECT_TRUE(r.Traced("***ERROR***No ENDSEC found in BLOCKS section\n"));
}

TEST(DxfFile, PolylineWithoutSeqendReadsToTheEnd) {
  DxfRead r(Entities(Dxf({{0, "POLYLINE"}, {70, "1"}, {0, "VERTEX"}, {10, "1"}, {20, "1"}})));
  EXPECT_FALSE(r.ok);  // ENDSEC and EOF are passed over inside the POLYLINE
  EXPECT_EQ(r.file.GetCount(), 0);
}

// --- entity retention --------------------------------------------------------

struct RetentionCase {
  const char* name;
  std::string entity;
  int type;
  int expectedCount;
};

class RetentionCases : public ::testing::TestWithParam<RetentionCase> {};

TEST_P(RetentionCases, KeepsOrDrops) {
  const RetentionCase& c = GetParam();
  DxfRead r(Entities(c.entity));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.Count(c.type), c.expectedCount);
}

INSTANTIATE_TEST_SUITE_P(
    Entities, RetentionCases,
    ::testing::Values(
        RetentionCase{"Line", kLine, kDxfLine, 1},
        RetentionCase{"LineInPaperSpace", Dxf({{0, "LINE"}, {67, "1"}, {11, "1"}}), kDxfLine, 0},
        RetentionCase{"LineModelSpace67", Dxf({{0, "LINE"}, {67, "0"}, {11, "1"}}), kDxfLine, 1},
        RetentionCase{"Point", Dxf({{0, "POINT"}, {10, "1"}, {20, "2"}}), kDxfPoint, 1},
        RetentionCase{"Circle", Dxf({{0, "CIRCLE"}, {40, "2"}}), kDxfCircle, 1},
        RetentionCase{"CircleUpsideDown", Dxf({{0, "CIRCLE"}, {40, "2"}, {230, "-1"}}), kDxfCircle, 0},
        RetentionCase{"CircleTilted", Dxf({{0, "CIRCLE"}, {40, "2"}, {210, "0.1"}}), kDxfCircle, 0},
        RetentionCase{"Arc", Dxf({{0, "ARC"}, {40, "1"}, {50, "0"}, {51, "90"}}), kDxfArc, 1},
        RetentionCase{"ArcUpsideDown", Dxf({{0, "ARC"}, {40, "1"}, {51, "90"}, {230, "-1"}}), kDxfArc, 0},
        RetentionCase{"Ellipse", Dxf({{0, "ELLIPSE"}, {11, "2"}, {40, "0.5"}}), kDxfEllipse, 1},
        RetentionCase{"EllipseFullEnd", Dxf({{0, "ELLIPSE"}, {11, "2"}, {42, "6.283185307179586"}}), kDxfEllipse, 1},
        RetentionCase{"EllipseUpsideDown", Dxf({{0, "ELLIPSE"}, {11, "2"}, {230, "-1"}}), kDxfEllipse, 1},
        RetentionCase{"EllipseFlat", Dxf({{0, "ELLIPSE"}, {11, "2"}, {230, "0"}}), kDxfEllipse, 0},
        RetentionCase{"EllipseTilted", Dxf({{0, "ELLIPSE"}, {11, "2"}, {220, "0.5"}}), kDxfEllipse, 0},
        RetentionCase{"EllipseArc", Dxf({{0, "ELLIPSE"}, {11, "2"}, {42, "3.14"}}), kDxfEllipse, 0},
        RetentionCase{"EllipseStartNotZero", Dxf({{0, "ELLIPSE"}, {11, "2"}, {41, "0.000001"}}), kDxfEllipse, 0},
        RetentionCase{"Text", Dxf({{0, "TEXT"}, {1, "A"}}), kDxfText, 1},
        RetentionCase{"TextEmpty", Dxf({{0, "TEXT"}, {1, ""}, {40, "1"}}), kDxfText, 0},
        RetentionCase{"TextWithoutGroup1", Dxf({{0, "TEXT"}, {40, "1"}}), kDxfText, 0},
        RetentionCase{"Lwpolyline", Dxf({{0, "LWPOLYLINE"}, {10, "1"}, {20, "1"}}), kDxfPolyline, 1},
        RetentionCase{"LwpolylineEmpty", Dxf({{0, "LWPOLYLINE"}}), kDxfPolyline, 1},
        RetentionCase{"LwpolylinePaperSpace", Dxf({{0, "LWPOLYLINE"}, {67, "1"}}), kDxfPolyline, 0},
        RetentionCase{"InsertOfMissingBlock", Dxf({{0, "INSERT"}, {2, "NOPE"}}), kDxfInsert, 0},
        RetentionCase{"UnknownEntity", Dxf({{0, "3DFACE"}, {10, "1"}, {0, "SPLINE"}, {70, "8"}}), kDxfLine, 0},
        RetentionCase{"LowerCaseNameIsUnknown", Dxf({{0, "line"}, {11, "1"}}), kDxfLine, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DxfFile, EntityValues) {
  DxfRead r(Entities(
      Dxf({{0, "LINE"}, {10, "1"}, {20, "2"}, {30, "3"}, {11, "4"}, {21, "5"}, {31, "6"}}) +
      Dxf({{0, "ARC"}, {10, "1"}, {20, "2"}, {40, "3"}, {50, "350"}, {51, "10"}}) +
      Dxf({{0, "ELLIPSE"}, {10, "1"}, {20, "1"}, {11, "0"}, {21, "-4"}, {40, "0.25"}}) +
      Dxf({{0, "TEXT"},
           {1, std::string(300, 'x')},
           {10, "1"},
           {20, "2"},
           {11, "3"},
           {21, "4"},
           {40, "5"},
           {41, "0.5"},
           {50, "30"},
           {72, "1"},
           {73, "2"}}) +
      Dxf({{0, "LWPOLYLINE"}, {70, "129"}, {40, "-0.5"}, {10, "1"}, {20, "2"}, {20, "3"}, {10, "4"}, {20, "5"}})));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.file.GetCount(), 5);
  const auto* line = dynamic_cast<const CDxfLine*>(r.file.GetEntity(0));
  ASSERT_TRUE(line);
  EXPECT_EQ(line->GetStart(), CVec(1, 2, 3));
  EXPECT_EQ(line->GetEnd(), CVec(4, 5, 6));
  const auto* arc = dynamic_cast<const CDxfArc*>(r.file.GetEntity(1));
  ASSERT_TRUE(arc);
  EXPECT_EQ(arc->GetCentre(), CVec(1, 2, 0));
  EXPECT_EQ(arc->GetRadius(), 3.0);
  EXPECT_EQ(arc->GetStartAngle(), 350.0);
  EXPECT_EQ(arc->GetEndAngle(), 10.0);
  const auto* ellipse = dynamic_cast<const CDxfEllipse*>(r.file.GetEntity(2));
  ASSERT_TRUE(ellipse);
  EXPECT_EQ(ellipse->GetHalfX(), 1.0);  // the major axis lies along y
  EXPECT_EQ(ellipse->GetHalfY(), 4.0);
  const auto* text = dynamic_cast<const CDxfText*>(r.file.GetEntity(3));
  ASSERT_TRUE(text);
  EXPECT_EQ(text->GetText(), std::string(255, 'x'));
  EXPECT_EQ(text->GetInsertionPoint(), CVec(1, 2, 0));
  EXPECT_EQ(text->GetAlignmentPoint(), CVec(3, 4, 0));
  EXPECT_EQ(text->GetHeight(), 5.0);
  EXPECT_EQ(text->GetWidthFactor(), 0.5);
  EXPECT_EQ(text->GetRotation(), 30.0);
  EXPECT_EQ(text->GetHJust(), 1);
  EXPECT_EQ(text->GetVJust(), 2);
  const auto* poly = dynamic_cast<const CDxfPolyline*>(r.file.GetEntity(4));
  ASSERT_TRUE(poly);
  EXPECT_TRUE(poly->IsClosed());
  EXPECT_EQ(poly->GetWidth(), 0.5);
  EXPECT_EQ(poly->GetVertices(), (std::vector<CVec>{CVec(1, 2, 0), CVec(1, 3, 0), CVec(4, 5, 0)}));
}

// --- layers ------------------------------------------------------------------

std::string LayerTable(const std::string& records) {
  return Dxf({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {70, "3"}}) + records +
         Dxf({{0, "ENDTAB"}, {0, "ENDSEC"}});
}

TEST(DxfFile, LayerTableRecords) {
  DxfRead r(LayerTable(Dxf({{0, "LAYER"},
                            {2, "WALLS"},
                            {70, "0"},
                            {62, "3"},
                            {6, "DASHED"},
                            {0, "LAYER"},
                            {2, "Frozen"},
                            {70, "1"},
                            {62, "4"},
                            {0, "LAYER"},
                            {2, "Off"},
                            {62, "-5"},
                            {0, "LAYER"},
                            {62, "6"},  // no name: repeats "Off", updates its colour
                            {0, "LAYER"},
                            {2, "walls"},
                            {62, "9"}})) +
            Dxf({{0, "EOF"}}));
  ASSERT_TRUE(r.ok);
  const CLayerTable& layers = r.file.GetLayerTable();
  ASSERT_EQ(layers.GetCount(), 4);
  EXPECT_EQ(layers.GetLayer(1)->GetName(), "WALLS");
  EXPECT_EQ(layers.GetLayer(1)->GetColourIndex(), 9);
  EXPECT_TRUE(layers.GetLayer(1)->IsVisible());
  EXPECT_EQ(layers.GetLayer(2)->GetName(), "Frozen");
  EXPECT_FALSE(layers.GetLayer(2)->IsVisible());
  EXPECT_EQ(layers.GetLayer(3)->GetName(), "Off");
  EXPECT_EQ(layers.GetLayer(3)->GetColourIndex(), 6);
  EXPECT_FALSE(layers.GetLayer(3)->IsVisible());  // the update leaves the flag alone
}

TEST(DxfFile, EmptyLayerTable) {
  DxfRead r(LayerTable("") + Dxf({{0, "EOF"}}));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.file.GetLayerTable().GetCount(), 1);
}

TEST(DxfFile, UndeclaredLayerLandsOnLayer0) {
  DxfRead r(Entities(Dxf({{0, "LINE"}, {8, "Nowhere"}, {11, "1"}})));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.file.GetCount(), 1);
  EXPECT_STREQ(r.file.GetEntity(0)->GetLayerName(), "0");
}

TEST(DxfFile, CurrentLayerCarriesOverAndMatchesWithoutCase) {
  DxfRead r(LayerTable(Dxf({{0, "LAYER"}, {2, "Ink"}, {62, "1"}})) +
            Entities(Dxf({{0, "LINE"}, {8, "INK"}}) + kLine + Dxf({{0, "TEXT"}, {1, "t"}}) +
                     Dxf({{0, "POINT"}, {8, "0"}}) + Dxf({{0, "POINT"}})));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.file.GetCount(), 5);
  EXPECT_STREQ(r.file.GetEntity(0)->GetLayerName(), "Ink");
  EXPECT_STREQ(r.file.GetEntity(1)->GetLayerName(), "Ink");
  EXPECT_STREQ(r.file.GetEntity(2)->GetLayerName(), "Ink");
  EXPECT_STREQ(r.file.GetEntity(3)->GetLayerName(), "0");
  EXPECT_STREQ(r.file.GetEntity(4)->GetLayerName(), "0");
}

TEST(DxfFile, ExcludedLayerPrefixAppliesAtTopLevelOnly) {
  const std::string text = LayerTable(Dxf({{0, "LAYER"}, {2, "abc_lines"}, {0, "LAYER"}, {2, "ABCD"}})) +
                           Dxf({{0, "SECTION"},
                                {2, "BLOCKS"},
                                {0, "BLOCK"},
                                {2, "B"},
                                {0, "LINE"},
                                {8, "abc_lines"},
                                {11, "1"},
                                {0, "ENDBLK"},
                                {0, "ENDSEC"}}) +
                           Entities(Dxf({{0, "LINE"},
                                         {8, "abc_lines"},
                                         {11, "1"},
                                         {0, "CIRCLE"},
                                         {40, "1"},
                                         {0, "LINE"},
                                         {8, "ab"},
                                         {11, "1"},
                                         {0, "INSERT"},
                                         {8, "ABCD"},
                                         {2, "B"}}));
  DxfRead r(text, "ABC");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.file.GetCount(), 1);                         // only the LINE on "ab"; the CIRCLE is still on abc_lines
  EXPECT_STREQ(r.file.GetEntity(0)->GetLayerName(), "0");  // "ab" is not declared
  const CDxfBlock* block = r.file.GetBlockTable().FindBlock("B");
  ASSERT_TRUE(block);
  EXPECT_EQ(block->GetEntList().GetCount(), 1);
  EXPECT_EQ(r.file.GetExcludedLayerPrefix(), "");
  DxfRead all(text, nullptr);
  EXPECT_EQ(all.file.GetCount(), 4);
}

// --- blocks and INSERT -------------------------------------------------------

std::string Block(const char* name, const std::string& entities, const std::string& head = "") {
  return Dxf({{0, "BLOCK"}, {8, "0"}, {2, name}, {70, "0"}, {10, "1"}, {20, "2"}, {30, "3"}}) + head + entities +
         Dxf({{0, "ENDBLK"}, {8, "0"}});
}

std::string Blocks(const std::string& blocks) {
  return Dxf({{0, "SECTION"}, {2, "BLOCKS"}}) + blocks + Dxf({{0, "ENDSEC"}});
}

TEST(DxfFile, InsertRetention) {
  DxfRead r(Blocks(Block("Sq", kLine + Dxf({{0, "CIRCLE"},
                                            {40, "1"},
                                            {230, "-1"},
                                            {0, "ARC"},
                                            {40, "1"},
                                            {51, "9"},
                                            {230, "-1"},
                                            {0, "ELLIPSE"},
                                            {11, "1"},
                                            {0, "ATTDEF"},
                                            {2, "TAG"}})) +
                   Block("Empty", "") + Block("", kLine)) +
            Entities(Dxf({{0, "INSERT"},
                          {2, "sq"},
                          {10, "5"},
                          {20, "6"},
                          {41, "2"},
                          {42, "3"},
                          {50, "45"},
                          {0, "INSERT"},
                          {2, "Empty"},
                          {0, "INSERT"},
                          {2, "Later"}})));
  ASSERT_TRUE(r.ok);
  const CBlockTable& blocks = r.file.GetBlockTable();
  ASSERT_EQ(blocks.GetCount(), 2);  // the nameless block is dropped without failure
  const CDxfBlock* sq = blocks.FindBlock("SQ");
  ASSERT_TRUE(sq);
  EXPECT_EQ(sq->GetEntList().GetCount(), 2);
  EXPECT_EQ(sq->GetEntList().CountOfType(kDxfCircle), 1);
  EXPECT_EQ(sq->GetBasePoint(), CVec(1, 2, 3));
  ASSERT_EQ(r.file.GetCount(), 1);
  const auto* insert = dynamic_cast<const CDxfInsert*>(r.file.GetEntity(0));
  ASSERT_TRUE(insert);
  EXPECT_EQ(insert->GetBlock(), sq);
  EXPECT_EQ(insert->GetInsertionPoint(), CVec(5, 6, 0));
  EXPECT_EQ(insert->GetScale().x, 2.0);
  EXPECT_EQ(insert->GetScale().y, 3.0);
  EXPECT_EQ(insert->GetRotation(), 45.0);
}

TEST(DxfFile, InsertOfABlockDefinedLaterIsDropped) {
  DxfRead r(Dxf({{0, "SECTION"}, {2, "BLOCKS"}}) + Block("A", Dxf({{0, "INSERT"}, {2, "B"}})) + Block("B", kLine) +
            Dxf({{0, "ENDSEC"}}) + Entities(Dxf({{0, "INSERT"}, {2, "A"}})));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.file.GetBlockTable().FindBlock("A")->GetEntList().GetCount(), 0);
  EXPECT_EQ(r.file.GetCount(), 0);  // A has no entities
}

TEST(DxfFile, DuplicateBlockFailsTheRead) {
  DxfRead r(Blocks(Block("Twice", kLine) + Block("TWICE", kLine)) + Dxf({{0, "EOF"}}));
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.Traced("Block called TWICE already exists"));
  EXPECT_TRUE(r.Traced("***ERROR***No ENDSEC found in BLOCKS section\n"));
  EXPECT_EQ(r.file.GetBlockTable().GetCount(), 1);
}

TEST(DxfFile, AttributesAfterInsertAreReadOver) {
  DxfRead r(Blocks(Block("T", kLine)) + Entities(Dxf({{0, "INSERT"},
                                                      {66, "1"},
                                                      {2, "T"},
                                                      {0, "attrib"},
                                                      {1, "x"},
                                                      {0, "ATTRIB"},
                                                      {1, "y"},
                                                      {0, "SeqEnd"},
                                                      {8, "0"}}) +
                                                 kLine));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.Count(kDxfInsert), 1);
  EXPECT_EQ(r.Count(kDxfLine), 1);
}

TEST(DxfFile, AttributesWithoutSeqend) {
  DxfRead r(Blocks(Block("T", kLine)) +
            Dxf({{0, "SECTION"}, {2, "ENTITIES"}, {0, "INSERT"}, {2, "T"}, {0, "ATTRIB"}, {1, "x"}}));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.Count(kDxfInsert), 0);
  EXPECT_TRUE(
      r.Traced("SEQEND not found in file " + r.path + " at line " + std::to_string(r.file.GetLineCount()) + ".\n"));
}

TEST(DxfFile, BlockLayerBecomesTheCurrentLayer) {
  DxfRead r(LayerTable(Dxf({{0, "LAYER"}, {2, "Ink"}})) + Blocks(Block("B", Dxf({{0, "LINE"}, {8, "ink"}}))) +
            Dxf({{0, "EOF"}}));
  ASSERT_TRUE(r.ok);
  const CDxfBlock* b = r.file.GetBlockTable().FindBlock("B");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->GetLayer(), "Ink");
  EXPECT_STREQ(b->GetEntList().GetEntity(0)->GetLayerName(), "Ink");
}

// Blocks nested ten wide and seven deep: measuring one INSERT of the top
// block would visit ten million boxes (the entity stops at a million); the
// drawing admits only INSERTs it can measure in two million.
TEST(DxfFile, NestedBlocksCannotMakeExtentsRunAway) {
  std::string blocks = Block("L0", kLine);
  for (int level = 1; level <= 7; ++level) {
    std::string inserts;
    for (int k = 0; k < 10; ++k) inserts += Dxf({{0, "INSERT"}, {2, Numbered("L", level - 1)}});
    blocks += Block(Numbered("L", level).c_str(), inserts);
  }
  std::string top;
  for (int k = 0; k < 40; ++k) top += Dxf({{0, "INSERT"}, {2, "L7"}, {10, std::to_string(k)}});
  top += Dxf({{0, "INSERT"}, {2, "L0"}});
  DxfRead r(Blocks(blocks) + Entities(top));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.file.GetBlockTable().GetCount(), 8);
  EXPECT_EQ(r.Count(kDxfInsert), 2);  // the first INSERT of L7 and the cheap one of L0
  int dropped = 0;
  for (const auto& t : r.traces) dropped += t.rfind("INSERT of block L7 dropped", 0) == 0;
  EXPECT_EQ(dropped, 39);
  CVec min, max;
  r.file.GetExtents(min, max);
}

TEST(DxfFile, TablesAtTheirLimitsDropTheRestAndReadOn) {
  std::string records;
  for (int i = 1; i <= 1024; ++i) records += Dxf({{0, "LAYER"}, {2, Numbered("L", i)}});
  std::string blocks;
  for (int i = 1; i <= 1501; ++i) blocks += Block(Numbered("B", i).c_str(), kLine);
  DxfRead r(LayerTable(records) + Blocks(blocks) +
            Entities(Dxf({{0, "INSERT"}, {2, "B1500"}, {0, "INSERT"}, {2, "B1501"}, {0, "LINE"}, {8, "L1024"}})));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.file.GetLayerTable().GetCount(), 1024);  // "0" and L1 .. L1023
  EXPECT_TRUE(r.Traced("CLayerTable::AddLayer (L1024),\ntoo many layers (1024)"));
  EXPECT_EQ(r.file.GetBlockTable().GetCount(), 1500);
  EXPECT_TRUE(r.Traced("Block buffer overflow"));
  EXPECT_EQ(r.Count(kDxfInsert), 1);  // B1501 was dropped
  ASSERT_EQ(r.Count(kDxfLine), 1);
  EXPECT_STREQ(r.file.GetEntity(1)->GetLayerName(), "0");
}

// --- POLYLINE and its three candidates ------------------------------------------

std::string Vertex(double x, double y, double z, int flags, std::vector<int> indices = {}) {
  std::string v = Dxf({{0, "VERTEX"},
                       {8, "0"},
                       {10, std::to_string(x)},
                       {20, std::to_string(y)},
                       {30, std::to_string(z)},
                       {70, std::to_string(flags)}});
  for (std::size_t k = 0; k < indices.size(); ++k) {
    v += Dxf({{static_cast<int>(71 + (k % 4)), std::to_string(indices[k])}});
  }
  return v;
}

TEST(DxfFile, PlainPolyline) {
  DxfRead r(Entities(Dxf({{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {62, "3"}, {70, "1"}}) + Vertex(0, 0, 0, 0) +
                     Vertex(1, 0, 0, 32) + Dxf({{0, "JUNK"}, {5, "ignored"}}) + Vertex(1, 1, 0, 0) +
                     Dxf({{0, "SEQEND"}, {8, "0"}})));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.file.GetCount(), 1);
  const auto* p = dynamic_cast<const CDxfPolyline*>(r.file.GetEntity(0));
  ASSERT_TRUE(p);
  EXPECT_TRUE(p->IsClosed());
  EXPECT_EQ(p->GetVertexCount(), 3);
  EXPECT_EQ(p->GetColourNumber(), 3);
}

TEST(DxfFile, PolyfaceMeshMergesTriangles) {
  DxfRead r(Entities(Dxf({{0, "POLYLINE"}, {66, "1"}, {70, "64"}, {71, "4"}, {72, "2"}}) + Vertex(0, 0, 0, 192) +
                     Vertex(1, 0, 0, 192) + Vertex(1, 1, 0, 192) + Vertex(0, 1, 0, 192) +
                     Vertex(0, 0, 0, 128, {1, 2, 3}) + Vertex(0, 0, 0, 128, {3, -2, 4}) + Dxf({{0, "SEQEND"}})));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.Count(kDxfPolyfaceMesh), 1);
  const auto* mesh = dynamic_cast<const CDxfPolyfaceMesh*>(r.file.GetEntity(0));
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->GetVertexCount(), 4);
  ASSERT_EQ(mesh->GetFaceCount(), 2);
  const DxfFace first = mesh->GetFace(0);
  EXPECT_EQ(first.count, 4);
  EXPECT_EQ(std::vector<int>(first.v, first.v + 4), (std::vector<int>{1, 2, 4, 3}));
  EXPECT_EQ(mesh->GetFace(1).count, 0);
}

TEST(DxfFile, PolyfaceFaceBeyondTheVerticesIsRefused) {
  DxfRead r(Entities(Dxf({{0, "POLYLINE"}, {70, "64"}}) + Vertex(0, 0, 0, 192) + Vertex(1, 0, 0, 192) +
                     Vertex(1, 1, 0, 192) + Vertex(0, 0, 0, 128, {1, 2, 9}) + Vertex(0, 0, 0, 128, {1, 2, 3}) +
                     Vertex(0, 0, 0, 128, {1, 2, 3, 1, 2}) + Dxf({{0, "SEQEND"}})));
  ASSERT_TRUE(r.ok);
  const auto* mesh = dynamic_cast<const CDxfPolyfaceMesh*>(r.file.GetEntity(0));
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->GetFaceCount(), 2);
  EXPECT_TRUE(r.Traced("Error reading polyface mesh vertex\niIndex=0 , iNumIndices=4"));
  EXPECT_EQ(mesh->GetFace(1).count, 4);
}

TEST(DxfFile, PolygonMesh) {
  std::string vertices;
  for (int i = 0; i < 13; ++i) vertices += Vertex(i % 4, i / 4, 0, 64);  // one too many
  DxfRead r(Entities(Dxf({{0, "POLYLINE"}, {70, "17"}, {71, "3"}, {72, "4"}}) + vertices + Dxf({{0, "SEQEND"}})));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.Count(kDxfPolygonMesh), 1);
  const auto* mesh = dynamic_cast<const CDxfPolygonMesh*>(r.file.GetEntity(0));
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->GetM(), 3);
  EXPECT_EQ(mesh->GetN(), 4);
  EXPECT_EQ(mesh->GetFaceCount(), 9);
  EXPECT_EQ(mesh->GetVertexCount(), 12);
  EXPECT_EQ(mesh->GetVertex(2, 3), CVec(3, 2, 0));
}

TEST(DxfFile, PolygonMeshWithHugeOrNegativeCounts) {
  DxfRead r(Entities(Dxf({{0, "POLYLINE"}, {70, "16"}, {71, "-3"}, {72, "2000000000"}}) + Vertex(1, 1, 1, 64) +
                     Dxf({{0, "SEQEND"}})));
  ASSERT_TRUE(r.ok);
  const auto* mesh = dynamic_cast<const CDxfPolygonMesh*>(r.file.GetEntity(0));
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->GetVertexCount(), 0);
}

TEST(DxfFile, PolylineInPaperSpaceIsDropped) {
  DxfRead r(
      Entities(Dxf({{0, "POLYLINE"}, {67, "1"}}) + Vertex(0, 0, 0, 0) + Vertex(1, 0, 0, 0) + Dxf({{0, "SEQEND"}})));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.file.GetCount(), 0);
}

TEST(DxfFile, InwardBoxMeshIsTurnedRound) {
  // A unit cube of twelve triangles, every one wound to face inward.
  const int faces[12][3] = {{1, 3, 4}, {1, 2, 3}, {5, 7, 6}, {5, 8, 7}, {1, 6, 2}, {1, 5, 6},
                            {4, 7, 8}, {4, 3, 7}, {1, 8, 5}, {1, 4, 8}, {2, 7, 3}, {2, 6, 7}};
  const double v[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  std::string body = Dxf({{0, "POLYLINE"}, {70, "64"}});
  for (const auto& p : v) body += Vertex(p[0], p[1], p[2], 192);
  for (const auto& f : faces) body += Vertex(0, 0, 0, 128, {f[0], f[1], f[2]});
  DxfRead r(Entities(body + Dxf({{0, "SEQEND"}})));
  ASSERT_TRUE(r.ok);
  const auto* mesh = dynamic_cast<const CDxfPolyfaceMesh*>(r.file.GetEntity(0));
  ASSERT_TRUE(mesh);
  // Merged into quadrilaterals, then every face reversed: the bottom one
  // (1, 3, 4) + (1, 2, 3) became (1, 2, 3, 4) and now reads (4, 3, 2, 1).
  const DxfFace bottom = mesh->GetFace(0);
  ASSERT_EQ(bottom.count, 4);
  EXPECT_EQ(std::vector<int>(bottom.v, bottom.v + 4), (std::vector<int>{4, 3, 2, 1}));
  EXPECT_EQ(mesh->FaceNormal(0).z, -1.0);  // outward again
}

}  // namespace
}  // namespace brisol
