#include "vector/VectorExport.h"

#include <chrono>
#include <cmath>
#include <variant>

#include "effect/DrawJob.h"
#include "effect/Effect.h"
#include "effect/Runner.h"
#include "imageio/ImageSave.h"
#include "logger/Logger.h"
#include "raster/Dadc.h"
#include "vector/CairoScene.h"
#include "vector/EmbeddedImages.h"
#include "vector/PdfFile.h"
#include "vector/PsFile.h"
#include "vector/SvgWriter.h"
#include "vector/VectorScene.h"

namespace brisol {
namespace {

Failure Failed(const std::string& message) {
  TheLogger().Log(kLogInfo, "%s\n", message.c_str());
  return Fail(message);
}

std::string Named(const std::string& path, const std::string& cause) { return "cannot write '" + path + "': " + cause; }

// A message of the file saver without its own "Cannot save" start, for one line of ours.
std::string SaveCause(const Done& saved, const std::string& path) {
  const std::string prefix = "Cannot save '" + path + "': ";
  if (saved.message().starts_with(prefix)) return saved.message().substr(prefix.size());
  return saved.message();
}

// Tells the observer how long a phase took when it ends.
class PhaseTime {
 public:
  PhaseTime(DrawObserver* observer, const char* name)
      : m_observer(observer), m_name(name), m_start(std::chrono::steady_clock::now()) {}
  ~PhaseTime() {
    if (m_observer) {
      m_observer->Phase(m_name,
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count());
    }
  }
  PhaseTime(const PhaseTime&) = delete;
  PhaseTime& operator=(const PhaseTime&) = delete;

 private:
  DrawObserver* m_observer;
  const char* m_name;
  std::chrono::steady_clock::time_point m_start;
};

// The raster picture of the job, resampled to the size when it differs.
Outcome<std::unique_ptr<CDADC>> MixedPicture(const VectorJob& job, const SIZE& size, DrawObserver* observer,
                                             const std::stop_token& stop) {
  Outcome<std::unique_ptr<CDADC>> drawn = DrawPicture({*job.effect, *job.photo, job.level, observer, stop});
  if (drawn.stopped()) return StoppedBy();
  if (!drawn) return Fail(drawn.status(), "the mixed picture could not be drawn: " + drawn.message());
  std::unique_ptr<CDADC> picture = std::move(*drawn);
  if (size == picture->GetSize()) return picture;
  const PhaseTime time(observer, "resample");
  picture = ResampledPicture(*picture, size);
  if (!picture) return Fail(Status::NoMemory, "not enough memory for the mixed picture");
  return picture;
}

// The file's bytes in its format.
Outcome<std::string> FileBytes(const VectorFormat& format, const VectorJob& job, const VectorScene& scene,
                               const PageLayout& page, const EmbeddedImages& images, DrawObserver* observer,
                               const std::stop_token& stop) {
  switch (format.kind) {
    case VectorKind::Svg: {
      std::string bytes = WriteSvg(scene, page, images, job.metadata, observer, stop);
      if (bytes.empty()) return StoppedBy();
      return bytes;
    }
    case VectorKind::Pdf:
      return WritePdf(scene, page, images, job.metadata, observer, stop);
    case VectorKind::Eps:
    case VectorKind::Ps: {
      // PostScript paints opaquely: the mix is the picture's own pixels.
      std::unique_ptr<CDADC> composite;
      if (scene.mix.kind != MixMask::None) {
        auto mixed = MixedPicture(job, page.raster, observer, stop);
        if (!mixed) return std::move(mixed).failure();
        composite = std::move(*mixed);
      }
      const PhaseTime time(observer, "write");
      return WritePostScript(format.kind, scene, page, images, composite.get(), job.metadata, observer, stop);
    }
  }
  return Fail("the format is not written");
}

Done CheckJob(const VectorJob& job) {
  if (job.effect == nullptr || job.photo == nullptr || !job.photo->IsValid())
    return Fail(Status::Invalid, "there is no picture to draw from");
  if (job.effect->GetNumShapes() == 0)
    return Fail(Status::Invalid, "the collection <" + job.effect->GetEffectDir() + "> has no shapes to draw");
  if (job.level < 1 || job.level > 2) return Fail(Status::Invalid, "the quality must be 1 or 2");
  return {};
}

}  // namespace

Done CheckVectorFile(const std::string& path, const PageOptions& page, const SIZE& picture) {
  if (Done name = CheckVectorName(path); !name) return name;
  const VectorFormat* format = VectorFormatOfName(path);
  if (format == nullptr)
    return Fail(Status::Unsupported,
                Named(path, "the extension names no vector format (use " + VectorExtensionsText() + ")"));
  const auto layout = LayOutPage(page, picture, *format);
  if (!layout) return Fail(layout.status(), Named(path, layout.message()));
  if (const Done target = CheckFileTarget(path); !target.ok())
    return Fail(target.status(), Named(path, SaveCause(target, path)));
  return {};
}

Outcome<VectorWritten> WriteVectorFile(const std::string& path, const VectorJob& job, DrawObserver* observer,
                                       std::stop_token stop) {
  if (Done job_ = CheckJob(job); !job_) return Failed(Named(path, job_.message()));
  if (Done file = CheckVectorFile(path, job.page, job.photo->GetSize()); !file) return Failed(file.message());
  const VectorFormat& format = *VectorFormatOfName(path);
  const PageLayout page = *LayOutPage(job.page, job.photo->GetSize(), format);
  const auto stopped = [&path] { return StoppedBy("stopped; '" + path + "' was not written"); };

  // PostScript takes the mix from the picture's own pixels; a page they
  // cover whole holds no objects.
  const bool postScript = format.kind == VectorKind::Eps || format.kind == VectorKind::Ps;
  const bool objectsHidden = postScript && MixCoversPicture(MixMaskFor(job.effect->GetMix(), job.photo->GetSize()));
  const std::unique_ptr<VectorScene> scene = objectsHidden
                                                 ? BareVectorScene(*job.effect, *job.photo, job.level)
                                                 : BuildVectorScene(*job.effect, *job.photo, job.level, observer, stop);
  if (stop.stop_requested()) return stopped();
  const bool photoNeeded =
      (scene->photoBackground && !objectsHidden) || (scene->mix.kind != MixMask::None && !postScript);
  const EmbeddedImages images =
      EmbedImages(*job.photo, job.photoPath, photoNeeded, job.effect->GetMix(), scene->mix, page.raster);
  if ((photoNeeded && !images.photo) || (scene->mix.kind == MixMask::Grey && images.mask.empty()))
    return Failed(Named(path, "not enough memory for the embedded photo"));

  Outcome<std::string> written = FileBytes(format, job, *scene, page, images, observer, stop);
  if (written.stopped()) return stopped();
  if (!written) return Failed(Named(path, written.message()));
  const std::string bytes = std::move(written).value();
  if (stop.stop_requested()) return stopped();
  {
    const PhaseTime time(observer, "save");
    if (const Done saved = WriteFileAtomically(
            path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        !saved.ok())
      return Failed(Named(path, SaveCause(saved, path)));
  }
  VectorWritten result;
  result.bytes = bytes.size();
  result.objects = scene->objects.size();
  result.rasterFallbacks = scene->rasterFallbacks;
  if (scene->rasterFallbacks > 0) {
    TheLogger().Log(kLogInfo, "%s: %zu objects written as pixels (texts without outlines)\n", path.c_str(),
                    scene->rasterFallbacks);
  }
  return result;
}

PrintedPage::~PrintedPage() = default;

Outcome<std::unique_ptr<PrintedPage>> PrintedPage::Prepare(const VectorJob& job, double dpi, DrawObserver* observer,
                                                           std::stop_token stop) {
  if (Done checked = CheckJob(job); !checked) return std::move(checked).failure();
  if (!(dpi >= kMinDpi && dpi <= kMaxDpi))
    return Fail(Status::Invalid, "the printer's resolution must be " + DpiRangeText() + " dpi");
  auto layout = LayOutPage(job.page, job.photo->GetSize(), VectorFormatOf(VectorKind::Pdf));
  if (!layout) return std::move(layout).failure();
  std::unique_ptr<PrintedPage> printed(new PrintedPage);  // the constructor is private
  printed->m_layout = *layout;
  printed->m_dpi = dpi;
  printed->m_pixels = SIZE{static_cast<int>(std::lround(printed->m_layout.width * dpi / 72.0)),
                           static_cast<int>(std::lround(printed->m_layout.height * dpi / 72.0))};
  printed->m_scene = BuildVectorScene(*job.effect, *job.photo, job.level, observer, stop);
  if (stop.stop_requested()) return StoppedBy("stopped");
  const bool photoNeeded = printed->m_scene->photoBackground || printed->m_scene->mix.kind != MixMask::None;
  const EmbeddedImages images =
      EmbedImages(*job.photo, {}, photoNeeded, job.effect->GetMix(), printed->m_scene->mix, printed->m_layout.raster);
  printed->m_images = std::make_unique<CairoImages>(MakeCairoImages(images));
  if ((photoNeeded && !printed->m_images->photo) ||
      (printed->m_scene->mix.kind == MixMask::Grey && !printed->m_images->mask)) {
    return Fail(Status::NoMemory, "not enough memory for the photo");
  }
  return printed;
}

Done PrintedPage::DrawBand(int top, int rows, std::uint8_t* pixels, int stride, std::stop_token stop) const {
  auto failed = [&](cairo_status_t status) {
    return Fail("Cairo could not draw rows " + std::to_string(top) + " to " + std::to_string(top + rows - 1) +
                " of the page of " + std::to_string(m_pixels.cx) + " x " + std::to_string(m_pixels.cy) +
                " pixels: " + cairo_status_to_string(status));
  };
  CairoSurface band(cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, m_pixels.cx, rows, stride));
  if (const cairo_status_t status = cairo_surface_status(band.get()); status != CAIRO_STATUS_SUCCESS)
    return failed(status);
  cairo_t* cr = cairo_create(band.get());
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_translate(cr, 0, -top);
  cairo_scale(cr, m_dpi / 72.0, m_dpi / 72.0);
  const bool drawn = DrawSceneCairo(cr, *m_scene, m_layout, *m_images, nullptr, stop);
  const cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_flush(band.get());
  if (!drawn) return StoppedBy();
  if (status != CAIRO_STATUS_SUCCESS) return failed(status);
  return {};
}

}  // namespace brisol
