#include "effect/BandedDrawing.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "effect/AAMixBlit.h"
#include "effect/DrawProgress.h"
#include "effect/Effect.h"
#include "effect/WorkingPictureLimit.h"
#include "logger/Logger.h"
#include "raster/CoverageBand.h"
#include "raster/Dadc.h"
#include "raster/DrawContext.h"
#include "raster/StrokeCache.h"

namespace brisol {
namespace {

// A band holds at least this many bytes, and at most the larger of this
// and kBandBytes. An object's figures are made again for every band it
// reaches (only the band's rows are swept), so bands should not be much
// thinner than the objects; measured, bands of a quarter of the objects'
// height draw as fast as any and taller ones leave the caches.
constexpr long long kBandBytes = 2 << 20;
constexpr long long kMaxBandBytes = 32 << 20;

using Clock = std::chrono::steady_clock;

std::uint64_t Nanoseconds(Clock::time_point from, Clock::time_point to) {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(to - from).count());
}

// What one thread keeps from band to band.
struct BandWorker {
  CoverageBand band;
  SpanRecorder recorder;
  SpanFiller filler;
};

// Hands out the workers' state, at most one per thread at a time, and
// keeps the bands that a thread without memory had to leave.
class WorkerStates {
 public:
  explicit WorkerStates(unsigned most) : m_most(most) {}

  // Null when there is none free and no memory for another.
  std::unique_ptr<BandWorker> Take() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_free.empty()) {
      if (m_most != 0 && m_made >= m_most) return nullptr;
      auto worker = TryAllocate("a drawing thread's band", [] { return std::make_unique<BandWorker>(); });
      if (!worker) return nullptr;
      ++m_made;
      return std::move(*worker);
    }
    std::unique_ptr<BandWorker> worker = std::move(m_free.back());
    m_free.pop_back();
    return worker;
  }
  // A worker whose memory went back is handed out after those that hold
  // theirs.
  void Give(std::unique_ptr<BandWorker> worker, bool holdsMemory = true) {
    if (!worker) return;
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_free.insert(holdsMemory ? m_free.end() : m_free.begin(), std::move(worker));
  }

  // A band left for later; false when even that could not be noted.
  bool Leave(std::size_t band) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return TryAllocate("the bands left", [&] { m_left.push_back(band); }).ok();
  }
  std::vector<std::size_t> TakeLeft() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::sort(m_left.begin(), m_left.end());
    return std::exchange(m_left, {});
  }

 private:
  std::mutex m_mutex;
  std::vector<std::unique_ptr<BandWorker>> m_free;
  std::vector<std::size_t> m_left;
  unsigned m_most = 0;
  unsigned m_made = 0;
};

// The working-picture rectangle each object may write into, clipped to the
// picture (empty when it misses it), worked out from the figures' points
// without drawing them.
std::vector<RECT> ObjectBounds(const BandedDrawing& d, const WorkerPool& pool, DrawProgress* progress) {
  std::vector<RECT> bounds(d.objects.size());
  constexpr std::size_t kPerItem = 256;
  const std::size_t items = (bounds.size() + kPerItem - 1) / kPerItem;
  const auto item = [&](std::size_t k) {
    SpanRecorder recorder;
    recorder.KeepBoundsOnly(true);
    DrawContext dc(d.work.cx, d.work.cy, recorder);
    for (std::size_t i = k * kPerItem; i < std::min(bounds.size(), (k + 1) * kPerItem); ++i) {
      recorder.Clear();
      DrawPlacedObjects(*d.effect, d.objects.subspan(i, 1), dc);
      const RECT& r = recorder.Bounds();
      RECT& b = bounds[i];
      b.left = std::max(r.left, 0);
      b.top = std::max(r.top, 0);
      b.right = std::min(r.right, d.work.cx);
      b.bottom = std::min(r.bottom, d.work.cy);
      if (b.left >= b.right || b.top >= b.bottom) b = RECT{};
    }
  };
  const std::function<void(std::size_t)> report =
      progress ? progress->Reporter(DrawProgress::kBounds, items) : std::function<void(std::size_t)>{};
  if (!TryAllocate("the objects' bounds", [&] { pool.ParallelFor(items, item, report); })) {
    // A thread short of memory: the calling thread alone.
    TheLogger().Log(kLogInfo, "Memory ran short on a drawing thread; its objects are measured on one\n");
    WorkerPool(1).ParallelFor(items, item, report);
  }
  return bounds;
}

class BandPainter {
 public:
  BandPainter(const BandedDrawing& d, const WorkerPool& pool, DrawProgress* progress, const std::stop_token& stop)
      : m_d(d), m_stop(stop), m_states(d.bandMemories) {
    m_bounds = ObjectBounds(d, pool, progress);
    m_rows = d.bandRows > 0 ? d.bandRows : AutomaticRows();
    const int level = d.mixer->Level();
    m_rows = std::max(level, m_rows / level * level);
    if (d.effect->GetBkgType() == eBkgOriginal) {
      // The columns and rows a whole-pixel stretch of the original takes.
      m_sourceColumn.resize(static_cast<std::size_t>(d.work.cx));
      for (int x = 0; x < d.work.cx; ++x)
        m_sourceColumn[static_cast<std::size_t>(x)] =
            static_cast<int>(StretchSourceIndex(x, d.work.cx, d.input->GetWidth()));
    }
  }

  std::size_t Bands() const { return static_cast<std::size_t>((m_d.work.cy + m_rows - 1) / m_rows); }
  BandTotals Totals() const {
    BandTotals t;
    t.written = m_written.load();
    t.objectsMs = m_objectsNs.load() / 1e6;
    t.backgroundMs = m_backgroundNs.load() / 1e6;
    t.mixMs = m_mixNs.load() / 1e6;
    return t;
  }
  bool OutOfMemory() const { return m_outOfMemory.load(); }

  // Draws band k. A thread that cannot get the memory for it leaves it to
  // the threads that have theirs (lastTry: this is the last thread, and
  // the band fails).
  void Paint(std::size_t k, bool lastTry = false) {
    if (m_stop.stop_requested()) return;
    std::unique_ptr<BandWorker> worker = m_states.Take();
    const int top = static_cast<int>(k) * m_rows;
    const int bottom = std::min(m_d.work.cy, top + m_rows);
    const Clock::time_point start = Clock::now();
    // Without an output picture, the band's output rows get memory of their
    // own until they are handed on.
    std::vector<std::uint8_t> rows;
    const Outcome<bool> drawnBand = TryAllocate("a band", [&] {
      if (!worker || !worker->band.Start(m_d.work.cx, top, bottom) || !DrawObjects(*worker)) return false;
      if (!m_d.mixer->HasOutput()) rows = TakeRows(bottom - top);
      return true;
    });
    const bool ok = drawnBand && *drawnBand;
    const Clock::time_point drawn = Clock::now();
    m_objectsNs += Nanoseconds(start, drawn);
    if (ok) {
      LayBackground(*worker);
      const Clock::time_point laid = Clock::now();
      const int level = m_d.mixer->Level();
      if (m_d.mixer->HasOutput()) {
        m_d.mixer->MixRows(worker->band.Block(), top / level, bottom / level, m_stop);
      } else {
        m_d.mixer->MixRows(worker->band.Block(), top / level, bottom / level, m_stop, RowsBlock(rows, bottom / level));
      }
      m_backgroundNs += Nanoseconds(drawn, laid);
      m_mixNs += Nanoseconds(laid, Clock::now());
      m_written += worker->band.Written();
      if (!m_stop.stop_requested()) BandMixed(k, std::move(rows));
    } else if (!m_stop.stop_requested()) {
      // Out of memory. A band's drawing starts afresh, so it can be done
      // again by a thread that has the memory.
      if (lastTry || !m_states.Leave(k)) {
        m_outOfMemory = true;
      } else {
        ++m_left;
      }
      if (!lastTry && !m_leftOne.exchange(true))
        TheLogger().Log(kLogInfo, "A drawing thread could not get the memory for its band; the others draw it\n");
      if (worker) {
        // What it holds goes back.
        worker->band = CoverageBand();
        worker->recorder = SpanRecorder();
      }
      m_states.Give(std::move(worker), false);
      return;
    }
    m_states.Give(std::move(worker));
  }

  // The bands that threads without memory left, on the calling thread.
  void PaintLeft(DrawProgress* progress) {
    const std::vector<std::size_t> left = m_states.TakeLeft();
    for (std::size_t i = 0; i < left.size() && !m_outOfMemory; ++i) {
      Paint(left[i], true);
      if (progress) progress->Report(DrawProgress::kObjects, Bands() - left.size() + i + 1, Bands());
    }
  }
  // How many bands were left so far.
  std::size_t LeftBands() const { return m_left.load(); }

  // Memory for output rows, kept from band to band.
  std::vector<std::uint8_t> TakeRows(int workRows) {
    const std::size_t bytes = static_cast<std::size_t>(BytesPerRow24(m_d.mixer->OutputSize().cx)) *
                              static_cast<std::size_t>((workRows + m_d.mixer->Level() - 1) / m_d.mixer->Level());
    std::vector<std::uint8_t> rows;
    {
      const std::lock_guard<std::mutex> lock(m_mixedMutex);
      if (!m_freeRows.empty()) {
        rows = std::move(m_freeRows.back());
        m_freeRows.pop_back();
      }
    }
    rows.resize(bytes);
    return rows;
  }
  // The output's rows up to end (exclusive) held in rows, addressed as the
  // output's.
  PixelBlock RowsBlock(std::vector<std::uint8_t>& rows, int end) const {
    return PixelBlock{rows.data(), m_d.mixer->OutputSize().cx, end, BytesPerRow24(m_d.mixer->OutputSize().cx)};
  }

  // Band k's output rows are written (into rows, without an output
  // picture): hands the sink every band complete from the top not yet
  // handed on, unless another thread is doing that already (which then
  // hands on these too).
  void BandMixed(std::size_t k, std::vector<std::uint8_t>&& rows) {
    if (m_d.outputRows == nullptr) return;
    std::unique_lock<std::mutex> lock(m_mixedMutex);
    if (m_mixed.empty()) {
      m_mixed.assign(Bands(), false);
      m_pending.resize(Bands());
    }
    m_mixed[k] = true;
    m_pending[k] = std::move(rows);
    while (m_mixedFromTop < m_mixed.size() && m_mixed[m_mixedFromTop]) ++m_mixedFromTop;
    if (m_telling) return;
    m_telling = true;
    while (m_told < m_mixedFromTop) {
      const std::size_t b = m_told;
      std::vector<std::uint8_t> held = std::move(m_pending[b]);
      lock.unlock();
      const int first = OutputRowsOf(b), last = OutputRowsOf(b + 1);
      m_d.outputRows->RowsReady(m_d.mixer->HasOutput() ? m_d.mixer->Output() : RowsBlock(held, last), first, last);
      lock.lock();
      if (!held.empty()) m_freeRows.push_back(std::move(held));
      m_told = b + 1;
    }
    m_telling = false;
  }

  // The output's rows that the first bands hold.
  int OutputRowsOf(std::size_t bands) const {
    const int level = m_d.mixer->Level();
    const long long rows = static_cast<long long>(bands) * m_rows;
    return static_cast<int>(std::min<long long>(rows, m_d.work.cy) / level);
  }

 private:
  // A quarter of the objects' middle height, within the band sizes.
  int AutomaticRows() const {
    const long long stride = BytesPerRow24(m_d.work.cx);
    const long long fewest = std::max<long long>(1, kBandBytes / stride);
    const long long most = std::max(fewest, kMaxBandBytes / stride);
    std::vector<int> heights;
    heights.reserve(m_bounds.size());
    for (const RECT& b : m_bounds)
      if (b.bottom > b.top) heights.push_back(b.bottom - b.top);
    long long rows = fewest;
    if (!heights.empty()) {
      std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
      rows = heights[heights.size() / 2] / 4;
    }
    return static_cast<int>(std::clamp(rows, fewest, most));
  }

  // False when stopped.
  bool DrawObjects(BandWorker& worker) {
    CoverageBand& band = worker.band;
    SpanRecorder& recorder = worker.recorder;
    recorder.KeepRows(band.Top(), band.Bottom());
    // Rows below the band are never worked out.
    DrawContext dc(m_d.work.cx, band.Bottom(), recorder);
    for (std::size_t i = m_d.objects.size(); i-- > 0;) {
      if (m_stop.stop_requested()) return false;
      if (band.Full()) break;
      const RECT& b = m_bounds[i];
      if (b.bottom <= band.Top() || b.top >= band.Bottom() || band.Covered(b)) continue;
      recorder.Clear();
      // An object reaching other bands is drawn for each: its outlines are
      // worked out once. One within this band has no use for them again.
      dc.SetStrokeCache(b.top < band.Top() || b.bottom > band.Bottom() ? &m_strokes : nullptr);
      DrawPlacedObjects(*m_d.effect, m_d.objects.subspan(i, 1), dc);
      band.WriteTopmostFirst(recorder.Runs());
    }
    return true;
  }

  void LayBackground(BandWorker& worker) {
    CoverageBand& band = worker.band;
    const PixelBlock block = band.Block();
    SpanFiller& filler = worker.filler;
    switch (m_d.effect->GetBkgType()) {
      case eBkgSolid: {
        const COLORREF colour = m_d.effect->GetBkgColor();
        band.ForEachUncovered([&](int y, int x0, int x1) { filler.Fill(block.Pixel(x0, y), x1 - x0, colour); });
        break;
      }
      case eBkgOriginal: {
        const PixelBlock source = m_d.input->GetBlock();
        band.ForEachUncovered([&](int y, int x0, int x1) {
          const std::uint8_t* in = source.Row(static_cast<int>(StretchSourceIndex(y, m_d.work.cy, source.height)));
          std::uint8_t* out = block.Pixel(x0, y);
          for (int x = x0; x < x1; ++x, out += 3) {
            const std::uint8_t* p = in + 3 * static_cast<std::ptrdiff_t>(m_sourceColumn[static_cast<std::size_t>(x)]);
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
          }
        });
        break;
      }
      default:  // reported once by the caller; the working picture stays black
        band.ForEachUncovered([&](int y, int x0, int x1) { filler.Fill(block.Pixel(x0, y), x1 - x0, 0); });
        break;
    }
  }

  const BandedDrawing& m_d;
  const std::stop_token& m_stop;
  WorkerStates m_states;
  int m_rows = 1;
  std::vector<RECT> m_bounds;
  std::vector<int> m_sourceColumn;
  StrokeCache m_strokes;
  std::atomic<bool> m_leftOne{false};
  std::atomic<std::size_t> m_left{0};
  std::mutex m_mixedMutex;
  std::vector<bool> m_mixed;                         // guarded by m_mixedMutex, as are the five below
  std::vector<std::vector<std::uint8_t>> m_pending;  // mixed rows not yet handed on
  std::vector<std::vector<std::uint8_t>> m_freeRows;
  std::size_t m_mixedFromTop = 0;
  std::size_t m_told = 0;
  bool m_telling = false;
  std::atomic<std::uint64_t> m_written{0};
  std::atomic<std::uint64_t> m_objectsNs{0};
  std::atomic<std::uint64_t> m_backgroundNs{0};
  std::atomic<std::uint64_t> m_mixNs{0};
  std::atomic<bool> m_outOfMemory{false};
};

}  // namespace

Done DrawInBands(const BandedDrawing& drawing, const WorkerPool& pool, DrawProgress* progress,
                 const std::stop_token& stop, BandTotals& totals) {
  totals = BandTotals{};
  const auto noMemory = [&drawing] {
    TheLogger().Log(kLogInfo, "Not enough memory to draw %d by %d pixels in bands\n", drawing.work.cx, drawing.work.cy);
    return Fail(Status::NoMemory, NotEnoughMemoryText(drawing.work, kMaxBandedWorkingPixels));
  };
  auto made = TryAllocate("the bands", [&] { return std::make_unique<BandPainter>(drawing, pool, progress, stop); });
  if (!made) return noMemory();
  const std::unique_ptr<BandPainter> painter = std::move(*made);
  const std::size_t bands = painter->Bands();
  // Bands left by threads without memory count once they are drawn.
  const std::function<void(std::size_t)> report = [&](std::size_t done) {
    // Bands skipped after a stop request are not progress.
    if (progress && !stop.stop_requested())
      progress->Report(DrawProgress::kObjects, done - std::min(done, painter->LeftBands()), bands);
  };
  OutputRowsSink* const sink = drawing.outputRows;
  pool.ParallelFor(
      bands,
      [&painter, sink](std::size_t k) {
        painter->Paint(k);
        if (sink != nullptr) sink->Work();
      },
      report);
  painter->PaintLeft(progress);
  // What the sink still has to do, on every thread.
  if (sink != nullptr && !stop.stop_requested()) {
    pool.ParallelFor(pool.Threads(), [sink](std::size_t) {
      while (sink->Work()) {}
    });
  }
  totals = painter->Totals();
  if (painter->OutOfMemory()) return noMemory();
  return {};
}

}  // namespace brisol
