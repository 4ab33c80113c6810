// CPsOp: the vector-file side of an output target. Given a file name it
// creates a PostScript, EPS or AI file and writes its header; no drawing
// operation writes to it.
#pragma once

#include <cstdio>
#include <string>

#include "raster/Types.h"

namespace brisol {

class CPsOp {
 public:
  enum Type : int { kPostScript = 0, kEps = 1, kAi = 2 };

  CPsOp() = default;
  CPsOp(const CPsOp&) = delete;
  CPsOp& operator=(const CPsOp&) = delete;
  ~CPsOp() { Reset(); }

  // Chooses the file (".PS" is appended to a name without any dot) and its
  // type from the extension.
  void SetData(const char* name, const SIZE& size, double border);
  // Creates the file and writes the header.
  void WriteHeader();
  void Close();
  void Reset();

  const std::string& FileName() const { return m_szFileName; }
  int GetType() const { return m_eType; }
  double GetBorder() const { return m_dBorder; }
  bool IsOpen() const { return m_pFile != nullptr; }

 private:
  std::string m_szFileName;
  std::FILE* m_pFile = nullptr;
  SIZE m_Size;
  double m_dBorder = 0.0;
  int m_eType = kPostScript;
};

// The header lines a file of the type starts with, each ending in a line
// break: "%!PS-Adobe-3.0" and, for EPS, the bounding box of a picture of the
// size (in points) with a border of BorderFromPercent(border) points about
// it; nothing for AI or an unknown type.
std::string PostScriptHeader(int type, const SIZE& size, double border);

// The type the name gives a file, as SetData chooses it: EPS for ".eps",
// AI for ".ai", PostScript for anything else (letter case ignored).
int PostScriptTypeOfName(const char* name);

// Whether name ends in "." and ext (1 to 3 characters), ignoring letter case.
bool HasExtension(const char* name, const char* ext);

}  // namespace brisol
