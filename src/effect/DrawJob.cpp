#include "effect/DrawJob.h"

#include "effect/Runner.h"
#include "effect/WorkingPictureLimit.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

bool HasPhoto(const DrawJob& job) { return job.photo->IsValid(); }

Failure NoPhoto() { return Fail("there is no picture to draw from or into"); }

// The picture's own memory ran out: the user hears of the working picture.
Failure NoMemoryForWork(const DrawJob& job) {
  const SIZE size = job.photo->GetSize();
  const SIZE work{size.cx * job.quality, size.cy * job.quality};
  return Fail(Status::NoMemory,
              NotEnoughMemoryText(work, job.settings.reference ? kMaxWorkingPixels : kMaxBandedWorkingPixels));
}

Done Draw(const DrawJob& job, CDADC* picture) {
  CEffectOutput target;
  target.m_pDADC = picture;  // black already
  return job.effect->DrawIntoOutput(&target, job.photo, job.quality, job.settings, job.observer, job.stop);
}

}  // namespace

Outcome<std::unique_ptr<CDADC>> DrawPicture(const DrawJob& job) {
  if (!HasPhoto(job)) return NoPhoto();
  auto made = TryAllocate("the picture", [&job] { return std::make_unique<CDADC>(job.photo->GetSize()); });
  if (!made || !(*made)->IsValid()) return NoMemoryForWork(job);
  std::unique_ptr<CDADC> picture = std::move(*made);
  if (Done drawn = Draw(job, picture.get()); !drawn) return std::move(drawn).failure();
  return picture;
}

Done DrawPictureRows(const DrawJob& job) {
  if (!HasPhoto(job)) return NoPhoto();
  if (job.settings.outputRows == nullptr) return Fail("there is nowhere to hand the picture's rows");
  return Draw(job, nullptr);
}

}  // namespace brisol
