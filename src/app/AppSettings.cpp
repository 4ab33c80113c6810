#include "app/AppSettings.h"

#include <strings.h>

#include <QDir>
#include <QStandardPaths>
#include <algorithm>
#include <climits>

#include "app/IniFile.h"
#include "effect/EffectPaths.h"
#include "logger/Logger.h"
#include "vector/PageLayout.h"
#include "vector/VectorFormats.h"

namespace brisol {
namespace {

constexpr long long kMinFrameSide = 300;
constexpr int kMaxPanelCoordinate = 2000;
constexpr int kBadPanelCoordinate = 50;

// A number as the program keeps it: the nearest int.
int ToInt(long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }

// The main directory as read: empty or the file-system root give the
// program's default; a relative one counts from the start directory.
std::string MainDirectoryFrom(std::string value, const std::string& startDirectory) {
  while (value.size() > 1 && value.back() == '/') value.pop_back();
  if (value.empty() || value == "/") return MainDirectory();
  return QDir(QString::fromStdString(startDirectory)).absoluteFilePath(QString::fromStdString(value)).toStdString();
}

}  // namespace

QString CAppSettings::DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Brisol/Brisol.ini";
}

CAppSettings::CAppSettings(QString path, std::string startDirectory)
    : m_szMainDir(MainDirectory()),
      m_szImageWriteDir(startDirectory),
      m_szImageReadDir(startDirectory),
      m_path(std::move(path)),
      m_startDirectory(std::move(startDirectory)) {}

void CAppSettings::Read() {
  CIniFile ini(m_path);
  ini.Load();

  m_szMainDir = MainDirectoryFrom(ini.GetString("FILES", "MAIN", ""), m_startDirectory);
  m_szImageWriteDir = ini.GetString("FILES", "IMAGEWRITE", m_startDirectory);
  m_iImageWriteType = ToInt(ini.GetNumber("FILES", "IMAGEWRITEEXT", 2));
  m_szImageReadDir = ini.GetString("FILES", "IMAGEREAD", m_startDirectory);
  m_iImageReadType = ToInt(ini.GetNumber("FILES", "IMAGEREADEXT", 2));

  // In 64 bits: the sides of a rectangle read from a damaged file may be
  // any two ints.
  m_bFrameStored = ini.Get("MAINFRAME", "LEFT").has_value();
  long long left = ini.GetNumber("MAINFRAME", "LEFT", 20), right = ini.GetNumber("MAINFRAME", "RIGHT", 600);
  long long top = ini.GetNumber("MAINFRAME", "TOP", 30), bottom = ini.GetNumber("MAINFRAME", "BOTTOM", 400);
  left = ToInt(left), right = ToInt(right), top = ToInt(top), bottom = ToInt(bottom);
  m_iState = ToInt(ini.GetNumber("MAINFRAME", "STATE", kFrameNormal));
  const auto atLeastTheSmallestSides = [&] {
    if (right - left < kMinFrameSide) {
      left = 10;
      right = 310;
    }
    if (bottom - top < kMinFrameSide) {
      top = 40;
      bottom = 340;
    }
  };
  atLeastTheSmallestSides();
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  // A rectangle wholly above or left of the screen's origin would be left
  // with a side of no length: it gets the sizes the corrections above give.
  atLeastTheSmallestSides();
  m_iLeft = ToInt(left), m_iTop = ToInt(top), m_iRight = ToInt(right), m_iBottom = ToInt(bottom);
  if (m_iState != kFrameNormal && m_iState != kFrameMaximized) m_iState = kFrameNormal;

  m_iTipCount = ToInt(ini.GetNumber("VARS", "TIPCOUNT", 0));
  m_szDefaultEffect = ini.GetString("VARS", "DEFEFFECT", "");
  m_bLogging = ini.GetNumber("VARS", "LOGGING", 1) != 0;
  m_bPrintAtPrinterResolution = ini.GetNumber("PRINT", "PRINTERRESOLUTION", 0) != 0;

  for (int i = 0; i < CRecentFiles::kCount; ++i) {
    const std::string key = "MRO" + std::to_string(i + 1);
    m_Recent.SetEntry(i, ini.GetString("LASTFILES", key, ""));
  }

  m_szExportPage = ini.GetString("EXPORT", "PAGE", "");
  m_bExportLandscape = ini.GetNumber("EXPORT", "LANDSCAPE", 0) != 0;
  m_szExportMargin = ini.GetString("EXPORT", "MARGIN", "0mm");
  m_iExportDpi =
      static_cast<int>(std::clamp<long long>(ini.GetNumber("EXPORT", "DPI", 0), 0, static_cast<long long>(kMaxDpi)));
  m_szExportDir = ini.GetString("EXPORT", "DIR", "");
  m_szExportExtension = ini.GetString("EXPORT", "EXT", "");
  // Only a vector format's extension is proposed again.
  if (VectorFormatOfName("picture." + m_szExportExtension) == nullptr) m_szExportExtension.clear();
}

bool CAppSettings::Write() const {
  CIniFile ini(m_path);
  ini.Load();
  ini.Set("MAINFRAME", "LEFT", m_iLeft);
  ini.Set("MAINFRAME", "RIGHT", m_iRight);
  ini.Set("MAINFRAME", "TOP", m_iTop);
  ini.Set("MAINFRAME", "BOTTOM", m_iBottom);
  ini.Set("MAINFRAME", "STATE", m_iState);
  ini.Set("VARS", "TIPSON", 1);
  ini.Set("VARS", "TIPCOUNT", m_iTipCount);
  ini.Set("VARS", "DEFEFFECT", m_szDefaultEffect);
  ini.Set("PRINT", "PRINTERRESOLUTION", m_bPrintAtPrinterResolution ? 1 : 0);
  ini.Set("FILES", "IMAGEWRITE", m_szImageWriteDir);
  ini.Set("FILES", "IMAGEWRITEEXT", m_iImageWriteType);
  ini.Set("FILES", "IMAGEREAD", m_szImageReadDir);
  ini.Set("FILES", "IMAGEREADEXT", m_iImageReadType);
  for (int i = 0; i < CRecentFiles::kCount; ++i) {
    const std::string key = "MRO" + std::to_string(i + 1);
    ini.Set("LASTFILES", key, m_Recent.Entry(i));
  }
  ini.Set("EXPORT", "PAGE", m_szExportPage);
  ini.Set("EXPORT", "LANDSCAPE", m_bExportLandscape ? 1 : 0);
  ini.Set("EXPORT", "MARGIN", m_szExportMargin);
  ini.Set("EXPORT", "DPI", m_iExportDpi);
  ini.Set("EXPORT", "DIR", m_szExportDir);
  ini.Set("EXPORT", "EXT", m_szExportExtension);
  if (!ini.Save()) {
    TheLogger().Log(kLogInfo, "Could not write the settings to %s\n", m_path.toLocal8Bit().constData());
    return false;
  }
  return true;
}

PanelPlacement CAppSettings::ReadPanel(const char* section) const {
  CIniFile ini(m_path);
  ini.Load();
  PanelPlacement p;
  const long long left = ini.GetNumber(section, "LEFT", 20), top = ini.GetNumber(section, "TOP", 20);
  p.visible = ini.GetNumber(section, "VISIBLE", 1) != 0;
  p.stored = ini.Get(section, "LEFT").has_value();
  p.left = left < 0 || left > kMaxPanelCoordinate ? kBadPanelCoordinate : static_cast<int>(left);
  p.top = top < 0 || top > kMaxPanelCoordinate ? kBadPanelCoordinate : static_cast<int>(top);
  return p;
}

void CAppSettings::WritePanel(const char* section, const PanelPlacement& placement) const {
  CIniFile ini(m_path);
  ini.Load();
  ini.Set(section, "LEFT", placement.left);
  ini.Set(section, "TOP", placement.top);
  ini.Set(section, "VISIBLE", placement.visible ? 1 : 0);
  if (!ini.Save()) TheLogger().Log(kLogInfo, "Could not write the settings to %s\n", m_path.toLocal8Bit().constData());
}

void CAppSettings::SetFrameRect(const QRect& rect) {
  m_iLeft = rect.left();
  m_iTop = rect.top();
  m_iRight = rect.left() + rect.width();
  m_iBottom = rect.top() + rect.height();
}

void CAppSettings::SWPRS(const char* section, const QRect& normal, int showState) {
  if (section == nullptr || strcasecmp(section, "MAINFRAME") != 0) {
    TheLogger().Log(kLogError, "SWPRS:bad winname\n");
    return;
  }
  if (showState == kFrameNormal) {
    SetFrameRect(normal);
    m_iState = kFrameNormal;
  } else if (showState == kFrameMaximized) {
    m_iState = kFrameMaximized;
  } else {
    m_iState = kFrameNormal;
  }
}

}  // namespace brisol
