// libFuzzer target: CDxfFile::ReadFile on arbitrary bytes, then what the
// program asks of a drawing it read (counts, extents, the writer).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "dxf/DxfFile.h"
#include "logger/Alerts.h"

namespace {

class SilentAlertSink : public brisol::AlertSink {
 public:
  brisol::AlertAnswer Show(const brisol::Alert&) override { return brisol::AlertAnswer::Ok; }
};

const std::string& InputPath() {
  static const std::string path = "/tmp/brisol_dxf_fuzz_" + std::to_string(getpid()) + ".dxf";
  return path;
}

std::FILE* NullOutput() {
  static std::FILE* out = std::fopen("/dev/null", "w");
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  brisol::SetAlertSink(std::make_shared<SilentAlertSink>());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = InputPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  if (!written) return 0;

  brisol::CDxfFile drawing;
  drawing.ReadFile(path.c_str(), (size > 0 && (data[0] & 1)) ? "A" : nullptr);
  int useful = 0;
  for (int t = 0; t < brisol::ikNumDxfEntityTypes; ++t) useful += drawing.CountOfType(t);
  brisol::CVec min, max;
  drawing.GetExtents(min, max);
  for (int i = 0; i < drawing.GetCount(); ++i) {
    const brisol::CDxfEntity* entity = drawing.GetEntity(i);
    if (entity != nullptr) entity->GetType();
  }
  if (std::FILE* out = NullOutput()) drawing.WriteDxf(out, drawing.GetFileTransform());
  return useful >= 0 ? 0 : 1;
}
