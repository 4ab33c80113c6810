#include "effect/Effect.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "dxf/DxfFile.h"
#include "dxf/ShapeVerdict.h"
#include "logger/Logger.h"
#include "raster/FileUtil.h"
#include "raster/Numeric.h"

namespace brisol {

CEffect::CEffect() {
  m_Mix = CImageMix{eMixOff, 50, kDefaultMixVisible};
  SetDefaults();
}

CEffect::CEffect(const char* directory) {
  m_Mix = CImageMix{eMixOff, 50, kDefaultMixVisible};
  TheLogger().Log(kLogInfo, "CEffect::CEffect (psz=%s) called\n", directory ? directory : "");
  SetDefaults();
  LoadShapes(directory);
}

CEffect::CEffect(const CEffect& other) : CEffect() { *this = other; }

CEffect::~CEffect() = default;

void CEffect::DeleteShapes() {
  for (auto& shape : m_apShapes) shape.reset();
  m_uNumShapes = 0;
}

CEffect& CEffect::operator=(const CEffect& other) {
  if (this == &other) return *this;
  CopyParameters(other);
  // The shapes are read again from their files.
  for (unsigned i = 0; i < kMaxShapes; ++i) {
    if (other.m_apShapes[i]) {
      m_apShapes[i] = std::make_shared<const CDxfFile>(other.m_apShapes[i]->GetFileName().c_str(), nullptr);
    }
  }
  m_uNumShapes = other.m_uNumShapes;
  return *this;
}

std::unique_ptr<CEffect> CEffect::Snapshot() const {
  auto copy = std::make_unique<CEffect>();
  copy->AssignShared(*this);
  return copy;
}

void CEffect::AssignShared(const CEffect& other) {
  if (this == &other) return;
  CopyParameters(other);
  m_apShapes = other.m_apShapes;
  m_uNumShapes = other.m_uNumShapes;
}

void CEffect::CopyParameters(const CEffect& other) {
  DeleteShapes();
  SetDefaults();
  m_iSeed = other.m_iSeed;
  m_dSize = other.m_dSize;
  m_dSizeVar = other.m_dSizeVar;
  m_dAngle = other.m_dAngle;
  m_dAngleVar = other.m_dAngleVar;
  m_dSolidColVar = other.m_dSolidColVar;
  m_dLineColVar = other.m_dLineColVar;
  m_dLineWidth = other.m_dLineWidth;
  m_uNumObjects = other.m_uNumObjects;
  m_dAreaCovered = other.m_dAreaCovered;
  m_szEffectDir = other.m_szEffectDir;
  m_eSolidColSrc = other.m_eSolidColSrc;
  m_eLineColSrc = other.m_eLineColSrc;
  m_eBkgType = other.m_eBkgType;
  m_crBkgColor = other.m_crBkgColor;
  m_Mix = other.m_Mix;
  m_crSolidColor = other.m_crSolidColor;
  m_crLineColor = other.m_crLineColor;
  m_eSizeReaction = other.m_eSizeReaction;
  m_eAngleReaction = other.m_eAngleReaction;
  m_eNumObjReaction = other.m_eNumObjReaction;
}

bool CEffect::operator==(const CEffect& o) const {
  if (this == &o) return true;
  return m_dAreaCovered == o.m_dAreaCovered && m_crBkgColor == o.m_crBkgColor && m_crSolidColor == o.m_crSolidColor &&
         m_crLineColor == o.m_crLineColor && m_dAngle == o.m_dAngle && m_dAngleVar == o.m_dAngleVar &&
         m_eAngleReaction == o.m_eAngleReaction && m_eBkgType == o.m_eBkgType && m_eLineColSrc == o.m_eLineColSrc &&
         m_eNumObjReaction == o.m_eNumObjReaction && m_eSizeReaction == o.m_eSizeReaction &&
         m_eSolidColSrc == o.m_eSolidColSrc && m_Mix == o.m_Mix && m_uNumObjects == o.m_uNumObjects &&
         m_uNumShapes == o.m_uNumShapes && m_iSeed == o.m_iSeed && m_dLineColVar == o.m_dLineColVar &&
         m_dLineWidth == o.m_dLineWidth && m_dSize == o.m_dSize && m_dSizeVar == o.m_dSizeVar &&
         m_dSolidColVar == o.m_dSolidColVar && strcasecmp(m_szEffectDir.c_str(), o.m_szEffectDir.c_str()) == 0;
}

void CEffect::SetDefaults() {
  m_iSeed = kDefaultSeed;
  m_dSize = kDefaultSize;
  m_dSizeVar = kDefaultSizeVar;
  m_dAngle = kDefaultAngle;
  m_dAngleVar = kDefaultAngleVar;
  m_dSolidColVar = kDefaultSolidColVar;
  m_dLineColVar = kDefaultLineColVar;
  m_dLineWidth = kDefaultLineWidth;
  m_uNumObjects = kDefaultNumObjects;
  m_dAreaCovered = kDefaultAreaCovered;
  m_szEffectDir.clear();
  m_eSolidColSrc = kDefaultSolidColSrc;
  m_eLineColSrc = kDefaultLineColSrc;
  m_eBkgType = kDefaultBkgType;
  m_crBkgColor = kDefaultBkgColor;
  // The original's visibility keeps its value.
  m_Mix.m_eGeom = kDefaultMixGeom;
  m_Mix.m_iSharpness = kDefaultMixSharpness;
  m_crSolidColor = kDefaultSolidColor;
  m_crLineColor = kDefaultLineColor;
  DeleteShapes();
  m_eSizeReaction = kDefaultSizeReaction;
  m_eAngleReaction = kDefaultAngleReaction;
  m_eNumObjReaction = kDefaultNumObjReaction;
}

void CEffect::SetSize(double v) { m_dSize = KeepWithinRange(v, kMinSize, kMaxSize); }
void CEffect::SetSizeVar(double v) { m_dSizeVar = KeepWithinRange(v, kMinSizeVar, kMaxSizeVar); }
void CEffect::SetAngle(double v) { m_dAngle = KeepWithinRange(v, kMinAngle, kMaxAngle); }
void CEffect::SetAngleVar(double v) { m_dAngleVar = KeepWithinRange(v, kMinAngle, kMaxAngle); }
void CEffect::SetSolidColVar(double v) { m_dSolidColVar = KeepWithinRange(v, kMinColVar, kMaxColVar); }
void CEffect::SetLineColVar(double v) { m_dLineColVar = KeepWithinRange(v, kMinColVar, kMaxColVar); }
void CEffect::SetLineWidth(double v) { m_dLineWidth = KeepWithinRange(v, kMinLineWidth, kMaxLineWidth); }
void CEffect::SetNumObjects(unsigned v) { m_uNumObjects = KeepWithinRange(v, kMinObjects, kMaxObjects); }
void CEffect::SetAreaCovered(double v) { m_dAreaCovered = KeepWithinRange(v, kMinArea, kMaxArea); }
void CEffect::SetMixSharpness(unsigned v) {
  m_Mix.m_iSharpness = static_cast<int>(KeepWithinRange(v, kMinMixPercent, kMaxMixPercent));
}
void CEffect::SetMixVisible(unsigned v) {
  m_Mix.m_iVisible = static_cast<int>(KeepWithinRange(v, kMinMixPercent, kMaxMixPercent));
}

void CEffect::SetSizeReaction(int v) {
  if (v >= 0 && v < ikNumReactions)
    m_eSizeReaction = v;
  else
    TheLogger().Log(kLogError, "SetSizeReaction(%d) bad enumerator", v);
}

void CEffect::SetAngleReaction(int v) {
  if (v >= 0 && v < ikNumReactions)
    m_eAngleReaction = v;
  else
    TheLogger().Log(kLogError, "SetAngleReaction(%d) bad enumerator", v);
}

void CEffect::SetNumObjReaction(int v) {
  if (v >= 0 && v < ikNumReactions)
    m_eNumObjReaction = v;
  else
    TheLogger().Log(kLogError, "SetNumObjReaction(%d) bad enumerator", v);
}

void CEffect::SetBkg(int v) {
  if (v >= 0 && v < ikNumBkgTypes)
    m_eBkgType = v;
  else
    TheLogger().Log(kLogError, "Error in SetBkg (%d)", v);
}

void CEffect::AddShape(std::unique_ptr<CDxfFile> shape) {
  if (!shape || m_uNumShapes >= kMaxShapes) {
    TheLogger().Log(kLogError, "AddShape overflow or NULL pShape(%d)",
                    static_cast<int>(reinterpret_cast<std::uintptr_t>(shape.get())));
    return;
  }
  m_apShapes[m_uNumShapes++] = std::move(shape);
}

std::unique_ptr<CDxfFile> CEffect::ReadSingleShape(const char* path, ShapeRejection* why) {
  ShapeRejection rejection;
  rejection.path = path ? path : "";
  // Only a regular file has a size as a shape file: a link that leads
  // nowhere, a folder that may not be searched, a FIFO or a device is told
  // as what it is.
  struct stat status {};
  const bool examined = path != nullptr && ::stat(path, &status) == 0;
  const char* kind = examined ? SpecialFileKind(status.st_mode) : nullptr;
  const unsigned long long size = examined && kind == nullptr ? static_cast<unsigned long long>(status.st_size) : 0;
  if (!examined || kind != nullptr || size < kMinShapeFileBytes || size > kMaxShapeFileBytes) {
    TheLogger().Log(kLogError, "**WARNING**: Single shape DXF file:\n%s\nis not compatible with this program", path);
    if (!examined) {
      rejection.reason = ShapeRejection::Reason::Unreadable;
      rejection.error = path != nullptr ? errno : ENOENT;
    } else if (kind != nullptr) {
      rejection.reason = ShapeRejection::Reason::NotAFile;
      rejection.kind = kind;
    } else {
      rejection.reason = ShapeRejection::Reason::FileSize;
      rejection.size = size;
    }
    if (why != nullptr) *why = rejection;
    return nullptr;
  }
  auto shape = std::make_unique<CDxfFile>();
  if (!shape->ReadFile(path, nullptr)) {
    TheLogger().Log(kLogError, "**WARNING**: Could not read single shape DXF file:\n%s", path);
    rejection.reason = ShapeRejection::Reason::Unreadable;
    rejection.line = shape->GetLineCount();
    rejection.problem = shape->GetOpenProblem();  // not opened: why
    if (why != nullptr) *why = rejection;
    return nullptr;
  }
  return shape;
}

namespace {

struct DirEntry {
  std::string name;
  bool isDirectory = false;
};

bool HasDxfExtension(const std::string& name) {
  return name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".dxf") == 0;
}

// The directory's "*.dxf" entries sorted by name without regard to case (ties
// by exact name), so every machine lists them alike. False when the
// directory cannot be listed.
bool ListDxfEntries(const std::string& directory, std::vector<DirEntry>& entries) {
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return false;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (!HasDxfExtension(name)) continue;
    entries.push_back({name, IsDirectory(directory + "/" + name)});
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
    const int c = strcasecmp(a.name.c_str(), b.name.c_str());
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return true;
}

}  // namespace

void CEffect::LoadShapes(const char* directory, std::vector<ShapeRejection>* rejected) {
  DeleteShapes();
  m_szEffectDir = directory ? directory : "";
  std::string base = m_szEffectDir;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  auto reject = [rejected](ShapeRejection::Reason reason, const std::string& path) {
    if (rejected == nullptr) return;
    ShapeRejection r;
    r.reason = reason;
    r.path = path;
    rejected->push_back(std::move(r));
  };

  std::vector<DirEntry> entries;
  errno = 0;
  if (directory == nullptr || !ListDxfEntries(base, entries)) {
    const int error = directory == nullptr ? ENOENT : errno;
    TheLogger().Log(kLogError, "No shape files in %s (1)", m_szEffectDir.c_str());
    reject(ShapeRejection::Reason::FolderUnreadable, m_szEffectDir);
    if (rejected != nullptr) rejected->back().error = error;
    return;
  }
  unsigned added = 0;
  for (const DirEntry& entry : entries) {
    if (entry.isDirectory && entry.name[0] != '.') continue;
    const std::string path = base + "/" + entry.name;
    ShapeRejection why;
    std::unique_ptr<CDxfFile> shape = ReadSingleShape(path.c_str(), &why);
    if (!shape) {
      if (rejected != nullptr) rejected->push_back(std::move(why));
      continue;
    }
    switch (const ShapeVerdict verdict = JudgeShape(*shape)) {
      case ShapeVerdict::kEmpty:
        TheLogger().Log(kLogError, "The file %s does not contain any entities", path.c_str());
        reject(ShapeRejection::Reason::NoEntities, path);
        continue;
      case ShapeVerdict::kNoUsefulEntities:
        TheLogger().Log(kLogError, "The file %s does not contain any useful entities", path.c_str());
        reject(ShapeRejection::Reason::NoUsefulEntities, path);
        continue;
      case ShapeVerdict::kAllHidden:
      case ShapeVerdict::kNoSize:
        // It would leave the picture as it was, without a word.
        TheLogger().Log(kLogError, "The file %s draws nothing: %s", path.c_str(), ShapeVerdictText(verdict));
        reject(verdict == ShapeVerdict::kAllHidden ? ShapeRejection::Reason::AllHidden : ShapeRejection::Reason::NoSize,
               path);
        continue;
      case ShapeVerdict::kUsable:
        break;
    }
    if (added >= kMaxShapes) {
      TheLogger().Log(kLogError, "Too many shapes in %s (more than %d)", m_szEffectDir.c_str(),
                      static_cast<int>(kMaxShapes));
      reject(ShapeRejection::Reason::TooMany, m_szEffectDir);
      break;
    }
    AddShape(std::move(shape));
    ++added;
  }
  if (added == 0) TheLogger().Log(kLogError, "No shape files in %s (2)", m_szEffectDir.c_str());
  m_uNumShapes = added;
}

}  // namespace brisol
