// "Copy as Command Line": the brisol-cli command that paints the picture a
// document shows, from the same file, collection, parameters, seed and
// quality, ready to paste into a shell.
#pragma once

#include <string>
#include <string_view>

namespace brisol {

class CEffect;

// The text quoted for a POSIX shell (left as it is when nothing in it needs
// quoting).
std::string ShellQuote(std::string_view text);

struct RenderCommand {
  std::string program = "brisol-cli";
  std::string input;   // the picture file the document was opened from
  std::string output;  // where the command writes its picture
  // The size the picture was shrunk to when it was opened (0: not shrunk):
  // the command shrinks it the same way first, into resizedFile.
  int resizedWidth = 0, resizedHeight = 0;
  std::string resizedFile;
};

// One line: [convert ... --resize WxH &&] render INPUT OUTPUT --effect DIR
// with every parameter of the effect that matters under the others (numbers
// in the shortest form that reads back exactly), --seed and --quality.
std::string RenderCommandLine(const RenderCommand& command, const CEffect& effect, int quality);

// The picture a command for this input writes by default: in the folder the
// command runs in (the picture's own folder may be read-only), named after
// it ("/photos/rose.jpg" gives "rose-brisol.png"); the shrunk copy is
// "rose-WxH.png".
std::string DefaultRenderOutput(const std::string& input);
std::string DefaultResizedFile(const std::string& input, int width, int height);

}  // namespace brisol
