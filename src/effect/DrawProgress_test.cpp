// The progress of a whole drawing as its observer hears it: from 0 at the
// start, never down, early (before the placement is over), steadily, and up
// to the total once the picture is complete; always from the calling thread.
#include "effect/DrawProgress.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "EffectTestUtil.h"
#include "effect/Runner.h"

namespace brisol {
namespace {

CDADC MakePhoto(int w, int h) {
  CDADC photo(SIZE{w, h});
  const PixelBlock b = photo.GetBlock();
  for (int y = 0; y < h; ++y) {
    std::uint8_t* p = b.Row(y);
    for (int x = 0; x < w; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(x * 255 / w);
      p[1] = static_cast<std::uint8_t>(y * 255 / h);
      p[2] = static_cast<std::uint8_t>((x ^ y) & 255);
    }
  }
  return photo;
}

// Every report, and where the phases ended among them.
struct Recorder : DrawObserver {
  struct Report {
    std::size_t done, total;
  };
  std::vector<Report> reports;
  std::size_t reportsBeforePlacementEnded = 0;
  bool otherThread = false;
  std::thread::id thread = std::this_thread::get_id();

  void Phase(const char* name, double) override {
    if (std::string(name) == "placement") reportsBeforePlacementEnded = reports.size();
  }
  void Progress(std::size_t done, std::size_t total) override {
    if (std::this_thread::get_id() != thread) otherThread = true;
    reports.push_back({done, total});
  }
};

class DrawProgressTest : public testing::Test {
 protected:
  void SetUp() override {
    test::LoadSquareAndCircle(m_dir, m_effect);
    ASSERT_EQ(m_effect.GetNumShapes(), 2u);
    m_effect.SetNumObjects(6000);
    m_effect.SetLineWidth(0.5);
  }

  test::TempDir m_dir;
  CEffect m_effect;
};

TEST_F(DrawProgressTest, RisesFromTheStartToTheTotalOnTheCallingThread) {
  const CDADC photo = MakePhoto(300, 600);
  struct Way {
    const char* name;
    bool reference;
    unsigned threads;
  };
  for (const Way way : {Way{"banded, one thread", false, 1}, Way{"banded, two threads", false, 2},
                        Way{"in order, whole picture", true, 2}}) {
    SCOPED_TRACE(way.name);
    DrawSettings settings;
    settings.reference = way.reference;
    settings.threads = way.threads;
    settings.bandRows = 8;
    CDADC out(photo.GetSize());
    CEffectOutput target;
    target.SetUp(&out, nullptr, photo.GetSize());
    Recorder recorder;
    ASSERT_TRUE(m_effect.DrawIntoOutput(&target, &photo, 2, settings, &recorder).ok());
    const auto& r = recorder.reports;
    ASSERT_GE(r.size(), 20u);
    EXPECT_FALSE(recorder.otherThread);
    EXPECT_EQ(r.front().done, 0u);
    EXPECT_EQ(r.back().done, r.back().total);
    std::size_t largestStep = 0;
    for (std::size_t i = 1; i < r.size(); ++i) {
      EXPECT_EQ(r[i].total, r.front().total);
      EXPECT_GT(r[i].done, r[i - 1].done) << "report " << i;
      largestStep = std::max(largestStep, r[i].done - r[i - 1].done);
    }
    // Steadily: no step of more than a fifth of the way.
    // Steadily: no step of more than a fifth of the way (with helper
    // threads, how much they do while the calling thread draws its own
    // share depends on the machine's load).
    if (way.threads == 1) {
      EXPECT_LE(largestStep, r.front().total / 5);
    }
    // The count moves before the objects are placed, not only after.
    ASSERT_GE(recorder.reportsBeforePlacementEnded, 3u);
    EXPECT_GT(r[recorder.reportsBeforePlacementEnded - 1].done, 0u);
  }
}

TEST_F(DrawProgressTest, AStoppedDrawingNeverReachesTheTotal) {
  const CDADC photo = MakePhoto(200, 300);
  std::stop_source source;
  struct Stopper : Recorder {
    std::stop_source* source = nullptr;
    void Progress(std::size_t done, std::size_t total) override {
      Recorder::Progress(done, total);
      if (done * 2 >= total) source->request_stop();
    }
  } stopper;
  stopper.source = &source;
  DrawSettings settings;
  settings.bandRows = 4;
  // One thread reports after every band: with helpers, a busy machine may
  // let them finish every band between two reports of the calling thread,
  // and the stop would come only once all was drawn.
  settings.threads = 1;
  CDADC out(photo.GetSize());
  CEffectOutput target;
  target.SetUp(&out, nullptr, photo.GetSize());
  const Done result = m_effect.DrawIntoOutput(&target, &photo, 2, settings, &stopper, source.get_token());
  EXPECT_EQ(result.status(), Status::Stopped);
  ASSERT_FALSE(stopper.reports.empty());
  EXPECT_LT(stopper.reports.back().done, stopper.reports.back().total);
}

TEST(DrawProgress, StepsShareTheCountByTheirWeights) {
  Recorder recorder;
  std::array<double, DrawProgress::kSteps> weights{};
  weights[DrawProgress::kForceField] = 1;
  weights[DrawProgress::kObjects] = 3;  // placement, bounds and mix: none
  DrawProgress progress(&recorder, weights);
  progress.Report(DrawProgress::kForceField, 1, 2);
  progress.Report(DrawProgress::kForceField, 1, 2);  // no news: not told again
  progress.Report(DrawProgress::kPlacement, 5, 0);   // nothing to do: the step is over
  progress.Report(DrawProgress::kObjects, 1, 3);
  progress.Report(DrawProgress::kForceField, 2, 2);  // late news of an earlier step never lowers the count
  progress.Finish();
  progress.Finish();
  const std::size_t t = DrawProgress::kTotal;
  std::vector<std::size_t> told;
  for (const auto& r : recorder.reports) told.push_back(r.done);
  EXPECT_EQ(told, (std::vector<std::size_t>{0, t / 8, t / 4, t / 4 + t / 4, t}));
}

}  // namespace
}  // namespace brisol
