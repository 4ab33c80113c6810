// A drawing that ends early, deep inside, comes out of the drawing job as
// the status its callers act on, with the words they show: no memory for
// the working picture (whole, or a band of it), or a stop.
#include "effect/DrawJob.h"

#include <gtest/gtest.h>

#include "EffectTestUtil.h"
#include "ProcessLimits.h"
#include "effect/Runner.h"

namespace brisol {
namespace {

struct StopAtOnce : DrawObserver {
  std::stop_source source;
  void Progress(std::size_t, std::size_t) override { source.request_stop(); }
};

TEST(DrawJob, AFailureDeepInsideComesBackAsItsStatusAndWords) {
  test::TempDir dir;
  CEffect effect;
  test::LoadSquareAndCircle(dir, effect);
  struct Case {
    SIZE photo;
    bool reference, stop;  // without a stop: no memory beyond the picture itself
    Status status;
    const char* message;
  } const cases[] = {
      // Working pictures larger than any heap's free room: mapped afresh.
      {{3000, 2000}, true, false, Status::NoMemory,
       "not enough memory for the working picture of 6000 x 4000 pixels (the most is 700 megapixels)"},
      {{3000, 2000}, false, false, Status::NoMemory,  // one band as high as the picture
       "not enough memory for the working picture of 6000 x 4000 pixels (the most is 1600 megapixels)"},
      {{300, 200}, true, true, Status::Stopped, ""},
      {{300, 200}, false, true, Status::Stopped, ""},
  };
  for (const Case& c : cases) {
    if (!c.stop && test::kSanitizedBuild) continue;  // no address-space limit under a sanitizer
    const CDADC photo(c.photo, RGB(90, 140, 200));
    StopAtOnce stopper;
    DrawJob job(effect, photo, 2, c.stop ? &stopper : nullptr, stopper.source.get_token());
    job.settings = {.reference = c.reference, .threads = 1, .bandRows = 2 * c.photo.cy};
    rlimit previous{};
    getrlimit(RLIMIT_AS, &previous);
    rlimit tight = previous;
    if (!c.stop) tight.rlim_cur = static_cast<rlim_t>(test::MappedBytes() + (32u << 20));
    setrlimit(RLIMIT_AS, &tight);
    const Outcome<std::unique_ptr<CDADC>> drawn = DrawPicture(job);
    setrlimit(RLIMIT_AS, &previous);
    EXPECT_STREQ(StatusName(drawn.status()), StatusName(c.status)) << c.reference << ": " << drawn.message();
    EXPECT_EQ(drawn.message(), c.message) << c.reference;
  }
}

}  // namespace
}  // namespace brisol
