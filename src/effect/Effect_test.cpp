#include "effect/Effect.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "EffectTestUtil.h"
#include "dxf/DxfFile.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

using test::ScopedAlertRecorder;
using test::TempDir;
using test::WriteFile;

TEST(Effect, Defaults) {
  CEffect e;
  EXPECT_EQ(e.GetSeed(), 1);
  EXPECT_EQ(e.GetSize(), 5.5);
  EXPECT_EQ(e.GetSizeVar(), 0.5);
  EXPECT_EQ(e.GetAngle(), 0.0);
  EXPECT_EQ(e.GetSolidColVar(), 0.1);
  EXPECT_EQ(e.GetLineColVar(), 0.35);
  EXPECT_EQ(e.GetLineWidth(), 0.225);
  EXPECT_EQ(e.GetNumObjects(), 3333u);
  EXPECT_EQ(e.GetAreaCovered(), 50.0);
  EXPECT_EQ(e.GetBkgType(), eBkgOriginal);
  EXPECT_EQ(e.GetMix(), (CImageMix{eMixEven, 10, 50}));
  EXPECT_EQ(e.GetSolidColor(), RGB(255, 255, 255));
  EXPECT_EQ(e.GetSizeReaction(), eReactRandom);
  EXPECT_EQ(e.GetAngleReaction(), eReactImage);
  EXPECT_EQ(e.GetNumObjReaction(), eReactRandom);
  EXPECT_EQ(e.GetNumShapes(), 0u);
}

TEST(Effect, SettersClamp) {
  ScopedAlertRecorder rec;
  CEffect e;
  struct Case {
    void (CEffect::*set)(double);
    double (CEffect::*get)() const;
    double in, out;
  };
  const Case cases[] = {
      {&CEffect::SetSize, &CEffect::GetSize, 50, 30.0},
      {&CEffect::SetSize, &CEffect::GetSize, 0, 0.1},
      {&CEffect::SetSizeVar, &CEffect::GetSizeVar, 1.5, 1.0},
      {&CEffect::SetAngle, &CEffect::GetAngle, -200, -180},
      {&CEffect::SetAngleVar, &CEffect::GetAngleVar, 999, 180},
      {&CEffect::SetAreaCovered, &CEffect::GetAreaCovered, -1, 0},
      {&CEffect::SetSolidColVar, &CEffect::GetSolidColVar, 2, 1},
      {&CEffect::SetLineColVar, &CEffect::GetLineColVar, -2, 0},
      {&CEffect::SetLineWidth, &CEffect::GetLineWidth, 3, 2},
      {&CEffect::SetLineWidth, &CEffect::GetLineWidth, 0.5, 0.5},
  };
  for (const Case& c : cases) {
    (e.*c.set)(c.in);
    EXPECT_EQ((e.*c.get)(), c.out) << c.in;
  }
  e.SetNumObjects(static_cast<unsigned>(-5));  // negative becomes the maximum
  EXPECT_EQ(e.GetNumObjects(), 10000u);
  e.SetMixSharpness(150);
  e.SetMixVisible(7);
  EXPECT_EQ(e.GetMix().m_iSharpness, 100);
  EXPECT_EQ(e.GetMix().m_iVisible, 7);
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(Effect, BadEnumeratorsAreRefused) {
  ScopedAlertRecorder rec;
  CEffect e;
  e.SetSizeReaction(3);
  e.SetAngleReaction(-1);
  e.SetNumObjReaction(7);
  e.SetBkg(2);
  EXPECT_EQ(e.GetSizeReaction(), eReactRandom);
  EXPECT_EQ(e.GetAngleReaction(), eReactImage);
  EXPECT_EQ(e.GetNumObjReaction(), eReactRandom);
  EXPECT_EQ(e.GetBkgType(), eBkgOriginal);
  EXPECT_EQ(rec.Texts(),
            (std::vector<std::string>{"SetSizeReaction(3) bad enumerator", "SetAngleReaction(-1) bad enumerator",
                                      "SetNumObjReaction(7) bad enumerator", "Error in SetBkg (2)"}));
  e.SetSizeReaction(eReactOpposite);
  EXPECT_EQ(e.GetSizeReaction(), eReactOpposite);
}

TEST(Effect, LoadsUsableShapesInNameOrder) {
  ScopedAlertRecorder rec;
  TempDir dir;
  WriteFile(dir.File("b_circle.DXF"), test::CircleDxf());
  WriteFile(dir.File("A_square.dxf"), test::SquareDxf());
  WriteFile(dir.File("c_text.dxf"), test::TextOnlyDxf());
  WriteFile(dir.File("d_tiny.dxf"), std::string(99, ' '));
  WriteFile(dir.File("e_notes.txt"), test::SquareDxf());
  std::filesystem::create_directory(dir.path() / "sub.dxf");
  CEffect e(dir.path().c_str());
  ASSERT_EQ(e.GetNumShapes(), 2u);
  EXPECT_EQ(e.GetShape(0)->CountOfType(2), 1);  // A_square first, whatever the directory order
  EXPECT_EQ(e.GetShape(1)->CountOfType(3), 1);
  EXPECT_EQ(e.GetEffectDir(), dir.path().string());
  EXPECT_EQ(rec.Texts(), (std::vector<std::string>{
                             "The file " + dir.File("c_text.dxf") + " does not contain any useful entities",
                             "**WARNING**: Single shape DXF file:\n" + dir.File("d_tiny.dxf") +
                                 "\nis not compatible with this program",
                         }));
}

TEST(Effect, FileSizeLimits) {
  ScopedAlertRecorder rec;
  TempDir dir;
  struct Case {
    std::size_t bytes;
    bool accepted;
  };
  for (const Case& c : {Case{99, false}, Case{100, true}, Case{100000, true}, Case{100001, false}}) {
    const std::string path = dir.File("s" + std::to_string(c.bytes) + ".dxf");
    std::string body = c.bytes >= 100 ? test::PaddedDxf(test::LineDxf(), c.bytes) : std::string(c.bytes, 'x');
    WriteFile(path, body);
    ASSERT_EQ(std::filesystem::file_size(path), c.bytes);
    EXPECT_EQ(CEffect::ReadSingleShape(path.c_str()) != nullptr, c.accepted) << c.bytes;
  }
}

TEST(Effect, EmptyDirectoriesAndTooManyShapes) {
  {
    ScopedAlertRecorder rec;
    CEffect e("/nonexistent/brisol/effects");
    EXPECT_EQ(rec.Texts(), std::vector<std::string>{"No shape files in /nonexistent/brisol/effects (1)"});
  }
  {
    ScopedAlertRecorder rec;
    TempDir dir;
    WriteFile(dir.File("t.dxf"), test::TextOnlyDxf());
    CEffect e(dir.path().c_str());
    EXPECT_EQ(rec.Texts().back(), "No shape files in " + dir.path().string() + " (2)");
    EXPECT_EQ(e.GetNumShapes(), 0u);
  }
  {
    ScopedAlertRecorder rec;
    TempDir dir;
    for (int i = 0; i < 101; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "s%03d.dxf", i);
      WriteFile(dir.File(name), test::SquareDxf());
    }
    CEffect e(dir.path().c_str());
    EXPECT_EQ(e.GetNumShapes(), 100u);
    EXPECT_EQ(rec.Texts(), std::vector<std::string>{"Too many shapes in " + dir.path().string() + " (more than 100)"});
  }
}

TEST(Effect, EqualityAndAssignment) {
  TempDir dir;
  WriteFile(dir.File("a.dxf"), test::SquareDxf());
  CEffect a(dir.path().c_str());
  a.SetSize(7.0);
  a.SetSeed(42);
  a.SetMixVisible(30);
  CEffect b;
  b = a;
  EXPECT_TRUE(b == a);
  EXPECT_EQ(b.GetNumShapes(), 1u);
  ASSERT_NE(b.GetShape(0), nullptr);
  EXPECT_NE(b.GetShape(0), a.GetShape(0));  // read again, not shared
  EXPECT_EQ(b.GetMix().m_iVisible, 30);

  CEffect c(a);
  CEffect e2 = a;
  e2.SetSeed(43);
  EXPECT_FALSE(e2 == a);
  a = a;  // self-assignment changes nothing
  EXPECT_EQ(a.GetNumShapes(), 1u);
  EXPECT_TRUE(c == a);
}

TEST(Effect, DirectoryCaseDoesNotMatter) {
  ScopedAlertRecorder rec;
  CEffect a, b;
  // Same parameters, directory names differing only in case.
  a.LoadShapes("/tmp/Brisol-Missing-Dir");
  b.LoadShapes("/TMP/brisol-missing-dir");
  EXPECT_TRUE(a == b);
  b.SetLineColor(RGB(1, 0, 0));
  EXPECT_FALSE(a == b);
}

TEST(Effect, AddShapeRefusesNullAndOverflow) {
  ScopedAlertRecorder rec;
  CEffect e;
  e.AddShape(nullptr);
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"AddShape overflow or NULL pShape(0)"});
  EXPECT_EQ(e.GetNumShapes(), 0u);
}

}  // namespace
}  // namespace brisol
