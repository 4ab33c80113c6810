#include "effect/Runner.h"

#include <chrono>
#include <cstdint>

#include "effect/AAMixBlit.h"
#include "effect/ForceField.h"
#include "effect/Placement.h"
#include "effect/WorkingPictureLimit.h"
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

// Draws the list in slices so that the observer can follow the progress; a
// stop request is seen before every object.
void DrawWithProgress(const CEffect& effect, const std::vector<PlacedObject>& objects, DrawContext& dc,
                      DrawObserver* observer, const std::stop_token& stop) {
  const std::uint64_t before = FigurePixelsWritten();
  constexpr std::size_t kSlice = 256;
  const std::size_t step = stop.stop_possible() ? 1 : kSlice;
  for (std::size_t done = 0; done < objects.size();) {
    if (stop.stop_requested()) return;
    const std::size_t count = std::min(step, objects.size() - done);
    DrawPlacedObjects(effect, std::span<const PlacedObject>(objects.data() + done, count), dc);
    const std::size_t next = done + count;
    if (observer && (next % kSlice == 0 || next == objects.size())) observer->Progress(next, objects.size());
    done = next;
  }
  if (observer) observer->PixelsWritten(FigurePixelsWritten() - before);
}

}  // namespace

WorkGeometry WorkGeometryFor(const SIZE& input, int level, double lineWidthPercent) {
  WorkGeometry g;
  g.size = SIZE{level * input.cx, level * input.cy};
  g.unit = g.size.cx * 0.01;
  g.lineWidth = static_cast<int>(g.size.cx * lineWidthPercent * 0.01);
  return g;
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
  m_pOrigDADC = std::make_unique<CDADC>(*original);
  if (effect != nullptr) m_Effect = *effect;
}

SIZE CBrisol::GetSize() const { return m_pOrigDADC ? m_pOrigDADC->GetSize() : SIZE{0, 0}; }

void CBrisol::Draw(CEffectOutput& output, int level, DrawObserver* observer, std::stop_token stop) const {
  m_Effect.DrawIntoOutput(&output, m_pOrigDADC.get(), level, observer, std::move(stop));
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

void CEffect::DrawIntoOutput(CEffectOutput* output, const CDADC* input, int level, DrawObserver* observer,
                             std::stop_token stop) const {
  if (output == nullptr || input == nullptr) {
    TheLogger().Log(kLogError, "DrawIntoOutput Output=%d Input=%d",
                    static_cast<int>(reinterpret_cast<std::uintptr_t>(output)),
                    static_cast<int>(reinterpret_cast<std::uintptr_t>(input)));
    return;
  }
  if (m_uNumShapes == 0) {
    TheLogger().Log(kLogError, "DrawIntoOutput no shapes in effect <%s>", m_szEffectDir.c_str());
    return;
  }
  // Refused before anything is allocated (the mix would find out only after
  // the original's force field and a failed allocation).
  if (const std::string tooLarge = WorkingPictureTooLarge(input->GetSize(), level); !tooLarge.empty()) {
    TheLogger().Log(kLogDeferred, "DrawIntoOutput: %s", tooLarge.c_str());
    return;
  }
  PhaseTimer timer(observer);
  if (stop.stop_requested()) return;
  const CForceField field(*input);
  const int threshold = field.GetMinForceFromArea(m_dAreaCovered);
  timer.End("forcefield");

  const WorkGeometry geometry = WorkGeometryFor(input->GetSize(), level, m_dLineWidth);
  CDADC work(geometry.size, RGB(0, 0, 0));
  // A working picture that could not be made has been reported; the mix
  // below refuses its size, so nothing is drawn into it.
  if (work.IsValid()) {
    DrawBkg(&work, input);
    timer.End("background");

    CRandomSource random(static_cast<std::uint32_t>(m_iSeed));
    PlacementInput in;
    in.input = input;
    in.field = &field;
    in.threshold = threshold;
    in.unit = geometry.unit;
    in.lineWidth = geometry.lineWidth;
    in.level = level;
    const std::vector<PlacedObject> objects = PlaceObjects(*this, in, random);
    timer.End("placement");

    if (stop.stop_requested()) return;
    DrawWithProgress(*this, objects, work.GetDC(), observer, stop);
    timer.End("drawing");
  }

  if (stop.stop_requested()) return;
  AAMixBlit(output->m_pDADC, &work, input, &m_Mix, stop);
  timer.End("mix");
}

}  // namespace brisol
