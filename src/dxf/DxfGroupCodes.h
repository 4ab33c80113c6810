// How the value of a DXF group is stored, decided by its code.
#pragma once

namespace brisol {

enum class DxfValueKind { Text, Double, Integer };

// The kind of value a group code carries; every code not in the reader's
// table (negative codes included) carries text.
DxfValueKind ValueKindOfCode(int code);

// The comment group: carries no data and may stand anywhere.
constexpr int kDxfCommentCode = 999;

// Number conversions as the C library's atoi and atof read them in the "C"
// locale: leading white space is skipped and reading stops at the first
// character that does not fit. An integer out of range is held at the
// nearest end of the int range.
int DxfParseInt(const char* text);
double DxfParseDouble(const char* text);

}  // namespace brisol
