#include "effect/AAMixBlit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "RecordingAlertSink.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

void Fill(CDADC& s, COLORREF c) { s.GetDC().FillSolidRect(0, 0, s.GetWidth(), s.GetHeight(), c); }

bool SamePixels(const CDADC& a, const CDADC& b) {
  return a.GetSize() == b.GetSize() &&
         std::memcmp(a.GetBits(), b.GetBits(), static_cast<size_t>(a.GetImageSize())) == 0;
}

TEST(AAMixBlit, LevelOneWithoutMixCopies) {
  CDADC work(SIZE{5, 3}), out(SIZE{5, 3});
  for (int x = 0; x < 5; ++x) work.GetDC().SetPixel(x, 1, RGB(x, 2 * x, 3 * x));
  CImageMix off;
  AAMixBlit(&out, &work, nullptr, &off);
  EXPECT_TRUE(SamePixels(out, work));
}

TEST(AAMixBlit, LevelTwoAveragesBlocks) {
  CDADC work(SIZE{2, 2}), out(SIZE{1, 1});
  work.GetDC().SetPixel(0, 0, RGB(30, 20, 10));  // (blue, green, red) = (10, 20, 30)
  work.GetDC().SetPixel(1, 0, RGB(31, 21, 11));
  work.GetDC().SetPixel(0, 1, RGB(32, 22, 12));
  work.GetDC().SetPixel(1, 1, RGB(33, 23, 13));
  AAMixBlit(&out, &work, nullptr, nullptr);
  EXPECT_EQ(out.GetDC().GetPixel(0, 0), RGB(31, 21, 11));
  // Levels 3 and 4 average the same way.
  for (int level : {3, 4}) {
    CDADC big(SIZE{level, level}), one(SIZE{1, 1});
    for (int y = 0; y < level; ++y)
      for (int x = 0; x < level; ++x) big.GetDC().SetPixel(x, y, RGB(10 * (x + y), 0, 255));
    AAMixBlit(&one, &big, nullptr, nullptr);
    int sum = 0;
    for (int y = 0; y < level; ++y)
      for (int x = 0; x < level; ++x) sum += 10 * (x + y);
    EXPECT_EQ(one.GetDC().GetPixel(0, 0), RGB(sum / (level * level), 0, 255)) << level;
  }
}

TEST(AAMixBlit, EvenMixShares) {
  struct Case {
    int sharpness;
    COLORREF expected;
  };
  for (const Case& c : {Case{0, RGB(200, 100, 0)}, Case{100, RGB(0, 50, 250)},
                        Case{10, RGB(180, 95, 25)}})  // 0.9 * effect + 0.1 * original, truncated
    for (int level : {1, 2, 3}) {
      CDADC work(SIZE{2 * level, 2 * level}), orig(SIZE{2, 2}), out(SIZE{2, 2});
      Fill(work, RGB(200, 100, 0));
      Fill(orig, RGB(0, 50, 250));
      CImageMix mix{eMixEven, c.sharpness, 50};
      AAMixBlit(&out, &work, &orig, &mix);
      EXPECT_EQ(out.GetDC().GetPixel(1, 1), c.expected) << c.sharpness << " level " << level;
    }
}

// The original's weight at chosen pixels of a 100 x 50 picture.
TEST(AAMixBlit, GeometryWeights) {
  const int w = 100, h = 50;
  const double radius = std::sqrt(100.0 * 100 + 50 * 50) * 0.5;
  struct Case {
    int geom, sharpness, visible, j, i;
    double weight;
  };
  const Case cases[] = {
      {eMixLeftRight, 0, 50, 0, 10, 0.0},  // effect alone at the left edge
      {eMixLeftRight, 0, 50, 50, 10, 0.5},
      {eMixRightLeft, 0, 50, 0, 10, 1.0},
      {eMixRightLeft, 0, 50, 25, 10, 0.75},
      {eMixTopBottom, 0, 50, 3, 0, 0.0},
      {eMixBottomTop, 0, 50, 3, 0, 1.0},
      {eMixCircInOut, 0, 50, 50, 25, 0.0},  // centre: d = 0
      {eMixCircVignette, 0, 50, 50, 25, 1.0},
      {eMixEllipInOut, 0, 50, 50, 25, 0.0},
      {eMixEllipVignette, 0, 50, 50, 25, 1.0},
      {eMixEllipVignette, 0, 50, 0, 0, 1.0 - std::sqrt(2.0) / 2.0},
      {eMixRectInOut, 0, 50, 50, 25, 0.0},
      {eMixRectFrame, 0, 50, 50, 25, 1.0},
      {eMixRectFrame, 0, 50, 0, 25, 0.0},
      {eMixLeftRight, 99, 50, 51, 0, 1.0},  // r' = 0.49 <= S = 0.49: original alone
      {eMixLeftRight, 99, 50, 49, 0, 0.0},  // r' = 0.51 >= 1 - S: effect alone
      {eMixLeftRight, 0, 0, 30, 0, 0.0},    // visible 0: the effect everywhere
      {eMixLeftRight, 0, 100, 30, 0, 1.0},  // visible 100: the original below r = 1
      {eMixLeftRight, 0, 100, 0, 0, 0.0},   // ... and the effect at r = 1 exactly
      {eMixEven, 37, 50, 5, 5, 0.37},
  };
  for (const Case& c : cases) {
    CImageMix mix{c.geom, c.sharpness, c.visible};
    EXPECT_NEAR(MixWeight(mix, c.j, c.i, w, h, radius), c.weight, 1e-9)
        << GetMixGeomDesc(c.geom) << " at " << c.j << "," << c.i;
  }
  // Circular forms measure from the centre by the half diagonal.
  CImageMix circ{eMixCircVignette, 0, 50};
  EXPECT_NEAR(MixWeight(circ, 0, 0, w, h, radius), 0.0, 1e-9);
}

TEST(AAMixBlit, RowWeightsEqualPixelWeights) {
  for (int geom = eMixEven; geom < ikNumMixGeoms; ++geom) {
    for (const CImageMix mix : {CImageMix{geom, 0, 50}, CImageMix{geom, 37, 20}, CImageMix{geom, 99, 100}}) {
      for (const SIZE size : {SIZE{101, 47}, SIZE{64, 64}, SIZE{1, 1}}) {
        const double radius = std::sqrt(double(size.cx) * size.cx + double(size.cy) * size.cy) * 0.5;
        const MixRowWeights rows(mix, size.cx, size.cy);
        std::vector<double> row(static_cast<size_t>(size.cx));
        for (int i = 0; i < size.cy; ++i) {
          rows.Row(i, row.data());
          for (int j = 0; j < size.cx; ++j)
            ASSERT_EQ(row[j], MixWeight(mix, j, i, size.cx, size.cy, radius)) << geom << " " << j << "," << i;
        }
      }
    }
  }
}

TEST(AAMixBlit, RefusalsLeaveTheOutputAndExplain) {
  struct Case {
    SIZE work, out, orig;
    bool withMix;
    const char* message;
  };
  const Case cases[] = {
      {{4, 4}, {2, 2}, {2, 2}, false, "AAMB: insufficient mix data"},
      {{4, 4}, {2, 2}, {3, 2}, true, "AAMB: Origin and destination\nx sizes are different..."},
      {{4, 4}, {2, 2}, {2, 3}, true, "AAMB: Origin and destination\ny sizes are different..."},
      {{6, 4}, {2, 2}, {2, 2}, true, "AAMixBlit, non square pixel error.\n\nYou may be running out of memory."},
      {{10, 10}, {2, 2}, {2, 2}, true, "AAMixBlit, bad AA level: 5.\nYou may be running out of memory."},
      {{1, 1}, {2, 2}, {2, 2}, true, "AAMixBlit, bad AA level: 0.\nYou may be running out of memory."},
      {{202, 100},
       {100, 50},
       {100, 50},
       true,
       "AAMixBlit, non square pixel error.\n\nYou may be running out of memory."},
  };
  for (const Case& c : cases) {
    test::ScopedAlertRecorder rec;
    CDADC work(c.work), out(c.out, RGB(1, 2, 3)), orig(c.orig);
    CImageMix mix{eMixEven, 50, 50};
    EXPECT_EQ(test::FirstErrorOf([&] { AAMixBlit(&out, &work, &orig, c.withMix ? &mix : nullptr); }), c.message);
    EXPECT_EQ(out.GetDC().GetPixel(0, 0), RGB(1, 2, 3));
  }
}

TEST(AAMixBlit, LargePicturesGiveTheSameResultAsSmallBands) {
  // Large enough to be split over threads; compare with a per-pixel reference.
  const int w = 1200, h = 900;
  CDADC work(SIZE{2 * w, 2 * h}), orig(SIZE{w, h}), out(SIZE{w, h});
  for (int y = 0; y < 2 * h; y += 7) work.GetDC().FillSolidRect(0, y, 2 * w, 3, RGB(y % 256, 40, 200));
  for (int x = 0; x < w; x += 5) orig.GetDC().FillSolidRect(x, 0, 2, h, RGB(10, x % 256, 90));
  CImageMix mix{eMixCircVignette, 20, 40};
  AAMixBlit(&out, &work, &orig, &mix);
  const double radius = std::sqrt(double(w) * w + double(h) * h) * 0.5;
  for (int i = 0; i < h; i += 97) {
    for (int j = 0; j < w; j += 89) {
      const double l = MixWeight(mix, j, i, w, h, radius);
      int e[3] = {0, 0, 0};
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
          const COLORREF c = work.GetDC().GetPixel(2 * j + dx, 2 * i + dy);
          e[0] += GetRValue(c);
          e[1] += GetGValue(c);
          e[2] += GetBValue(c);
        }
      const COLORREF o = orig.GetDC().GetPixel(j, i);
      const COLORREF expected =
          RGB(int((e[0] >> 2) * (1 - l) + GetRValue(o) * l), int((e[1] >> 2) * (1 - l) + GetGValue(o) * l),
              int((e[2] >> 2) * (1 - l) + GetBValue(o) * l));
      ASSERT_EQ(out.GetDC().GetPixel(j, i), expected) << j << "," << i;
    }
  }
}

}  // namespace
}  // namespace brisol
