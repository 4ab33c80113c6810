// CEffect: an effect — the shapes of one effect directory (at most 100 DXF
// drawings) and every parameter saying how they are placed, sized, turned,
// coloured and mixed with the original. Setters clamp numbers into their
// ranges and refuse bad enumerators with a log entry.
#pragma once

#include <array>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "effect/DrawSettings.h"
#include "effect/Enums.h"
#include "effect/ImageMix.h"
#include "effect/ShapeRejection.h"
#include "logger/Outcome.h"
#include "raster/Types.h"

namespace brisol {

class CDxfFile;
class CDADC;
class CEffectOutput;
struct DrawObserver;

class CEffect {
 public:
  // Parameter limits, also the panels' slider ranges.
  static constexpr double kMinSize = 0.1, kMaxSize = 30.0;
  static constexpr double kMinSizeVar = 0.0, kMaxSizeVar = 1.0;
  static constexpr double kMinAngle = -180.0, kMaxAngle = 180.0;
  static constexpr double kMinArea = 0.0, kMaxArea = 100.0;
  static constexpr double kMinColVar = 0.0, kMaxColVar = 1.0;
  static constexpr double kMinLineWidth = 0.0, kMaxLineWidth = 2.0;
  static constexpr unsigned kMinObjects = 0, kMaxObjects = 10000;
  static constexpr unsigned kMaxShapes = 100;
  static constexpr unsigned kMinMixPercent = 0, kMaxMixPercent = 100;

  // What a new effect holds.
  static constexpr int kDefaultSeed = 1;
  static constexpr double kDefaultSize = 5.5, kDefaultSizeVar = 0.5;
  static constexpr double kDefaultAngle = 0.0, kDefaultAngleVar = 0.0;
  static constexpr double kDefaultSolidColVar = 0.1, kDefaultLineColVar = 0.35;
  static constexpr double kDefaultLineWidth = 0.225;
  static constexpr unsigned kDefaultNumObjects = kMaxObjects / 3;
  static constexpr double kDefaultAreaCovered = 50.0;
  static constexpr int kDefaultSolidColSrc = eColSrcImage, kDefaultLineColSrc = eColSrcImage;
  static constexpr int kDefaultBkgType = eBkgOriginal;
  static constexpr COLORREF kDefaultBkgColor = RGB(0, 0, 0);
  static constexpr COLORREF kDefaultSolidColor = RGB(255, 255, 255), kDefaultLineColor = RGB(0, 0, 0);
  static constexpr int kDefaultMixGeom = eMixEven;
  static constexpr int kDefaultMixSharpness = 10, kDefaultMixVisible = 50;
  static constexpr int kDefaultSizeReaction = eReactRandom, kDefaultAngleReaction = eReactImage;
  static constexpr int kDefaultNumObjReaction = eReactRandom;
  // Shape files outside this size in bytes are not read.
  static constexpr unsigned long long kMinShapeFileBytes = 100, kMaxShapeFileBytes = 100000;

  CEffect();
  explicit CEffect(const char* directory);
  // A copy reads the shape files again.
  CEffect(const CEffect& other);
  CEffect& operator=(const CEffect& other);
  ~CEffect();

  // A copy of every parameter that shares this effect's shapes instead of
  // reading their files again: cheap enough to take on every slider step,
  // for a drawing that runs while this effect goes on changing. Shapes are
  // never changed once read, so sharing them is safe across threads.
  std::unique_ptr<CEffect> Snapshot() const;
  // Takes every parameter and the very shapes of other, without reading
  // their files again: puts a prepared effect (a snapshot, or one whose
  // shapes were loaded to try them) in place in one step.
  void AssignShared(const CEffect& other);

  // Parameters compared exactly, the directory without regard to case; the
  // shapes themselves are not compared.
  bool operator==(const CEffect& other) const;
  bool operator!=(const CEffect& other) const { return !(*this == other); }

  void SetDefaults();

  // Replaces the shapes with the usable DXF files of a directory, listed in
  // name order without regard to case. Every file left out (and a folder
  // that cannot be listed) is logged and, when asked, added to rejected.
  void LoadShapes(const char* directory, std::vector<ShapeRejection>* rejected = nullptr);
  // A shape read from a file, or null (the reason is logged and, when asked,
  // given in why).
  static std::unique_ptr<CDxfFile> ReadSingleShape(const char* path, ShapeRejection* why = nullptr);
  // Appends a shape while fewer than 100 are held.
  void AddShape(std::unique_ptr<CDxfFile> shape);

  // --- setters -------------------------------------------------------------
  void SetSeed(int seed) { m_iSeed = seed; }
  void SetSize(double v);
  void SetSizeVar(double v);
  void SetAngle(double v);
  void SetAngleVar(double v);
  void SetSolidColVar(double v);
  void SetLineColVar(double v);
  void SetLineWidth(double v);
  void SetNumObjects(unsigned v);
  void SetAreaCovered(double v);
  void SetMixSharpness(unsigned v);
  void SetMixVisible(unsigned v);
  void SetMixGeom(int geom) { m_Mix.m_eGeom = geom; }
  void SetSizeReaction(int v);
  void SetAngleReaction(int v);
  void SetNumObjReaction(int v);
  void SetBkg(int v);
  void SetSolidColSrc(int v) { m_eSolidColSrc = v; }
  void SetLineColSrc(int v) { m_eLineColSrc = v; }
  void SetBkgColor(COLORREF c) { m_crBkgColor = c; }
  void SetSolidColor(COLORREF c) { m_crSolidColor = c; }
  void SetLineColor(COLORREF c) { m_crLineColor = c; }

  // --- getters -------------------------------------------------------------
  int GetSeed() const { return m_iSeed; }
  double GetSize() const { return m_dSize; }
  double GetSizeVar() const { return m_dSizeVar; }
  double GetAngle() const { return m_dAngle; }
  double GetAngleVar() const { return m_dAngleVar; }
  double GetSolidColVar() const { return m_dSolidColVar; }
  double GetLineColVar() const { return m_dLineColVar; }
  double GetLineWidth() const { return m_dLineWidth; }
  unsigned GetNumObjects() const { return m_uNumObjects; }
  double GetAreaCovered() const { return m_dAreaCovered; }
  const std::string& GetEffectDir() const { return m_szEffectDir; }
  int GetSolidColSrc() const { return m_eSolidColSrc; }
  int GetLineColSrc() const { return m_eLineColSrc; }
  int GetBkgType() const { return m_eBkgType; }
  COLORREF GetBkgColor() const { return m_crBkgColor; }
  const CImageMix& GetMix() const { return m_Mix; }
  COLORREF GetSolidColor() const { return m_crSolidColor; }
  COLORREF GetLineColor() const { return m_crLineColor; }
  unsigned GetNumShapes() const { return m_uNumShapes; }
  const CDxfFile* GetShape(unsigned i) const { return i < kMaxShapes ? m_apShapes[i].get() : nullptr; }
  int GetSizeReaction() const { return m_eSizeReaction; }
  int GetAngleReaction() const { return m_eAngleReaction; }
  int GetNumObjReaction() const { return m_eNumObjReaction; }

  // --- drawing (Runner.cpp) ---------------------------------------------------
  // Makes the output picture of an original at quality level 1 or 2. A stop
  // request ends the drawing at its next object or mix row and leaves the
  // output incomplete and ends in Status::Stopped; a drawing that found no
  // memory ends in Status::NoMemory. Failures come back in the result, not
  // as alerts.
  Done DrawIntoOutput(CEffectOutput* output, const CDADC* input, int level, DrawObserver* observer = nullptr,
                      std::stop_token stop = {}) const;
  // The same, done as the settings say: threads, bands, or the reference
  // in-order drawing into a whole working picture. The pixels are the same.
  Done DrawIntoOutput(CEffectOutput* output, const CDADC* input, int level, const DrawSettings& settings,
                      DrawObserver* observer = nullptr, std::stop_token stop = {}) const;
  // Lays the background into the working picture.
  void DrawBkg(CDADC* work, const CDADC* input) const;

 private:
  void DeleteShapes();
  // DrawIntoOutput's work once its arguments have been checked.
  Done DrawSteps(CEffectOutput* output, const CDADC* input, int level, const DrawSettings& settings,
                 DrawObserver* observer, const std::stop_token& stop) const;
  void CopyParameters(const CEffect& other);

  int m_iSeed = kDefaultSeed;
  double m_dSize = kDefaultSize;
  double m_dSizeVar = kDefaultSizeVar;
  double m_dAngle = kDefaultAngle;
  double m_dAngleVar = kDefaultAngleVar;
  double m_dSolidColVar = kDefaultSolidColVar;
  double m_dLineColVar = kDefaultLineColVar;
  double m_dLineWidth = kDefaultLineWidth;
  unsigned m_uNumObjects = kDefaultNumObjects;
  double m_dAreaCovered = kDefaultAreaCovered;
  std::string m_szEffectDir;
  int m_eSolidColSrc = kDefaultSolidColSrc;
  int m_eLineColSrc = kDefaultLineColSrc;
  int m_eBkgType = kDefaultBkgType;
  COLORREF m_crBkgColor = kDefaultBkgColor;
  CImageMix m_Mix;
  COLORREF m_crSolidColor = kDefaultSolidColor;
  COLORREF m_crLineColor = kDefaultLineColor;
  std::array<std::shared_ptr<const CDxfFile>, kMaxShapes> m_apShapes;
  unsigned m_uNumShapes = 0;
  int m_eSizeReaction = kDefaultSizeReaction;
  int m_eAngleReaction = kDefaultAngleReaction;
  int m_eNumObjReaction = kDefaultNumObjReaction;
};

}  // namespace brisol
