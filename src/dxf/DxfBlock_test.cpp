#include "dxf/DxfBlock.h"

#include <gtest/gtest.h>

#include <string>

#include "dxf/DxfEntities.h"
#include "dxf/DxfLayer.h"
#include "dxf/DxfModelTestUtil.h"

namespace brisol {
namespace {

CDxfBlock Named(const char* name) {
  CDxfBlock block;
  block.SetName(name);
  return block;
}

TEST(CDxfBlock, NewBlockIsOnLayerZeroAtTheOrigin) {
  CDxfBlock block;
  EXPECT_EQ(block.GetName(), "");
  EXPECT_EQ(block.GetLayer(), "0");
  EXPECT_EQ(block.GetBasePoint(), kZeroVec);
  EXPECT_EQ(block.GetEntList().GetCount(), 0);
}

TEST(CDxfBlock, EmptyNameOrLayerIsRefusedWithATrace) {
  CDxfBlock block = Named("Door");
  block.SetLayer("Walls");
  test::TraceLog traces;
  block.SetName("");
  block.SetName(nullptr);
  block.SetLayer("");
  block.SetLayer(nullptr);
  EXPECT_EQ(block.GetName(), "Door");
  EXPECT_EQ(block.GetLayer(), "Walls");
  const std::vector<std::string> expected = {"CDxfBlock::SetName (empty)", "CDxfBlock::SetName (empty)",
                                             "CDxfBlock::SetLayer (empty)", "CDxfBlock::SetLayer (empty)"};
  EXPECT_EQ(traces.Texts(), expected);
}

TEST(CDxfBlock, CopyClonesTheEntitiesWithTheirLayers) {
  CDxfLayer layer;
  CDxfBlock source = Named("Door");
  source.SetBasePoint({1, 2, 3});
  CDxfLine line({0, 0, 0}, {1, 1, 0});
  source.GetEntList().AddEntity(&line, &layer);
  CDxfBlock target = Named("Old");
  CDxfPoint point;
  target.GetEntList().AddEntity(&point, &layer);
  target.GetEntList().AddEntity(&point, &layer);
  target = source;
  EXPECT_EQ(target.GetName(), "Door");
  EXPECT_EQ(target.GetBasePoint(), CVec(1, 2, 3));
  ASSERT_EQ(target.GetEntList().GetCount(), 1);
  EXPECT_NE(target.GetEntList().GetEntity(0), source.GetEntList().GetEntity(0));
  EXPECT_EQ(target.GetEntList().GetEntity(0)->GetType(), kDxfLine);
  EXPECT_EQ(target.GetEntList().GetEntity(0)->GetLayer(), &layer);
}

TEST(CBlockTable, DuplicateNameInAnyCaseIsTracedAndAnswersFalse) {
  CBlockTable table;
  EXPECT_TRUE(table.AddBlock(Named("Door")));
  test::TraceLog traces;
  EXPECT_FALSE(table.AddBlock(Named("DOOR")));
  EXPECT_EQ(table.GetCount(), 1);
  ASSERT_EQ(traces.Texts().size(), 1u);
  EXPECT_EQ(traces.Texts()[0], "Block called DOOR already exists");
}

TEST(CBlockTable, FindBlockIgnoresCase) {
  CBlockTable table;
  table.AddBlock(Named("Door"));
  table.AddBlock(Named("Window"));
  ASSERT_NE(table.FindBlock("WINDOW"), nullptr);
  EXPECT_EQ(table.FindBlock("WINDOW")->GetName(), "Window");
  EXPECT_EQ(table.FindBlock("Wall"), nullptr);
  EXPECT_EQ(table.FindBlock(nullptr), nullptr);
}

TEST(CBlockTable, The1501stBlockIsDroppedButReadingGoesOn) {
  CBlockTable table;
  for (int i = 0; i < 1500; ++i) ASSERT_TRUE(table.AddBlock(Named(("B" + std::to_string(i)).c_str())));
  const CDxfBlock* first = table.GetBlock(0);
  test::TraceLog traces;
  EXPECT_TRUE(table.AddBlock(Named("ONE_MORE")));
  EXPECT_EQ(table.GetCount(), 1500);
  EXPECT_EQ(table.FindBlock("ONE_MORE"), nullptr);
  ASSERT_EQ(traces.Texts().size(), 1u);
  EXPECT_EQ(traces.Texts()[0], "Block buffer overflow");
  EXPECT_EQ(table.GetBlock(0), first);  // blocks never move
  // The reader tells the count once, naming its file.
  EXPECT_TRUE(table.AddBlock(Named("TWO_MORE")));
  EXPECT_EQ(table.GetDropped(), 2);
  table.Clear();
  EXPECT_EQ(table.GetDropped(), 0);
}

TEST(CBlockTable, AddedBlockIsACopy) {
  CDxfLayer layer;
  CBlockTable table;
  CDxfBlock block = Named("Door");
  CDxfPoint point;
  block.GetEntList().AddEntity(&point, &layer);
  ASSERT_TRUE(table.AddBlock(block));
  block.GetEntList().Clear();
  EXPECT_EQ(table.FindBlock("Door")->GetEntList().GetCount(), 1);
}

TEST(CBlockTable, ClearEmptiesTheTable) {
  CBlockTable table;
  table.AddBlock(Named("Door"));
  table.Clear();
  EXPECT_EQ(table.GetCount(), 0);
  EXPECT_EQ(table.FindBlock("Door"), nullptr);
  EXPECT_TRUE(table.AddBlock(Named("Door")));
}

}  // namespace
}  // namespace brisol
