#include "ui/Variations.h"

#include <QObject>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "effect/Effect.h"
#include "effect/EffectParams.h"
#include "raster/Dadc.h"
#include "ui/ParamTitle.h"

namespace brisol {
namespace {

constexpr double kFinestStep = 1.0 / 32, kWidestStep = 1.0 / 8;

// The step between values on a page: finer first, wider with each page.
double StepOf(const EffectParam& p, int page) {
  const double range = p.panelMax - p.panelMin;
  double step = std::min(range * kFinestStep * (page + 1), range * kWidestStep);
  if (p.kind == ParamKind::Count) step = std::max(1.0, std::floor(step));
  return step;
}

}  // namespace

std::vector<const EffectParam*> VariableParams(const CEffect& effect) {
  std::vector<const EffectParam*> params;
  for (const EffectParam& p : EffectParams()) {
    if (p.kind == ParamKind::Colour) continue;
    if (p.inactiveBecause != nullptr && p.inactiveBecause(effect) != nullptr) continue;
    params.push_back(&p);
  }
  return params;
}

int VariationSeed(int base, int index) {
  std::uint32_t z = static_cast<std::uint32_t>(base) + 0x9E3779B9u * static_cast<std::uint32_t>(index + 1);
  z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
  z = (z ^ (z >> 13)) * 0xC2B2AE35u;
  z ^= z >> 16;
  return static_cast<int>(z & 0x7FFFFFFFu);
}

std::vector<Variation> MakeVariations(const CEffect& base, const EffectParam* param, int page) {
  std::vector<Variation> cells;
  auto add = [&](auto change, const QString& caption) {
    std::shared_ptr<CEffect> effect = base.Snapshot();
    change(*effect);
    cells.push_back({std::move(effect), caption});
  };
  if (param == nullptr) {
    for (int i = 0; i < kVariationsPerPage; ++i) {
      const int seed = VariationSeed(base.GetSeed(), page * kVariationsPerPage + i);
      add([seed](CEffect& e) { e.SetSeed(seed); }, QObject::tr("seed %1").arg(seed));
    }
    return cells;
  }
  if (param->kind == ParamKind::Choice) {
    const char* const* descriptions = param->descriptions();
    for (int i = page * kVariationsPerPage; i < std::min(param->Count(), (page + 1) * kVariationsPerPage); ++i) {
      add([param, i](CEffect& e) { param->set(e, i); }, QString::fromLatin1(descriptions[i]));
    }
    return cells;
  }
  const double step = StepOf(*param, page);
  const double value = param->get(base);
  // Nine values a step apart, the value among them (the fifth where the
  // range allows), moved inward by whole steps at the ends of the range.
  const int last = kVariationsPerPage - 1;
  const double fewest = std::ceil((value + last * step - param->panelMax) / step - 1e-9);
  const double most = std::floor((value - param->panelMin) / step + 1e-9);
  double first = 0;
  if (fewest <= most && most >= 0 && fewest <= last) {
    first =
        value - std::clamp(static_cast<double>(last / 2), std::max(0.0, fewest), std::min<double>(last, most)) * step;
  } else {
    // A value off the panel's steps at an end: the nine nearest it.
    first = std::clamp(value - (last / 2) * step, param->panelMin,
                       std::max(param->panelMin, param->panelMax - last * step));
  }
  for (int i = 0; i < kVariationsPerPage; ++i) {
    const double v = std::min(first + i * step, param->panelMax);
    add([param, v](CEffect& e) { param->set(e, v); },
        ParamTitle(*param) + ' ' + QString::fromStdString(FormatParamValue(*param, v)));
  }
  return cells;
}

bool HasMoreVariations(const CEffect& base, const EffectParam* param, int page) {
  if (param == nullptr) return true;
  if (param->kind == ParamKind::Choice) return (page + 1) * kVariationsPerPage < param->Count();
  return StepOf(*param, page + 1) > StepOf(*param, page);
}

QSize ReducedSize(QSize picture, QSize box) {
  if (picture.isEmpty() || box.isEmpty()) return QSize(1, 1);
  if (picture.width() <= box.width() && picture.height() <= box.height()) return picture;
  const QSize fitted = picture.scaled(box, Qt::KeepAspectRatio);
  return QSize(std::max(1, fitted.width()), std::max(1, fitted.height()));
}

QImage ReducePicture(const CDADC& picture, QSize size) {
  const int W = picture.GetWidth(), H = picture.GetHeight();
  if (W <= 0 || H <= 0 || size.isEmpty()) return QImage();
  const int w = std::min(size.width(), W), h = std::min(size.height(), H);
  QImage cell(w, h, QImage::Format_RGB32);
  const std::uint8_t* bits = picture.GetBits();
  const int stride = picture.GetBytesPerRow();
  for (int y = 0; y < h; ++y) {
    const int top = static_cast<int>(static_cast<long long>(y) * H / h);
    const int bottom = static_cast<int>(static_cast<long long>(y + 1) * H / h);
    auto* out = reinterpret_cast<QRgb*>(cell.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const int left = static_cast<int>(static_cast<long long>(x) * W / w);
      const int right = static_cast<int>(static_cast<long long>(x + 1) * W / w);
      std::uint64_t sum[3] = {0, 0, 0};
      for (int sy = top; sy < bottom; ++sy) {
        // Rows are kept bottom-up.
        const std::uint8_t* row = bits + static_cast<std::size_t>(H - 1 - sy) * static_cast<std::size_t>(stride);
        for (int sx = left; sx < right; ++sx)
          for (int c = 0; c < 3; ++c) sum[c] += row[3 * sx + c];
      }
      const std::uint64_t n = static_cast<std::uint64_t>(bottom - top) * static_cast<std::uint64_t>(right - left);
      const auto mean = [&](int c) { return static_cast<int>((sum[c] + n / 2) / n); };
      out[x] = qRgb(mean(2), mean(1), mean(0));
    }
  }
  return cell;
}

}  // namespace brisol
