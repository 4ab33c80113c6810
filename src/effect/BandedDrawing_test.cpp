// The banded topmost-first drawing against the reference in-order drawing
// into a whole working picture: the output pictures must be identical byte
// for byte, whatever the collection, quality, seed, mix, background, number
// of objects, outline, band height and number of threads.
#include "effect/BandedDrawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>

#include "EffectTestUtil.h"
#include "effect/Runner.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

namespace fs = std::filesystem;

const fs::path kBundled = fs::path(BRISOL_SOURCE_RES_DIR) / "Effects";

// A photo-like picture: gradients, a bright disc and some noise.
CDADC MakePhoto(int w, int h, unsigned seed) {
  CDADC photo(SIZE{w, h});
  const PixelBlock b = photo.GetBlock();
  unsigned state = seed;
  for (int y = 0; y < h; ++y) {
    std::uint8_t* p = b.Row(y);
    for (int x = 0; x < w; ++x, p += 3) {
      state = state * 1664525u + 1013904223u;
      const int noise = static_cast<int>(state >> 27);
      const bool disc = (x - w / 3) * (x - w / 3) + (y - h / 2) * (y - h / 2) < h * h / 9;
      p[0] = static_cast<std::uint8_t>(disc ? 240 : (x * 200 / w + noise));
      p[1] = static_cast<std::uint8_t>(disc ? 230 : (y * 180 / h + noise));
      p[2] = static_cast<std::uint8_t>((x + y) * 120 / (w + h) + noise);
    }
  }
  return photo;
}

CDADC Render(const CEffect& effect, const CDADC& photo, int level, const DrawSettings& settings,
             DrawObserver* observer = nullptr, std::stop_token stop = {}) {
  CDADC out(photo.GetSize());
  CEffectOutput target;
  target.SetUp(&out, nullptr, photo.GetSize());
  const Done drawn = effect.DrawIntoOutput(&target, &photo, level, settings, observer, std::move(stop));
  EXPECT_TRUE(drawn.ok() || drawn.stopped()) << drawn.message();
  return out;
}

// Drawn without an output picture, the rows handed on gathered into one.
CDADC RenderRowsOnly(const CEffect& effect, const CDADC& photo, int level, DrawSettings settings) {
  struct Gather final : OutputRowsSink {
    explicit Gather(const SIZE& size) : picture(size) {}
    void RowsReady(const PixelBlock& rows, int first, int last) override {
      for (int y = first; y < last; ++y) std::memcpy(picture.GetBlock().Row(y), rows.Row(y), 3 * rows.width);
    }
    CDADC picture;
  } gather(photo.GetSize());
  settings.outputRows = &gather;
  CEffectOutput target;
  target.SetUp(nullptr, nullptr, photo.GetSize());
  EXPECT_TRUE(effect.DrawIntoOutput(&target, &photo, level, settings).ok());
  return std::move(gather.picture);
}

// The in-order drawing into a whole working picture: what every other way
// of drawing must give.
CDADC Reference(const CEffect& effect, const CDADC& photo, int level) {
  DrawSettings reference;
  reference.reference = true;
  return Render(effect, photo, level, reference);
}

// Where two pictures first differ, for the failure message.
std::string FirstDifference(const CDADC& a, const CDADC& b) {
  if (a.GetSize() != b.GetSize()) return "sizes differ";
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      if (a.GetDC().GetPixel(x, y) != b.GetDC().GetPixel(x, y)) {
        char text[96];
        std::snprintf(text, sizeof text, "first at (%d, %d): %06x against %06x", x, y, a.GetDC().GetPixel(x, y),
                      b.GetDC().GetPixel(x, y));
        return text;
      }
  return "";
}

bool Same(const CDADC& a, const CDADC& b) {
  return a.GetSize() == b.GetSize() &&
         std::memcmp(a.GetBits(), b.GetBits(), static_cast<std::size_t>(a.GetImageSize())) == 0;
}

struct Case {
  int level;
  unsigned objects;
  int background;
  int mixOffset;     // the geometry is (collection index + offset) % 12
  double lineWidth;  // percent of the working width: thin, wide or no outlines
  double size;
  int colourSource;
};

// Every collection runs every case; the cases between them cover both
// qualities, both backgrounds, every mix geometry, thin, wide and no
// outlines, very small, very large and huge objects, and 0 to 10,000 objects.
constexpr Case kCases[] = {
    {1, 1, eBkgOriginal, 0, 0.0, 5.5, eColSrcImage},   {2, 10000, eBkgSolid, 4, 1.5, 5.5, eColSrcImage},
    {1, 2000, eBkgSolid, 8, 0.9, 8.0, eColSrcRandom},  {2, 400, eBkgOriginal, 2, 2.0, 30.0, eColSrcSingle},
    {2, 0, eBkgOriginal, 6, 0.225, 5.5, eColSrcImage}, {1, 10000, eBkgOriginal, 10, 1.2, 0.1, eColSrcImage},
};

TEST(BandedDrawing, GivesTheReferencePictureForEveryCollection) {
  ASSERT_TRUE(fs::is_directory(kBundled));
  const CDADC photo = MakePhoto(123, 77, 5);
  int collection = 0;
  for (const auto& entry : fs::directory_iterator(kBundled)) {
    if (!entry.is_directory()) continue;
    CEffect effect(entry.path().c_str());
    ASSERT_GT(effect.GetNumShapes(), 0u) << entry.path();
    int k = 0;
    for (const Case& c : kCases) {
      effect.SetSeed(collection * 31 + k * 7 + 1);
      effect.SetNumObjects(c.objects);
      effect.SetBkg(c.background);
      effect.SetBkgColor(RGB(20 + 10 * k, 200, 90));
      effect.SetMixGeom((collection + c.mixOffset) % 12);
      effect.SetMixSharpness(static_cast<unsigned>(15 * k));
      effect.SetLineWidth(c.lineWidth);
      effect.SetSize(c.size);
      effect.SetSolidColSrc(c.colourSource);
      effect.SetLineColSrc((c.colourSource + 1) % 3);
      effect.SetSizeReaction(k % 3);
      effect.SetAngleReaction((k + 1) % 3);
      effect.SetAngleVar(90.0);
      DrawSettings reference;
      reference.reference = true;
      const CDADC expected = Render(effect, photo, c.level, reference);
      DrawSettings one;
      one.threads = 1;
      DrawSettings two;
      two.threads = 2;
      two.bandRows = 2 * c.level + k;  // many thin bands, some not a multiple of the level
      for (const DrawSettings& settings : {one, two}) {
        const CDADC got = Render(effect, photo, c.level, settings);
        EXPECT_TRUE(Same(expected, got)) << entry.path().filename() << " case " << k << " threads " << settings.threads
                                         << ": " << FirstDifference(expected, got);
      }
      // Without an output picture: the rows handed on make the same.
      const CDADC handed = RenderRowsOnly(effect, photo, c.level, two);
      EXPECT_TRUE(Same(expected, handed))
          << entry.path().filename() << " case " << k << " rows only: " << FirstDifference(expected, handed);
      ++k;
    }
    ++collection;
  }
  EXPECT_GE(collection, 10);
}

class BandedDrawingTest : public testing::Test {
 protected:
  void SetUp() override {
    test::LoadSquareAndCircle(m_dir, m_effect);
    ASSERT_EQ(m_effect.GetNumShapes(), 2u);
  }

  test::TempDir m_dir;
  CEffect m_effect;
};

TEST_F(BandedDrawingTest, SeveralSeedsAndSizesGiveTheReferencePicture) {
  m_effect.SetLineWidth(1.0);
  for (const SIZE size : {SIZE{1, 1}, SIZE{2, 3}, SIZE{64, 1}, SIZE{301, 199}}) {
    const CDADC photo = MakePhoto(size.cx, size.cy, 9);
    for (int seed : {1, 2, 3, 1234567}) {
      m_effect.SetSeed(seed);
      m_effect.SetNumObjects(static_cast<unsigned>(seed % 5000));
      for (int level : {1, 2}) {
        DrawSettings reference;
        reference.reference = true;
        const CDADC expected = Render(m_effect, photo, level, reference);
        EXPECT_TRUE(Same(expected, Render(m_effect, photo, level, DrawSettings{})))
            << size.cx << "x" << size.cy << " seed " << seed << " level " << level;
      }
    }
  }
}

// Starts no thread at all.
bool RefuseToStart(std::function<void()>, std::thread&) { return false; }

TEST_F(BandedDrawingTest, ThreadsThatCannotStartLeaveTheWorkToTheCaller) {
  const CDADC photo = MakePhoto(150, 90, 3);
  m_effect.SetNumObjects(3000);
  m_effect.SetLineWidth(1.5);
  DrawSettings reference;
  reference.reference = true;
  reference.threads = 4;
  reference.starter = RefuseToStart;  // the reference's mix starts threads too
  DrawSettings banded;
  banded.threads = 4;
  banded.bandRows = 4;
  banded.starter = RefuseToStart;
  for (int level : {1, 2}) {
    DrawSettings plain;
    plain.reference = true;
    plain.threads = 1;
    const CDADC expected = Render(m_effect, photo, level, plain);
    EXPECT_TRUE(Same(expected, Render(m_effect, photo, level, reference))) << level;
    EXPECT_TRUE(Same(expected, Render(m_effect, photo, level, banded))) << level;
  }
}

// A thread that starts but cannot get the memory for a band leaves its
// bands to the threads that have theirs: the picture is the same.
TEST_F(BandedDrawingTest, ThreadsThatCannotGetTheirMemoryLeaveTheirBandsToTheOthers) {
  const CDADC photo = MakePhoto(150, 90, 7);
  m_effect.SetNumObjects(3000);
  m_effect.SetLineWidth(1.5);
  for (int level : {1, 2}) {
    const CDADC expected = Reference(m_effect, photo, level);
    for (unsigned memories : {1u, 2u}) {
      DrawSettings banded;
      banded.threads = 4;
      banded.bandRows = 2;
      banded.bandMemories = memories;
      CDADC out(photo.GetSize());
      CEffectOutput target;
      target.SetUp(&out, nullptr, photo.GetSize());
      const Done result = m_effect.DrawIntoOutput(&target, &photo, level, banded);
      EXPECT_TRUE(result.ok()) << result.message();
      EXPECT_TRUE(Same(expected, out)) << "level " << level << ", " << memories
                                       << " with memory: " << FirstDifference(expected, out);
    }
  }
}

// The output's rows are handed on as the bands complete them: in order, one
// call at a time, up to the whole picture, each row as it ends up; also
// for a drawing that has no output picture.
TEST_F(BandedDrawingTest, TheOutputsRowsAreHandedOnAsTheyAreComplete) {
  const CDADC photo = MakePhoto(160, 101, 8);
  m_effect.SetNumObjects(2000);
  m_effect.SetLineWidth(1.2);
  for (int level : {1, 2}) {
    const CDADC expected = Reference(m_effect, photo, level);
    for (bool withPicture : {true, false}) {
      struct Rows final : OutputRowsSink {
        const CDADC* expected = nullptr;
        int next = 0;
        std::atomic<int> inside{0};
        bool overlapped = false, outOfOrder = false, rowsDiffered = false;
        void RowsReady(const PixelBlock& rows, int first, int last) override {
          if (inside.fetch_add(1) != 0) overlapped = true;
          if (first != next || last <= first) outOfOrder = true;
          for (int y = first; y < last; ++y)
            if (std::memcmp(rows.Row(y), expected->GetBlock().Row(y), 3 * rows.width) != 0) rowsDiffered = true;
          next = last;
          inside.fetch_sub(1);
        }
      } rows;
      rows.expected = &expected;
      DrawSettings banded;
      banded.threads = 2;
      banded.bandRows = 3 * level;
      banded.outputRows = &rows;
      CDADC out(photo.GetSize());
      CEffectOutput target;
      target.SetUp(withPicture ? &out : nullptr, nullptr, photo.GetSize());
      ASSERT_TRUE(m_effect.DrawIntoOutput(&target, &photo, level, banded).ok());
      if (withPicture) {
        EXPECT_TRUE(Same(expected, out));
      }
      EXPECT_EQ(rows.next, photo.GetHeight()) << level << " " << withPicture;
      EXPECT_FALSE(rows.overlapped);
      EXPECT_FALSE(rows.outOfOrder);
      EXPECT_FALSE(rows.rowsDiffered) << level << " " << withPicture;
    }
  }
}

// Counts progress reports, notes whether they all came from one thread, and
// asks the drawing to stop after a given number of them.
class StoppingObserver : public DrawObserver {
 public:
  StoppingObserver(std::stop_source& source, int stopAfter) : m_source(source), m_stopAfter(stopAfter) {}
  void Progress(std::size_t done, std::size_t total) override {
    if (std::this_thread::get_id() != m_thread) m_otherThread = true;
    if (++m_reports == m_stopAfter) m_source.request_stop();
  }
  int Reports() const { return m_reports; }
  bool OtherThread() const { return m_otherThread; }

 private:
  std::stop_source& m_source;
  int m_stopAfter;
  int m_reports = 0;
  bool m_otherThread = false;
  std::thread::id m_thread = std::this_thread::get_id();
};

TEST_F(BandedDrawingTest, ProgressComesFromTheCallingThreadAndAStopEndsTheDrawingEarly) {
  const CDADC photo = MakePhoto(200, 120, 4);
  m_effect.SetNumObjects(500);
  m_effect.SetMixGeom(eMixOff);
  m_effect.SetBkg(eBkgSolid);
  m_effect.SetBkgColor(RGB(255, 255, 255));
  DrawSettings settings;
  settings.threads = 2;
  settings.bandRows = 2;

  std::stop_source never;
  StoppingObserver follow(never, -1);
  const CDADC whole = Render(m_effect, photo, 2, settings, &follow, never.get_token());
  EXPECT_GT(follow.Reports(), 10);  // the progress advances during the drawing
  EXPECT_FALSE(follow.OtherThread());

  std::stop_source source;
  StoppingObserver stopper(source, 3);
  const CDADC stopped = Render(m_effect, photo, 2, settings, &stopper, source.get_token());
  EXPECT_FALSE(stopper.OtherThread());
  // Rows not reached stay as the output was set up: black.
  int untouched = 0;
  for (int y = 0; y < photo.GetHeight(); ++y) untouched += stopped.GetDC().GetPixel(0, y) == RGB(0, 0, 0);
  EXPECT_GT(untouched, photo.GetHeight() / 2);
  EXPECT_FALSE(Same(whole, stopped));

  // A stop asked for before the drawing leaves the output untouched.
  std::stop_source early;
  early.request_stop();
  const CDADC none = Render(m_effect, photo, 2, settings, nullptr, early.get_token());
  EXPECT_EQ(none.GetDC().GetPixel(100, 60), RGB(0, 0, 0));
}

TEST_F(BandedDrawingTest, TwoDrawingsAtOnceOnTwoThreads) {
  const CDADC photo = MakePhoto(180, 100, 6);
  m_effect.SetNumObjects(2000);
  CEffect other = m_effect;
  other.SetSeed(99);
  DrawSettings reference;
  reference.reference = true;
  const CDADC expectedA = Render(m_effect, photo, 2, reference);
  const CDADC expectedB = Render(other, photo, 2, reference);
  CDADC gotA, gotB;
  std::thread a([&] { gotA = Render(m_effect, photo, 2, DrawSettings{}); });
  std::thread b([&] { gotB = Render(other, photo, 2, DrawSettings{}); });
  a.join();
  b.join();
  EXPECT_TRUE(Same(expectedA, gotA));
  EXPECT_TRUE(Same(expectedB, gotB));
}

TEST_F(BandedDrawingTest, ARefusedMixLeavesTheOutputAsItWas) {
  const CDADC photo = MakePhoto(20, 10, 1);
  CDADC out(SIZE{21, 10});  // not the original's size
  out.GetDC().FillSolidRect(0, 0, 21, 10, RGB(7, 7, 7));
  CEffectOutput target;
  target.m_pDADC = &out;
  const Done result = m_effect.DrawIntoOutput(&target, &photo, 2, DrawSettings{});
  EXPECT_EQ(out.GetDC().GetPixel(3, 3), RGB(7, 7, 7));
  EXPECT_EQ(result.status(), Status::Failed);
  EXPECT_EQ(result.message(), "AAMB: Origin and destination\nx sizes are different...");
}

}  // namespace
}  // namespace brisol
