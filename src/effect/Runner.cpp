#include "effect/Runner.h"

#include <chrono>
#include <cstdint>
#include <new>

#include "effect/AAMixBlit.h"
#include "effect/BandedDrawing.h"
#include "effect/DrawProgress.h"
#include "effect/ForceField.h"
#include "effect/Placement.h"
#include "effect/WorkingPictureLimit.h"
#include "logger/Format.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

class PhaseTimer {
 public:
  explicit PhaseTimer(DrawObserver* observer) : m_observer(observer) {}
  void End(const char* phase) {
    const auto now = std::chrono::steady_clock::now();
    if (m_observer) m_observer->Phase(phase, std::chrono::duration<double, std::milli>(now - m_start).count());
    m_start = now;
  }

 private:
  DrawObserver* m_observer;
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Draws the list in slices so that the progress can be followed; a stop
// request is seen before every object.
void DrawWithProgress(const CEffect& effect, const std::vector<PlacedObject>& objects, DrawContext& dc,
                      DrawObserver* observer, DrawProgress& progress, const std::stop_token& stop) {
  const std::uint64_t before = FigurePixelsWritten();
  constexpr std::size_t kSlice = 256;
  const std::size_t step = stop.stop_possible() ? 1 : kSlice;
  for (std::size_t done = 0; done < objects.size();) {
    if (stop.stop_requested()) return;
    const std::size_t count = std::min(step, objects.size() - done);
    DrawPlacedObjects(effect, std::span<const PlacedObject>(objects.data() + done, count), dc);
    const std::size_t next = done + count;
    if (next % kSlice == 0 || next == objects.size()) progress.Report(DrawProgress::kObjects, next, objects.size());
    done = next;
  }
  if (observer) observer->PixelsWritten(FigurePixelsWritten() - before);
}

std::vector<PlacedObject> PlaceWith(const CEffect& effect, const CForceField& field, int threshold, const CDADC* input,
                                    const WorkGeometry& geometry, int level, DrawProgress& progress) {
  CRandomSource random(static_cast<std::uint32_t>(effect.GetSeed()));
  PlacementInput in;
  in.input = input;
  in.field = &field;
  in.threshold = threshold;
  in.unit = geometry.unit;
  in.lineWidth = geometry.lineWidth;
  in.level = level;
  const std::size_t attempts = effect.GetNumObjects();
  std::vector<PlacedObject> objects =
      PlaceObjects(effect, in, random, progress.Reporter(DrawProgress::kPlacement, attempts));
  progress.Report(DrawProgress::kPlacement, attempts, attempts);
  return objects;
}

long long Pixels(const SIZE& size) { return static_cast<long long>(size.cx) * size.cy; }

// A working picture for which memory ran out.
Failure NotEnoughMemory(const SIZE& work, long long mostPixels) {
  return Fail(Status::NoMemory, NotEnoughMemoryText(work, mostPixels));
}

// The reference: the objects drawn in order into a whole working picture
// laid with the background, reduced and mixed at the end.
Done DrawWholePicture(const CEffect& effect, CEffectOutput* output, const CDADC* input, int level,
                      const WorkGeometry& geometry, const WorkerPool& pool, PhaseTimer& timer, DrawObserver* observer,
                      const std::stop_token& stop) {
  DrawProgress progress(observer, DrawProgress::WholePictureWeights(Pixels(input->GetSize()), Pixels(geometry.size),
                                                                    effect.GetNumObjects(), effect.GetNumObjects()));
  const CForceField field(*input);
  if (Pixels(input->GetSize()) > 0 && !field.HasForces()) return NotEnoughMemory(geometry.size, kMaxWorkingPixels);
  const int threshold = field.GetMinForceFromArea(effect.GetAreaCovered());
  progress.Report(DrawProgress::kForceField, 1, 1);
  timer.End("forcefield");

  CDADC work(geometry.size, RGB(0, 0, 0));
  // A working picture that could not be made leaves the output as it was.
  if (!work.IsValid()) return NotEnoughMemory(geometry.size, kMaxWorkingPixels);
  effect.DrawBkg(&work, input);
  timer.End("background");
  const std::vector<PlacedObject> objects = PlaceWith(effect, field, threshold, input, geometry, level, progress);
  timer.End("placement");

  if (stop.stop_requested()) return {};
  DrawWithProgress(effect, objects, work.GetDC(), observer, progress, stop);
  timer.End("drawing");

  if (stop.stop_requested()) return {};
  const CImageMix mix = effect.GetMix();
  const Done mixed = AAMixBlit(output->m_pDADC, &work, input, &mix, stop, &pool);
  timer.End("mix");
  if (!mixed) return mixed;
  if (!stop.stop_requested()) progress.Finish();
  return {};
}

}  // namespace

WorkGeometry WorkGeometryFor(const SIZE& input, int level, double lineWidthPercent) {
  WorkGeometry g;
  g.size = SIZE{level * input.cx, level * input.cy};
  g.unit = g.size.cx * 0.01;
  g.lineWidth = static_cast<int>(g.size.cx * lineWidthPercent * 0.01);
  return g;
}

EffectObjects PlaceEffectObjects(const CEffect& effect, const CDADC& input, int level, unsigned threads) {
  EffectObjects placed;
  placed.geometry = WorkGeometryFor(input.GetSize(), level, effect.GetLineWidth());
  if (!input.IsValid()) return placed;
  const WorkerPool pool(threads);
  const CForceField field = CForceField::OnDemand(input, &pool);
  const int threshold = field.GetMinForceFromArea(effect.GetAreaCovered());
  // Nobody follows this placement's progress.
  DrawProgress untold(nullptr, DrawProgress::BandedWeights(Pixels(input.GetSize()), Pixels(placed.geometry.size),
                                                           effect.GetNumObjects(), effect.GetNumObjects()));
  placed.objects = PlaceWith(effect, field, threshold, &input, placed.geometry, level, untold);
  return placed;
}

void CEffectOutput::SetUp(CDADC* surface, const char* psFileName, const SIZE& size) {
  m_pDADC = surface;
  if (surface != nullptr) surface->GetDC().FillSolidRect(0, 0, size.cx, size.cy, RGB(0, 0, 0));
  if (psFileName != nullptr) {
    m_ps.SetData(psFileName, size, 0.0);
    m_ps.WriteHeader();
  }
}

CBrisol::CBrisol(const CDADC* original, const CEffect* effect) {
  if (original == nullptr) {
    TheLogger().Log(kLogError, "CBrisol::CBrisol NULL CDADC pointer");
    return;
  }
  m_pOrigDADC = std::make_shared<const CDADC>(*original);
  if (effect != nullptr) m_Effect = *effect;
}

CBrisol::CBrisol(std::shared_ptr<const CDADC> original, const CEffect* effect) : m_pOrigDADC(std::move(original)) {
  if (!m_pOrigDADC) TheLogger().Log(kLogError, "CBrisol::CBrisol NULL CDADC pointer");
  if (effect != nullptr) m_Effect = *effect;
}

SIZE CBrisol::GetSize() const { return m_pOrigDADC ? m_pOrigDADC->GetSize() : SIZE{0, 0}; }

Done CBrisol::Draw(CEffectOutput& output, int level, DrawObserver* observer, std::stop_token stop) const {
  return m_Effect.DrawIntoOutput(&output, m_pOrigDADC.get(), level, observer, std::move(stop));
}

void CEffect::DrawBkg(CDADC* work, const CDADC* input) const {
  if (work == nullptr || input == nullptr) {
    TheLogger().Log(kLogError, "ERROR: CEffect::DrawBkg, NULL DADCs");
    return;
  }
  DrawContext& dc = work->GetDC();
  switch (m_eBkgType) {
    case eBkgSolid:
      dc.FillSolidRect(0, 0, work->GetWidth(), work->GetHeight(), m_crBkgColor);
      break;
    case eBkgOriginal:
      dc.SetStretchBltMode(COLORONCOLOR);
      dc.StretchBlt(0, 0, work->GetWidth(), work->GetHeight(), input->GetDC(), 0, 0, input->GetWidth(),
                    input->GetHeight());
      break;
    default:
      TheLogger().Log(kLogError, "ERROR: CEffect::DrawBkg, bad enumerator: %d ", m_eBkgType);
      break;
  }
}

Done CEffect::DrawIntoOutput(CEffectOutput* output, const CDADC* input, int level, DrawObserver* observer,
                             std::stop_token stop) const {
  return DrawIntoOutput(output, input, level, DrawSettings{}, observer, std::move(stop));
}

Done CEffect::DrawIntoOutput(CEffectOutput* output, const CDADC* input, int level, const DrawSettings& settings,
                             DrawObserver* observer, std::stop_token stop) const {
  if (output == nullptr || input == nullptr) {
    TheLogger().Log(kLogInfo, "DrawIntoOutput Output=%d Input=%d\n",
                    static_cast<int>(reinterpret_cast<std::uintptr_t>(output)),
                    static_cast<int>(reinterpret_cast<std::uintptr_t>(input)));
    return Fail("there is no picture to draw from or into");
  }
  if (m_uNumShapes == 0) {
    TheLogger().Log(kLogInfo, "DrawIntoOutput no shapes in effect <%s>\n", m_szEffectDir.c_str());
    return Fail("the collection <" + m_szEffectDir + "> has no shapes to draw");
  }
  // Refused before anything is allocated (the mix would find out only after
  // the original's force field and a failed allocation).
  if (std::string tooLarge = WorkingPictureTooLarge(input->GetSize(), level, !settings.reference); !tooLarge.empty()) {
    TheLogger().Log(kLogInfo, "DrawIntoOutput: %s\n", tooLarge.c_str());
    return Fail(std::move(tooLarge));
  }
  // The failures of the steps below, also those on the worker threads, come
  // back as their results. The drawing's lists (objects, bounds, rows) are
  // the standard library's, which tells of no memory for one by throwing:
  // wherever that happens, the user hears of the working picture, the one
  // large thing a drawing makes.
  Done result;
  try {
    result = DrawSteps(output, input, level, settings, observer, stop);
  } catch (const std::bad_alloc&) {
    const SIZE size = input->GetSize();
    result = NotEnoughMemory(SIZE{size.cx * level, size.cy * level},
                             settings.reference ? kMaxWorkingPixels : kMaxBandedWorkingPixels);
  }
  if (result.ok() && stop.stop_requested()) return StoppedBy();
  return result;
}

Done CEffect::DrawSteps(CEffectOutput* output, const CDADC* input, int level, const DrawSettings& settings,
                        DrawObserver* observer, const std::stop_token& stop) const {
  PhaseTimer timer(observer);
  if (stop.stop_requested()) return {};
  const WorkerPool pool(settings.threads, settings.starter);
  const WorkGeometry geometry = WorkGeometryFor(input->GetSize(), level, m_dLineWidth);
  const long long workPixels = static_cast<long long>(geometry.size.cx) * geometry.size.cy;
  if (settings.reference || !input->IsValid() || workPixels <= 0 || workPixels > kMaxBandedWorkingPixels) {
    return DrawWholePicture(*this, output, input, level, geometry, pool, timer, observer, stop);
  }

  DrawProgress progress(
      observer, DrawProgress::BandedWeights(Pixels(input->GetSize()), workPixels, m_uNumObjects, m_uNumObjects));
  std::vector<PlacedObject> objects;
  {
    // Placement asks for one force an object: work them out as asked.
    const std::size_t slices = CForceField::SlicesOf(*input);
    const CForceField field =
        CForceField::OnDemand(*input, &pool, progress.Reporter(DrawProgress::kForceField, slices));
    const int threshold = field.GetMinForceFromArea(m_dAreaCovered);
    timer.End("forcefield");
    if (m_eBkgType != eBkgSolid && m_eBkgType != eBkgOriginal)
      TheLogger().Log(kLogError, "ERROR: CEffect::DrawBkg, bad enumerator: %d ", m_eBkgType);
    objects = PlaceWith(*this, field, threshold, input, geometry, level, progress);
    timer.End("placement");
  }
  // A refused mix leaves the output as it was. Without an output picture,
  // the output's rows go to the sink only.
  const BandMixer mixer = output->m_pDADC == nullptr && settings.outputRows != nullptr
                              ? BandMixer(input->GetSize(), geometry.size, input, &m_Mix)
                              : BandMixer(output->m_pDADC, geometry.size, input, &m_Mix);
  if (!mixer.IsValid()) return mixer.Refusal();
  if (stop.stop_requested()) return {};

  BandedDrawing drawing;
  drawing.effect = this;
  drawing.objects = objects;
  drawing.input = input;
  drawing.work = geometry.size;
  drawing.mixer = &mixer;
  drawing.bandRows = settings.bandRows;
  drawing.bandMemories = settings.bandMemories;
  drawing.outputRows = settings.outputRows;
  BandTotals totals;
  const Done drawn = DrawInBands(drawing, pool, &progress, stop, totals);
  // The bands do the background, the objects and the mix together: each
  // phase is told as the time it took summed over the threads.
  if (observer) {
    observer->Phase("background", totals.backgroundMs);
    observer->PixelsWritten(totals.written);
    observer->Phase("drawing", totals.objectsMs);
    observer->Phase("mix", totals.mixMs);
  }
  if (!drawn) return drawn;
  if (!stop.stop_requested()) progress.Finish();
  return {};
}

}  // namespace brisol
