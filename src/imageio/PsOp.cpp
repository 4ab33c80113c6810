#include "imageio/PsOp.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "logger/Logger.h"
#include "raster/Numeric.h"

namespace brisol {

bool HasExtension(const char* name, const char* ext) {
  if (name == nullptr || ext == nullptr) return false;
  const std::size_t extLength = std::strlen(ext);
  const std::size_t nameLength = std::strlen(name);
  if (extLength < 1 || extLength > 3 || nameLength <= extLength + 1) return false;
  return name[nameLength - extLength - 1] == '.' && strcasecmp(name + nameLength - extLength, ext) == 0;
}

int PostScriptTypeOfName(const char* name) {
  if (HasExtension(name, "PS")) return CPsOp::kPostScript;
  if (HasExtension(name, "EPS")) return CPsOp::kEps;
  if (HasExtension(name, "AI")) return CPsOp::kAi;
  return CPsOp::kPostScript;
}

std::string PostScriptHeader(int type, const SIZE& size, double border) {
  char line[128];
  switch (type) {
    case CPsOp::kPostScript:
      return "%!PS-Adobe-3.0\n";
    case CPsOp::kEps: {
      const int m = BorderFromPercent(std::fabs(border), size);
      std::snprintf(line, sizeof line, "%%%%BoundingBox: %d %d %d %d\n", -m, -m, m + size.cx, m + size.cy);
      return std::string("%!PS-Adobe-3.0\n") + line;
    }
    default:
      return {};
  }
}

void CPsOp::Reset() {
  Close();
  m_eType = kPostScript;
}

void CPsOp::Close() {
  if (m_pFile != nullptr) {
    std::fclose(m_pFile);
    m_pFile = nullptr;
  }
  m_szFileName.clear();
}

void CPsOp::SetData(const char* name, const SIZE& size, double border) {
  Reset();
  if (name == nullptr) {
    TheLogger().Log(kLogError, "CPsOp::SetData, NULL name");
    return;
  }
  m_szFileName = name;
  if (m_szFileName.find('.') == std::string::npos) m_szFileName += ".PS";
  const char* file = m_szFileName.c_str();
  m_eType = PostScriptTypeOfName(file);
  m_Size = size;
  m_dBorder = std::fabs(border);
  TheLogger().Log(kLogInfo, "CPsOp::SetData(%s, size:[%dx%d], type:%d, border:%6.3f%%):\n", file, size.cx, size.cy,
                  m_eType, m_dBorder);
}

void CPsOp::WriteHeader() {
  if (m_szFileName.empty()) return;
  if (m_pFile != nullptr) std::fclose(m_pFile);
  m_pFile = std::fopen(m_szFileName.c_str(), "w");
  if (m_pFile == nullptr) {
    TheLogger().Log(kLogDeferred, "Can't open vector file:\n%s\nIs it open in another application?",
                    m_szFileName.c_str());
    m_szFileName.clear();
    return;
  }
  if (m_eType != kPostScript && m_eType != kEps && m_eType != kAi) {
    TheLogger().Log(kLogDeferred, "CPsOp::WriteHeader, unknown type %d\n", m_eType);
    return;
  }
  const std::string header = PostScriptHeader(m_eType, m_Size, m_dBorder);
  std::fputs(header.c_str(), m_pFile);
  TheLogger().Log(kLogInfo, "CPsOp::WriteHeader(%s,%d):\n", m_szFileName.c_str(), fileno(m_pFile));
}

}  // namespace brisol
