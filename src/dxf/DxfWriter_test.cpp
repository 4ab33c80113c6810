// The exact DXF text every entity class writes.
#include "dxf/DxfWriter.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "dxf/DxfBlock.h"
#include "dxf/DxfEntities.h"
#include "dxf/DxfLayer.h"
#include "dxf/DxfModelTestUtil.h"

namespace brisol {
namespace {

using test::SplitLines;
using test::WrittenText;

// The expected text from (code, value) pairs.
std::string Groups(const std::vector<std::pair<int, std::string>>& groups) {
  std::string text;
  for (const auto& [code, value] : groups) text += " " + std::to_string(code) + "\n" + value + "\n";
  return text;
}

TEST(WriteDxf, LineWritesEighteenLines) {
  CDxfLine line({0, 0, 0}, {1, 2, 0});
  CDxfLayer zero;
  zero.SetName("0");
  line.SetLayer(&zero);
  const std::vector<std::string> lines = SplitLines(WrittenText(line));
  const std::vector<std::string> expected = {" 0",  "LINE",     " 8",  "0",        " 62", "256",
                                             " 10", "0.000000", " 20", "0.000000", " 30", "0.000000",
                                             " 11", "1.000000", " 21", "2.000000", " 31", "0.000000"};
  EXPECT_EQ(lines, expected);
}

TEST(WriteDxf, PointsAreMovedAndScaledByTheFileTransform) {
  CDxfLine line({0, 0, 0}, {1, 2, 3});
  line.SetColourNumber(5);
  DxfFileTransform transform;
  transform.scale = 0.5;
  transform.offset = CVec(1, 1, 1);
  EXPECT_EQ(WrittenText(line, transform), Groups({{0, "LINE"},
                                                  {8, "0"},
                                                  {62, "5"},
                                                  {10, "0.500000"},
                                                  {20, "0.500000"},
                                                  {30, "0.500000"},
                                                  {11, "1.000000"},
                                                  {21, "1.500000"},
                                                  {31, "2.000000"}}));
}

TEST(WriteDxf, RealsIgnoreTheProgramsLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr && std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr)
    GTEST_SKIP() << "no locale with a decimal comma installed";
  CDxfPoint point({1.5, -2.25, 0});
  const std::string text = WrittenText(point);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_NE(text.find("1.500000\n"), std::string::npos) << text;
  EXPECT_NE(text.find("-2.250000\n"), std::string::npos) << text;
}

TEST(WriteDxf, Point) {
  CDxfPoint point({1, 2, 3});
  EXPECT_EQ(WrittenText(point),
            Groups({{0, "POINT"}, {8, "0"}, {62, "256"}, {10, "1.000000"}, {20, "2.000000"}, {30, "3.000000"}}));
}

TEST(WriteDxf, CircleWritesCentreInThePlaneAndScaledRadius) {
  CDxfCircle circle({1, 2, 3}, 4);
  DxfFileTransform transform;
  transform.scale = 2;
  EXPECT_EQ(WrittenText(circle, transform), Groups({{0, "CIRCLE"},
                                                    {8, "0"},
                                                    {62, "256"},
                                                    {10, "2.000000"},
                                                    {20, "4.000000"},
                                                    {30, "0.000000"},
                                                    {40, "8.000000"}}));
}

TEST(WriteDxf, ArcKeepsItsAngles) {
  CDxfArc arc({1, 2, 0}, 3, 350, 10);
  DxfFileTransform transform;
  transform.scale = 2;
  EXPECT_EQ(WrittenText(arc, transform), Groups({{0, "ARC"},
                                                 {8, "0"},
                                                 {62, "256"},
                                                 {10, "2.000000"},
                                                 {20, "4.000000"},
                                                 {30, "0.000000"},
                                                 {40, "6.000000"},
                                                 {50, "350.000000"},
                                                 {51, "10.000000"}}));
}

TEST(WriteDxf, TextWithThePlainExtrusion) {
  CDxfText text;
  text.SetText("Hi there");
  text.SetInsertionPoint({1, 2, 0});
  text.SetHeight(2.5);
  text.SetWidthFactor(0.75);
  text.SetRotation(30);
  text.SetJustification(1, 2);
  EXPECT_EQ(WrittenText(text), Groups({{0, "TEXT"},
                                       {8, "0"},
                                       {62, "256"},
                                       {40, "2.500000"},
                                       {41, "0.750000"},
                                       {1, "Hi there"},
                                       {72, "1"},
                                       {73, "2"},
                                       {10, "1.000000"},
                                       {20, "2.000000"},
                                       {30, "0.000000"},
                                       {11, "1.000000"},
                                       {21, "2.000000"},
                                       {31, "0.000000"},
                                       {50, "30.000000"},
                                       {210, "0.000000"},
                                       {220, "0.000000"},
                                       {230, "1.000000"}}));
}

TEST(WriteDxf, TextWithAnotherExtrusionWritesObjectCoordinates) {
  CDxfText text;
  text.SetText("X");
  text.SetInsertionPoint({1, 2, 3});
  text.SetExtrusion({0, 0, -1});
  // For N = (0, 0, -1) the object x axis is (0, 1, 0) x N = (-1, 0, 0) and
  // the y axis N x Ax = (0, 1, 0): the point becomes (-1, 2, -3).
  EXPECT_EQ(WrittenText(text), Groups({{0, "TEXT"},
                                       {8, "0"},
                                       {62, "256"},
                                       {40, "1.000000"},
                                       {41, "1.000000"},
                                       {1, "X"},
                                       {72, "0"},
                                       {73, "0"},
                                       {10, "-1.000000"},
                                       {20, "2.000000"},
                                       {30, "-3.000000"},
                                       {11, "-1.000000"},
                                       {21, "2.000000"},
                                       {31, "-3.000000"},
                                       {50, "0.000000"},
                                       {210, "0.000000"},
                                       {220, "0.000000"},
                                       {230, "-1.000000"}}));
}

TEST(WriteDxf, InsertWritesTheBlockNameOrNothing) {
  CDxfInsert insert;
  EXPECT_EQ(WrittenText(insert), "");
  CDxfBlock block;
  block.SetName("Door");
  insert.SetBlock(&block);
  insert.SetInsertionPoint({1, 1, 0});
  insert.SetScale({2, 3, 1});
  insert.SetRotation(45);
  DxfFileTransform transform;
  transform.scale = 10;
  EXPECT_EQ(WrittenText(insert, transform), Groups({{0, "INSERT"},
                                                    {2, "Door"},
                                                    {8, "0"},
                                                    {62, "256"},
                                                    {10, "10.000000"},
                                                    {20, "10.000000"},
                                                    {30, "0.000000"},
                                                    {41, "20.000000"},
                                                    {42, "30.000000"},
                                                    {50, "45.000000"}}));
}

TEST(WriteDxf, PolylineWritesItsVerticesAndSeqend) {
  CDxfPolyline empty;
  EXPECT_EQ(WrittenText(empty), "");
  CDxfPolyline polyline;
  polyline.AddVertex({1, 2, 0});
  polyline.AddVertex({3, 4, 0});
  polyline.SetClosed(true);
  CDxfLayer layer;
  layer.SetName("EDGE");
  polyline.SetLayer(&layer);
  EXPECT_EQ(WrittenText(polyline), Groups({{0, "POLYLINE"},
                                           {8, "EDGE"},
                                           {62, "256"},
                                           {70, "1"},
                                           {66, "1"},
                                           {10, "0.000000"},
                                           {20, "0.000000"},
                                           {30, "0.000000"},
                                           {0, "VERTEX"},
                                           {8, "EDGE"},
                                           {10, "1.000000"},
                                           {20, "2.000000"},
                                           {30, "0.000000"},
                                           {0, "VERTEX"},
                                           {8, "EDGE"},
                                           {10, "3.000000"},
                                           {20, "4.000000"},
                                           {30, "0.000000"},
                                           {0, "SEQEND"}}));
}

TEST(WriteDxf, ThreeDimensionalPolylineMarksItselfAndItsVertices) {
  CDxfPolyline polyline;
  polyline.AddVertex({1, 2, 5});
  polyline.Set3D(true);
  DxfFileTransform transform;
  transform.offset = CVec(0, 0, 1);
  EXPECT_EQ(WrittenText(polyline, transform), Groups({{0, "POLYLINE"},
                                                      {8, "0"},
                                                      {62, "256"},
                                                      {70, "8"},
                                                      {66, "1"},
                                                      {10, "0.000000"},
                                                      {20, "0.000000"},
                                                      {30, "6.000000"},
                                                      {0, "VERTEX"},
                                                      {8, "0"},
                                                      {10, "1.000000"},
                                                      {20, "2.000000"},
                                                      {30, "6.000000"},
                                                      {70, "32"},
                                                      {0, "SEQEND"}}));
}

TEST(WriteDxf, PolyfaceMeshWithMergedTrianglesWritesOneFace) {
  CDxfPolyfaceMesh mesh;
  EXPECT_EQ(WrittenText(mesh), "");
  mesh.AddVertex({0, 0, 0});
  mesh.AddVertex({1, 0, 0});
  mesh.AddVertex({0, 1, 0});
  mesh.AddVertex({1, 1, 0});
  EXPECT_EQ(WrittenText(mesh), "");  // vertices but no faces
  ASSERT_TRUE(mesh.AddFace(DxfFace{3, {1, 2, 3, 0}}));
  ASSERT_TRUE(mesh.AddFace(DxfFace{3, {3, 2, 4, 0}}));
  mesh.MergeTriangles();
  std::vector<std::pair<int, std::string>> groups = {{0, "POLYLINE"}, {8, "0"},  {62, "256"}, {66, "1"},
                                                     {70, "64"},      {71, "4"}, {72, "1"}};
  const char* coords[4][2] = {
      {"0.000000", "0.000000"}, {"1.000000", "0.000000"}, {"0.000000", "1.000000"}, {"1.000000", "1.000000"}};
  for (auto& c : coords) {
    groups.insert(groups.end(),
                  {{0, "VERTEX"}, {8, "0"}, {62, "256"}, {10, c[0]}, {20, c[1]}, {30, "0.000000"}, {70, "192"}});
  }
  groups.insert(groups.end(), {{0, "VERTEX"},
                               {8, "0"},
                               {62, "256"},
                               {10, "0.000000"},
                               {20, "0.000000"},
                               {30, "0.000000"},
                               {71, "1"},
                               {72, "2"},
                               {73, "4"},
                               {74, "3"},
                               {70, "128"},
                               {0, "SEQEND"}});
  EXPECT_EQ(WrittenText(mesh), Groups(groups));
}

TEST(WriteDxf, PolygonMeshWritesEverySlotRowByRow) {
  CDxfPolygonMesh grid;
  EXPECT_EQ(WrittenText(grid), "");
  grid.SetFlags(1);
  grid.SetM(2);
  grid.SetN(1);
  grid.AddVertex({1, 2, 3});
  // The second slot was never given: it is written as zero.
  EXPECT_EQ(WrittenText(grid),
            Groups({{0, "POLYLINE"},  {8, "0"},         {62, "256"},      {66, "1"},     {70, "17"},
                    {71, "2"},        {72, "1"},        {0, "VERTEX"},    {8, "0"},      {10, "1.000000"},
                    {20, "2.000000"}, {30, "3.000000"}, {70, "64"},       {0, "VERTEX"}, {8, "0"},
                    {10, "0.000000"}, {20, "0.000000"}, {30, "0.000000"}, {70, "64"},    {0, "SEQEND"}}));
}

TEST(WriteDxf, EllipseWritesNothing) {
  CDxfEllipse ellipse({1, 1, 0}, 2, 1);
  EXPECT_EQ(WrittenText(ellipse), "");
}

TEST(FormatReal, SixDecimalsLikeTheCLocale) {
  char buffer[400];
  const std::pair<double, const char*> cases[] = {{0.0, "0.000000"},
                                                  {-0.5, "-0.500000"},
                                                  {1e-7, "0.000000"},
                                                  {2.0000005, "2.000001"},
                                                  {123456789.125, "123456789.125000"}};
  for (const auto& [value, text] : cases) {
    FormatReal(buffer, sizeof buffer, value);
    EXPECT_STREQ(buffer, text) << value;
  }
  FormatReal(buffer, sizeof buffer, 1e300);
  EXPECT_EQ(std::string(buffer).size(), 301u + 7u);
}

}  // namespace
}  // namespace brisol
