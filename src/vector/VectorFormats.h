// The vector file formats, one row each: the extension that chooses it, its
// name, and the largest page side it can hold. The command-line tool, the
// writers and the tests all read this table.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "logger/Outcome.h"

namespace brisol {

enum class VectorKind { Svg, Pdf, Eps, Ps };

struct VectorFormat {
  VectorKind kind;
  std::string_view extension;  // without the dot, lower case
  std::string_view name;
  double maxSidePoints = 0;  // 0: no limit of the format's own
  std::string_view limitText;
};

// Every format, in the order the table holds them (file dialogs list them so).
std::span<const VectorFormat> VectorFormats();

// The format a file name's extension names (letter case ignored), or null.
const VectorFormat* VectorFormatOfName(std::string_view path);
const VectorFormat& VectorFormatOf(VectorKind kind);

// Refuses a name that looks like a vector file that is not written (an
// ".ai" file) as Unsupported, in one line that names the file; other names
// pass.
Done CheckVectorName(std::string_view path);

// ".svg, .pdf, .eps, .ps", for messages and help.
std::string VectorExtensionsText();

}  // namespace brisol
