#include "app/AppSettings.h"

#include <strings.h>

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "effect/EffectPaths.h"
#include "logger/Logger.h"

namespace brisol {
namespace {

constexpr int kMinFrameSide = 300;
constexpr int kMaxPanelCoordinate = 2000;
constexpr int kBadPanelCoordinate = 50;

QString Key(const char* section, const char* key) { return QString::fromLatin1(section) + '/' + key; }

// A string value; a value a person typed with commas and no quotes comes
// back as a list, which is joined again.
std::string ReadString(const QSettings& ini, const char* section, const char* key, const std::string& fallback) {
  const QVariant v = ini.value(Key(section, key), QString::fromStdString(fallback));
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(',').toStdString();
  return v.toString().toStdString();
}

int ReadInt(const QSettings& ini, const char* section, const char* key, int fallback) {
  const QVariant v = ini.value(Key(section, key));
  if (!v.isValid()) return fallback;
  bool ok = false;
  const int n = v.toString().trimmed().toInt(&ok);
  return ok ? n : 0;
}

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
  const QSettings ini(m_path, QSettings::IniFormat);

  m_szMainDir = MainDirectoryFrom(ReadString(ini, "FILES", "MAIN", ""), m_startDirectory);
  m_szImageWriteDir = ReadString(ini, "FILES", "IMAGEWRITE", m_startDirectory);
  m_iImageWriteType = ReadInt(ini, "FILES", "IMAGEWRITEEXT", 2);
  m_szImageReadDir = ReadString(ini, "FILES", "IMAGEREAD", m_startDirectory);
  m_iImageReadType = ReadInt(ini, "FILES", "IMAGEREADEXT", 2);

  m_bFrameStored = ini.contains(Key("MAINFRAME", "LEFT"));
  m_iLeft = ReadInt(ini, "MAINFRAME", "LEFT", 20);
  m_iRight = ReadInt(ini, "MAINFRAME", "RIGHT", 600);
  m_iTop = ReadInt(ini, "MAINFRAME", "TOP", 30);
  m_iBottom = ReadInt(ini, "MAINFRAME", "BOTTOM", 400);
  m_iState = ReadInt(ini, "MAINFRAME", "STATE", kFrameNormal);
  if (m_iRight - m_iLeft < kMinFrameSide) {
    m_iLeft = 10;
    m_iRight = 310;
  }
  if (m_iBottom - m_iTop < kMinFrameSide) {
    m_iTop = 40;
    m_iBottom = 340;
  }
  if (m_iLeft < 0) m_iLeft = 0;
  if (m_iTop < 0) m_iTop = 0;
  if (m_iState != kFrameNormal && m_iState != kFrameMaximized) m_iState = kFrameNormal;

  m_iTipCount = ReadInt(ini, "VARS", "TIPCOUNT", 0);
  m_szDefaultEffect = ReadString(ini, "VARS", "DEFEFFECT", "");
  m_bLogging = ReadInt(ini, "VARS", "LOGGING", 1) != 0;

  for (int i = 0; i < CRecentFiles::kCount; ++i) {
    const std::string key = "MRO" + std::to_string(i + 1);
    m_Recent.SetEntry(i, ReadString(ini, "LASTFILES", key.c_str(), ""));
  }
}

bool CAppSettings::Write() const {
  QDir().mkpath(QFileInfo(m_path).absolutePath());
  QSettings ini(m_path, QSettings::IniFormat);
  ini.setValue(Key("MAINFRAME", "LEFT"), m_iLeft);
  ini.setValue(Key("MAINFRAME", "RIGHT"), m_iRight);
  ini.setValue(Key("MAINFRAME", "TOP"), m_iTop);
  ini.setValue(Key("MAINFRAME", "BOTTOM"), m_iBottom);
  ini.setValue(Key("MAINFRAME", "STATE"), m_iState);
  ini.setValue(Key("VARS", "TIPSON"), 1);
  ini.setValue(Key("VARS", "TIPCOUNT"), m_iTipCount);
  ini.setValue(Key("VARS", "DEFEFFECT"), QString::fromStdString(m_szDefaultEffect));
  ini.setValue(Key("FILES", "IMAGEWRITE"), QString::fromStdString(m_szImageWriteDir));
  ini.setValue(Key("FILES", "IMAGEWRITEEXT"), m_iImageWriteType);
  ini.setValue(Key("FILES", "IMAGEREAD"), QString::fromStdString(m_szImageReadDir));
  ini.setValue(Key("FILES", "IMAGEREADEXT"), m_iImageReadType);
  for (int i = 0; i < CRecentFiles::kCount; ++i) {
    const std::string key = "MRO" + std::to_string(i + 1);
    ini.setValue(Key("LASTFILES", key.c_str()), QString::fromStdString(m_Recent.Entry(i)));
  }
  ini.sync();
  if (ini.status() != QSettings::NoError) {
    TheLogger().Log(kLogInfo, "Could not write the settings to %s\n", m_path.toLocal8Bit().constData());
    return false;
  }
  return true;
}

PanelPlacement CAppSettings::ReadPanel(const char* section) const {
  const QSettings ini(m_path, QSettings::IniFormat);
  PanelPlacement p;
  p.left = ReadInt(ini, section, "LEFT", 20);
  p.top = ReadInt(ini, section, "TOP", 20);
  p.visible = ReadInt(ini, section, "VISIBLE", 1) != 0;
  p.stored = ini.contains(Key(section, "LEFT"));
  if (p.left < 0 || p.left > kMaxPanelCoordinate) p.left = kBadPanelCoordinate;
  if (p.top < 0 || p.top > kMaxPanelCoordinate) p.top = kBadPanelCoordinate;
  return p;
}

void CAppSettings::WritePanel(const char* section, const PanelPlacement& placement) const {
  QDir().mkpath(QFileInfo(m_path).absolutePath());
  QSettings ini(m_path, QSettings::IniFormat);
  ini.setValue(Key(section, "LEFT"), placement.left);
  ini.setValue(Key(section, "TOP"), placement.top);
  ini.setValue(Key(section, "VISIBLE"), placement.visible ? 1 : 0);
}

void CAppSettings::SWPRS(const char* section, const QRect& normal, int showState) {
  if (section == nullptr || strcasecmp(section, "MAINFRAME") != 0) {
    TheLogger().Log(kLogError, "SWPRS:bad winname\n");
    return;
  }
  if (showState == kFrameNormal) {
    m_iLeft = normal.left();
    m_iTop = normal.top();
    m_iRight = normal.left() + normal.width();
    m_iBottom = normal.top() + normal.height();
    m_iState = kFrameNormal;
  } else if (showState == kFrameMaximized) {
    m_iState = kFrameMaximized;
  } else {
    m_iState = kFrameNormal;
  }
}

}  // namespace brisol
