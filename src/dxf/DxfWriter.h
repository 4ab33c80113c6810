// The DXF group writers used by every entity's WriteDxf. A code line always
// starts with one blank; reals have six decimals and are written without
// regard to the program's locale.
#pragma once

#include <cstdio>

#include "dxf/Vec.h"

namespace brisol {

class CDxfEntity;

// " code\n" then "text\n".
void WriteTextGroup(std::FILE* file, int code, const char* text);
// " code\n" then "n\n".
void WriteIntGroup(std::FILE* file, int code, int n);
// " code\n" then the value with six decimals.
void WriteRealGroup(std::FILE* file, int code, double value);
// Three real groups: (code, x), (code + 10, y), (code + 20, z).
void WritePointGroup(std::FILE* file, int code, double x, double y, double z);
inline void WritePointGroup(std::FILE* file, int code, const CVec& p) { WritePointGroup(file, code, p.x, p.y, p.z); }
// The head every entity writes after its name: group 8 with the layer name
// and group 62 with the colour number.
void WriteEntityHead(std::FILE* file, const CDxfEntity& entity);
// "%f" of the C locale, whatever locale the program runs in.
int FormatReal(char* buffer, int size, double value);

}  // namespace brisol
