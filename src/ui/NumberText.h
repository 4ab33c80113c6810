// Numbers to and from the texts the slider pairs show, always with the C
// conventions (a point before the decimals) whatever the user's locale.
#pragma once

#include <QString>
#include <optional>
#include <string>

namespace brisol {

// printf with a format holding exactly one conversion of the given letter
// ('d' or 'f'), with flags, width and precision only.
bool IsSingleConversion(const std::string& format, char letter);
QString FormatInt(const std::string& format, int value);
QString FormatDouble(const std::string& format, double value);
// printf of a format written in the code.
QString FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What scanf's "%d" reads from the text: leading white space skipped, an
// optional sign and the digits (beyond the int range: the nearest int);
// nothing when no digit comes first.
std::optional<int> ScanInt(const QString& text);
// What scanf's "%f" reads into a float; nothing when no number comes first
// or the text is not a number (NaN).
std::optional<float> ScanFloat(const QString& text);

// The text without any character for which isspace holds.
QString RemoveWhiteSpace(const QString& text);

}  // namespace brisol
