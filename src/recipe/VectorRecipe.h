// The texts a recipe is kept in inside the vector files Brisol writes: an
// SVG file's <metadata> elements near its start, a PDF file's document
// information entry /BrisolRecipe, or its Subject in the files written
// before it had that entry (found through the trailer and the
// cross-reference table at the file's end), and a PostScript file's "%BrisolRecipe: "
// comment lines among its header comments. Each reads only the part of the
// file that holds the text, so that a file with a large embedded photo is
// not read whole.
//
// Codes as ReadPngTexts: kImgOk when the place of the text was reached;
// kImgErrRead when the file ends first; kImgErrCorrupt for a structure that
// cannot be followed; kImgErrUnsupported for a PDF file whose
// cross-references are packed into streams. The texts found before a
// failure are kept in texts all the same.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imageio/codecs/PictureText.h"

namespace brisol {

// The cross-reference sections of a PDF file followed, from the newest: the
// file as written and the updates made to it since (one section each).
inline constexpr int kMaxPdfSections = 64;

int ReadSvgMetadata(const ReadBytesAt& read, std::uint64_t size, std::vector<PictureText>& texts);
int ReadPdfSubject(const ReadBytesAt& read, std::uint64_t size, std::vector<PictureText>& texts);
int ReadPostScriptRecipe(const ReadBytesAt& read, std::uint64_t size, std::vector<PictureText>& texts);

// XML character data with its entities (the five named ones and numeric
// character references) and CDATA sections resolved; an entity that is not
// understood is kept as it stands.
std::string XmlCharacterData(std::string_view text);

// The text of a PDF string token, a literal "(…)" or a hex "<…>" one, as
// UTF-8: UTF-16BE when it begins with its byte order mark, UTF-8 with its
// mark, else PDFDocEncoding (read as Latin-1). Nothing for a token that is
// no string or ends early.
std::optional<std::string> PdfStringText(std::string_view token);

}  // namespace brisol
